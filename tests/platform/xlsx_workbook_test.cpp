#include "platform/xlsx/cell_reference.h"
#include "platform/xlsx/workbook.h"
#include "platform/xlsx/workbook_writer.h"
#include "platform/xlsx/zip_writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu::xlsx;

class XlsxWorkbookTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cellsReadAsTheSpreadsheetGivesThem_data();
    void cellsReadAsTheSpreadsheetGivesThem();
    void sheetsAreFoundByNameWhateverTheirOrder();
    void sheetPartsAreFoundThroughTheRelations_data();
    void sheetPartsAreFoundThroughTheRelations();
    void usedRangeIsTheLastRowAndColumnWithAValue_data();
    void usedRangeIsTheLastRowAndColumnWithAValue();
    void readsPartsWrittenOtherwise();
    void formulaSavedWithoutItsValueIsAnEmptyCell_data();
    void formulaSavedWithoutItsValueIsAnEmptyCell();
    void refusesFilesThatAreNoReadableWorkbook_data();
    void refusesFilesThatAreNoReadableWorkbook();
    void cellReferencesCountColumnsPastZ_data();
    void cellReferencesCountColumnsPastZ();

private:
    QString save(const WorkbookWriter& writer, const QString& name = QStringLiteral("t.xlsx"));
    QByteArray bytesOf(const WorkbookWriter& writer);

    QTemporaryDir m_dir;
    QString m_signalList;
};

QString XlsxWorkbookTest::save(const WorkbookWriter& writer, const QString& name) {
    const QString path = m_dir.filePath(name);
    QString error;
    if (!writer.save(path, &error))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(error));
    return path;
}

