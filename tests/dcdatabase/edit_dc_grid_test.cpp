#include "core/globals.h"
#include "dcdatabase/alarm_list_indexes.h"
#include "edit_dc_rig.h"
#include "support/other_writer.h"
#include "support/recording_error_handler.h"
#include "support/small_disk.h"
#include "support/unwritable_folder.h"
#include "support/virtual_time.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr int kRed = 0xFF;
constexpr int kButtonFace = int(0x8000000F);

// The stored field of a symbol, read through a connection of its own.
QVariant stored(const QString& file, const QString& symbolClass, const QString& symbol,
                const QString& field) {
    const QString table =
        symbolClass == kAlarm ? QStringLiteral("alarmEnums") : QStringLiteral("dcEnums");
    return queryValue(
        file, QStringLiteral("SELECT \"%1\" FROM %2 WHERE name = ?").arg(field, table), {symbol});
}

// Shows the column set of the option, so that its columns are the ones shown.
void showSet(EditDc& e, const QString& symbolClass, int option) {
    symbolClass == kAlarm ? e.optShowLogCol_Click(option) : e.optShowVarCol_Click(option);
}

struct CellEdit {
    QString symbolClass;
    int option;
    QString symbol;
    QString caption;
};

// One cell edit with the editor open; the text the cell shows afterwards.
struct EditOutcome {
    bool stored = false;
    QString shown;
    bool edited = false; // g_showForm's result
    QStringList boxes;
};

EditOutcome editCell(const CellEdit& cell, const QVariant& entry, const QString& sql = {}) {
    EditDcRig rig(sql);
    EditOutcome outcome;
    outcome.edited = rig.open(cell.symbolClass, [&](EditDc& e) {
        if (cell.symbolClass == kParameter)
            e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1); // --ALL--
        showSet(e, cell.symbolClass, cell.option);
        dc::EditDcGrid& grid = *e.visibleGrid();
        const int row = rowOf(grid, cell.symbol);
        const int column = grid.columnOf(cell.caption);
        QVERIFY(row >= 0 && column >= 0);
        outcome.stored = grid.editCell(row, column, entry);
        outcome.shown = grid.FormatText(row, column);
    });
    outcome.boxes = rig.dialogs.texts();
    return outcome;
}

} // namespace

class EditDcGridTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_applType = applTypeZent; }
    void encodedEntriesWrittenThrough_data();
    void encodedEntriesWrittenThrough();
    void valuesCheckedAgainstTheirColumns_data();
    void valuesCheckedAgainstTheirColumns();
    void parameterValueStaysInsideItsOwnRange_data();
    void parameterValueStaysInsideItsOwnRange();
    void valueListsStoreTheNumber_data();
    void valueListsStoreTheNumber();
    void variableValueIsLocked();
    void alarmNameEditResetsItsIdForTheIndexStep_data();
    void alarmNameEditResetsItsIdForTheIndexStep();
    void alarmNamesWithoutSignalAreRed_data();
    void alarmNamesWithoutSignalAreRed();
    void tipsShowAfterThePointerRested();
    void editedOnlyByACompletedEdit_data();
    void editedOnlyByACompletedEdit();
    void databaseRefusingTheRowGoesToTheErrorReporter();
    void fileThatCannotBeWrittenIsToldInOneBoxAndNothingStored_data();
    void fileThatCannotBeWrittenIsToldInOneBoxAndNothingStored();
    void fullDiskIsToldAsFullAndNothingStored();
    void failedEditLeavesNoUnstoredValueBehind();
};

