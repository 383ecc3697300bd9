#include "core/globals.h"
#include "dcdatabase/edit_dc_form.h"
#include "edit_dc_rig.h"
#include "support/screenshot.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

QStringList producerCaptions() {
    QStringList captions;
    for (int module = 0; module <= 14; ++module)
        captions << QString::number(module);
    return captions << QStringLiteral("OR");
}

// Variables in fupId groups, and a few new symbols.
const QString kGroupsAndNews = QStringLiteral(R"(
UPDATE dcEnums SET fupId = '' WHERE id >= 2048;
UPDATE dcEnums SET fupId = '14.2' WHERE name = 'GLB_ENGINE_SPEED';
UPDATE dcEnums SET fupId = '141.5' WHERE name = 'GLB_ENGINE_LOAD';
UPDATE dcEnums SET fupId = '209.1' WHERE name = 'GLB_LUB_FEED_RATE';
UPDATE dcEnums SET fupId = 'O''1.5' WHERE name = 'GLB_HORN_ACTIVE';
UPDATE dcEnums SET "upDate" = 0 WHERE name IN ('ENG_SPEED_GAIN_P', 'CYL_INJ_OFFSET_00',
  'PAR_PLANT_TYPE', 'GLB_ENGINE_LOAD');
UPDATE alarmEnums SET "upDate" = 0 WHERE name = 'ALM_HORN';
)");

// The grid's rows ordered by the field in the direction, equal keys by ascending id.
bool orderedBy(const dc::EditDcGrid& grid, const QString& field, bool descending) {
    for (int row = 1; row < grid.rowCount(); ++row) {
        const double before = grid.storedValue(row - 1, field).toDouble();
        const double after = grid.storedValue(row, field).toDouble();
        if (before == after) {
            if (grid.storedValue(row - 1, QStringLiteral("id")).toLongLong() >
                grid.storedValue(row, QStringLiteral("id")).toLongLong())
                return false;
        } else if ((before < after) == descending) {
            return false;
        }
    }
    return grid.rowCount() > 1;
}

// The cell editor the grid has open (closed ones wait for their deletion).
template <class Editor> Editor* openEditor(QTableView* view) {
    for (Editor* editor : view->viewport()->findChildren<Editor*>()) {
        if (editor->isVisible())
            return editor;
    }
    return nullptr;
}

// Types over the current cell of the grid and presses Enter, as the user does.
void type(QTableView* view, const QString& text) {
    QTest::keyClick(view, text.at(0).toLatin1()); // opens the cell's editor
    auto* editor = openEditor<QLineEdit>(view);
    QVERIFY(editor);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits the entry after the key
}

} // namespace

class EditDcTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_applType = applTypeZent; }
    void columnSetsPerClassAndOption_data();
    void columnSetsPerClassAndOption();
    void openingPerClass_data();
    void openingPerClass();
    void recordSourceBindsItsValues_data();
    void recordSourceBindsItsValues();
    void parameterGroupsAndAll();
    void variableGroupsFromFupIds();
    void unopenableVariableQueryLeavesAllOnly();
    void showOnlyNew_data();
    void showOnlyNew();
    void headClickSortsBothWays();
    void sortColumnOnlyFromTheGridsColumns();
    void reopeningStartsAsDesigned();
    void otherClassShowsAnEmptyWindow();
    void resizeKeepsTheGridInTheWindow_data();
    void resizeKeepsTheGridInTheWindow();
    void windowShowsEachGridAndColumnSet_data();
    void windowShowsEachGridAndColumnSet();
    void typingIntoTheGridEditsTheCell();
    void emptyDropDownLeftWithoutAChoiceStoresNothing_data();
    void emptyDropDownLeftWithoutAChoiceStoresNothing();
};