QByteArray XlsxWorkbookTest::bytesOf(const WorkbookWriter& writer) {
    QFile file(save(writer, QStringLiteral("bytes.xlsx")));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A signal list behind an unrelated first sheet, with a cell of every kind.
void XlsxWorkbookTest::initTestCase() {
    WorkbookWriter writer;
    writer.addSheet(QStringLiteral("Info")).text(1, 1, QStringLiteral("not this sheet"));
    writer.addSheet(QStringLiteral("alarmEnums")).text(1, 1, QStringLiteral("alarms"));
    WorkbookWriter::Sheet& sheet = writer.addSheet(QStringLiteral("dcEnums"));
    sheet.text(1, 1, QStringLiteral("name"))
        .text(2, 1, QStringLiteral("PAR_SPEED"))
        .text(3, 1, QStringLiteral("PAR_SPEED")) // shared twice
        .text(4, 1, QStringLiteral("  padded  "))
        .text(5, 1, QStringLiteral("0012"))
        .text(6, 1, QString())
        .text(7, 1, QStringLiteral("ctrl\x01 and _x0041_ kept"))
        .inlineText(2, 2, QStringLiteral("inline text"))
        .richText(3, 2,
                  {QStringLiteral("Alarm "), QStringLiteral("high"), QStringLiteral(" limit")})
        .number(2, 3, 1500)
        .number(3, 3, 0.1 + 0.2)
        .number(4, 3, -12.5)
        .number(5, 3, 2.0)
        .number(6, 3, 1.0 / 3)
        .number(7, 3, 1e-5)
        .number(8, 3, 1e15)
        .number(9, 3, 123456789012345678.0)
        .number(10, 3, -0.0)
        .boolean(2, 4, true)
        .boolean(3, 4, false)
        .error(2, 5, QStringLiteral("#N/A"))
        .error(3, 5, QStringLiteral("#DIV/0!"))
        .number(2, 6, 3000, QStringLiteral("C2*2"))
        .text(3, 6, QStringLiteral("PAR_SPEED!"), QStringLiteral("A2&\"!\""))
        .boolean(4, 6, true, QStringLiteral("C2>0"))
        .error(5, 6, QStringLiteral("#DIV/0!"), QStringLiteral("1/0"))
        .formula(6, 6, QStringLiteral("C2+1"))
        .text(12, 28, QStringLiteral("AB12"))
        .number(12, 52, 52)
        .number(12, 53, 53);
    m_signalList = save(writer, QStringLiteral("signals.xlsx"));
}

void XlsxWorkbookTest::cellsReadAsTheSpreadsheetGivesThem_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, const char* cell, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(cell) << text;
    };
    row("header", "A1", QStringLiteral("name"));
    row("shared string", "A2", QStringLiteral("PAR_SPEED"));
    row("shared string used twice", "A3", QStringLiteral("PAR_SPEED"));
    row("blanks kept", "A4", QStringLiteral("  padded  "));
    row("digits as text stay text", "A5", QStringLiteral("0012"));
    row("empty text", "A6", QString());
    row("escaped characters", "A7", QStringLiteral("ctrl\x01 and _x0041_ kept"));
    row("inline string", "B2", QStringLiteral("inline text"));
    row("rich text runs joined", "B3", QStringLiteral("Alarm high limit"));
    row("whole number", "C2", QStringLiteral("1500"));
    row("15 significant digits", "C3", QStringLiteral("0.3"));
    row("negative fraction", "C4", QStringLiteral("-12.5"));
    row("no trailing .0", "C5", QStringLiteral("2"));
    row("a third", "C6", QStringLiteral("0.333333333333333"));
    row("small number", "C7", QStringLiteral("1E-05"));
    row("whole number from 1E15 on", "C8", QStringLiteral("1E+15"));
    row("large number", "C9", QStringLiteral("1.23456789012346E+17"));
    row("minus zero", "C10", QStringLiteral("0"));
    row("Boolean true", "D2", QStringLiteral("True"));
    row("Boolean false", "D3", QStringLiteral("False"));
    row("error cell", "E2", QString());
    row("another error cell", "E3", QString());
    row("formula number", "F2", QStringLiteral("3000"));
    row("formula text", "F3", QStringLiteral("PAR_SPEED!"));
    row("formula Boolean", "F4", QStringLiteral("True"));
    row("formula error", "F5", QString());
    row("formula never calculated", "F6", QString());
    row("missing cell", "D9", QString());
    row("column AB", "AB12", QStringLiteral("AB12"));
    row("column AZ", "AZ12", QStringLiteral("52"));
    row("column BA", "BA12", QStringLiteral("53"));
    row("beyond the values", "BB1000", QString());
}

void XlsxWorkbookTest::cellsReadAsTheSpreadsheetGivesThem() {
    QFETCH(QString, cell);
    QFETCH(QString, text);

    Workbook workbook;
    QVERIFY2(workbook.open(m_signalList), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("dcEnums"));
    QVERIFY(sheet);
    const auto place = parseCellReference(cell);
    QVERIFY(place);
    QCOMPARE(sheet->cellText(place->row, place->column), text);
}

void XlsxWorkbookTest::sheetsAreFoundByNameWhateverTheirOrder() {
    Workbook workbook;
    QVERIFY(workbook.open(m_signalList));
    QCOMPARE(workbook.sheetNames(),
             QStringList({QStringLiteral("Info"), QStringLiteral("alarmEnums"),
                          QStringLiteral("dcEnums")}));
    QCOMPARE(workbook.sheet(QStringLiteral("alarmEnums"))->cellText(1, 1),
             QStringLiteral("alarms"));
    QCOMPARE(workbook.sheet(QStringLiteral("dcEnums"))->cellText(1, 1), QStringLiteral("name"));
    QCOMPARE(workbook.sheet(QStringLiteral("dcenums")), nullptr);
    QCOMPARE(workbook.sheet(QStringLiteral("Sheet1")), nullptr);

    workbook.close();
    QVERIFY(!workbook.isOpen());
    QVERIFY(workbook.sheetNames().isEmpty());
}