void EditDcGridTest::encodedEntriesWrittenThrough_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariant>("value"); // the field afterwards
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("told"); // a box says why the entry was refused
    const QString p = kParameter, v = kVariable, a = kAlarm;
    QTest::newRow("dc register") << p << 2 << "CYL_INJ_OFFSET_00"
                                 << "Modb.Addr"
                                 << "30005" << QVariant(32773) << "30005" << false;
    QTest::newRow("dc Cyl+") << v << 2 << "GLB_ENGINE_SPEED"
                             << "Modb.Addr"
                             << "Cyl+30105" << QVariant(105) << "Cyl+30105" << false;
    QTest::newRow("dc empty refused") << v << 2 << "GLB_ENGINE_SPEED"
                                      << "Modb.Addr"
                                      << "" << QVariant(32768) << "30000" << false;
    QTest::newRow("dc offset too far") << v << 2 << "GLB_ENGINE_SPEED"
                                       << "Modb.Addr"
                                       << "70000" << QVariant(32768) << "30000" << true;
    QTest::newRow("dc negative") << v << 2 << "GLB_ENGINE_SPEED"
                                 << "Modb.Addr"
                                 << "-5" << QVariant(32768) << "30000" << true;
    QTest::newRow("alarm emptied") << a << 0 << "ALM_OVERSPEED"
                                   << "Modb.Addr"
                                   << "" << QVariant(0) << "---" << false;
    QTest::newRow("alarm 0 is the base") << a << 1 << "ALM_OVERSPEED"
                                         << "Modb.Addr"
                                         << "0" << QVariant(32768) << "10000" << false;
    QTest::newRow("producer X") << v << 3 << "GLB_ENGINE_SPEED"
                                << "3"
                                << "x" << QVariant(9) << "X" << false;
    QTest::newRow("producer emptied") << v << 3 << "GLB_ENGINE_SPEED"
                                      << "0"
                                      << "" << QVariant(0) << "" << false;
    QTest::newRow("producer OR") << a << 1 << "ALM_OVERSPEED"
                                 << "OR"
                                 << "X" << QVariant(32769) << "X" << false;
    QTest::newRow("producer whole mask") << a << 1 << "ALM_OVERSPEED"
                                         << "5"
                                         << "7" << QVariant(7) << "" << false;
    QTest::newRow("producer word refused") << a << 1 << "ALM_OVERSPEED"
                                           << "5"
                                           << "yes" << QVariant(1) << "" << false;
}

void EditDcGridTest::encodedEntriesWrittenThrough() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QString, symbol);
    QFETCH(QString, caption);
    QFETCH(QString, entry);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QFETCH(bool, told);
    const QString field = caption == QLatin1String("Modb.Addr") ? QStringLiteral("modbusAddr")
                                                                : QStringLiteral("producerMask");
    EditDcRig rig;
    rig.open(symbolClass, [&](EditDc& e) {
        if (symbolClass == kParameter)
            e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1);
        showSet(e, symbolClass, option);
        dc::EditDcGrid& grid = *e.visibleGrid();
        const int row = rowOf(grid, symbol);
        const int column = grid.columnOf(caption);
        grid.editCell(row, column, entry);
        // In the file at once, while the window is still open.
        QCOMPARE(stored(rig.file, symbolClass, symbol, field).toInt(), value.toInt());
        QCOMPARE(grid.FormatText(row, column), shown);
    });
    QCOMPARE(rig.dialogs.texts().size(), told ? 1 : 0);
    if (told)
        QVERIFY(rig.dialogs.texts()[0].contains(QStringLiteral("between 0 and 32767")));
}

void EditDcGridTest::valuesCheckedAgainstTheirColumns_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariant>("value"); // stored; invalid: refused with a box
    QTest::addColumn<QString>("shown");
    const QString p = kParameter;
    const QVariant refused;
    QTest::newRow("word in a number") << p << 0 << "Value"
                                      << "value"
                                      << "abc" << refused << "";
    QTest::newRow("number beyond 32 bits") << p << 0 << "Value"
                                           << "value"
                                           << "1e10" << refused << "";
    QTest::newRow("hexadecimal number") << p << 0 << "Value"
                                        << "value"
                                        << "&H10" << QVariant(16) << "16";
    QTest::newRow("whole number rounded") << p << 1 << "Write"
                                          << "writeAccessLevel"
                                          << "7.5" << QVariant(8) << "8";
    QTest::newRow("no lower limit") << p << 0 << "Min"
                                    << "minValue"
                                    << "-2147483648" << QVariant(-2147483647 - 1) << "---";
    QTest::newRow("no upper limit") << p << 0 << "Max"
                                    << "maxValue"
                                    << "2147483647" << QVariant(2147483647) << "---";
    QTest::newRow("dashes in a limit") << p << 0 << "Max"
                                       << "maxValue"
                                       << "---" << refused << "";
    QTest::newRow("fraction in a real") << p << 2 << "Modb.Scale"
                                        << "modbusScale"
                                        << "0.25" << QVariant(0.25) << "0.25";
    QTest::newRow("comma in a real") << p << 2 << "Modb.Scale"
                                     << "modbusScale"
                                     << "1,5" << refused << "";
    QTest::newRow("text at its length")
        << p << 0 << "Comment"
        << "comment" << QString(50, u'c') << QVariant(QString(50, u'c')) << QString(50, u'c');
    QTest::newRow("text too long") << p << 0 << "Comment"
                                   << "comment" << QString(51, u'c') << refused << "";
    QTest::newRow("alarm id word") << kAlarm << 2 << "Signal ID"
                                   << "signalIndex"
                                   << "GLB" << refused << "";
}