void EditDcTest::columnSetsPerClassAndOption_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("captions");
    const QStringList parameter{"Name", "ID", "FUP", "Value", "Comment"};
    QTest::newRow("PARAMETER Min/Max") << kParameter << 0 << parameter + QStringList{"Min", "Max"};
    QTest::newRow("PARAMETER Access Levels")
        << kParameter << 1 << parameter + QStringList{"Write", "Read"};
    QTest::newRow("PARAMETER Modbus-Config.")
        << kParameter << 2 << parameter + QStringList{"Modb.Addr", "Modb.Scale"};
    QTest::newRow("PARAMETER Sync-Cmd") << kParameter << 4 << parameter + QStringList{"SyncCmd"};
    // Variables open on "--ALL--", which shows the group.
    const QStringList variable{"Name", "Group", "ID", "FUP", "Value"};
    QTest::newRow("VARIABLE Min/Max")
        << kVariable << 0 << variable + QStringList{"Comment", "Min", "Max"};
    QTest::newRow("VARIABLE Access Levels")
        << kVariable << 1 << variable + QStringList{"Comment", "Write", "Read"};
    QTest::newRow("VARIABLE Producer")
        << kVariable << 3 << variable + producerCaptions() + QStringList{"Modb.Addr"};
    const QStringList alarm{"Name", "ID", "FUP"};
    QTest::newRow("ALARM Miscellaneous")
        << kAlarm << 0
        << alarm + QStringList{"Comment", "Min", "Max", "Criterion", "Inhibit", "Modb.Addr"};
    QTest::newRow("ALARM Producer")
        << kAlarm << 1 << alarm + producerCaptions() + QStringList{"Modb.Addr"};
    QTest::newRow("ALARM Signal Name")
        << kAlarm << 2 << alarm + QStringList{"Comment", "Signal ID", "Signal Name"};
    QTest::newRow("ALARM On Delay")
        << kAlarm << 3 << alarm + QStringList{"Comment", "OnDelay ID", "OnDelay Name"};
    QTest::newRow("ALARM Off Delay")
        << kAlarm << 4 << alarm + QStringList{"Comment", "OffDelay ID", "OffDelay Name"};
    QTest::newRow("ALARM OnOff Delay")
        << kAlarm << 5 << alarm + QStringList{"Comment", "OnOffDelay ID", "OnOffDelay Name"};
}

void EditDcTest::columnSetsPerClassAndOption() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QStringList, captions);
    EditDcRig rig;
    rig.open(symbolClass, [&](EditDc& e) {
        // A set shown before takes nothing of its own along.
        for (int other : {4, 3, 1})
            symbolClass == kAlarm ? e.optShowLogCol_Click(other) : e.optShowVarCol_Click(other);
        symbolClass == kAlarm ? e.optShowLogCol_Click(option) : e.optShowVarCol_Click(option);
        QCOMPARE(e.visibleGrid()->visibleCaptions(), captions);
        QCOMPARE(symbolClass == kAlarm ? e.view().optShowLogCol : e.view().optShowVarCol, option);
    });
}

void EditDcTest::openingPerClass_data() {
    QTest::addColumn<int>("applType");
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("shownOptions"); // option buttons shown, per frame
    QTest::addColumn<bool>("valueLocked");
    QTest::newRow("PARAMETER") << int(applTypeZent) << kParameter
                               << QStringList{"BASIC",  "USER",   "ADJUST", "IMO",
                                              "GLOBAL", "COMMIS", "--ALL--"}
                               << "ADJUST" << 0 << "0124" << false;
    QTest::newRow("PARAMETER LORX") << int(applTypeLorx) << kParameter
                                    << QStringList{"BASIC", "NORMAL", "USER", "IMO", "--ALL--"}
                                    << "NORMAL" << 0 << "0124" << false;
    QTest::newRow("VARIABLE") << int(applTypeZent) << kVariable
                              << QStringList{"14: Unknown", "209: CYL-Cyl Lubrication",
                                             "O'1: Unknown", "--ALL--"}
                              << "--ALL--" << 1 << "0123" << true;
    QTest::newRow("ALARM") << int(applTypeZent) << kAlarm << QStringList() << "" << 0 << "012345"
                           << false;
}