void XlsxWorkbookTest::sheetPartsAreFoundThroughTheRelations_data() {
    QTest::addColumn<QString>("target");

    QTest::newRow("relative") << QStringLiteral("worksheets/sheet2.xml");
    QTest::newRow("absolute") << QStringLiteral("/xl/worksheets/sheet2.xml");
    QTest::newRow("dot segments") << QStringLiteral("./worksheets/../worksheets/sheet2.xml");
    QTest::newRow("percent-encoded") << QStringLiteral("worksheets/sheet%32.xml");
}

// The first sheet's relation leads to the second part and the other way round.
void XlsxWorkbookTest::sheetPartsAreFoundThroughTheRelations() {
    QFETCH(QString, target);

    WorkbookWriter writer;
    writer.addSheet(QStringLiteral("dcEnums")).inlineText(1, 1, QStringLiteral("in part 1"));
    writer.addSheet(QStringLiteral("alarmEnums")).inlineText(1, 1, QStringLiteral("in part 2"));
    writer.setPart(
        QStringLiteral("xl/_rels/workbook.xml.rels"),
        QStringLiteral(
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId2\" Target=\"worksheets/sheet1.xml\" Type=\"http://"
            "schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\"/>"
            "<Relationship Id=\"rId1\" Target=\"%1\" Type=\"http://"
            "schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\"/>"
            "</Relationships>")
            .arg(target)
            .toUtf8());

    Workbook workbook;
    QVERIFY2(workbook.open(save(writer)), qPrintable(workbook.lastError()));
    QCOMPARE(workbook.sheet(QStringLiteral("dcEnums"))->cellText(1, 1),
             QStringLiteral("in part 2"));
    QCOMPARE(workbook.sheet(QStringLiteral("alarmEnums"))->cellText(1, 1),
             QStringLiteral("in part 1"));
}

void XlsxWorkbookTest::usedRangeIsTheLastRowAndColumnWithAValue_data() {
    QTest::addColumn<QStringList>("numbersAt");
    QTest::addColumn<QStringList>("errorsAt");
    QTest::addColumn<QStringList>("uncalculatedAt");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("lastColumn");

    QTest::newRow("empty sheet") << QStringList() << QStringList() << QStringList() << 0 << 0;
    QTest::newRow("one cell") << QStringList({"C7"}) << QStringList() << QStringList() << 7 << 3;
    QTest::newRow("row and column from different cells")
        << QStringList({"A40", "AB12"}) << QStringList() << QStringList() << 40 << 28;
    QTest::newRow("error cells hold a value")
        << QStringList({"A1"}) << QStringList({"D9"}) << QStringList() << 9 << 4;
    QTest::newRow("uncalculated formulas hold none")
        << QStringList({"A1"}) << QStringList() << QStringList({"Z99"}) << 1 << 1;
    QTest::newRow("last cell of a sheet")
        << QStringList({"XFD1048576"}) << QStringList() << QStringList() << 1048576 << 16384;
}

void XlsxWorkbookTest::usedRangeIsTheLastRowAndColumnWithAValue() {
    QFETCH(QStringList, numbersAt);
    QFETCH(QStringList, errorsAt);
    QFETCH(QStringList, uncalculatedAt);
    QFETCH(int, lastRow);
    QFETCH(int, lastColumn);

    WorkbookWriter writer;
    WorkbookWriter::Sheet& sheet = writer.addSheet(QStringLiteral("S"));
    for (const QString& cell : numbersAt)
        sheet.number(parseCellReference(cell)->row, parseCellReference(cell)->column, 1);
    for (const QString& cell : errorsAt)
        sheet.error(parseCellReference(cell)->row, parseCellReference(cell)->column,
                    QStringLiteral("#REF!"));
    for (const QString& cell : uncalculatedAt)
        sheet.formula(parseCellReference(cell)->row, parseCellReference(cell)->column,
                      QStringLiteral("A1"));

    Workbook workbook;
    QVERIFY2(workbook.open(save(writer)), qPrintable(workbook.lastError()));
    QCOMPARE(workbook.sheet(QStringLiteral("S"))->lastRow(), lastRow);
    QCOMPARE(workbook.sheet(QStringLiteral("S"))->lastColumn(), lastColumn);
}

