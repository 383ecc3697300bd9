#pragma once

#include <QLatin1String>
#include <QString>
#include <QtGlobal>
#include <optional>

// The tables, columns, symbol classes, id rules and change codes of a data-container
// database, in one place: code names them through these constants, never by scattered
// strings, and builds statements only from this known set.
namespace pxu::dc {

namespace table {
inline constexpr QLatin1String sourceScan{"sourceScan"};
inline constexpr QLatin1String dcEnums{"dcEnums"};
inline constexpr QLatin1String alarmEnums{"alarmEnums"};
inline constexpr QLatin1String sourceScanBackup{"sourceScanBackup"};
inline constexpr QLatin1String dcEnumsBackup{"dcEnumsBackup"};
inline constexpr QLatin1String alarmEnumsBackup{"alarmEnumsBackup"};
inline constexpr QLatin1String dcBinFile{"dcBinFile"};
inline constexpr QLatin1String alarmBinFile{"alarmBinFile"};
inline constexpr QLatin1String version{"version"};
inline constexpr QLatin1String plantInfo{"plantInfo"};
} // namespace table

// The suffix of a backup table: sourceScan gives sourceScanBackup.
inline constexpr QLatin1String kBackupSuffix{"Backup"};

namespace col {
// sourceScan, and the scan columns of dcEnums and alarmEnums.
inline constexpr QLatin1String name{"name"};
inline constexpr QLatin1String id{"id"};
inline constexpr QLatin1String cls{"class"};
inline constexpr QLatin1String fupId{"fupId"};
inline constexpr QLatin1String comment{"comment"};
inline constexpr QLatin1String varGroup{"varGroup"};
inline constexpr QLatin1String sourceLine{"sourceLine"};
inline constexpr QLatin1String upDate{"upDate"};
// Attribute columns of dcEnums.
inline constexpr QLatin1String crcGroup{"crcGroup"};
inline constexpr QLatin1String value{"value"};
inline constexpr QLatin1String onlineValue{"onlineValue"};
inline constexpr QLatin1String minValue{"minValue"};
inline constexpr QLatin1String maxValue{"maxValue"};
inline constexpr QLatin1String writeAccessLevel{"writeAccessLevel"};
inline constexpr QLatin1String readAccessLevel{"readAccessLevel"};
inline constexpr QLatin1String modbusAddr{"modbusAddr"};
inline constexpr QLatin1String modbusScale{"modbusScale"};
inline constexpr QLatin1String producerMask{"producerMask"};
inline constexpr QLatin1String syncCmd{"syncCmd"};
inline constexpr QLatin1String introduced{"introduced"};
inline constexpr QLatin1String condition{"condition"};
// Attribute columns of alarmEnums besides the shared ones.
inline constexpr QLatin1String hysteresis{"hysteresis"};
inline constexpr QLatin1String criterion{"criterion"};
inline constexpr QLatin1String inhibit{"inhibit"};
inline constexpr QLatin1String signalIndex{"signalIndex"};
inline constexpr QLatin1String onDelayIndex{"onDelayIndex"};
inline constexpr QLatin1String offDelayIndex{"offDelayIndex"};
inline constexpr QLatin1String onOffDelayId{"onOffDelayId"};
inline constexpr QLatin1String signalIndexName{"signalIndexName"};
inline constexpr QLatin1String onDelayIndexName{"onDelayIndexName"};
inline constexpr QLatin1String offDelayIndexName{"offDelayIndexName"};
inline constexpr QLatin1String onOffDelayIdName{"onOffDelayIdName"};
inline constexpr QLatin1String type{"type"};
inline constexpr QLatin1String groupX{"groupX"};
inline constexpr QLatin1String scanInternal{"scanInternal"};
// Columns of older databases, kept but no longer used.
inline constexpr QLatin1String module{"module"};
inline constexpr QLatin1String index{"index"};
inline constexpr QLatin1String oldId{"oldId"};
inline constexpr QLatin1String deadBand{"deadBand"};
inline constexpr QLatin1String group{"group"};
inline constexpr QLatin1String oldConstant{"oldConstant"};
// Layout tables dcBinFile and alarmBinFile (and cls, varGroup, value).
inline constexpr QLatin1String step{"step"};
inline constexpr QLatin1String content{"content"};
inline constexpr QLatin1String noOfBytes{"noOfBytes"};
inline constexpr QLatin1String loops{"loops"};
inline constexpr QLatin1String goTo{"goto"};
// The version ledger.
inline constexpr QLatin1String date{"date"};
inline constexpr QLatin1String applVersion{"applVersion"};
// The old plant information.
inline constexpr QLatin1String engineType{"EngineType"};
inline constexpr QLatin1String manufacNo{"ManufacNo"};
inline constexpr QLatin1String hullNo{"HullNo"};
inline constexpr QLatin1String epiDbNo{"EpiDbNo"};
inline constexpr QLatin1String swVersion{"SwVersion"};
inline constexpr QLatin1String build{"Build"};
inline constexpr QLatin1String developerNo{"DeveloperNo"};
inline constexpr QLatin1String bootloader{"Bootloader"};
inline constexpr QLatin1String imoSwNo{"ImoSwNo"};
} // namespace col

// Symbol classes (column class).
namespace cls {
inline constexpr QLatin1String parameter{"PARAMETER"};
inline constexpr QLatin1String variable{"VARIABLE"};
inline constexpr QLatin1String alarm{"ALARM"};
inline constexpr QLatin1String constant{"CONSTANT"};
inline constexpr QLatin1String instruction{"INSTRUCTION"};
inline constexpr QLatin1String delayInst{"DELAY_INST"};
inline constexpr QLatin1String unclassified{"?"};
} // namespace cls

// Id rules: parameters lie below 2048, variables from 2048 on; rows with a negative id
// carry the default attributes of new symbols and never reach the image or a CRC.
constexpr int kFirstVariableId = 2048;

// The numbers a symbol column (dcEnums, alarmEnums) holds by its meaning: Modbus addresses
// and producer masks are 16 bits without sign (32768 and above: an absolute address; bit 15:
// the producers combined with OR), sync commands and the alarms' signal and delay indexes
// reach down to -1 (none), ids, levels and hystereses never are negative, values are any
// 32-bit number.
struct ColumnRange {
    qint64 lowest = 0;
    qint64 highest = 0;
    constexpr bool contains(qint64 v) const { return v >= lowest && v <= highest; }
};
// The range of the column (letter case ignored); nothing for a column that holds no number
// or one of no known bounds.
std::optional<ColumnRange> columnRange(const QString& column);

// Change codes of the column upDate.
enum UpDate : int {
    upDateNew = 0,
    upDateUnchanged = 1,
    upDateDeleted = 2,
    upDateRenamed = 3,
    upDateValueChanged = 4,
    upDateNotUsed = 5,
};

// Whether the name is one of the tables or columns above (letter case ignored, as the
// database compares names).
bool isKnownTable(const QString& name);
bool isKnownColumn(const QString& name);
// The name quoted for a statement. A name outside the known set is refused with a
// JobFailure, so that no text from a file or a user ever becomes an identifier.
QString tableId(const QString& name);
QString columnId(const QString& name);
// A column of a database's own table that the known set may lack (older or newer
// databases): quoted when it is one of tableColumns, the table's columns as its schema
// gives them; any other name is refused with a JobFailure.
QString ownColumnId(const QStringList& tableColumns, const QString& name);
// The connection's main schema, or the one a job attaches a second file under.
QString schemaId(const QString& name);

} // namespace pxu::dc
