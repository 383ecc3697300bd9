#include "core/srecord_file.h"
#include "core/srecord_reader.h"
#include "support/recording_error_handler.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

namespace {

// One record line with its checksum, for inputs too long to write out by hand.
QByteArray rec(char type, int addressBytes, quint32 address, const QByteArray& data) {
    const int count = addressBytes + int(data.size()) + 1;
    unsigned sum = unsigned(count);
    QByteArray line =
        "S" + QByteArray(1, type) + QByteArray::number(count, 16).rightJustified(2, '0');
    line += QByteArray::number(address, 16).rightJustified(2 * addressBytes, '0');
    for (int i = 0; i < addressBytes; ++i)
        sum += (address >> (8 * i)) & 0xFFu;
    for (char c : data)
        sum += uchar(c);
    line += data.toHex();
    line += QByteArray::number(0xFFu - (sum & 0xFFu), 16).rightJustified(2, '0');
    return line.toUpper() + "\r\n";
}

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

QByteArray counting(int size, int first = 0) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char(first + i));
    return bytes;
}

QString srecCat() {
    return QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
}

} // namespace

class SRecordTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readGivesImageAndStartAddress_data();
    void readGivesImageAndStartAddress();
    void readRefusesImageBeyond64MiB_data();
    void readRefusesImageBeyond64MiB();
    void readerGivesSameResultWhereverTheTextIsCut();
    void readFailsForMissingFile();

    void writeProducesExactRecords_data();
    void writeProducesExactRecords();
    void writeRefusesAddressBeyondFormat_data();
    void writeRefusesAddressBeyondFormat();
    void writeRefusesUnknownFormatAndKeepsOldFile_data();
    void writeRefusesUnknownFormatAndKeepsOldFile();
    void writeIntoMissingFolderFails();
    void readBackGivesWrittenImage_data();
    void readBackGivesWrittenImage();

    void readsWhatSrecCatWrites_data();
    void readsWhatSrecCatWrites();
    void srecCatReadsWhatWeWrite_data();
    void srecCatReadsWhatWeWrite();

private:
    QString file(const QString& name) const { return m_dir->filePath(name); }
    QString put(const QString& name, const QByteArray& content) const;
    QByteArray contents(const QString& path) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::RecordingErrorHandler> m_errors;
};

void SRecordTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_errors = std::make_unique<test::RecordingErrorHandler>();
}

void SRecordTest::cleanup() {
    // Every failure of these files is an expected one: nothing goes to the error reporter.
    QCOMPARE(m_errors->reports().size(), 0);
    m_errors.reset();
    m_dir.reset();
}

QString SRecordTest::put(const QString& name, const QByteArray& content) const {
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(f.fileName()));
    return f.fileName();
}