void EditDcTest::openingPerClass() {
    QFETCH(int, applType);
    QFETCH(QString, symbolClass);
    QFETCH(QStringList, groups);
    QFETCH(QString, group);
    QFETCH(int, option);
    QFETCH(QString, shownOptions);
    QFETCH(bool, valueLocked);
    g_applType = applType;
    EditDcRig rig(kGroupsAndNews);
    rig.open(symbolClass, [&](EditDc& e) {
        const EditDcView& v = e.view();
        const bool alarm = symbolClass == kAlarm;
        QCOMPARE(v.cboCrcGroup, groups);
        QCOMPARE(v.cboCrcGroup.value(v.cboCrcGroupIndex), group);
        QCOMPARE(v.fraGridType[0], !alarm);
        QCOMPARE(v.fraGridType[1], alarm);
        QCOMPARE(v.tdbDcEnums, !alarm);
        QCOMPARE(v.tdbAlarmEnums, alarm);
        QCOMPARE(alarm ? v.optShowLogCol : v.optShowVarCol, option);
        QString shown;
        for (int i = 0; i < 6; ++i) {
            if (alarm ? v.optShowLogColVisible[i] : i < 5 && v.optShowVarColVisible[i])
                shown += QString::number(i);
        }
        QCOMPARE(shown, shownOptions);
        if (!alarm) {
            const dc::GridColumn& value =
                e.tdbDcEnums().column(e.tdbDcEnums().columnOf(QStringLiteral("Value")));
            QCOMPARE(value.locked, valueLocked);
            QCOMPARE(value.backColour, valueLocked ? int(0x8000000F) : int(0x80000005));
        }
        QVERIFY(e.visibleGrid()->rowCount() > 0);
        QCOMPARE(e.sortOrder(), QStringLiteral("ASC"));
        QCOMPARE(e.sortColumn(), -1);
    });
    QCOMPARE(rig.dialogs.modalWindows(), QStringList{"frmEditDC"});
}

void EditDcTest::recordSourceBindsItsValues_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("onlyNew");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    const QString parameters = QStringLiteral("SELECT * FROM \"dcEnums\" WHERE \"class\"=? ");
    const QString byId = QStringLiteral("ORDER BY \"id\" ASC, \"id\"");
    QTest::newRow("PARAMETER USER, only new")
        << kParameter << "USER" << true
        << parameters + "AND \"crcGroup\"=? AND \"upDate\"=? " + byId
        << QVariantList{kParameter, 2, 0};
    QTest::newRow("PARAMETER --ALL--")
        << kParameter << "--ALL--" << false << parameters + byId << QVariantList{kParameter};
    QTest::newRow("VARIABLE 209") << kVariable << "209: CYL-Cyl Lubrication" << false
                                  << parameters + "AND substr(\"fupId\", 1, ?)=? COLLATE NOCASE " +
                                         byId
                                  << QVariantList{kVariable, 3, QStringLiteral("209")};
    QTest::newRow("VARIABLE prefix with a quote")
        << kVariable << "O'1: Unknown" << true
        << parameters + "AND substr(\"fupId\", 1, ?)=? COLLATE NOCASE AND \"upDate\"=? " + byId
        << QVariantList{kVariable, 3, QStringLiteral("O'1"), 0};
    QTest::newRow("ALARM only new")
        << kAlarm << "" << true << "SELECT * FROM \"alarmEnums\" WHERE \"upDate\"=? " + byId
        << QVariantList{0};
    QTest::newRow("ALARM") << kAlarm << "" << false << "SELECT * FROM \"alarmEnums\" " + byId
                           << QVariantList();
}

void EditDcTest::recordSourceBindsItsValues() {
    QFETCH(QString, symbolClass);
    QFETCH(QString, group);
    QFETCH(bool, onlyNew);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    EditDcRig rig(kGroupsAndNews);
    rig.open(symbolClass, [&](EditDc& e) {
        if (!group.isEmpty())
            e.cboCrcGroup_Click(int(e.view().cboCrcGroup.indexOf(group)));
        if (onlyNew)
            e.chkNewLine_Click(true);
        QCOMPARE(e.datDc().recordSource(), sql);
        QCOMPARE(e.datDc().recordSourceValues(), values);
    });
}

