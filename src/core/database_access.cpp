#include "database_access.h"

#include "data_control.h"
#include "error_boundary.h"
#include "msg_box.h"

namespace pxu {

namespace {

const char* const kPasswords[] = {"qarvetol", "plumek"};

// The file opened with the stored passwords tried in their order; nothing, with the last
// failure's text, when neither opens it.
std::shared_ptr<db::Database> openWithPasswords(const QString& fileName, bool readOnly,
                                                QString& failure) {
    for (const char* password : kPasswords) {
        auto candidate = std::make_shared<db::Database>();
        if (candidate->open(fileName, readOnly, QStringLiteral(";pwd=") + QLatin1String(password)))
            return candidate;
        failure = candidate->lastError();
    }
    return nullptr;
}

} // namespace

bool g_openDBBothPasswords(const QString& fileName, std::shared_ptr<db::Database>& database,
                           bool readOnly) {
    bool ok = false;
    guarded("modDataBase", "g_openDBBothPasswords", [&] {
        database.reset();
        g_lastDbError.clear();
        QString failure;
        database = openWithPasswords(fileName, readOnly, failure);
        if (database) {
            ok = true;
            return;
        }
        g_lastDbError = failure;
        g_errorMsgBox(QStringLiteral("Error in opening database: ") +
                          QStringLiteral("modDataBase ") + QStringLiteral("g_iniRecordset ") +
                          QStringLiteral("\r\n") + failure,
                      QStringLiteral("DB-Name: %1 / ReadOnly: %2")
                          .arg(fileName, readOnly ? QStringLiteral("Yes") : QStringLiteral("No")),
                      true);
    });
    return ok;
}

bool g_iniRecordset(const QString& fileName, const QString& sql,
                    std::shared_ptr<db::Database>& database, std::unique_ptr<db::Recordset>& rs,
                    bool acceptEmpty, bool readOnly, bool silent) {
    bool ok = false;
    guarded("modDataBase", "g_iniRecordset", [&] {
        if (!g_openDBBothPasswords(fileName, database, readOnly))
            return;
        auto opened = std::make_unique<db::Recordset>();
        if (!opened->open(database, sql)) {
            g_lastDbError = opened->lastError();
            if (!silent)
                g_errorMsgBox(QStringLiteral("Error in opening record set: ") +
                                  QStringLiteral("modDataBase ") +
                                  QStringLiteral("g_iniRecordset ") + u'\r' +
                                  QStringLiteral("DB-Name: ") + fileName + u'\r' +
                                  QStringLiteral("SQL-Query: ") + sql + u'\r' +
                                  QStringLiteral("VB Error Descrtiption: ") + g_lastDbError,
                              {}, true);
            return;
        }
        rs = std::move(opened);
        ok = !rs->eof() || acceptEmpty;
    });
    return ok;
}

bool g_iniDataObject(DataControl& control, const QString& fileName, const QString& sql,
                     bool readOnly, const QVariantList& values) {
    bool ok = false;
    guarded("modDataBase", "g_iniDataObject", [&] {
        g_lastDbError.clear();
        QString failure;
        auto database = openWithPasswords(fileName, readOnly, failure);
        control.setDatabase(fileName, database);
        if (!database)
            raise(3051, QStringLiteral("DAO.Database"), failure);
        if (sql.isEmpty()) {
            ok = true;
            return;
        }
        auto rs = std::make_unique<db::Recordset>();
        if (!rs->open(database, sql, values)) {
            g_lastDbError = rs->lastError();
            g_errorMsgBox(QStringLiteral("Error in opening record set: ") +
                              QStringLiteral("modDataBase ") + QStringLiteral("g_iniDataObject "),
                          {}, true);
            return;
        }
        ok = !rs->eof();
        control.setRecordset(sql, values, std::move(rs));
    });
    return ok;
}

bool g_fieldExists(const QString& fileName, const QString& table, const QString& field) {
    bool found = false;
    guarded("modDataBase", "g_fieldExists", [&] {
        std::shared_ptr<db::Database> database;
        std::unique_ptr<db::Recordset> rs;
        if (!g_iniRecordset(fileName, QStringLiteral("SELECT * FROM ") + table, database, rs, true,
                            true, false))
            return;
        for (int i = 0; i < rs->fieldCount(); ++i) {
            if (rs->fieldName(i) == field) {
                found = true;
                break;
            }
        }
        rs->close();
    });
    return found;
}

} // namespace pxu