QByteArray SRecordTest::contents(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SRecordTest::readGivesImageAndStartAddress_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray s9 = "S9030000FC\r\n";
    const QByteArray abc = "S1061234010203AD\r\n";
    const QByteArray none;

    QTest::newRow("header ignored even with a wrong checksum")
        << "S0060000484452FF\r\n" + abc + s9 << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("gap filled with zero bytes")
        << rec('2', 3, 0x1000, counting(16, 1)) + rec('2', 3, 0x1020, counting(4, 0x41)) +
               "S804000000FB\r\n"
        << true << 0x1000 << counting(16, 1) + QByteArray(16, '\0') + "ABCD";
    QTest::newRow("record at the end of the previous data follows it")
        << rec('1', 2, 0x100, "\xAA") + rec('1', 2, 0x101, "\xBB") + s9 << true << 0x100
        << QByteArray("\xAA\xBB");
    QTest::newRow("types mixed, any terminator")
        << rec('1', 2, 0x10, "\1\2") + rec('3', 4, 0x12, "\3") + rec('2', 3, 0x13, "\4") +
               "S70500000000FA\r\n"
        << true << 0x10 << QByteArray("\1\2\3\4");
    QTest::newRow("lower-case hex")
        << "S1061234010203ad\r\n" + s9 << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("count and terminator records not examined")
        << "S5\r\n" + abc + "S6zz\r\nS9\r\n"
        << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("lines after the terminator not read") << abc + s9 + "garbage\r\n\r\n"
                                                         << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("characters after the checksum ignored")
        << QByteArray("S1061234010203AD  \r\n") + s9 << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("LF line ends") << QByteArray(abc + s9).replace("\r\n", "\n") << true << 0x1234
                                  << QByteArray("\1\2\3");
    QTest::newRow("CR line ends") << QByteArray(abc + s9).replace("\r\n", "\r") << true << 0x1234
                                  << QByteArray("\1\2\3");
    QTest::newRow("terminator without line end")
        << abc + "S9030000FC" << true << 0x1234 << QByteArray("\1\2\3");
    QTest::newRow("start address above 0x7FFFFFFF")
        << rec('3', 4, 0xFFFFFFF0, "\x5A") + s9 << true << qint32(0xFFFFFFF0) << QByteArray("\x5A");

    // Its bytes would land right after the previous ones, at the wrong address.
    QTest::newRow("record below the previous data")
        << rec('1', 2, 0x2000, "\1\2\3\4") + rec('1', 2, 0x1000, "\5\6") + s9 << false << -1
        << none;
    QTest::newRow("record inside the previous data")
        << rec('1', 2, 0x2000, "\1\2\3\4") + rec('1', 2, 0x2003, "\5\6") + s9 << false << -1
        << none;
    QTest::newRow("record at the previous record's address")
        << rec('1', 2, 0x100, "\xAA") + rec('1', 2, 0x100, "\xBB") + s9 << false << -1 << none;
    QTest::newRow("no data") << "S00600004844521B\r\n" + s9 << false << -1 << none;
    QTest::newRow("no terminator") << abc << false << -1 << none;
    QTest::newRow("empty file") << QByteArray() << false << -1 << none;
    QTest::newRow("blank line before the terminator") << abc + "\r\n" + s9 << false << -1 << none;
    QTest::newRow("line not starting with S") << abc + " " + s9 << false << -1 << none;
    QTest::newRow("checksum mismatch")
        << QByteArray("S1061234010203AE\r\n") + s9 << false << -1 << none;
    QTest::newRow("unknown record type") << abc + "SX030000FC\r\n" + s9 << false << -1 << none;
    QTest::newRow("S alone") << abc + "S\r\n" + s9 << false << -1 << none;
    QTest::newRow("non-hex digit in the data")
        << QByteArray("S10612340102G3AD\r\n") + s9 << false << -1 << none;
    QTest::newRow("non-hex digit in the count")
        << QByteArray("S1 61234010203AD\r\n") + s9 << false << -1 << none;
    QTest::newRow("line too short for its count")
        << QByteArray("S1061234010203\r\n") + s9 << false << -1 << none;
    QTest::newRow("line cut in the count") << QByteArray("S1\r\n") + s9 << false << -1 << none;
    QTest::newRow("count too small for the address")
        << QByteArray("S3041234B5\r\n") + s9 << false << -1 << none;
}

void SRecordTest::readGivesImageAndStartAddress() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(qint32, start);
    QFETCH(QByteArray, bytes);

    QByteArray image("old");
    qint32 startAddress = 0;
    QCOMPARE(g_sRecToBin(put("in.s19", text), image, startAddress), ok);
    QCOMPARE(startAddress, start);
    QCOMPARE(image, bytes);
}

void SRecordTest::readRefusesImageBeyond64MiB_data() {
    QTest::addColumn<quint32>("secondAddress");
    QTest::addColumn<bool>("ok");

    const quint32 limit = SRecordReader::kMaxImageSize;
    QTest::newRow("last byte at the limit") << limit - 1 << true;
    QTest::newRow("one byte beyond the limit") << limit << false;
    QTest::newRow("stray record near the top of memory") << 0xFFFFFF00u << false;
}

void SRecordTest::readRefusesImageBeyond64MiB() {
    QFETCH(quint32, secondAddress);
    QFETCH(bool, ok);

    const QByteArray text =
        rec('3', 4, 0, "\1") + rec('3', 4, secondAddress, "\2") + "S70500000000FA\r\n";
    QByteArray image;
    qint32 start = 0;
    QCOMPARE(g_sRecToBin(put("in.s37", text), image, start), ok);
    if (ok) {
        QCOMPARE(image.size(), SRecordReader::kMaxImageSize);
        QCOMPARE(image.front(), '\1');
        QCOMPARE(image.back(), '\2');
    } else {
        QVERIFY(image.isEmpty());
    }
}

void SRecordTest::readerGivesSameResultWhereverTheTextIsCut() {
    const QByteArray good = "S0030000FC\r\n" + rec('1', 2, 0x10, "\1\2").replace("\r\n", "\n") +
                            rec('1', 2, 0x14, "\3").replace("\r\n", "\r") +
                            rec('1', 2, 0x15, "\4") + "S9030000FC";
    const QByteArray blank = rec('1', 2, 0x10, "\1\2") + "\r\n" + "S9030000FC\r\n";
    for (const QByteArray& text : {good, blank}) {
        SRecordReader whole;
        whole.feed(text);
        whole.finish();
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            SRecordReader reader;
            reader.feed(QByteArrayView(text).first(cut));
            reader.feed(QByteArrayView(text).sliced(cut));
            reader.finish();
            QCOMPARE(reader.state(), whole.state());
            QCOMPARE(reader.image().start, whole.image().start);
            QCOMPARE(reader.image().bytes, whole.image().bytes);
        }
    }
}