void EditDcGridTest::valuesCheckedAgainstTheirColumns() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, field);
    QFETCH(QString, entry);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    const QString symbol = symbolClass == kAlarm ? QStringLiteral("ALM_OVERSPEED")
                                                 : QStringLiteral("CYL_INJ_OFFSET_00");
    EditDcRig rig;
    const QVariant before = stored(rig.file, symbolClass, symbol, field);
    rig.open(symbolClass, [&](EditDc& e) {
        showSet(e, symbolClass, option);
        dc::EditDcGrid& grid = *e.visibleGrid();
        const int row = rowOf(grid, symbol);
        const int column = grid.columnOf(caption);
        QCOMPARE(grid.editCell(row, column, entry), value.isValid());
        if (value.isValid())
            QCOMPARE(grid.FormatText(row, column), shown);
    });
    const QVariant after = stored(rig.file, symbolClass, symbol, field);
    if (value.isValid()) {
        QCOMPARE(after, value);
        QVERIFY(rig.dialogs.texts().isEmpty());
    } else {
        QCOMPARE(after, before);
        QCOMPARE(rig.dialogs.texts().size(), 1);
        QVERIFY(rig.dialogs.texts()[0].startsWith(u'"' + caption + u'"'));
        QVERIFY(rig.dialogs.texts()[0].endsWith(QStringLiteral("Nothing was stored.")));
    }
}

void EditDcGridTest::parameterValueStaysInsideItsOwnRange_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("refusal"); // the box; empty: stored without one
    // PAR_RATED_SPEED: 720, from 300 to 800.
    const QString p = kParameter;
    const QString speed = QStringLiteral("PAR_RATED_SPEED");
    const QString value = QStringLiteral("Value"), min = QStringLiteral("Min"),
                  max = QStringLiteral("Max"), none, noBox;
    const QString outside = QStringLiteral(
        "\"Value\" of PAR_RATED_SPEED takes values from 300 to 800, not \"%1\".\r\nNothing was "
        "stored.");
    const QString boundEdit = QStringLiteral("\"%1\" %2 would leave the value 720 of "
                                             "PAR_RATED_SPEED outside its range %3.\r\nNothing "
                                             "was stored.");
    QTest::newRow("value above Max") << p << speed << none << value << "900" << outside.arg(900);
    QTest::newRow("value far above Max")
        << p << speed << none << value << "100000" << outside.arg(100000);
    QTest::newRow("value below Min") << p << speed << none << value << "299" << outside.arg(299);
    QTest::newRow("value at Max") << p << speed << none << value << "800" << noBox;
    QTest::newRow("value at Min") << p << speed << none << value << "300" << noBox;
    QTest::newRow("Max below the value")
        << p << speed << none << max << "700"
        << boundEdit.arg(max, QStringLiteral("700"), QStringLiteral("from 300 to 700"));
    QTest::newRow("Min above the value")
        << p << speed << none << min << "721"
        << boundEdit.arg(min, QStringLiteral("721"), QStringLiteral("from 721 to 800"));
    QTest::newRow("Max at the value") << p << speed << none << max << "720" << noBox;
    QTest::newRow("Max of no limit") << p << speed << none << max << "2147483647" << noBox;
    const QString noMax =
        QStringLiteral("UPDATE dcEnums SET maxValue = 2147483647 WHERE name = 'PAR_RATED_SPEED';");
    QTest::newRow("no upper limit") << p << speed << noMax << value << "100000" << noBox;
    QTest::newRow("below Min with no upper limit")
        << p << speed << noMax << value << "5"
        << "\"Value\" of PAR_RATED_SPEED takes values of at least 300, not \"5\".\r\nNothing was "
           "stored.";
    const QString emptyMax =
        QStringLiteral("UPDATE dcEnums SET maxValue = NULL WHERE name = 'PAR_RATED_SPEED';");
    QTest::newRow("empty Max is none") << p << speed << emptyMax << value << "100000" << noBox;
    const QString above =
        QStringLiteral("UPDATE dcEnums SET value = 900 WHERE name = 'PAR_RATED_SPEED';");
    QTest::newRow("Min of a value already above Max")
        << p << speed << above << min << "400" << noBox;
    QTest::newRow("variable's bounds are its own")
        << kVariable << "GLB_ENGINE_SPEED" << none << min << "10" << noBox;
}

