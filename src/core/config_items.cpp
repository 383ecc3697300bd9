#include "config_items.h"

#include "database_access.h"
#include "error_boundary.h"
#include "globals.h"
#include "msg_box.h"
#include "vb_val.h"

#include <QFileInfo>
#include <QSet>
#include <functional>

namespace pxu {

namespace {

using db::Criteria;
using db::Recordset;

std::shared_ptr<db::Database> g_dbMisc, g_dbAlias, g_dbMessages;

QString defaultText(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

bool findFirst(Recordset* rs, const QString& field, const QVariant& value) {
    return rs && rs->isOpen() && rs->findFirst(Criteria{{field, value}});
}

qint32 idItem(const char* item) {
    return qint32(qint64(vbVal(g_getMiscItem(QLatin1String(item)))));
}

// Stores the edit that fill() made of the current or a new row. A failed store cancels the
// edit, so that later lookups of the shared record set read stored rows, not the buffer,
// and raises.
void store(Recordset& rs, const std::function<bool()>& fill) {
    if (fill() && rs.update())
        return;
    const QString why = rs.lastError();
    rs.cancelUpdate();
    raise(3027, QStringLiteral("DAO.Recordset"), why);
}

} // namespace

QString g_getMiscItem(const QString& item, const QVariant& defaultValue, bool asBoolean) {
    QString result;
    guarded("modGlobal", "g_getMiscItem", [&] {
        if (findFirst(g_rsMisc.get(), QStringLiteral("item"), item))
            result = g_rsMisc->text(QStringLiteral("value"));
        else
            result = defaultText(defaultValue);
        if (asBoolean)
            result = result.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0
                         ? QStringLiteral("-1")
                         : QStringLiteral("0");
    });
    return result;
}

QString g_getMiscItemRev(const QString& value, const QVariant& defaultValue) {
    QString result;
    guarded("modGlobal", "g_getMiscItemRev", [&] {
        if (findFirst(g_rsMisc.get(), QStringLiteral("value"), value))
            result = g_rsMisc->text(QStringLiteral("item"));
        else
            result = defaultText(defaultValue);
    });
    return result;
}

void g_setMiscItem(const QString& item, const QString& value) {
    guarded("modGlobal", "g_setMiscItem", [&] {
        if (!findFirst(g_rsMisc.get(), QStringLiteral("item"), item))
            return;
        store(*g_rsMisc, [&] {
            return g_rsMisc->edit() && g_rsMisc->setValue(QStringLiteral("value"), value);
        });
    });
}

qint64 hexMiscItem(const QString& item, qint64 defaultValue) {
    static QSet<QString> told;
    const QString text = g_getMiscItem(item);
    if (text.trimmed().isEmpty())
        return defaultValue;
    if (const auto value = parseHexText(text))
        return *value;
    if (!told.contains(item.toLower())) {
        told.insert(item.toLower());
        g_warningMsgBox(QStringLiteral("The configuration item %1 holds \"%2\", which is not a "
                                       "hexadecimal number.\rUsing %3 instead.")
                            .arg(item, text, QString::number(defaultValue, 16).toUpper()),
                        {}, true, 0);
    }
    return defaultValue;
}

bool g_iniGlobals() {
    bool ok = false;
    guarded("modGlobal", "g_iniGlobals", [&] {
        // An empty table is no failure: its lookups give their defaults.
        const bool acceptEmpty = true;
        if (!g_iniRecordset(g_configDbPath,
                            QStringLiteral("SELECT * FROM miscellaneous ORDER BY item"), g_dbMisc,
                            g_rsMisc, acceptEmpty) ||
            !g_iniRecordset(g_configDbPath,
                            QStringLiteral("SELECT * FROM aliasSymbolName ORDER BY aliasName"),
                            g_dbAlias, g_rsAliasSymbolName, acceptEmpty) ||
            !g_iniRecordset(g_configDbPath,
                            QStringLiteral("SELECT * FROM messages ORDER BY MessageID"),
                            g_dbMessages, g_rsMessages, acceptEmpty))
            return;

        VarIds& v = g_varIds;
        v.g_varIdModuleStateRo = idItem("GLB_CAN_MODULE_STATE_RO");
        v.g_varIdModuleStateRw = idItem("GLB_CAN_MODULE_STATE_RW");
        v.g_varIdSwUpdateStateRo = idItem("GLB_CAN_SW_UPDATE_STATE_RO");
        v.g_varIdSwUpdateFailureRo = idItem("GLB_CAN_SW_UPDATE_FAILURE_RO");
        v.g_varIdEngStStill = idItem("GLB_ENG_STSTILL");
        v.g_varIdCrcFirstApplication = idItem("PAR_CRC_FIRST_APPLICATION");
        v.g_varIdTotNoOfCyl = idItem("PAR_TOT_NO_OF_CYL");
        v.g_varIdSwInfoBuild = idItem("PAR_SWINFO_BUILD");
        v.g_varIdSwInfoDeveloperNo = idItem("PAR_SWINFO_DEVELOPER_NO");
        v.g_varIdSwInfoHullNo = idItem("PAR_SWINFO_HULL_NO");
        v.g_varIdAutoDownldActivate = idItem("PAR_AUTO_DOWNLD_ACTIVATE");
        v.g_varIdCrcValueImo = idItem("GLB_CRC_VALUE_IMO");
        v.g_varIdCrcLenImo = idItem("GLB_CRC_LEN_IMO");
        v.g_varIdCrcValueApplication = idItem("GLB_CRC_VALUE_APPLICATION");
        v.g_varIdCrcLenApplication = idItem("GLB_CRC_LEN_APPLICATION");

        g_numRequiredCylinders =
            int(vbVal(g_getMiscItem(QStringLiteral("numRequiredCylinders"), -1)));
        if (g_numRequiredCylinders == -1) {
            g_warningMsgBox(QStringLiteral("Number of required cylinders for engine operation ") +
                                QStringLiteral("is not defined in database.") + u'\r' +
                                QStringLiteral("Using 3 as default value."),
                            {}, true, 1);
            g_numRequiredCylinders = 3;
        }

        g_forceFpgaDownload = !g_KEVMode && !g_TOQMode &&
                              g_getMiscItem(QStringLiteral("forceFPGAdownload"),
                                            QStringLiteral("yes"), true) == QStringLiteral("-1");

        g_addrProtectionBL1 =
            qint32(hexMiscItem(QStringLiteral("ADDRESS_PROTECTION_BL1"), 0x10100));
        g_addrProtectionBL2 =
            qint32(hexMiscItem(QStringLiteral("ADDRESS_PROTECTION_BL2"), 0x30000));
        ok = true;
    });
    return ok;
}

QString g_getSymbolName(const QString& alias) {
    QString result;
    guarded("modGlobal", "g_getSymbolName", [&] {
        if (findFirst(g_rsAliasSymbolName.get(), QStringLiteral("aliasName"), alias)) {
            result = g_rsAliasSymbolName->text(QStringLiteral("symbolName"));
            return;
        }
        g_errMsgBox(QStringLiteral("The symbol-name for %1 ").arg(alias) +
                    QStringLiteral("is not defined in the config-database!"));
    });
    return result;
}

bool g_setSymbolName(const QString& alias, const QString& symbol) {
    bool added = false;
    guarded("modGlobal", "g_setSymbolName", [&] {
        Recordset* rs = g_rsAliasSymbolName.get();
        if (!rs || !rs->isOpen() || findFirst(rs, QStringLiteral("aliasName"), alias))
            return;
        store(*rs, [&] {
            return rs->addNew() && rs->setValue(QStringLiteral("symbolName"), symbol) &&
                   rs->setValue(QStringLiteral("aliasName"), alias);
        });
        added = true;
    });
    return added;
}

QString g_getUserMessage(qint32 messageId) {
    QString result;
    guarded("modGlobal", "g_getUserMessage", [&] {
        if (messageId < 0)
            return;
        if (findFirst(g_rsMessages.get(), QStringLiteral("MessageID"), double(messageId)))
            result = g_rsMessages->text(QStringLiteral("MessageText"));
        else
            result =
                QStringLiteral("Application Mode Specific Message text not found in database: ") +
                QString::number(messageId);
    });
    return result;
}

bool userMessageOkButton(qint32 messageId) {
    if (!findFirst(g_rsMessages.get(), QStringLiteral("MessageID"), double(messageId)))
        return false;
    return g_rsMessages->value(QStringLiteral("okButton")).toInt() != 0;
}

QDateTime zeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QDateTime g_getFileDate(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists() || !info.isFile())
        return zeroDate();
    const QDateTime modified = info.lastModified();
    return modified.isValid() ? modified : zeroDate();
}

void closeConfigRecordsets() {
    g_rsMisc.reset();
    g_rsAliasSymbolName.reset();
    g_rsMessages.reset();
    g_dbMisc.reset();
    g_dbAlias.reset();
    g_dbMessages.reset();
}

} // namespace pxu