void EditDcTest::parameterGroupsAndAll() {
    EditDcRig rig;
    rig.open(kParameter, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int crcGroup = grid.columnOf(QStringLiteral("CRC-Grp"));
        const int name = grid.columnOf(QStringLiteral("Name"));
        // ADJUST at opening: its rows only, no group column, the name at full width.
        QCOMPARE(grid.rowCount(),
                 queryValue(rig.file, "SELECT count(*) FROM dcEnums WHERE crcGroup = 3").toInt());
        const QStringList groups = shownColumn(grid, "CRC-Grp");
        QCOMPARE(QSet<QString>(groups.begin(), groups.end()), QSet<QString>{"Adjust"});
        QVERIFY(!grid.column(crcGroup).visible);
        QCOMPARE(grid.column(name).width, 4440);
        QCOMPARE(rowOf(grid, "LUB_BN_VALUE"), -1);
        QCOMPARE(rowOf(grid, "PAR_CRC_FIRST_USER"), -1);

        e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1);
        QCOMPARE(
            grid.rowCount(),
            queryValue(rig.file, "SELECT count(*) FROM dcEnums WHERE class = 'PARAMETER'").toInt());
        QVERIFY(grid.column(crcGroup).visible);
        QVERIFY(!grid.column(grid.columnOf(QStringLiteral("Group"))).visible);
        QCOMPARE(grid.column(name).width, 4440 - grid.column(crcGroup).width);
        // Groups 7 and 0 are in no list of the box: "--ALL--" shows them by name.
        QCOMPARE(grid.FormatText(rowOf(grid, "LUB_BN_VALUE"), crcGroup),
                 QStringLiteral("Lubrication"));
        QCOMPARE(grid.FormatText(rowOf(grid, "PAR_CRC_FIRST_USER"), crcGroup),
                 QStringLiteral("None"));
    });
}

void EditDcTest::variableGroupsFromFupIds() {
    EditDcRig rig(kGroupsAndNews);
    rig.open(kVariable, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int group = grid.columnOf(QStringLiteral("Group"));
        const int all = int(e.view().cboCrcGroup.size()) - 1;
        QVERIFY(grid.column(group).visible);
        const int variables = grid.rowCount();
        QCOMPARE(variables, queryValue(rig.file, "SELECT count(*) FROM dcEnums WHERE class = "
                                                 "'VARIABLE'")
                                .toInt());
        // 141.5 belongs to the group 14: its prefix holds 14, and the filter compares two
        // characters.
        e.cboCrcGroup_Click(0);
        QCOMPARE(shownColumn(grid, "Name"), QStringList({"GLB_ENGINE_SPEED", "GLB_ENGINE_LOAD"}));
        QVERIFY(!grid.column(group).visible);
        QCOMPARE(grid.column(grid.columnOf(QStringLiteral("Name"))).width, 4440);
        e.cboCrcGroup_Click(2);
        QCOMPARE(shownColumn(grid, "Name"), QStringList{"GLB_HORN_ACTIVE"});
        // Variables without a fupId are listed under "--ALL--" only.
        e.cboCrcGroup_Click(all);
        QCOMPARE(grid.rowCount(), variables);
        QVERIFY(rowOf(grid, "GLB_FUEL_PRESS") >= 0);
    });
}

void EditDcTest::unopenableVariableQueryLeavesAllOnly() {
    EditDcRig rig(QStringLiteral("ALTER TABLE dcEnums RENAME COLUMN fupId TO fup;"));
    rig.dialogs.whileShown([] {}); // the box that tells the failure
    rig.open(kVariable, [&](EditDc& e) {
        QCOMPARE(e.view().cboCrcGroup, QStringList{"--ALL--"});
        QVERIFY(e.visibleGrid()->rowCount() > 0);
    });
    QCOMPARE(rig.dialogs.texts().size(), 1);
    QVERIFY(rig.dialogs.texts()[0].startsWith(
        QStringLiteral("Error in opening record set: modDataBase g_iniRecordset \r")));
}

void EditDcTest::showOnlyNew_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("PARAMETER in ADJUST") << kParameter << QStringList{"CYL_INJ_OFFSET_00"};
    QTest::newRow("VARIABLE") << kVariable << QStringList{"GLB_ENGINE_LOAD"};
    QTest::newRow("ALARM") << kAlarm << QStringList{"ALM_HORN"};
}

void EditDcTest::showOnlyNew() {
    QFETCH(QString, symbolClass);
    QFETCH(QStringList, names);
    EditDcRig rig(kGroupsAndNews);
    rig.open(symbolClass, [&](EditDc& e) {
        const int rows = e.visibleGrid()->rowCount();
        e.chkNewLine_Click(true);
        QCOMPARE(shownColumn(*e.visibleGrid(), "Name"), names);
        e.chkNewLine_Click(false);
        QCOMPARE(e.visibleGrid()->rowCount(), rows);
    });
}