void EditDcGridTest::parameterValueStaysInsideItsOwnRange() {
    QFETCH(QString, symbolClass);
    QFETCH(QString, symbol);
    QFETCH(QString, sql);
    QFETCH(QString, caption);
    QFETCH(QString, entry);
    QFETCH(QString, refusal);
    const QString field = caption == QLatin1String("Value") ? QStringLiteral("value")
                          : caption == QLatin1String("Min") ? QStringLiteral("minValue")
                                                            : QStringLiteral("maxValue");
    EditDcRig rig(sql);
    const QVariant before = stored(rig.file, symbolClass, symbol, field);
    const bool edited = rig.open(symbolClass, [&](EditDc& e) {
        if (symbolClass == kParameter)
            e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1); // --ALL--
        showSet(e, symbolClass, 0);
        dc::EditDcGrid& grid = *e.visibleGrid();
        QCOMPARE(grid.editCell(rowOf(grid, symbol), grid.columnOf(caption), entry),
                 refusal.isEmpty());
    });
    QCOMPARE(edited, refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(stored(rig.file, symbolClass, symbol, field).toString(), entry);
        QCOMPARE(rig.dialogs.texts(), QStringList());
    } else {
        QCOMPARE(stored(rig.file, symbolClass, symbol, field), before);
        QCOMPARE(rig.dialogs.texts(), QStringList{refusal});
    }
}

void EditDcGridTest::valueListsStoreTheNumber_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CRC group") << kParameter << 0 << "CRC-Grp" << 7 << "Lubrication";
    QTest::newRow("sync command") << kParameter << 4 << "SyncCmd" << 3 << "Always";
    QTest::newRow("criterion") << kAlarm << 0 << "Criterion" << 0 << "External";
}

void EditDcGridTest::valueListsStoreTheNumber() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(int, value);
    QFETCH(QString, shown);
    const QString symbol =
        symbolClass == kAlarm ? QStringLiteral("ALM_OVERSPEED") : QStringLiteral("PAR_RATED_SPEED");
    const EditOutcome outcome = editCell({symbolClass, option, symbol, caption}, value);
    QVERIFY(outcome.stored);
    QCOMPARE(outcome.shown, shown);
    QVERIFY(outcome.edited);
}

void EditDcGridTest::variableValueIsLocked() {
    EditDcRig rig;
    rig.open(kVariable, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int row = rowOf(grid, "GLB_ENGINE_SPEED");
        const int value = grid.columnOf(QStringLiteral("Value"));
        QVERIFY(!(grid.flags(grid.index(row, value)) & Qt::ItemIsEditable));
        QVERIFY(!grid.editCell(row, value, 5));
        QCOMPARE(grid.data(grid.index(row, value), dc::EditDcGrid::ColourCodeRole).toInt(),
                 kButtonFace);
        QVERIFY(grid.flags(grid.index(row, grid.columnOf(QStringLiteral("Comment")))) &
                Qt::ItemIsEditable);
    });
    QCOMPARE(stored(rig.file, kVariable, "GLB_ENGINE_SPEED", "value").toInt(), 0);
}

