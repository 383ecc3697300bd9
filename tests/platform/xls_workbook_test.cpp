#include "platform/xlsx/biff_cells.h"
#include "platform/xlsx/cell_reference.h"
#include "platform/xlsx/workbook.h"
#include "support/xlwt_workbooks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace pxu::xlsx;

namespace {

// Written by make_xls_fixtures.py; tests that read them are skipped without xlwt.
QString fixture(const char* name) {
    return QStringLiteral(PXU_XLS_FIXTURES "/") + QLatin1String(name);
}

// Written once by a spreadsheet program and kept with the tests (xls/README.md).
QString savedFixture(const char* name) {
    return QStringLiteral(PXU_SAVED_XLS_FIXTURES "/") + QLatin1String(name);
}

QByteArray bytesOf(const char* name) {
    QFile file(fixture(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

// The places in a compound file of 512-byte sectors that the damaged copies change.
qsizetype sectorAt(quint32 sector) {
    return (qsizetype(sector) + 1) * 512;
}
quint32 u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
void putU32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}
qsizetype workbookEntry(const QByteArray& bytes) {
    return bytes.indexOf(QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
}
// The stream "Workbook" under another name.
QByteArray renamed(QByteArray bytes, const QString& name) {
    const qsizetype entry = workbookEntry(bytes);
    QByteArray field(64, '\0');
    std::memcpy(field.data(), name.utf16(), size_t(name.size()) * 2);
    bytes.replace(entry, 64, field);
    qToLittleEndian(quint16((name.size() + 1) * 2), bytes.data() + entry + 64);
    return bytes;
}

// Records of a workbook stream, made here where xlwt writes none of their kind.
QByteArray record(quint16 type, const QByteArray& data) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(type, bytes.data());
    qToLittleEndian(quint16(data.size()), bytes.data() + 2);
    return bytes + data;
}
QByteArray words(std::initializer_list<quint32> values, int width) {
    QByteArray bytes;
    for (const quint32 value : values) {
        QByteArray word(width, '\0');
        width == 2 ? qToLittleEndian(quint16(value), word.data())
                   : qToLittleEndian(value, word.data());
        bytes += word;
    }
    return bytes;
}
// The globals of a workbook whose worksheets of these (two-letter) names all begin right after
// them, and the first record of such a sheet.
std::pair<QByteArray, QByteArray> workbookRecords(std::initializer_list<const char*> names) {
    QByteArray globals = record(0x0809, words({0x0600, 0x0005}, 2) + QByteArray(12, '\0'));
    QList<qsizetype> entries;
    for (const char* name : names) {
        entries << globals.size();
        globals += record(0x0085, QByteArray(4, '\0') + QByteArray("\0\0\2\0", 4) + name);
    }
    globals += record(0x000A, {});
    for (const qsizetype entry : entries)
        putU32(globals, entry + 4, quint32(globals.size()));
    return {globals, record(0x0809, words({0x0600, 0x0010}, 2) + QByteArray(12, '\0'))};
}

} // namespace

class XlsWorkbookTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cellsReadAsTheSpreadsheetGivesThem_data();
    void cellsReadAsTheSpreadsheetGivesThem();
    void sharedTextsReadInEveryForm_data();
    void sharedTextsReadInEveryForm();
    void textsThatFallOnTheEndsOfRecordsAreRead();
    void sheetReachingTheLastCellHoldsOnlyItsCells();
    void sheetsAreFoundByNameWhateverTheirOrder();
    void readsAWorkbookStreamKeptInTheMiniStream();
    void formatIsToldByTheContentNotTheName();
    void numbersPackedForARunOfCellsAreRead();
    void sheetsThatShareTheirPlaceAreRefused();
    void refusesWorkbooksItCannotRead_data();
    void refusesWorkbooksItCannotRead();

private:
    QTemporaryDir m_dir;
    Workbook m_signals;
};

void XlsWorkbookTest::initTestCase() {
    if (PXU_HAVE_XLWT)
        QVERIFY2(m_signals.open(fixture("signals.xls")), qPrintable(m_signals.lastError()));
}

void XlsWorkbookTest::cellsReadAsTheSpreadsheetGivesThem_data() {
    PXU_SKIP_WITHOUT_XLWT();
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, const char* cell, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(cell) << text;
    };
    row("header", "A1", QStringLiteral("name"));
    row("shared text", "A2", QStringLiteral("PAR_SPEED"));
    row("shared text used twice", "A3", QStringLiteral("PAR_SPEED"));
    row("blanks kept", "A4", QStringLiteral("  padded  "));
    row("digits as text stay text", "A5", QStringLiteral("0012"));
    row("control character and no escapes", "A6", QStringLiteral("ctrl\x01 and _x0041_ kept"));
    row("characters beyond Latin-1", "A7", QStringLiteral("Ümlaut € ♥"));
    row("line break", "A8", QStringLiteral("two\r\nlines"));
    row("packed whole number", "C2", QStringLiteral("1500"));
    row("15 significant digits", "C3", QStringLiteral("0.3"));
    row("packed hundredths", "C4", QStringLiteral("-12.5"));
    row("no trailing .0", "C5", QStringLiteral("2"));
    row("a third", "C6", QStringLiteral("0.333333333333333"));
    row("small number", "C7", QStringLiteral("1E-05"));
    row("whole number from 1E15 on", "C8", QStringLiteral("1E+15"));
    row("large number", "C9", QStringLiteral("1.23456789012346E+17"));
    row("minus zero", "C10", QStringLiteral("0"));
    row("smallest packed whole number", "C11", QStringLiteral("-536870912"));
    row("whole number too large to pack", "C12", QStringLiteral("536870912"));
    row("beyond 32 bits", "C13", QStringLiteral("2147483648"));
    row("packed hundredths of a large number", "C14", QStringLiteral("70000.25"));
    row("date is its day number", "C15", QStringLiteral("46027"));
    row("date and time", "C16", QStringLiteral("46027.5210069444"));
    row("time of day", "C17", QStringLiteral("0.25"));
    row("number format left out", "C18", QStringLiteral("12.5"));
    row("percent is its fraction", "C19", QStringLiteral("0.25"));
    row("Boolean true", "D2", QStringLiteral("True"));
    row("Boolean false", "D3", QStringLiteral("False"));
    row("error cell", "E2", QString());
    row("another error cell", "E3", QString());
    row("error of code 0", "E4", QString());
    row("formula number", "F2", QStringLiteral("3000"));
    row("formula text", "F3", QStringLiteral("PAR_SPEED!"));
    row("formula Boolean true", "F4", QStringLiteral("True"));
    row("formula error", "F5", QString());
    row("formula never calculated", "F6", QString());
    row("formula text over several records", "F7", QStringLiteral("Zähler ♥ ").repeated(700));
    row("formula Boolean false", "F8", QStringLiteral("False"));
    row("formula number of 17 digits", "F9", QStringLiteral("3"));
    row("missing cell", "D9", QString());
    row("column AB", "AB12", QStringLiteral("AB12"));
    row("last column", "IV12", QStringLiteral("256"));
    row("beyond the values", "BB1000", QString());
}

