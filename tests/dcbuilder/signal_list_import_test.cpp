#include "dc_fixture.h"
#include "dcbuilder/mod_excel.h"
#include "dcbuilder/signal_list_import.h"
#include "platform/xlsx/workbook_writer.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

using Rows = QList<QStringList>;
using Sheets = QList<QPair<QString, Rows>>;

// A small plant: a default row, three parameters (one with a quote in its name) and one
// alarm, the rows at upDate 1 but PAR_C at 0, as a scan left them.
const char* const kPlant = R"(
CREATE TABLE dcEnums ("name" VARCHAR(255) COLLATE NOCASE, "id" INTEGER, "upDate" INTEGER,
  "value" INTEGER, "minValue" INTEGER, "comment" VARCHAR(50) COLLATE NOCASE, "modbusScale" REAL);
INSERT INTO dcEnums VALUES ('PAR_DEFAULT', -1, 1, 0, 0, 'defaults', 1.0),
  ('PAR_A', 1024, 1, 10, 0, 'a', 1.0), ('PAR_B', 1025, 1, 20, 0, 'b', 1.0),
  ('PAR_C', 1026, 0, 30, 0, 'c', 1.0), ('PAR_O''Q', 1027, 1, 40, 0, 'q', 1.0);
CREATE TABLE alarmEnums ("name" VARCHAR(255) COLLATE NOCASE, "id" INTEGER, "upDate" INTEGER,
  "maxValue" INTEGER, "onOffDelayId" INTEGER, "onOffDelayIdName" VARCHAR(255) COLLATE NOCASE);
INSERT INTO alarmEnums VALUES ('ALM_X', 0, 1, 10, 4, 'ALM_DLY_2S');
)";

// A sheet of the rows: a cell that reads as a number is written as one, an empty one not
// at all.
void fill(xlsx::WorkbookWriter::Sheet& sheet, const Rows& rows) {
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            const QString& cell = rows[r][c];
            bool number = false;
            const double value = cell.toDouble(&number);
            if (number)
                sheet.number(r + 1, c + 1, value);
            else if (!cell.isEmpty())
                sheet.text(r + 1, c + 1, cell);
        }
    }
}

// The dcEnums rows as "name value minValue comment upDate", by id.
QString dcRows(const QString& database) {
    QStringList rows;
    for (const QVariant& row : queryColumn(
             database, "SELECT name || ' ' || ifnull(value, 'NULL') || ' ' || minValue || ' ' || "
                       "comment || ' ' || \"upDate\" FROM dcEnums ORDER BY id"))
        rows << row.toString();
    return rows.join(u'\n');
}

// What the import tells between the copying of the values and the count.
QStringList rowLines(const QStringList& lines) {
    const qsizetype from = lines.indexOf("      Copy signal-list values into datacontainer");
    qsizetype to = from;
    while (to < lines.size() && !lines[to].startsWith("      Number of scanned signals"))
        ++to;
    return lines.mid(from + 1, to - from - 1);
}

} // namespace

class SignalListImportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void reportsBothWays_data();
    void reportsBothWays();
    void rowsStored_data();
    void rowsStored();
    void delayNameLeavesTheDelayIdToTheIndexStep();
    void refusedOrFailingSheetLeavesTheTableAsItWas_data();
    void refusedOrFailingSheetLeavesTheTableAsItWas();

private:
    // The workbook of the sheets, open in the spreadsheet application.
    void open(const Sheets& sheets);

    std::unique_ptr<DcFixture> m_fixture;
    std::unique_ptr<ExcelOwner> m_owner;
    QString m_plant;
};

void SignalListImportTest::init() {
    m_fixture = std::make_unique<DcFixture>();
    m_owner = std::make_unique<ExcelOwner>();
    m_plant = m_fixture->database("plant.mdb", kPlant);
}

void SignalListImportTest::cleanup() {
    modExcel::closeExcelForm();
    modExcel::terminateExcel();
    m_owner.reset();
    m_fixture.reset();
}

void SignalListImportTest::open(const Sheets& sheets) {
    xlsx::WorkbookWriter writer;
    for (const auto& [name, rows] : sheets)
        fill(writer.addSheet(name), rows);
    const QString file = m_fixture->path("list.xlsx");
    QVERIFY(writer.save(file));
    modExcel::initiateExcel(*m_owner);
    QVERIFY(modExcel::openExcelForm(file));
}