void EditDcGridTest::alarmNameEditResetsItsIdForTheIndexStep_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("idField");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("reset");
    QTest::addColumn<int>("resolved");
    QTest::newRow("signal") << 2 << "Signal Name"
                            << "signalIndex"
                            << "GLB_ENGINE_LOAD" << -1 << 2049;
    QTest::newRow("on delay") << 3 << "OnDelay Name"
                              << "onDelayIndex"
                              << "LUB_PRESS_ALM_DELAY" << -1 << 1207;
    QTest::newRow("off delay") << 4 << "OffDelay Name"
                               << "offDelayIndex"
                               << "ENG_STOP_DELAY" << -1 << 1108;
    QTest::newRow("on-off delay") << 5 << "OnOffDelay Name"
                                  << "onOffDelayId"
                                  << "ALM_DLY_30S" << 255 << 5;
}

void EditDcGridTest::alarmNameEditResetsItsIdForTheIndexStep() {
    QFETCH(int, option);
    QFETCH(QString, caption);
    QFETCH(QString, idField);
    QFETCH(QString, name);
    QFETCH(int, reset);
    QFETCH(int, resolved);
    const QString alarm = QStringLiteral("ALM_OVERSPEED");
    EditDcRig rig;
    const bool edited = rig.open(kAlarm, [&](EditDc& e) {
        showSet(e, kAlarm, option);
        dc::EditDcGrid& grid = e.tdbAlarmEnums();
        const int row = rowOf(grid, alarm);
        QVERIFY(grid.editCell(row, grid.columnOf(caption), name));
        const int idColumn = grid.columnOf(idField);
        QVERIFY(grid.column(idColumn).visible);
        QCOMPARE(grid.FormatText(row, idColumn), QString::number(reset));
    });
    QVERIFY(edited);
    QCOMPARE(stored(rig.file, kAlarm, alarm, idField).toInt(), reset);
    RecordingSink sink;
    QCOMPARE(dc::buildAlarmListIndexes(rig.file, sink), std::optional<int>(0));
    QCOMPARE(stored(rig.file, kAlarm, alarm, idField).toInt(), resolved);
    QCOMPARE(stored(rig.file, kAlarm, alarm, idField + QStringLiteral("Name")).toString(), name);
}

void EditDcGridTest::alarmNamesWithoutSignalAreRed_data() {
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<int>("colour");
    QTest::newRow("compares, no signal name") << "ALM_CYL_EXH_TEMP_HIGH_00" << kRed;
    QTest::newRow("compares a named signal") << "ALM_OVERSPEED" << kButtonFace;
    QTest::newRow("External, named signal") << "ALM_SLOWDOWN" << kButtonFace;
    QTest::newRow("External, no signal name") << "ALM_HORN" << kButtonFace;
    QTest::newRow("no criterion, no signal name") << "ALM_ALARM_OVERFLOW" << kButtonFace;
}

void EditDcGridTest::alarmNamesWithoutSignalAreRed() {
    QFETCH(QString, alarm);
    QFETCH(int, colour);
    EditDcRig rig(
        QStringLiteral("UPDATE alarmEnums SET signalIndexName = '' WHERE name = 'ALM_HORN';\n"
                       "UPDATE alarmEnums SET criterion = NULL, signalIndexName = NULL "
                       "WHERE name = 'ALM_ALARM_OVERFLOW';"));
    rig.open(kAlarm, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbAlarmEnums();
        const int row = rowOf(grid, alarm);
        QCOMPARE(grid.data(grid.index(row, 0), dc::EditDcGrid::ColourCodeRole).toInt(), colour);
        // Only the name stands out.
        QCOMPARE(grid.data(grid.index(row, 1), dc::EditDcGrid::ColourCodeRole).toInt(), 0);
    });
}