void SRecordTest::readFailsForMissingFile() {
    QByteArray image;
    qint32 start = 0;
    QVERIFY(!g_sRecToBin(file("missing.s19"), image, start));
    QCOMPARE(start, -1);
}

void SRecordTest::writeProducesExactRecords_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("17 bytes as S19") << counting(17) << 0x8000 << QStringLiteral("S19")
                                     << QByteArray("S1138000000102030405060708090A0B0C0D0E0FF4\r\n"
                                                   "S1048010105B\r\n"
                                                   "S9030000FC\r\n");
    QTest::newRow("S28 from address 0") << QByteArray("\xAB\xCD\xEF") << 0 << QStringLiteral("S28")
                                        << QByteArray("S207000000ABCDEF91\r\nS804000000FB\r\n");
    QTest::newRow("S37 with the address's bit pattern")
        << QByteArray("\x01\xFE") << qint32(0xFFFFFFF0) << QStringLiteral("S37")
        << QByteArray("S307FFFFFFF001FE0C\r\nS70500000000FA\r\n");
    QTest::newRow("empty image gives the terminator only")
        << QByteArray() << 0x1234 << QStringLiteral("S37") << QByteArray("S70500000000FA\r\n");
}

void SRecordTest::writeProducesExactRecords() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint32, start);
    QFETCH(QString, format);
    QFETCH(QByteArray, text);

    const QString path = put("out.srec", "old content that is longer than the new one");
    QVERIFY(g_binToSRec(bytes, start, format, path));
    QCOMPARE(contents(path), text);
}

void SRecordTest::writeRefusesAddressBeyondFormat_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ok");

    QTest::newRow("S19 up to FFFF") << QStringLiteral("S19") << 0xFFF0 << 16 << true;
    QTest::newRow("S19 past FFFF") << QStringLiteral("S19") << 0xFFF0 << 17 << false;
    QTest::newRow("S19 start past FFFF") << QStringLiteral("S19") << 0x10000 << 1 << false;
    QTest::newRow("S28 up to FFFFFF") << QStringLiteral("S28") << 0xFFFFF0 << 16 << true;
    QTest::newRow("S28 past FFFFFF") << QStringLiteral("S28") << 0xFFFFF0 << 17 << false;
    QTest::newRow("S37 up to FFFFFFFF")
        << QStringLiteral("S37") << qint32(0xFFFFFFF0) << 16 << true;
    QTest::newRow("S37 past FFFFFFFF")
        << QStringLiteral("S37") << qint32(0xFFFFFFF0) << 17 << false;
}

void SRecordTest::writeRefusesAddressBeyondFormat() {
    QFETCH(QString, format);
    QFETCH(qint32, start);
    QFETCH(int, size);
    QFETCH(bool, ok);

    const QByteArray old = "S9030000FC\r\n";
    const QString path = put("out.srec", old);
    QCOMPARE(g_binToSRec(counting(size), start, format, path), ok);
    if (ok) {
        QByteArray image;
        qint32 readStart = 0;
        QVERIFY(g_sRecToBin(path, image, readStart));
        QCOMPARE(readStart, start);
        QCOMPARE(image, counting(size));
    } else {
        QCOMPARE(contents(path), old);
    }
}

void SRecordTest::writeRefusesUnknownFormatAndKeepsOldFile_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("S20") << QStringLiteral("S20");
    QTest::newRow("lower case") << QStringLiteral("s19");
    QTest::newRow("empty") << QString();
}

void SRecordTest::writeRefusesUnknownFormatAndKeepsOldFile() {
    QFETCH(QString, format);

    const QByteArray old = "S1061234010203AD\r\nS9030000FC\r\n";
    const QString path = put("out.srec", old);
    QVERIFY(!g_binToSRec(counting(4), 0x100, format, path));
    QCOMPARE(contents(path), old);

    const QString fresh = file("fresh.srec");
    QVERIFY(!g_binToSRec(counting(4), 0x100, format, fresh));
    QVERIFY(!QFile::exists(fresh));
}

void SRecordTest::writeIntoMissingFolderFails() {
    QVERIFY(!g_binToSRec(counting(4), 0x100, QStringLiteral("S28"),
                         file(QStringLiteral("no/such/folder/out.s28"))));
}