void XlsWorkbookTest::cellsReadAsTheSpreadsheetGivesThem() {
    QFETCH(QString, cell);
    QFETCH(QString, text);

    const Worksheet* sheet = m_signals.sheet(QStringLiteral("dcEnums"));
    QVERIFY(sheet);
    const auto place = parseCellReference(cell);
    QVERIFY(place);
    QCOMPARE(sheet->cellText(place->row, place->column), text);
}

void XlsWorkbookTest::sharedTextsReadInEveryForm_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, const QString& file, const char* sheet, const char* cell,
                  const QString& text) {
        QTest::newRow(name) << file << QString::fromLatin1(sheet) << QString::fromLatin1(cell)
                            << text;
    };
    const QString saved = savedFixture("empty_texts.xls");
    row("empty text", saved, "dcEnums", "C2", QString());
    row("number beside an empty text", saved, "dcEnums", "B2", QStringLiteral("750"));
    row("text after an empty one", saved, "dcEnums", "A3", QStringLiteral("PAR_IDLE"));
    row("text of two-byte characters", saved, "dcEnums", "C3", QStringLiteral("Leerlauf ♥"));
    row("empty text used twice", saved, "dcEnums", "B4", QString());
    row("formatted text", saved, "dcEnums", "C4", QStringLiteral("rated speed in rpm"));
    row("empty text of another sheet", saved, "alarmEnums", "B2", QString());
    row("last text", saved, "alarmEnums", "A2", QStringLiteral("ALM_OVERSPEED"));

    const QString texts = fixture("texts.xls");
    row("text written over", texts, "texts", "A1", QStringLiteral("written over"));
    row("long text over several records", texts, "texts", "A2",
        QStringLiteral("Latin text ").repeated(1000));
    row("long two-byte text over several records", texts, "texts", "A3",
        QStringLiteral("Zähler ♥ ").repeated(2000));
    row("formatting runs left out", texts, "texts", "A4", QStringLiteral("rated speed in rpm"));
    row("phonetic reading left out", texts, "texts", "A5", QStringLiteral("漢字"));
    row("after the long texts", texts, "texts", "A6", QStringLiteral("after the long texts"));
}

