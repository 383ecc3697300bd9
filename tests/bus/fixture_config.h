#pragma once

#include "core/config_items.h"
#include "core/globals.h"
#include "platform/db/database.h"
#include "platform/db/sql_script.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

namespace pxu::test {

// A configuration database of the tool's schema holding only the given miscellaneous
// items, opened as the program opens its own. Closed again by the destructor.
class FixtureConfig {
public:
    explicit FixtureConfig(const QList<QPair<QString, QString>>& items) {
        closeConfigRecordsets();
        g_configDbPath = m_dir.filePath(QStringLiteral("DORN Update Tool-Config.mdb"));
        if (!write(items))
            return;
        m_ok = g_iniGlobals();
    }
    ~FixtureConfig() { closeConfigRecordsets(); }
    bool ok() const { return m_ok; }

private:
    static bool write(QList<QPair<QString, QString>> items) {
        items << qMakePair(QStringLiteral("numRequiredCylinders"), QStringLiteral("3"));
        db::Database d;
        if (!d.create(g_configDbPath))
            return false;
        QFile schema(QStringLiteral(PXU_CONFIG_SCHEMA));
        if (!schema.open(QIODevice::ReadOnly) ||
            !db::runSqlScript(d, QString::fromUtf8(schema.readAll())))
            return false;
        for (const auto& [item, value] : items) {
            if (!d.execute(QStringLiteral("INSERT INTO miscellaneous VALUES (?, ?)"),
                           {item, value}))
                return false;
        }
        // The program needs a row in each of its record sets.
        return d.execute(QStringLiteral("INSERT INTO aliasSymbolName VALUES ('hullNo', "
                                        "'PAR_HULL')")) &&
               d.execute(QStringLiteral("INSERT INTO messages VALUES (1, 'Start?', 0)"));
    }

    QTemporaryDir m_dir;
    bool m_ok = false;
};

} // namespace pxu::test