void SignalListImportTest::reportsBothWays_data() {
    QTest::addColumn<Rows>("sheet");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("differences both ways")
        << Rows{{"name", "id", "value", "unit", "comment"},
                {"PAR_A", "999", "11", "rpm", "a1"},
                {"NEW_X", "1100", "5", "", "x"},
                {"PAR_B", "1025", "21", "s", "b1"}}
        << QStringList{"   Scan Sheet dcEnums",
                       "      Check for signal-list-fields that are not existing in datacontainer",
                       "         unit is not in datacontainer.",
                       "      Check for datacontainer-fields that are not existing in signal-list",
                       "         upDate is not in signal-list",
                       "         minValue is not in signal-list",
                       "         modbusScale is not in signal-list",
                       "      Copy signal-list values into datacontainer",
                       "      Number of scanned signals: 2",
                       "      Check for signals in datacontainer that are not in signal-list",
                       "         PAR_C is not in signal-list",
                       "         PAR_DEFAULT is not in signal-list",
                       "         PAR_O'Q is not in signal-list",
                       "      Check for signals in signal-list that are not in datacontainer",
                       "         NEW_X is not in DC",
                       " "};
    QTest::newRow("sheet and table alike")
        << Rows{{"name", "id", "upDate", "value", "minValue", "comment", "modbusScale"},
                {"PAR_DEFAULT", "-1", "0", "0", "0", "defaults", "1"},
                {"PAR_A", "1024", "0", "10", "0", "a", "1"},
                {"PAR_B", "1025", "0", "20", "0", "b", "1"},
                {"PAR_C", "1026", "0", "30", "0", "c", "1"},
                {"PAR_O'Q", "1027", "0", "40", "0", "q", "1"}}
        << QStringList{"   Scan Sheet dcEnums",
                       "      Check for signal-list-fields that are not existing in datacontainer",
                       "         All fields are existing in datacontainer",
                       "      Check for datacontainer-fields that are not existing in signal-list",
                       "         All fields are existing in signal-list",
                       "      Copy signal-list values into datacontainer",
                       "      Number of scanned signals: 5",
                       "      Check for signals in datacontainer that are not in signal-list",
                       "         All signals are in signal-list",
                       "      Check for signals in signal-list that are not in datacontainer",
                       "         All signals are in datacontainer",
                       " "};
}

void SignalListImportTest::reportsBothWays() {
    QFETCH(Rows, sheet);
    QFETCH(QStringList, log);
    open({{"Revisions", {{"Revision", "Date"}, {"A", "2025-11-03"}}}, {"dcEnums", sheet}});
    RecordingSink sink;
    sink.progress = 0.5;
    QVERIFY(readExcelSheet(m_plant, "dcEnums", sink));
    QCOMPARE(sink.lines, log);
    QCOMPARE(sink.progress, 0.0);
    // The id is never imported; listed rows get 1, the others 2.
    QCOMPARE(queryColumn(m_plant, "SELECT id || ' ' || \"upDate\" FROM dcEnums ORDER BY rowid"),
             (QTest::currentDataTag() == QByteArray("sheet and table alike")
                  ? QVariantList{"-1 1", "1024 1", "1025 1", "1026 1", "1027 1"}
                  : QVariantList{"-1 2", "1024 1", "1025 1", "1026 2", "1027 2"}));
}

void SignalListImportTest::rowsStored_data() {
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("scanned");
    QTest::addColumn<QString>("table");
    QTest::newRow("a name listed twice: the later row is stored last, counted twice")
        << Rows{{"PAR_A", "11", "1", "first"}, {"par_a", "12", "2", "second"}} << QStringList{} << 2
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 12 2 second 1\nPAR_B 20 0 b 2\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
    QTest::newRow("an empty numeric cell fails its store alone")
        << Rows{{"PAR_A", "", "3", "a1"}, {"PAR_B", "21", "4", "b1"}}
        << QStringList{"         PAR_A: Update-Error in value"} << 2
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 10 3 a1 1\nPAR_B 21 4 b1 1\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
    QTest::newRow("text in two numeric columns")
        << Rows{{"PAR_A", "high", "1E+20", "a1"}}
        << QStringList{"         PAR_A: Update-Error in value, minValue"} << 1
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 10 0 a1 1\nPAR_B 20 0 b 2\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
    QTest::newRow("a row \"0\" ends the data")
        << Rows{{"PAR_A", "11", "1", "a1"}, {"0", "", "", ""}, {"PAR_B", "21", "1", "b1"}}
        << QStringList{} << 1
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 11 1 a1 1\nPAR_B 20 0 b 2\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
    QTest::newRow("quotes in names and cells are plain text")
        << Rows{{"PAR_O'Q", "41", "1", "it's'); DROP TABLE dcEnums; --"}} << QStringList{} << 1
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 10 0 a 2\nPAR_B 20 0 b 2\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 41 1 it's'); DROP TABLE dcEnums; -- 1";
    QTest::newRow("a text longer than its column fails its store")
        << Rows{{"PAR_B", "22", "1", QString(51, u'x')}}
        << QStringList{"         PAR_B: Update-Error in comment"} << 1
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 10 0 a 2\nPAR_B 22 1 b 1\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
    QTest::newRow("a row the database refuses is told and counted as found")
        << Rows{{"PAR_A", "11", "1", "a1"}, {"PAR_C", "-5", "1", "c1"}}
        << QStringList{"         PAR_C: Update-Error CHECK constraint failed: value >= 0 Unable "
                       "to fetch row"}
        << 2
        << "PAR_DEFAULT 0 0 defaults 2\nPAR_A 11 1 a1 1\nPAR_B 20 0 b 2\n"
           "PAR_C 30 0 c 2\nPAR_O'Q 40 0 q 2";
}