void XlsWorkbookTest::sharedTextsReadInEveryForm() {
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(QString, cell);
    QFETCH(QString, text);

    if (file.startsWith(QLatin1String(PXU_XLS_FIXTURES)))
        PXU_SKIP_WITHOUT_XLWT();
    Workbook workbook;
    QVERIFY2(workbook.open(file), qPrintable(workbook.lastError()));
    QVERIFY(workbook.sheet(sheet));
    const auto place = parseCellReference(cell);
    QCOMPARE(workbook.sheet(sheet)->cellText(place->row, place->column), text);
}

// Texts with formatting runs and with phonetic readings, 500 of each, so that the ends of the
// records of the list of texts fall within their characters, their runs, between the
// characters and the reading and between texts.
void XlsWorkbookTest::textsThatFallOnTheEndsOfRecordsAreRead() {
    PXU_SKIP_WITHOUT_XLWT();
    Workbook workbook;
    QVERIFY2(workbook.open(fixture("texts.xls")), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("texts"));
    QVERIFY(sheet);
    for (int n = 1; n <= 500; ++n) {
        QCOMPARE(sheet->cellText(n + 1, 2),
                 QStringLiteral("rich %1 part%2 end").arg(n).arg(QString(n % 5, u'!')));
        QCOMPARE(sheet->cellText(n + 1, 3), QStringLiteral("名前 %1").arg(n));
    }
    QCOMPARE(sheet->cellCount(), 1006);
}

void XlsWorkbookTest::sheetReachingTheLastCellHoldsOnlyItsCells() {
    PXU_SKIP_WITHOUT_XLWT();
    Workbook workbook;
    QVERIFY2(workbook.open(fixture("last_cell.xls")), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("dcEnums"));
    QVERIFY(sheet);
    QCOMPARE(sheet->cellText(1, 1), QStringLiteral("name"));
    QCOMPARE(sheet->cellText(65536, 256), QStringLiteral("last cell"));
    QCOMPARE(sheet->cellText(65535, 256), QString());
    QCOMPARE(sheet->lastRow(), 65536);
    QCOMPARE(sheet->lastColumn(), 256);
    QCOMPARE(sheet->cellCount(), 2);
}

void XlsWorkbookTest::sheetsAreFoundByNameWhateverTheirOrder() {
    PXU_SKIP_WITHOUT_XLWT();
    QCOMPARE(m_signals.sheetNames(),
             QStringList({QStringLiteral("Info"), QStringLiteral("alarmEnums"),
                          QStringLiteral("dcEnums")}));
    QCOMPARE(m_signals.sheet(QStringLiteral("Info"))->cellText(1, 1),
             QStringLiteral("not this sheet"));
    QCOMPARE(m_signals.sheet(QStringLiteral("alarmEnums"))->cellText(1, 1),
             QStringLiteral("alarms"));
    QCOMPARE(m_signals.sheet(QStringLiteral("dcenums")), nullptr);
    const Worksheet* sheet = m_signals.sheet(QStringLiteral("dcEnums"));
    QCOMPARE(sheet->lastRow(), 19);
    QCOMPARE(sheet->lastColumn(), 256);
}

