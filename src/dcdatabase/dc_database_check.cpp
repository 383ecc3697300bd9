#include "dc_database_check.h"

#include "dc_schema.h"
#include "platform/db/recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pxu::dc {

namespace {

// How every SQLite database file begins.
const QByteArray kMagic("SQLite format 3", 16);

} // namespace

std::optional<QString> whyNoDcDatabase(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("it does not exist");
    if (info.size() == 0)
        return QStringLiteral("it is empty");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read (%1)").arg(file.errorString());
    if (file.read(kMagic.size()) != kMagic)
        return QStringLiteral("it is no SQLite database");
    file.close();
    auto database = std::make_shared<db::Database>();
    if (!database->open(path, true))
        return QStringLiteral("its pages are broken");
    // Random bytes past the first page open, and fail in the middle of a job.
    db::Recordset check;
    if (!check.open(database, QStringLiteral("PRAGMA quick_check(1)")))
        return QStringLiteral("its pages are broken (%1)").arg(check.lastError());
    if (check.eof() || check.text(0) != QLatin1String("ok"))
        return QStringLiteral("its pages are broken (%1)").arg(check.text(0));
    if (!database->tableNames().contains(QString(table::dcEnums), Qt::CaseInsensitive))
        return QStringLiteral("it has no table %1").arg(table::dcEnums);
    return std::nullopt;
}

QString noDcDatabase(const QString& file, const QString& why) {
    return QDir::toNativeSeparators(file) + QStringLiteral(" is no data-container database: ") +
           why + QLatin1Char('.');
}

} // namespace pxu::dc