void SignalListImportTest::rowsStored() {
    QFETCH(Rows, rows);
    QFETCH(QStringList, lines);
    QFETCH(int, scanned);
    QFETCH(QString, table);
    if (QTest::currentDataTag() ==
        QByteArray("a row the database refuses is told and counted as found"))
        m_plant = m_fixture->database(
            "checked.mdb", QString::fromLatin1(kPlant).replace(
                               "\"value\" INTEGER,", "\"value\" INTEGER CHECK (value >= 0),"));
    open({{"dcEnums", Rows{{"name", "value", "minValue", "comment"}} + rows}});
    RecordingSink sink;
    QVERIFY(readExcelSheet(m_plant, "dcEnums", sink));
    QCOMPARE(rowLines(sink.lines), lines);
    QVERIFY(
        sink.lines.contains(QStringLiteral("      Number of scanned signals: %1").arg(scanned)));
    QCOMPARE(dcRows(m_plant), table);
}

void SignalListImportTest::delayNameLeavesTheDelayIdToTheIndexStep() {
    open({{"alarmEnums",
           {{"name", "onOffDelayId", "onOffDelayIdName", "maxValue"}, {"ALM_X", "4", "", "12"}}}});
    RecordingSink sink;
    QVERIFY(readExcelSheet(m_plant, "alarmEnums", sink));
    QCOMPARE(queryColumn(m_plant, "SELECT onOffDelayId || ' ' || onOffDelayIdName || ' ' || "
                                  "maxValue || ' ' || \"upDate\" FROM alarmEnums"),
             QVariantList{"255  12 1"});
}

void SignalListImportTest::refusedOrFailingSheetLeavesTheTableAsItWas_data() {
    QTest::addColumn<Sheets>("sheets");
    QTest::addColumn<QString>("dropTable");
    QTest::addColumn<QStringList>("log");
    const Rows good{{"name", "value"}, {"PAR_A", "11"}};
    QTest::newRow("sheet missing")
        << Sheets{{"alarmEnums", good}, {"DCENUMS", good}} << ""
        << QStringList{"   Scan Sheet dcEnums", "   Sheet dcEnums could not be opened",
                       "      Table dcEnums left as it was"};
    QTest::newRow("header Name with a capital N")
        << Sheets{{"dcEnums", {{"Name", "value"}, {"PAR_A", "11"}}}} << ""
        << QStringList{"   Scan Sheet dcEnums", "      First column of excel-sheet is not 'name'!",
                       "      Table dcEnums left as it was"};
    QTest::newRow("table missing from the database")
        << Sheets{{"dcEnums", good}} << "dcEnums"
        << QStringList{"   Scan Sheet dcEnums",
                       "      Sheet dcEnums failed: no such table: dcEnums Unable to execute "
                       "statement (in: UPDATE \"dcEnums\" SET \"upDate\"=?)",
                       "      Table dcEnums left as it was"};
}

void SignalListImportTest::refusedOrFailingSheetLeavesTheTableAsItWas() {
    QFETCH(Sheets, sheets);
    QFETCH(QString, dropTable);
    QFETCH(QStringList, log);
    if (!dropTable.isEmpty())
        execute(m_plant, "DROP TABLE " + dropTable);
    const QString before = dumpDatabase(m_plant);
    open(sheets);
    RecordingSink sink;
    QVERIFY(!readExcelSheet(m_plant, "dcEnums", sink));
    QCOMPARE(sink.lines, log);
    // Rolled back: no row is left at upDate 2.
    QCOMPARE(dumpDatabase(m_plant), before);
}

QTEST_MAIN(SignalListImportTest)
#include "signal_list_import_test.moc"