// Prefixed elements, rows and cells without addresses, phonetic hints, an escaped line
// break, and package relations that do not name the workbook part.
void XlsxWorkbookTest::readsPartsWrittenOtherwise() {
    WorkbookWriter writer;
    writer.addSheet(QStringLiteral("dcEnums"));
    writer.setPart(QStringLiteral("_rels/.rels"), "<Relationships/>");
    writer.setPart(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row><x:c><x:v>1</x:v></x:c><x:c t=\"inlineStr\"><x:is>"
        "<x:r><x:t>two_x000D_</x:t></x:r><x:r><x:t xml:space=\"preserve\"> lines</x:t></x:r>"
        "<x:rPh sb=\"0\" eb=\"1\"><x:t>hint</x:t></x:rPh></x:is></x:c></x:row>"
        "<x:row r=\"5\"><x:c r=\"C5\" s=\"2\"><x:v>2</x:v></x:c><x:c><x:v>3</x:v></x:c></x:row>"
        "<x:row><x:c r=\"B6\" t=\"b\"><x:v>1</x:v></x:c></x:row>"
        "</x:sheetData></x:worksheet>");

    Workbook workbook;
    QVERIFY2(workbook.open(save(writer)), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("dcEnums"));
    QCOMPARE(sheet->cellText(1, 1), QStringLiteral("1"));
    QCOMPARE(sheet->cellText(1, 2), QStringLiteral("two\r lines"));
    QCOMPARE(sheet->cellText(5, 3), QStringLiteral("2"));
    QCOMPARE(sheet->cellText(5, 4), QStringLiteral("3"));
    QCOMPARE(sheet->cellText(6, 2), QStringLiteral("True"));
    QCOMPARE(sheet->lastRow(), 6);
    QCOMPARE(sheet->lastColumn(), 4);
}

void XlsxWorkbookTest::formulaSavedWithoutItsValueIsAnEmptyCell_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, const char* cell, const char* text) {
        QTest::newRow(name) << QString::fromLatin1(cell) << QString::fromUtf8(text);
    };
    row("inline header", "A1", "name");
    row("inline text", "A5", "PAR_SPEED");
    row("typed number", "B5", "750");
    row("fraction", "C5", "0.25");
    row("Boolean", "D5", "True");
    row("formula with its value", "E5", "1500");
    row("formula without its value", "AB5", "");
    row("formula with an empty value element", "AC5", "");
    row("number cell with an empty value", "AD5", "");
    row("cell after the empty ones", "AE5", "ünit");
}