void EditDcGridTest::tipsShowAfterThePointerRested() {
    VirtualTime time;
    EditDcRig rig;
    rig.open(kVariable, [&](EditDc& e) {
        e.optShowVarCol_Click(3);
        dc::EditDcGrid& grid = e.tdbDcEnums();
        QSignalSpy tips(&grid, &dc::EditDcGrid::tipShown);
        const int row = rowOf(grid, "GLB_CYL_EXH_TEMP_00"); // relative 112, module 1
        grid.hoverCell(row, grid.columnOf(QStringLiteral("1")));
        time.runFor(199);
        QCOMPARE(tips.size(), 0);
        time.runFor(1);
        QCOMPARE(tips.size(), 1);
        QCOMPARE(tips[0][0].toString(), QStringLiteral("Modul 1: Modbus-Addr. = 30113"));
        // Moving on starts the wait again; the header and plain columns have no tips.
        grid.hoverCell(row, grid.columnOf(QStringLiteral("2")));
        time.runFor(150);
        grid.hoverCell(row, grid.columnOf(QStringLiteral("Modb.Addr")));
        time.runFor(150);
        QCOMPARE(tips.size(), 1);
        time.runFor(50);
        QCOMPARE(tips.size(), 2);
        QCOMPARE(tips[1][0].toString(), QStringLiteral("30xxx or Cyl+30xxx"));
        grid.hoverCell(-1, grid.columnOf(QStringLiteral("1")));
        grid.hoverCell(row, grid.columnOf(QStringLiteral("Name")));
        time.runFor(1000);
        QCOMPARE(tips.size(), 2);
    });
}

void EditDcGridTest::editedOnlyByACompletedEdit_data() {
    QTest::addColumn<QVariant>("entry");
    QTest::addColumn<bool>("edited");
    QTest::newRow("nothing typed") << QVariant() << false;
    QTest::newRow("entry refused") << QVariant(QStringLiteral("many")) << false;
    QTest::newRow("same value again") << QVariant(QStringLiteral("5")) << false;
    QTest::newRow("value stored") << QVariant(QStringLiteral("6")) << true;
}

void EditDcGridTest::editedOnlyByACompletedEdit() {
    QFETCH(QVariant, entry);
    QFETCH(bool, edited);
    const QString set5 = QStringLiteral("UPDATE dcEnums SET writeAccessLevel = 5 "
                                        "WHERE name = 'CYL_INJ_OFFSET_00';");
    if (!entry.isValid()) {
        EditDcRig rig(set5);
        QVERIFY(!rig.open(kParameter));
        return;
    }
    const EditOutcome outcome = editCell(
        {kParameter, 1, QStringLiteral("CYL_INJ_OFFSET_00"), QStringLiteral("Write")}, entry, set5);
    QCOMPARE(outcome.edited, edited);
    QCOMPARE(outcome.stored, edited);
}

void EditDcGridTest::databaseRefusingTheRowGoesToTheErrorReporter() {
    RecordingErrorHandler errors;
    EditDcRig rig;
    execute(rig.file, QStringLiteral("CREATE TRIGGER noEdits BEFORE UPDATE ON dcEnums "
                                     "BEGIN SELECT RAISE(ABORT, 'read-only plant'); END"));
    const bool edited = rig.open(kParameter, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int row = rowOf(grid, "CYL_INJ_OFFSET_00");
        const int comment = grid.columnOf(QStringLiteral("Comment"));
        QVERIFY(!grid.editCell(row, comment, QStringLiteral("changed")));
        QCOMPARE(grid.FormatText(row, comment),
                 stored(rig.file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString());
    });
    QVERIFY(!edited);
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].object, QStringLiteral("frmEditDC"));
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("tdbDcEnums_AfterColEdit"));
    QVERIFY(errors.reports()[0].failure.description.contains(QStringLiteral("read-only plant")));
}

// What keeps the file from being written, for as long as it lives.
using Obstacle = std::function<std::shared_ptr<void>(const QString& file)>;

void EditDcGridTest::fileThatCannotBeWrittenIsToldInOneBoxAndNothingStored_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reason"); // empty: the system's, whatever it says
    QTest::newRow("a read-only folder") << Obstacle([](const QString& file) {
        return std::shared_ptr<void>(std::make_shared<UnwritableFolder>(QFileInfo(file).path()));
    }) << QString();
    QTest::newRow("another program writing it") << Obstacle([](const QString& file) {
        return std::shared_ptr<void>(std::make_shared<OtherWriter>(
            file, QStringLiteral("UPDATE dcEnums SET value = 5"), OtherWriter::Stage::changing));
    }) << QStringLiteral("another program is writing it");
}

