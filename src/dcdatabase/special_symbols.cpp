#include "special_symbols.h"

#include "core/byte_conversions.h"
#include "core/config_items.h"
#include "core/error.h"
#include "core/file_names.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "dc_schema.h"
#include "number_text.h"
#include "platform/crc/crc.h"

namespace pxu::dc {

namespace {

constexpr int kTextRows = 8;
constexpr int kCharsPerRow = 4;
// The application image the CRC is taken from.
const QString kApplicationFile = QStringLiteral("PXU_application.s19");

const QString kSymbolsBySql = QStringLiteral("SELECT * FROM dcEnums WHERE name = ? COLLATE NOCASE "
                                             "ORDER BY id");

QString rowName(const QString& symbol, int k) {
    return symbol + QString::number(k);
}

qint32 storedLong(const db::Recordset& rs) {
    const QVariant v = rs.value(col::value);
    if (v.isNull())
        failJob(sprintf(QStringLiteral("{*}: the value is empty."), rs.text(col::name)));
    const auto number = longFromText(v.toString());
    if (!number)
        failJob(sprintf(QStringLiteral("{*}: the value '{*}' is no number."), rs.text(col::name),
                        v.toString()));
    return *number;
}

// One row's four characters as its value; a character the row cannot hold fails the job.
qint32 groupValue(const QString& chars, const QString& label) {
    try {
        return g_asciiTolng(chars);
    } catch (const PxuError&) {
        failJob(sprintf(QStringLiteral("{*}'{*}' cannot be stored: the fourth character of a row "
                                       "needs a code below 128."),
                        label, chars));
    }
}

// The value of a constant of the last scan; nothing when the scan found none.
std::optional<QString> scannedConstant(DcJob& job, const QString& name) {
    const auto rs = job.trySelect(
        QStringLiteral("SELECT id FROM sourceScan WHERE name = ? COLLATE NOCASE"), {name});
    if (!rs || rs->eof())
        return std::nullopt;
    return rs->text(0);
}

bool storedDiffers(const db::Recordset& rs, qint32 value) {
    const QVariant v = rs.value(col::value);
    const auto stored = v.isNull() ? std::nullopt : longFromText(v.toString());
    return !stored || *stored != value;
}

} // namespace

bool SpecialSymbols::symbolTableUsable() {
    const auto rs = m_job.trySelect(QStringLiteral("SELECT id FROM dcEnums LIMIT 1"));
    return rs && !rs->eof();
}

QString SpecialSymbols::symbolOf(const QString& aliasName) {
    if (m_pending) {
        if (const auto symbol = m_pending->symbolOf(aliasName))
            return *symbol;
    }
    return g_getSymbolName(aliasName);
}

QString SpecialSymbols::getString(const QString& aliasName, int* capacity) {
    if (capacity)
        *capacity = 0;
    if (!symbolTableUsable()) {
        m_sink.addMessage(
            QStringLiteral("      No entry in dc-table -> Plant-Infos not set in DC!"));
        return {};
    }
    const QString symbol = symbolOf(aliasName);
    QString text;
    for (int k = 1; k <= kTextRows; ++k) {
        const auto rs = m_job.select(kSymbolsBySql, {rowName(symbol, k)});
        if (rs->eof())
            break;
        text += g_lngToAscii(storedLong(*rs));
        if (capacity)
            *capacity += kCharsPerRow;
    }
    return text;
}

QString SpecialSymbols::getLong(const QString& aliasName, const QString& format) {
    if (!symbolTableUsable()) {
        m_sink.addMessage(QStringLiteral("      No entry in dc-table"));
        return {};
    }
    const QString symbol = symbolOf(aliasName);
    if (symbol.isEmpty()) {
        m_sink.addMessage(sprintf(QStringLiteral("      Symbol {*} not found"), aliasName));
        return {};
    }
    const auto rs = m_job.select(kSymbolsBySql, {symbol});
    if (rs->eof()) {
        m_sink.addMessage(sprintf(QStringLiteral("      {*}: Parameter not found in DC!"), symbol));
        return {};
    }
    if (rs->value(col::value).isNull())
        return {};
    return formatNumber(storedLong(*rs), format);
}

void SpecialSymbols::setString(const QString& value, const QString& aliasName, QString& label) {
    if (!symbolTableUsable()) {
        m_sink.addMessage(
            QStringLiteral("      No entry in dc-table -> Plant-Infos not set in DC!"));
        return;
    }
    const QString symbol = symbolOf(aliasName);
    if (label.isEmpty())
        label = symbol + QStringLiteral(" = ");

    // The rows S1, S2, ... up to the first missing one, and what each is to hold; a
    // character that does not fit its row fails here, before anything is written.
    std::vector<std::unique_ptr<db::Recordset>> rows;
    std::vector<qint32> groups;
    for (int k = 1; k <= kTextRows; ++k) {
        auto rs = m_job.select(kSymbolsBySql, {rowName(symbol, k)});
        if (rs->eof())
            break;
        groups.push_back(groupValue(value.mid((k - 1) * kCharsPerRow, kCharsPerRow), label));
        rows.push_back(std::move(rs));
    }
    if (rows.empty())
        m_sink.addMessage(
            sprintf(QStringLiteral("      {*}Parameter {*} not found in DC!"), label, symbol));
    for (size_t i = 0; i < rows.size(); ++i) {
        if (storedDiffers(*rows[i], groups[i])) {
            editRow(*rows[i], {{col::value, groups[i]}});
            m_changed = true;
        }
    }
    m_sink.addMessage(sprintf(QStringLiteral("      {*}{*}"), label, value));
    const qsizetype capacity = qsizetype(rows.size()) * kCharsPerRow;
    if (!rows.empty() && value.size() > capacity)
        m_sink.addMessage(sprintf(QStringLiteral("      {*}cut to {*} characters: {*}"), label,
                                  capacity, value.left(capacity)));
}

void SpecialSymbols::setLong(const QString& value, const QString& aliasName, QString& label,
                             const QString& format, bool showHex) {
    if (!symbolTableUsable()) {
        m_sink.addMessage(
            QStringLiteral("      No entries in dc-table -> Plant-Infos not set in DC!"));
        return;
    }
    const QString symbol = symbolOf(aliasName);
    if (symbol.isEmpty()) {
        m_sink.addMessage(
            sprintf(QStringLiteral("      {*}Symbol {*} not found"), label, aliasName));
        return;
    }
    if (label.isEmpty())
        label = symbol + QStringLiteral(" = ");

    const auto number = longFromText(value);
    const auto rs = m_job.select(kSymbolsBySql, {symbol});
    if (rs->eof()) {
        m_sink.addMessage(sprintf(QStringLiteral("      {*}: Parameter not found in DC!"), symbol));
    } else {
        if (!number)
            failJob(sprintf(QStringLiteral("{*}'{*}' is no number."), label, value));
        if (storedDiffers(*rs, *number)) {
            editRow(*rs, {{col::value, *number}});
            m_changed = true;
        }
    }

    QString hexPart;
    if (showHex && number)
        hexPart = QStringLiteral("  /  0x") +
                  QString::number(quint16(*number), 16).toUpper().rightJustified(4, u'0');
    QString shown = value;
    if (number) {
        const double v = aliasName == alias::bootloaderVersion ? *number / 100.0 : *number;
        shown = formatNumber(v, format);
    }
    m_sink.addMessage(sprintf(QStringLiteral("      {*}{*}{*}"), label, shown, hexPart));
}

bool SpecialSymbols::copyPlantInfos() {
    const auto rs = m_job.trySelect(QStringLiteral("SELECT * FROM plantInfo"));
    if (!rs || rs->eof())
        return false;
    // An empty field leaves its symbol as it is: the user can still set it in the builder.
    const auto field = [&](QLatin1String column, QLatin1String aliasName) {
        const QVariant v = rs->value(QString(column));
        if (rs->fieldIndex(column) >= 0 && !v.isNull() && !v.toString().trimmed().isEmpty())
            return std::optional<QString>(v.toString());
        const QString line = sprintf(QStringLiteral("      plantInfo: the field {*} is empty, {*} "
                                                    "stays as it is"),
                                     QString(column), symbolOf(aliasName));
        m_sink.addMessage(line);
        m_emptyFields << line;
        return std::optional<QString>();
    };
    QString label;
    const auto text = [&](QLatin1String column, QLatin1String aliasName) {
        label.clear();
        if (const auto value = field(column, aliasName))
            setString(*value, aliasName, label);
    };
    const auto number = [&](QLatin1String column, QLatin1String aliasName) {
        label.clear();
        if (const auto value = field(column, aliasName))
            setLong(*value, aliasName, label, {}, false);
    };
    text(col::engineType, alias::engineType);
    text(col::manufacNo, alias::manufacNo);
    text(col::hullNo, alias::hullNo);
    // Older tables lack this column or leave it empty: the item is skipped without a word.
    if (!rs->text(col::epiDbNo).trimmed().isEmpty())
        text(col::epiDbNo, alias::epiDbNo);
    number(col::swVersion, alias::swVersion);
    number(col::build, alias::build);
    number(col::developerNo, alias::developerNo);
    number(col::bootloader, alias::bootloaderVersion);
    text(col::imoSwNo, alias::imoSwNo);
    return true;
}

SwInfoOutcome SpecialSymbols::setSwInfos(const QString& sourceFolder) {
    SwInfoOutcome outcome;
    m_sink.addMessage(QStringLiteral("   Write SW-Infos"));
    QString label;
    if (const auto v = scannedConstant(m_job, QStringLiteral("APPL_VERSION"))) {
        setLong(*v, alias::swVersion, label, {}, false);
    } else {
        m_sink.addMessage(QStringLiteral("      SW-version not found -> check datacontainer.h!"));
        outcome.swVersionFound = false;
    }
    label.clear();
    if (const auto v = scannedConstant(m_job, QStringLiteral("APPL_DEVELOPER_NO"))) {
        setLong(*v, alias::developerNo, label, {}, false);
    } else {
        m_sink.addMessage(
            QStringLiteral("      SW-developer-number not found -> check datacontainer.h!"));
        outcome.developerNoFound = false;
    }

    const QString found = existingIgnoringCase(sourceFolder, kApplicationFile);
    QByteArray image;
    qint32 start = 0;
    if (found.isEmpty() || !g_sRecToBin(g_fullName(sourceFolder, found), image, start)) {
        m_sink.addMessage(QStringLiteral(
            "      PXU_application.s19 not found -> Appl-CRC cannot be calculated!"));
    } else {
        // 0 to 65535, as the group CRCs beside it are stored and read back.
        const quint16 crc = quint16(CrcCalculation(image.constData(), qint32(image.size()), 0));
        label.clear();
        setLong(QString::number(crc), alias::crcFirstApplication, label, {}, true);
    }
    return outcome;
}

void SpecialSymbols::setDcVersion() {
    const auto constant = scannedConstant(m_job, QStringLiteral("DAT_DC_VERSION"));
    if (!constant) {
        m_sink.addMessage(QStringLiteral("   DC-version not found -> check datacontainer.h!"));
        return;
    }
    const auto layout = m_job.trySelect(
        QStringLiteral("SELECT * FROM dcBinFile WHERE content = 'dcVersion' COLLATE NOCASE"));
    if (!layout || layout->eof()) {
        m_sink.addMessage(QStringLiteral("   dcVersion not found -> check PXUdatacontainer.mdb!"));
        return;
    }
    const auto dcVersion = longFromText(*constant);
    if (!dcVersion)
        failJob(sprintf(QStringLiteral("DAT_DC_VERSION: '{*}' is no number."), *constant));
    const auto stored = longFromText(layout->text(col::value));
    if (!stored)
        failJob(sprintf(QStringLiteral("dcBinFile, step {*}: the value '{*}' of dcVersion is no "
                                       "number."),
                        layout->text(col::step), layout->text(col::value)));
    if (*stored != *dcVersion)
        editRow(*layout, {{col::value, QString::number(*dcVersion)}});
    m_sink.addMessage(sprintf(QStringLiteral("   Write DC-version {*} into DC"), *dcVersion));
    m_sink.addMessage(QStringLiteral(" "));
}

} // namespace pxu::dc