// Written as a scripting library writes workbooks: inline strings, no shared-strings part,
// and formulas saved with an empty value, since the library calculates nothing.
void XlsxWorkbookTest::formulaSavedWithoutItsValueIsAnEmptyCell() {
    QFETCH(QString, cell);
    QFETCH(QString, text);

    const QString path = m_dir.filePath(QStringLiteral("scripted.xlsx"));
    QString error;
    QVERIFY2(
        writeZip(
            path,
            {{QStringLiteral("[Content_Types].xml"),
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/"
              "vnd.openxmlformats-package.relationships+xml\"/><Override PartName=\"/xl/"
              "workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
              "spreadsheetml.sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
              "worksheet+xml\"/></Types>"},
             {QStringLiteral("_rels/.rels"),
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
              "org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"xl/workbook.xml\"/></Relationships>"},
             {QStringLiteral("xl/workbook.xml"),
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<sheets><sheet name=\"dcEnums\" sheetId=\"1\" state=\"visible\" r:id=\"rId1\"/>"
              "</sheets></workbook>"},
             {QStringLiteral("xl/_rels/workbook.xml.rels"),
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
              "org/officeDocument/2006/relationships/worksheet\" "
              "Target=\"/xl/worksheets/sheet1.xml\"/></Relationships>"},
             {QStringLiteral("xl/worksheets/sheet1.xml"),
              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<dimension ref=\"A1:AE5\"/><sheetData>"
              "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>name</t></is></c></row>"
              "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>PAR_SPEED</t></is></c>"
              "<c r=\"B5\" t=\"n\"><v>750</v></c><c r=\"C5\" t=\"n\"><v>0.25</v></c>"
              "<c r=\"D5\" t=\"b\"><v>1</v></c><c r=\"E5\"><f>B5*2</f><v>1500</v></c>"
              "<c r=\"AB5\"><f>B5*2</f><v></v></c><c r=\"AC5\"><f>C5*2</f><v/></c>"
              "<c r=\"AD5\" t=\"n\"><v> </v></c>"
              "<c r=\"AE5\" t=\"inlineStr\"><is><t>\xC3\xBCnit</t></is></c></row>"
              "</sheetData></worksheet>"}},
            &error),
        qPrintable(error));

    Workbook workbook;
    QVERIFY2(workbook.open(path), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("dcEnums"));
    QVERIFY(sheet);
    const auto place = parseCellReference(cell);
    QCOMPARE(sheet->cellText(place->row, place->column), text);
    QCOMPARE(sheet->lastColumn(), 31);
}

void XlsxWorkbookTest::refusesFilesThatAreNoReadableWorkbook_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // "%1" is the file's path; compared up to its end

    QTest::newRow("text file") << "list.xlsx" << QByteArray("name;value\r\nPAR_A;1\r\n")
                               << "\"%1\" is not an .xlsx or .xls workbook.";
    QTest::newRow("empty file") << "list.xlsx" << QByteArray()
                                << "\"%1\" is not an .xlsx or .xls workbook.";

    const QString zipPath = m_dir.filePath(QStringLiteral("plain.zip"));
    writeZip(zipPath, {{QStringLiteral("readme.txt"), "hello"}}, nullptr);
    QFile zip(zipPath);
    zip.open(QIODevice::ReadOnly);
    QTest::newRow("zip without workbook")
        << "list.xlsx" << zip.readAll() << "\"%1\" is not an .xlsx workbook: it holds no workbook.";

    WorkbookWriter good;
    good.addSheet(QStringLiteral("dcEnums")).text(1, 1, QStringLiteral("name"));
    const QByteArray whole = bytesOf(good);
    QTest::newRow("cut short") << "list.xlsx" << whole.left(whole.size() / 2)
                               << "\"%1\" is damaged: ";
    QByteArray changed = whole;
    changed[changed.size() / 2] = char(~changed[changed.size() / 2]);
    QTest::newRow("bytes changed") << "list.xlsx" << changed << "\"%1\" is damaged: ";

    auto withPart = [&](const char* part, const QByteArray& xml) {
        WorkbookWriter writer;
        writer.addSheet(QStringLiteral("dcEnums")).text(1, 1, QStringLiteral("name"));
        writer.setPart(QString::fromLatin1(part), xml);
        return bytesOf(writer);
    };
    QTest::newRow("broken workbook part")
        << "list.xlsx" << withPart("xl/workbook.xml", "<workbook><sheets>")
        << "\"%1\" is damaged: xl/workbook.xml, line 1: ";
    QTest::newRow("broken relations")
        << "list.xlsx" << withPart("xl/_rels/workbook.xml.rels", "<Relationships")
        << "\"%1\" is damaged: xl/_rels/workbook.xml.rels, line 1: ";
    QTest::newRow("broken shared strings")
        << "list.xlsx" << withPart("xl/sharedStrings.xml", "<sst><si><t>a</si></sst>")
        << "\"%1\" is damaged: xl/sharedStrings.xml, line 1: ";
    QTest::newRow("broken sheet")
        << "list.xlsx"
        << withPart("xl/worksheets/sheet1.xml",
                    "<worksheet>\n<sheetData>\n<row r=\"1\"><c r=\"A1\"><v>1</v></row>")
        << "\"%1\" is damaged: xl/worksheets/sheet1.xml, line 3: ";
    QTest::newRow("sheet part missing")
        << "list.xlsx"
        << withPart("xl/_rels/workbook.xml.rels",
                    "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet9.xml\" "
                    "Type=\"x/worksheet\"/></Relationships>")
        << "\"%1\" is damaged: xl/worksheets/sheet9.xml: ";
    QTest::newRow("sheet without relation")
        << "list.xlsx" << withPart("xl/_rels/workbook.xml.rels", "<Relationships/>")
        << "\"%1\" is damaged: sheet \"dcEnums\" has no part";
    QTest::newRow("shared string that does not exist")
        << "list.xlsx"
        << withPart("xl/worksheets/sheet1.xml",
                    "<worksheet><sheetData><row><c r=\"B2\" t=\"s\"><v>7</v></c></row>"
                    "</sheetData></worksheet>")
        << "\"%1\" is damaged: xl/worksheets/sheet1.xml, line 1: cell B2 names shared string "
           "\"7\", which does not exist";
    QTest::newRow("cell beyond the last column")
        << "list.xlsx"
        << withPart("xl/worksheets/sheet1.xml",
                    "<worksheet><sheetData><row><c r=\"XFE1\"><v>1</v></c></row>"
                    "</sheetData></worksheet>")
        << "\"%1\" is damaged: xl/worksheets/sheet1.xml, line 1: cell \"XFE1\" lies outside a "
           "sheet";
    QTest::newRow("number that is none")
        << "list.xlsx"
        << withPart("xl/worksheets/sheet1.xml",
                    "<worksheet><sheetData><row><c r=\"A1\"><v>1,5</v></c></row>"
                    "</sheetData></worksheet>")
        << "\"%1\" is damaged: xl/worksheets/sheet1.xml, line 1: cell A1 holds \"1,5\", which is "
           "no number";
}