void XlsWorkbookTest::readsAWorkbookStreamKeptInTheMiniStream() {
    PXU_SKIP_WITHOUT_XLWT();
    Workbook workbook;
    QVERIFY2(workbook.open(fixture("mini_stream.xls")), qPrintable(workbook.lastError()));
    const Worksheet* sheet = workbook.sheet(QStringLiteral("dcEnums"));
    QVERIFY(sheet);
    QCOMPARE(sheet->cellText(2, 1), QStringLiteral("PAR_SPEED"));
    QCOMPARE(sheet->cellText(2, 2), QStringLiteral("750"));
}

void XlsWorkbookTest::formatIsToldByTheContentNotTheName() {
    PXU_SKIP_WITHOUT_XLWT();
    const QString path = m_dir.filePath(QStringLiteral("saved as.xlsx"));
    QVERIFY(QFile::copy(fixture("plain.xls"), path));
    Workbook workbook;
    QVERIFY2(workbook.open(path), qPrintable(workbook.lastError()));
    QCOMPARE(workbook.sheet(QStringLiteral("dcEnums"))->cellText(1, 1), QStringLiteral("name"));
}

// Spreadsheet programs write a row's run of numbers as one record, which xlwt never does:
// its records are made here.
void XlsWorkbookTest::numbersPackedForARunOfCellsAreRead() {
    const auto [globals, sheetBof] = workbookRecords({"S1"});
    // Row 4 from column B: 7 whole, 1.5 as a double's upper half, 12.34 in hundredths, and
    // a double's upper half in hundredths (1234.5 / 100).
    const QByteArray run = words({3, 1}, 2) + words({0}, 2) + words({7 << 2 | 2}, 4) +
                           words({0}, 2) + words({0x3FF80000}, 4) + words({0}, 2) +
                           words({1234 << 2 | 3}, 4) + words({0}, 2) + words({0x40934A01}, 4) +
                           words({4}, 2);
    const QByteArray stream = globals + sheetBof + record(0x00BD, run) + record(0x000A, {});

    BiffCellScan scan;
    QCOMPARE(scan.read(stream), BiffCellScan::Result::Read);
    QCOMPARE(scan.sheets().size(), 1);
    QCOMPARE(scan.sheets()[0].name, QStringLiteral("S1"));
    QStringList cells;
    for (const BiffCell& cell : scan.sheets()[0].cells)
        cells << cellReference(cell.row, cell.column) + u'=' + cell.text;
    QCOMPARE(cells, QStringList({"B4=7", "C4=1.5", "D4=12.34", "E4=12.345"}));

    QCOMPARE(scan.read(stream.left(stream.size() - 5)), BiffCellScan::Result::Damaged);
    QCOMPARE(scan.problem(), QStringLiteral("sheet \"S1\" is cut short"));
}

// Read once for each, one sheet's cells would fill memory many times over what the file holds.
void XlsWorkbookTest::sheetsThatShareTheirPlaceAreRefused() {
    const auto [globals, sheetBof] = workbookRecords({"S1", "S2"});
    const QByteArray cell = record(0x027E, words({0, 0, 0}, 2) + words({7 << 2 | 2}, 4));
    const QByteArray stream = globals + sheetBof + cell + record(0x000A, {});

    BiffCellScan scan;
    QCOMPARE(scan.read(stream), BiffCellScan::Result::Damaged);
    QCOMPARE(scan.problem(), QStringLiteral("sheets \"S1\" and \"S2\" begin at one place"));
}