void SRecordTest::readBackGivesWrittenImage_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("S19 one byte") << QStringLiteral("S19") << 0xFFFF << QByteArray("\x42");
    QTest::newRow("S19 one record") << QStringLiteral("S19") << 0x8000 << randomBytes(16, 1);
    QTest::newRow("S28 partial last record")
        << QStringLiteral("S28") << 0x10100 << randomBytes(1000, 2);
    QTest::newRow("S37 high address")
        << QStringLiteral("S37") << qint32(0x80000000) << randomBytes(4099, 3);
    // Lines cut by the file's read blocks; the image fills megabytes of room taken at once.
    QTest::newRow("S28 of 3 MiB") << QStringLiteral("S28") << 0x1000 << randomBytes(3 << 20, 4);
}

void SRecordTest::readBackGivesWrittenImage() {
    QFETCH(QString, format);
    QFETCH(qint32, start);
    QFETCH(QByteArray, bytes);

    const QString path = file("round.srec");
    QVERIFY(g_binToSRec(bytes, start, format, path));
    QByteArray image;
    qint32 readStart = 0;
    QVERIFY(g_sRecToBin(path, image, readStart));
    QCOMPARE(readStart, start);
    QCOMPARE(image, bytes);
}

void SRecordTest::readsWhatSrecCatWrites_data() {
    QTest::addColumn<int>("addressLength");
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<quint32>("start");

    QTest::newRow("S19, 1 byte a record") << 2 << 1 << 0x0100u;
    QTest::newRow("S19, 32 bytes a record") << 2 << 32 << 0x1000u;
    QTest::newRow("S28, 16 bytes a record") << 3 << 16 << 0x10100u;
    QTest::newRow("S28, 250 bytes a record") << 3 << 250 << 0x123456u;
    QTest::newRow("S37, 7 bytes a record") << 4 << 7 << 0x00030000u;
    QTest::newRow("S37, 64 bytes a record") << 4 << 64 << 0xF0000000u;
}

void SRecordTest::readsWhatSrecCatWrites() {
    if (srecCat().isEmpty())
        QSKIP("srec_cat is not installed");
    QFETCH(int, addressLength);
    QFETCH(int, recordSize);
    QFETCH(quint32, start);

    const QByteArray bytes = randomBytes(5000, start);
    const QString bin = put("in.bin", bytes);
    const QString srec = file("peer.srec");
    const QString startText = QStringLiteral("0x%1").arg(start, 0, 16);
    QProcess peer;
    peer.start(srecCat(), {bin, QStringLiteral("-Binary"), QStringLiteral("-offset"), startText,
                           QStringLiteral("-o"), srec, QStringLiteral("-Motorola"),
                           QStringLiteral("-address-length=%1").arg(addressLength),
                           QStringLiteral("-obs=%1").arg(recordSize), QStringLiteral("-header"),
                           QStringLiteral("peer header"),
                           QStringLiteral("-execution-start-address=%1").arg(startText)});
    QVERIFY(peer.waitForFinished(30000));
    QVERIFY2(peer.exitCode() == 0, peer.readAllStandardError().constData());

    QByteArray image;
    qint32 readStart = 0;
    QVERIFY(g_sRecToBin(srec, image, readStart));
    QCOMPARE(quint32(readStart), start);
    QCOMPARE(image, bytes);
}

void SRecordTest::srecCatReadsWhatWeWrite_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("size");

    QTest::newRow("S19") << QStringLiteral("S19") << 0x8000u << 4097;
    QTest::newRow("S28") << QStringLiteral("S28") << 0x10100u << 70000;
    QTest::newRow("S37") << QStringLiteral("S37") << 0xA0000010u << 33;
}

void SRecordTest::srecCatReadsWhatWeWrite() {
    if (srecCat().isEmpty())
        QSKIP("srec_cat is not installed");
    QFETCH(QString, format);
    QFETCH(quint32, start);
    QFETCH(int, size);

    const QByteArray bytes = randomBytes(size, start);
    const QString srec = file("ours.srec");
    QVERIFY(g_binToSRec(bytes, qint32(start), format, srec));

    // Shifted back by our start address, the peer's binary holds exactly our bytes.
    const QString bin = file("peer.bin");
    QProcess peer;
    peer.start(srecCat(), {srec, QStringLiteral("-Motorola"), QStringLiteral("-offset"),
                           QStringLiteral("-0x%1").arg(start, 0, 16), QStringLiteral("-o"), bin,
                           QStringLiteral("-Binary")});
    QVERIFY(peer.waitForFinished(30000));
    QVERIFY2(peer.exitCode() == 0, peer.readAllStandardError().constData());
    QCOMPARE(contents(bin), bytes);
}

QTEST_GUILESS_MAIN(SRecordTest)
#include "srecord_test.moc"