void EditDcTest::headClickSortsBothWays() {
    EditDcRig rig;
    rig.open(kParameter, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int value = grid.columnOf(QStringLiteral("Value"));
        const int write = grid.columnOf(QStringLiteral("Write"));
        e.HeadClick(value);
        QVERIFY(orderedBy(grid, "value", false));
        e.HeadClick(value);
        QCOMPARE(e.sortOrder(), QStringLiteral("DESC"));
        QVERIFY(orderedBy(grid, "value", true));
        e.HeadClick(value);
        QVERIFY(orderedBy(grid, "value", false));
        e.HeadClick(value);
        // Another header sorts ascending; equal keys stay in ascending id order.
        e.HeadClick(write);
        QCOMPARE(e.sortOrder(), QStringLiteral("ASC"));
        QCOMPARE(e.sortColumn(), write);
        QVERIFY(orderedBy(grid, "writeAccessLevel", false));
        // A new group is listed by id, in the last direction.
        e.HeadClick(write);
        e.cboCrcGroup_Click(0);
        QVERIFY(orderedBy(grid, "id", true));
        QVERIFY(e.datDc().recordSource().endsWith(QStringLiteral("\"id\" DESC, \"id\"")));
    });
    // Every producer column sorts by the mask.
    rig.open(kAlarm, [&](EditDc& e) {
        dc::EditDcGrid& grid = e.tdbAlarmEnums();
        e.optShowLogCol_Click(1);
        e.HeadClick(grid.columnOf(QStringLiteral("7")));
        e.HeadClick(grid.columnOf(QStringLiteral("7")));
        QVERIFY(orderedBy(grid, "producerMask", true));
        e.HeadClick(grid.columnOf(QStringLiteral("OR")));
        QVERIFY(orderedBy(grid, "producerMask", false));
    });
}

void EditDcTest::sortColumnOnlyFromTheGridsColumns() {
    EditDcRig rig;
    rig.open(kAlarm, [&](EditDc& e) {
        e.setupTable(QStringLiteral("comment"));
        QVERIFY(
            e.datDc().recordSource().endsWith(QStringLiteral("ORDER BY \"comment\" ASC, \"id\"")));
        for (const char* field : {"crcGroup", "id; DROP TABLE alarmEnums", "sourceLine"}) {
            e.setupTable(QLatin1String(field));
            QVERIFY2(
                e.datDc().recordSource().endsWith(QStringLiteral("ORDER BY \"id\" ASC, \"id\"")),
                field);
            QVERIFY(e.visibleGrid()->rowCount() > 0);
        }
    });
}

void EditDcTest::reopeningStartsAsDesigned() {
    EditDcRig rig(kGroupsAndNews);
    rig.open(kParameter, [&](EditDc& e) {
        e.chkNewLine_Click(true);
        e.cboCrcGroup_Click(0);
        e.HeadClick(3);
        e.HeadClick(3);
        QCOMPARE(e.sortOrder(), QStringLiteral("DESC"));
    });
    QVERIFY(!rig.editor.isLoaded());
    QVERIFY(!rig.editor.datDc().recordset());
    rig.open(kParameter, [&](EditDc& e) {
        QCOMPARE(e.sortOrder(), QStringLiteral("ASC"));
        QCOMPARE(e.sortColumn(), -1);
        QVERIFY(!e.view().chkNewLine);
        QCOMPARE(e.view().cboCrcGroupIndex, 2);
        QVERIFY(e.datDc().recordSource().endsWith(QStringLiteral("ORDER BY \"id\" ASC, \"id\"")));
    });
}

void EditDcTest::otherClassShowsAnEmptyWindow() {
    EditDcRig rig;
    const bool edited = rig.open(QStringLiteral("parameter"), [&](EditDc& e) {
        QVERIFY(!e.visibleGrid());
        QVERIFY(!e.view().fraGridType[0] && !e.view().fraGridType[1]);
        QVERIFY(e.datDc().recordSource().isEmpty());
        QVERIFY(e.view().cboCrcGroup.isEmpty());
    });
    QVERIFY(!edited);
    QCOMPARE(rig.dialogs.modalWindows(), QStringList{"frmEditDC"});
}

void EditDcTest::resizeKeepsTheGridInTheWindow_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("windowHeight");
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<int>("gridHeight");
    QTest::newRow("large") << 13500 << 7500 << 7500 << 13170 << 6390;
    QTest::newRow("low window raised") << 9000 << 1200 << 2000 << 8670 << 890;
    QTest::newRow("at the least height") << 9000 << 2000 << 2000 << 8670 << 890;
    QTest::newRow("narrower than the margins") << 200 << 3000 << 3000 << 0 << 1890;
}

