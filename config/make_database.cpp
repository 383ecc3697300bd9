// Builds an SQLite database file from SQL text files: pxu-make-db <database> <sql>...
// Statements end with ";" at the end of a line. The file is written beside the target
// and renamed into place, so a failed build never leaves half a database.
#include "platform/db/database.h"
#include "platform/db/sql_script.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() < 2) {
        err << "usage: pxu-make-db <database> <sql>...\n";
        return 2;
    }
    const QString target = args[0];
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        pxu::db::Database db;
        if (!db.create(temporary)) {
            err << "cannot create " << temporary << ": " << db.lastError() << "\n";
            return 1;
        }
        db.execute(QStringLiteral("BEGIN"));
        for (const QString& sqlFile : args.mid(1)) {
            QFile f(sqlFile);
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
                err << "cannot read " << sqlFile << "\n";
                return 1;
            }
            QString failure;
            if (!pxu::db::runSqlScript(db, QString::fromUtf8(f.readAll()), &failure)) {
                err << sqlFile << ": " << failure << "\n";
                db.close();
                QFile::remove(temporary);
                return 1;
            }
        }
        db.execute(QStringLiteral("COMMIT"));
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        err << "cannot rename " << temporary << " to " << target << "\n";
        return 1;
    }
    return 0;
}