void XlsWorkbookTest::refusesWorkbooksItCannotRead_data() {
    PXU_SKIP_WITHOUT_XLWT();
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // "%1" is the file's path; compared up to its end

    const QString encrypted = QStringLiteral("\"%1\" is encrypted: save it without a password.");
    const QString older = QStringLiteral(
        "\"%1\" is a workbook of the binary format before 1997 (BIFF5 or older), which cannot "
        "be read: save it as .xlsx.");
    QTest::newRow("encrypted") << bytesOf("encrypted.xls") << encrypted;
    QTest::newRow("obfuscated") << bytesOf("obfuscated.xls") << encrypted;
    const QByteArray plain = bytesOf("plain.xls");
    QTest::newRow("encrypted .xlsx")
        << renamed(plain, QStringLiteral("EncryptedPackage")) << encrypted;
    QTest::newRow("version 5 of the format") << bytesOf("biff5.xls") << older;
    QTest::newRow("stream of version 5") << renamed(plain, QStringLiteral("Book")) << older;
    QTest::newRow("no workbook stream") << renamed(plain, QStringLiteral("WordDocument"))
                                        << "\"%1\" is not an .xls workbook: it holds no workbook.";

    QTest::newRow("cut short") << plain.left(plain.size() / 2) << "\"%1\" is damaged: ";
    QTest::newRow("header alone") << plain.left(512) << "\"%1\" is damaged: it holds no sectors";
    QTest::newRow("zeros after the signature")
        << plain.left(8) + QByteArray(1016, '\0')
        << "\"%1\" is damaged: its compound file header is broken";

    QByteArray changed = plain;
    putU32(changed, 0x4C, 0x7FFFFFF0);
    QTest::newRow("allocation table beyond the file")
        << changed << "\"%1\" is damaged: its allocation table is broken";
    changed = plain;
    putU32(changed, 0x30, 0x7FFFFFF0);
    QTest::newRow("directory beyond the file")
        << changed << "\"%1\" is damaged: its directory is broken";

    const quint32 workbookStart = u32At(plain, workbookEntry(plain) + 116);
    changed = plain;
    putU32(changed, sectorAt(u32At(plain, 0x4C)) + 4 * workbookStart, workbookStart);
    QTest::newRow("sectors in a loop")
        << changed << "\"%1\" is damaged: the sectors of its stream \"Workbook\" are broken";
    changed = plain;
    putU32(changed, sectorAt(workbookStart), 0x00100002);
    QTest::newRow("stream of other records")
        << changed << "\"%1\" is damaged: its workbook stream does not begin as a workbook";
    changed = plain;
    putU32(changed, changed.indexOf(QByteArray("\x07\0dcEnums", 9)) - 6, 0xFFFFFF);
    QTest::newRow("sheet elsewhere")
        << changed << "\"%1\" is damaged: sheet \"dcEnums\" is not where the workbook says";

    // The list of texts: record type, size, number of uses, number of texts, then the texts.
    const qsizetype texts = plain.indexOf(QByteArray("\xFC\0", 2));
    changed = plain;
    qToLittleEndian(quint16(0x7FFF), changed.data() + texts + 12);
    QTest::newRow("text longer than its list")
        << changed << "\"%1\" is damaged: its list of texts is broken";
    changed = plain;
    changed[texts + 14] = 0x0C; // runs and a reading said to follow, which are not there
    QTest::newRow("text without its runs")
        << changed << "\"%1\" is damaged: its list of texts is broken";
    // A text cell: record type, size, row, column, format, then the text's place in the list.
    changed = plain;
    putU32(changed, plain.indexOf(QByteArray("\xFD\0\x0A\0", 4)) + 10, 2);
    QTest::newRow("text beyond the list")
        << changed
        << "\"%1\" is damaged: sheet \"dcEnums\", cell A1 names a text that its list of texts "
           "does not hold";
}

void XlsWorkbookTest::refusesWorkbooksItCannotRead() {
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    const QString path = m_dir.filePath(QStringLiteral("list.xls"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    Workbook workbook;
    QVERIFY(workbook.open(fixture("plain.xls")));
    QVERIFY(!workbook.open(path));
    QVERIFY2(workbook.lastError().startsWith(error.arg(path)), qPrintable(workbook.lastError()));
    QVERIFY(!workbook.isOpen());
    QVERIFY(workbook.sheetNames().isEmpty());
}

QTEST_GUILESS_MAIN(XlsWorkbookTest)
#include "xls_workbook_test.moc"