void XlsxWorkbookTest::refusesFilesThatAreNoReadableWorkbook() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    const QString path = m_dir.filePath(fileName);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    Workbook workbook;
    QVERIFY(workbook.open(m_signalList));
    QVERIFY(!workbook.open(path));
    QVERIFY2(workbook.lastError().startsWith(error.arg(path)), qPrintable(workbook.lastError()));
    QVERIFY(!workbook.isOpen());
    QVERIFY(workbook.sheetNames().isEmpty());
}

void XlsxWorkbookTest::cellReferencesCountColumnsPastZ_data() {
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column"); // 0: no cell

    auto row = [](const char* reference, int row, int column) {
        QTest::newRow(reference) << QString::fromLatin1(reference) << row << column;
    };
    row("A1", 1, 1);
    row("Z9", 9, 26);
    row("AA10", 10, 27);
    row("AB12", 12, 28);
    row("AZ1", 1, 52);
    row("BA1", 1, 53);
    row("ZZ1", 1, 702);
    row("AAA1", 1, 703);
    row("XFD1048576", 1048576, 16384);
    row("XFE1", 1, 0);
    row("A1048577", 1048577, 0);
    row("A0", 0, 0);
    row("1A", 1, 0);
    row("A", 0, 0);
    row("A1B", 1, 0);
}

void XlsxWorkbookTest::cellReferencesCountColumnsPastZ() {
    QFETCH(QString, reference);
    QFETCH(int, row);
    QFETCH(int, column);

    const auto place = parseCellReference(reference);
    QCOMPARE(place.has_value(), column != 0);
    if (!place)
        return;
    QCOMPARE(place->row, row);
    QCOMPARE(place->column, column);
    QCOMPARE(cellReference(row, column), reference);
}

QTEST_GUILESS_MAIN(XlsxWorkbookTest)
#include "xlsx_workbook_test.moc"
