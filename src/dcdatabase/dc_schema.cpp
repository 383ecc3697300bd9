#include "dc_schema.h"

#include "job_failure.h"

#include <QHash>
#include <QSet>
#include <limits>

namespace pxu::dc {

namespace {

QSet<QString> lowerSet(std::initializer_list<QLatin1String> names) {
    QSet<QString> set;
    for (QLatin1String n : names)
        set.insert(QString(n).toLower());
    return set;
}

const QSet<QString>& knownTables() {
    static const QSet<QString> tables =
        lowerSet({table::sourceScan, table::dcEnums, table::alarmEnums, table::sourceScanBackup,
                  table::dcEnumsBackup, table::alarmEnumsBackup, table::dcBinFile,
                  table::alarmBinFile, table::version, table::plantInfo});
    return tables;
}

const QSet<QString>& knownColumns() {
    static const QSet<QString> columns = lowerSet({
        col::name,
        col::id,
        col::cls,
        col::fupId,
        col::comment,
        col::varGroup,
        col::sourceLine,
        col::upDate,
        col::crcGroup,
        col::value,
        col::onlineValue,
        col::minValue,
        col::maxValue,
        col::writeAccessLevel,
        col::readAccessLevel,
        col::modbusAddr,
        col::modbusScale,
        col::producerMask,
        col::syncCmd,
        col::introduced,
        col::condition,
        col::hysteresis,
        col::criterion,
        col::inhibit,
        col::signalIndex,
        col::onDelayIndex,
        col::offDelayIndex,
        col::onOffDelayId,
        col::signalIndexName,
        col::onDelayIndexName,
        col::offDelayIndexName,
        col::onOffDelayIdName,
        col::type,
        col::groupX,
        col::scanInternal,
        col::module,
        col::index,
        col::oldId,
        col::deadBand,
        col::group,
        col::oldConstant,
        col::step,
        col::content,
        col::noOfBytes,
        col::loops,
        col::goTo,
        col::date,
        col::applVersion,
        col::engineType,
        col::manufacNo,
        col::hullNo,
        col::epiDbNo,
        col::swVersion,
        col::build,
        col::developerNo,
        col::bootloader,
        col::imoSwNo,
    });
    return columns;
}

const QHash<QString, ColumnRange>& columnRanges() {
    constexpr qint64 int32Min = std::numeric_limits<qint32>::min();
    constexpr qint64 int32Max = std::numeric_limits<qint32>::max();
    constexpr ColumnRange any{int32Min, int32Max};
    constexpr ColumnRange symbolId{0, int32Max};
    constexpr ColumnRange word{0, 0xFFFF};
    constexpr ColumnRange byte{0, 0xFF};
    static const QHash<QString, ColumnRange> ranges = [&] {
        QHash<QString, ColumnRange> r;
        const auto set = [&](std::initializer_list<QLatin1String> columns, ColumnRange range) {
            for (QLatin1String c : columns)
                r.insert(QString(c).toLower(), range);
        };
        set({col::id}, symbolId);
        // -1: no signal, no delay.
        set({col::signalIndex, col::onDelayIndex, col::offDelayIndex}, {-1, int32Max});
        set({col::value, col::onlineValue, col::minValue, col::maxValue}, any);
        // A band between switching on and off.
        set({col::hysteresis}, {0, int32Max});
        set({col::modbusAddr, col::producerMask, col::introduced}, word);
        // 255 in onOffDelayId: not resolved.
        set({col::writeAccessLevel, col::readAccessLevel, col::onOffDelayId}, byte);
        set({col::crcGroup}, {0, 7});
        set({col::syncCmd}, {-1, 6});
        set({col::criterion}, {0, 5});
        return r;
    }();
    return ranges;
}

QString quoteIdentifier(const QString& name) {
    QString s = name;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

} // namespace

bool isKnownTable(const QString& name) {
    return knownTables().contains(name.toLower());
}

bool isKnownColumn(const QString& name) {
    return knownColumns().contains(name.toLower());
}

QString tableId(const QString& name) {
    if (!isKnownTable(name))
        failJob(QStringLiteral("'%1' is no table of a data-container database.").arg(name));
    return quoteIdentifier(name);
}

QString columnId(const QString& name) {
    if (!isKnownColumn(name))
        failJob(QStringLiteral("'%1' is no column of a data-container database.").arg(name));
    return quoteIdentifier(name);
}

QString ownColumnId(const QStringList& tableColumns, const QString& name) {
    if (!tableColumns.contains(name, Qt::CaseInsensitive))
        failJob(QStringLiteral("'%1' is no column of the table.").arg(name));
    return quoteIdentifier(name);
}

std::optional<ColumnRange> columnRange(const QString& column) {
    const auto found = columnRanges().constFind(column.toLower());
    if (found == columnRanges().cend())
        return std::nullopt;
    return *found;
}

QString schemaId(const QString& name) {
    if (name != QLatin1String("main") && name != QLatin1String("source"))
        failJob(QStringLiteral("'%1' is no schema of a job.").arg(name));
    return quoteIdentifier(name);
}

} // namespace pxu::dc