void EditDcGridTest::fileThatCannotBeWrittenIsToldInOneBoxAndNothingStored() {
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reason);
    VirtualTime time;
    RecordingErrorHandler errors;
    EditDcRig rig;
    const QString before = stored(rig.file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString();
    bool edited = true;
    rig.open(kParameter, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int row = rowOf(grid, "CYL_INJ_OFFSET_00");
        const int comment = grid.columnOf(QStringLiteral("Comment"));
        auto held = obstacle(rig.file);
        edited = grid.editCell(row, comment, QStringLiteral("changed"));
        held.reset();
        QCOMPARE(grid.FormatText(row, comment), before);
    });
    QVERIFY(!edited);
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(rig.dialogs.texts().size(), 1);
    const QString head = rig.file + QStringLiteral(" cannot be written: ") + reason;
    QVERIFY2(rig.dialogs.texts()[0].startsWith(head), qPrintable(rig.dialogs.texts()[0]));
    QVERIFY(rig.dialogs.texts()[0].endsWith(QStringLiteral(".\r\nNothing was stored.")));
    if (!reason.isEmpty())
        QCOMPARE(rig.dialogs.texts()[0], head + QStringLiteral(".\r\nNothing was stored."));
    QCOMPARE(stored(rig.file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString(), before);
}

void EditDcGridTest::fullDiskIsToldAsFullAndNothingStored() {
    bool failed = false;
    for (int k = 0;; ++k) {
        QVERIFY2(k < 40, "the edit never gets its room");
        RecordingErrorHandler errors;
        EditDcRig rig;
        SmallDisk disk(rig.fixture.path(QStringLiteral("disk")), 1024 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.whyNot()));
        const QString file = QDir(disk.path()).filePath(QStringLiteral("plant.mdb"));
        QVERIFY(QFile::copy(rig.file, file));
        rig.file = file;
        const QString before = stored(file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString();
        bool edited = false;
        rig.open(kParameter, [&](EditDc& e) {
            dc::EditDcGrid& grid = e.tdbDcEnums();
            disk.leaveFree(k * 2048);
            edited =
                grid.editCell(rowOf(grid, "CYL_INJ_OFFSET_00"),
                              grid.columnOf(QStringLiteral("Comment")), QStringLiteral("changed"));
            disk.freeAll();
        });
        // Never an unexpected failure: the disk is full, and the edit is not stored.
        QVERIFY(errors.reports().isEmpty());
        if (edited) {
            QVERIFY(rig.dialogs.texts().isEmpty());
            QCOMPARE(stored(file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString(),
                     QStringLiteral("changed"));
            break;
        }
        failed = true;
        QCOMPARE(
            rig.dialogs.texts(),
            QStringList{file + " cannot be written: the disk is full.\r\nNothing was stored."});
        QCOMPARE(stored(file, kParameter, "CYL_INJ_OFFSET_00", "comment").toString(), before);
    }
    QVERIFY(failed);
}

void EditDcGridTest::failedEditLeavesNoUnstoredValueBehind() {
    // A table without the id column that a name edit resets: the edit fails half-way.
    RecordingErrorHandler errors;
    EditDcRig rig(QStringLiteral("ALTER TABLE alarmEnums DROP COLUMN signalIndex;"));
    const bool edited = rig.open(kAlarm, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbAlarmEnums();
        const int row = rowOf(grid, "ALM_HORN");
        QVERIFY(!grid.editCell(row, grid.columnOf(QStringLiteral("Signal Name")),
                               QStringLiteral("GLB_OTHER")));
        QCOMPARE(e.datDc().recordset()->text(QStringLiteral("signalIndexName")),
                 QStringLiteral("GLB_HORN_ACTIVE"));
    });
    QVERIFY(!edited);
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("tdbAlarmEnums_AfterColEdit"));
    QCOMPARE(stored(rig.file, kAlarm, "ALM_HORN", "signalIndexName").toString(),
             QStringLiteral("GLB_HORN_ACTIVE"));
}

QTEST_MAIN(EditDcGridTest)
#include "edit_dc_grid_test.moc"
