// Builds an SQLite database file from SQL text files: pxu-make-db <database> <sql>...
// The file is written beside the target and renamed into place, so a failed build never
// leaves half a database.
#include "platform/db/database.h"
#include "platform/db/sql_script.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <filesystem>

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
    const auto fail = [&](const QString& why) {
        err << why << "\n";
        QFile::remove(temporary);
        return 1;
    };
    {
        pxu::db::Database db;
        if (!db.create(temporary))
            return fail(QStringLiteral("cannot create %1: %2").arg(temporary, db.lastError()));
        db.execute(QStringLiteral("BEGIN"));
        for (const QString& sqlFile : args.mid(1)) {
            QFile f(sqlFile);
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
                return fail(QStringLiteral("cannot read ") + sqlFile);
            QString failure;
            if (!pxu::db::runSqlScript(db, QString::fromUtf8(f.readAll()), &failure))
                return fail(sqlFile + QStringLiteral(": ") + failure);
        }
        if (!db.execute(QStringLiteral("COMMIT")))
            return fail(QStringLiteral("cannot write %1: %2").arg(temporary, db.lastError()));
    }
    std::error_code error;
    std::filesystem::rename(temporary.toStdString(), target.toStdString(), error);
    if (error)
        return fail(QStringLiteral("cannot rename %1 to %2").arg(temporary, target));
    return 0;
}