void EditDcTest::resizeKeepsTheGridInTheWindow() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, windowHeight);
    QFETCH(int, gridWidth);
    QFETCH(int, gridHeight);
    const EditDcGridPlacement p = EditDc::Form_Resize(width, height);
    QCOMPARE(p.windowHeight, windowHeight);
    QCOMPARE(p.gridWidth, gridWidth);
    QCOMPARE(p.gridHeight, gridHeight);
}

void EditDcTest::windowShowsEachGridAndColumnSet_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("group");
    QTest::newRow("parameter_0_min_max") << kParameter << 0 << "";
    QTest::newRow("parameter_1_access_levels") << kParameter << 1 << "";
    QTest::newRow("parameter_2_modbus_all") << kParameter << 2 << "--ALL--";
    QTest::newRow("parameter_4_sync_cmd_all") << kParameter << 4 << "--ALL--";
    QTest::newRow("variable_0_min_max") << kVariable << 0 << "";
    QTest::newRow("variable_1_access_levels") << kVariable << 1 << "";
    QTest::newRow("variable_2_modbus") << kVariable << 2 << "";
    QTest::newRow("variable_3_producer") << kVariable << 3 << "";
    QTest::newRow("alarm_0_miscellaneous") << kAlarm << 0 << "";
    QTest::newRow("alarm_1_producer") << kAlarm << 1 << "";
    QTest::newRow("alarm_2_signal_name") << kAlarm << 2 << "";
    QTest::newRow("alarm_3_on_delay") << kAlarm << 3 << "";
    QTest::newRow("alarm_4_off_delay") << kAlarm << 4 << "";
    QTest::newRow("alarm_5_on_off_delay") << kAlarm << 5 << "";
}

void EditDcTest::windowShowsEachGridAndColumnSet() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QString, group);
    EditDcRig rig;
    rig.open(symbolClass, [&](EditDc& e) {
        EditDcForm* form = e.form();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Edit DataContainer"));
        // No other window of the program takes input meanwhile, the builder included.
        QCOMPARE(form->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), form);
        if (!group.isEmpty()) {
            form->cboCrcGroup->setCurrentIndex(form->cboCrcGroup->findText(group));
            emit form->cboCrcGroup->activated(form->cboCrcGroup->currentIndex());
        }
        if (symbolClass == kAlarm)
            form->optShowLogCol[option]->click();
        else
            form->optShowVarCol[option]->click();
        QTableView* view = symbolClass == kAlarm ? form->tdbAlarmEnums : form->tdbDcEnums;
        QVERIFY(view->isVisible());
        QVERIFY(!(symbolClass == kAlarm ? form->tdbDcEnums : form->tdbAlarmEnums)->isVisible());
        QStringList shown;
        for (int c = 0; c < view->model()->columnCount(); ++c) {
            if (!view->isColumnHidden(c))
                shown << view->model()->headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(shown, e.visibleGrid()->visibleCaptions());
        QVERIFY(view->geometry().bottom() < form->height());
        QVERIFY(view->geometry().right() < form->width());
        QVERIFY(
            !saveScreenshot(*form, QStringLiteral("edit_dc_") + QTest::currentDataTag()).isEmpty());
    });
}

