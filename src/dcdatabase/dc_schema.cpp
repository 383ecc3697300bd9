#include "dc_schema.h"

#include "job_failure.h"

#include <QSet>

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

QString schemaId(const QString& name) {
    if (name != QLatin1String("main") && name != QLatin1String("source"))
        failJob(QStringLiteral("'%1' is no schema of a job.").arg(name));
    return quoteIdentifier(name);
}

} // namespace pxu::dc
