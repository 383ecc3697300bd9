// The hardware info block's four values as the repair window reads, checks and writes them.
#include "mainwindow/hw_info_block_fields.h"

#include <QtTest>
#include <zlib.h>

using namespace pxu;

namespace {

// A 312-byte block with the given raw bytes at 12 (version), 16 (week), 18 (year) and 20
// (serial), zeros elsewhere.
QByteArray block(QByteArray version, QByteArray week, QByteArray year, QByteArray serial) {
    QByteArray b(312, '\0');
    b.replace(12, 4, version);
    b.replace(16, 2, week);
    b.replace(18, 2, year);
    b.replace(20, 4, serial);
    return b;
}

quint32 be32(const QByteArray& b, int at) {
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 |
           quint32(quint8(b[at + 2])) << 8 | quint8(b[at + 3]);
}

} // namespace

class HwInfoBlockFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void productionDate_data();
    void productionDate();
    void serialNumbers_data();
    void serialNumbers();
    void repairKeepsTheTemplateAndSealsTheBlock_data();
    void repairKeepsTheTemplateAndSealsTheBlock();
};

void HwInfoBlockFieldsTest::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("serialPresent");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("dateRead");
    QTest::addColumn<QString>("week");
    QTest::addColumn<QString>("year");
    const QByteArray v7("\0\0\0\x07", 4);
    const QByteArray s1000("\0\0\x03\xE8", 4);
    QTest::newRow("ASCII date") << block(v7, "05", "26", s1000) << "1000" << true << "07" << true
                                << "05"
                                << "2026";
    QTest::newRow("no serial") << block(v7, "05", "26", "\xFF\xFF\xFF\xFF") << "-1" << false << "07"
                               << true << "05"
                               << "2026";
    QTest::newRow("79 is this century")
        << block(v7, "52", "79", s1000) << "1000" << true << "07" << true << "52"
        << "2079";
    QTest::newRow("80 is the last")
        << block(v7, "01", "80", s1000) << "1000" << true << "07" << true << "01"
        << "1980";
    QTest::newRow("binary week and year") << block(v7, QByteArray("\0\x05", 2), "\x07\xDA", s1000)
                                          << "1000" << true << "07" << true << "05"
                                          << "2010";
    QTest::newRow("one ASCII digit of week")
        << block(v7, QByteArray("5\0", 2), "10", s1000) << "1000" << true << "07" << true << "05"
        << "2010";
    QTest::newRow("no valid date")
        << block(v7, "00", "00", s1000) << "1000" << true << "07" << false << ""
        << "";
    QTest::newRow("empty block") << QByteArray(312, '\0') << "0" << true << "00" << false << ""
                                 << "";
    QTest::newRow("three-digit version") << block(QByteArray("\0\0\0\x7B", 4), "05", "26", s1000)
                                         << "1000" << true << "123" << true << "05"
                                         << "2026";
}

void HwInfoBlockFieldsTest::decode() {
    QFETCH(QByteArray, bytes);
    const HwInfoBlockFields fields = readHwInfoBlockFields(bytes);
    QTEST(fields.serial, "serial");
    QTEST(fields.serialPresent, "serialPresent");
    QTEST(fields.version, "version");
    QTEST(fields.dateRead, "dateRead");
    QTEST(fields.week, "week");
    QTEST(fields.year, "year");
}

void HwInfoBlockFieldsTest::productionDate_data() {
    QTest::addColumn<QString>("week");
    QTest::addColumn<QString>("year");
    QTest::addColumn<bool>("valid");
    QTest::newRow("first") << "01"
                           << "1980" << true;
    QTest::newRow("last") << "52"
                          << "2079" << true;
    QTest::newRow("one digit") << "5"
                               << "2010" << true;
    QTest::newRow("blanks around") << " 7 "
                                   << " 2010" << true;
    QTest::newRow("week 0") << "0"
                            << "2000" << false;
    QTest::newRow("week 53") << "53"
                             << "2000" << false;
    QTest::newRow("year 1979") << "10"
                               << "1979" << false;
    QTest::newRow("year 2080") << "10"
                               << "2080" << false;
    QTest::newRow("week with letters") << "5x"
                                       << "2010" << false;
    QTest::newRow("year with letters") << "10"
                                       << "2010x" << false;
    QTest::newRow("empty week") << ""
                                << "2010" << false;
    QTest::newRow("fraction") << "5.5"
                              << "2010" << false;
    QTest::newRow("negative") << "-5"
                              << "2010" << false;
    QTest::newRow("reset text") << "---"
                                << "1980" << false;
}

void HwInfoBlockFieldsTest::productionDate() {
    QFETCH(QString, week);
    QFETCH(QString, year);
    QTEST(validateProductionDate(week, year), "valid");
}

void HwInfoBlockFieldsTest::serialNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "4711" << true << qint64(4711);
    QTest::newRow("no serial") << "-1" << true << qint64(-1);
    QTest::newRow("highest") << "4294967295" << true << qint64(4294967295);
    QTest::newRow("lowest") << "-2147483648" << true << qint64(-2147483648);
    QTest::newRow("beyond four bytes") << "4294967296" << false << qint64(0);
    QTest::newRow("reset text") << "---" << false << qint64(0);
    QTest::newRow("empty") << "  " << false << qint64(0);
    QTest::newRow("letters after digits") << "12a" << false << qint64(0);
    QTest::newRow("hexadecimal") << "&H10" << false << qint64(0);
}

void HwInfoBlockFieldsTest::serialNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);
    const auto serial = serialNumber(text);
    QCOMPARE(serial.has_value(), valid);
    if (valid)
        QCOMPARE(*serial, value);
}

void HwInfoBlockFieldsTest::repairKeepsTheTemplateAndSealsTheBlock_data() {
    QTest::addColumn<int>("templateSize");
    QTest::addColumn<qint64>("serial");
    QTest::newRow("whole template") << 312 << qint64(4711);
    QTest::newRow("longer template") << 400 << qint64(4294967295);
    QTest::newRow("short template") << 100 << qint64(-1);
}

void HwInfoBlockFieldsTest::repairKeepsTheTemplateAndSealsTheBlock() {
    QFETCH(int, templateSize);
    QFETCH(qint64, serial);
    QByteArray templateBlock(templateSize, '\0');
    for (int i = 0; i < templateSize; ++i)
        templateBlock[i] = char(i * 7 + 3);

    const QByteArray repaired = repairedHwInfoBlock(templateBlock, 7, serial, 5, 2010);
    QCOMPARE(repaired.size(), 312);
    QCOMPARE(be32(repaired, 12), 7u);
    QCOMPARE(repaired.mid(16, 2), QByteArray("05"));
    QCOMPARE(repaired.mid(18, 2), QByteArray("10"));
    QCOMPARE(be32(repaired, 20), quint32(serial));
    const auto crc = quint32(::crc32(0, reinterpret_cast<const Bytef*>(repaired.constData()), 308));
    QCOMPARE(be32(repaired, 308), crc);
    for (int i = 0; i < 308; ++i) {
        if (i >= 12 && i < 24)
            continue;
        const char expected = i < templateSize ? templateBlock[i] : '\0';
        QVERIFY2(repaired[i] == expected, qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(HwInfoBlockFieldsTest)
#include "hw_info_block_fields_test.moc"