void EditDcTest::typingIntoTheGridEditsTheCell() {
    EditDcRig rig;
    const bool edited = rig.open(kParameter, [&](EditDc& e) {
        EditDcForm* form = e.form();
        QTableView* view = form->tdbDcEnums;
        dc::EditDcGrid& grid = e.tdbDcEnums();
        const int row = rowOf(grid, "CYL_INJ_OFFSET_00");
        view->setFocus();
        // A text typed over a cell.
        view->setCurrentIndex(grid.index(row, grid.columnOf(QStringLiteral("Value"))));
        type(view, QStringLiteral("471"));
        QCOMPARE(queryValue(rig.file, "SELECT value FROM dcEnums WHERE name = 'CYL_INJ_OFFSET_00'")
                     .toInt(),
                 471);
        // A refused text leaves the cell, and the box comes once the editor is closed.
        view->setCurrentIndex(grid.index(row, grid.columnOf(QStringLiteral("Min"))));
        type(view, QStringLiteral("low"));
        QTRY_COMPARE(rig.dialogs.texts().size(), 1);
        QVERIFY(!view->isPersistentEditorOpen(view->currentIndex()));
        QCOMPARE(view->currentIndex().data().toString(), QStringLiteral("-20"));
        // A value list offers its texts and stores the number.
        e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1);
        const QModelIndex crcGroup =
            grid.index(rowOf(grid, "CYL_INJ_OFFSET_00"), grid.columnOf(QStringLiteral("CRC-Grp")));
        view->setCurrentIndex(crcGroup);
        view->edit(crcGroup);
        auto* box = openEditor<QComboBox>(view);
        QVERIFY(box);
        QCOMPARE(box->count(), 8);
        QCOMPARE(box->currentText(), QStringLiteral("Adjust"));
        box->setCurrentIndex(box->findText(QStringLiteral("IMO")));
        QTest::keyClick(box, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(crcGroup.data().toString(), QStringLiteral("IMO"));
    });
    QVERIFY(edited);
    QCOMPARE(queryValue(rig.file, "SELECT crcGroup FROM dcEnums WHERE name = 'CYL_INJ_OFFSET_00'")
                 .toInt(),
             4);
}

void EditDcTest::emptyDropDownLeftWithoutAChoiceStoresNothing_data() {
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("leave"); // the cell left for another, else Return
    const QString offset = QStringLiteral("CYL_INJ_OFFSET_00");
    const QString alarm = QStringLiteral("ALM_OVERSPEED");
    for (const bool leave : {false, true}) {
        const char* how = leave ? "left" : "Return";
        QTest::addRow("CRC group, %s", how)
            << kParameter << 0 << offset << QStringLiteral("CRC-Grp") << QStringLiteral("crcGroup")
            << leave;
        QTest::addRow("sync command, %s", how)
            << kParameter << 4 << offset << QStringLiteral("SyncCmd") << QStringLiteral("syncCmd")
            << leave;
        QTest::addRow("criterion, %s", how) << kAlarm << 0 << alarm << QStringLiteral("Criterion")
                                            << QStringLiteral("criterion") << leave;
    }
}

void EditDcTest::emptyDropDownLeftWithoutAChoiceStoresNothing() {
    QFETCH(QString, symbolClass);
    QFETCH(int, option);
    QFETCH(QString, symbol);
    QFETCH(QString, caption);
    QFETCH(QString, field);
    QFETCH(bool, leave);
    const QString table =
        symbolClass == kAlarm ? QStringLiteral("alarmEnums") : QStringLiteral("dcEnums");
    EditDcRig rig(
        QStringLiteral("UPDATE %1 SET \"%2\" = NULL WHERE name = '%3';").arg(table, field, symbol));
    const bool edited = rig.open(symbolClass, [&](EditDc& e) {
        if (symbolClass == kParameter)
            e.cboCrcGroup_Click(int(e.view().cboCrcGroup.size()) - 1); // --ALL--
        symbolClass == kAlarm ? e.optShowLogCol_Click(option) : e.optShowVarCol_Click(option);
        QTableView* view = symbolClass == kAlarm ? e.form()->tdbAlarmEnums : e.form()->tdbDcEnums;
        dc::EditDcGrid& grid = *e.visibleGrid();
        const int row = rowOf(grid, symbol);
        const QModelIndex cell = grid.index(row, grid.columnOf(caption));
        view->setFocus();
        view->setCurrentIndex(cell);
        view->edit(cell);
        auto* box = openEditor<QComboBox>(view);
        QVERIFY(box);
        QCOMPARE(box->currentIndex(), -1);
        if (leave)
            view->setCurrentIndex(grid.index(row, grid.columnOf(QStringLiteral("ID"))));
        else
            QTest::keyClick(box, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!openEditor<QComboBox>(view));
        QCOMPARE(cell.data().toString(), QString());
    });
    QVERIFY(!edited);
    QVERIFY(queryValue(rig.file,
                       QStringLiteral("SELECT \"%1\" FROM %2 WHERE name = ?").arg(field, table),
                       {symbol})
                .isNull());
}

QTEST_MAIN(EditDcTest)
#include "edit_dc_test.moc"
