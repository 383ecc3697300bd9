#include "core/byte_conversions.h"
#include "core/error.h"

#include <QtTest>
#include <functional>

using namespace pxu;

using Conversion = std::function<QString()>;
Q_DECLARE_METATYPE(Conversion)

namespace {

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

// The array after a writer ran on it, as hexadecimal text.
QString written(QByteArray array, const std::function<void(QByteArray&)>& writer) {
    writer(array);
    return QString::fromLatin1(array.toHex(' ').toUpper());
}

QString number(qint64 value) {
    return QString::number(value);
}

} // namespace

class ByteConversionsTest : public QObject {
    Q_OBJECT
private slots:
    void convertsNumbersTextsAndBytes_data();
    void convertsNumbersTextsAndBytes();
    void refusesValuesAndRangesThatDoNotConvert_data();
    void refusesValuesAndRangesThatDoNotConvert();
    void asciiValueRoundTrip();
};

void ByteConversionsTest::convertsNumbersTextsAndBytes_data() {
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<QString>("expected");
    const QByteArray four = bytes("11223344");

    // Writers
    QTest::newRow("dez to bytes msb first") << Conversion([] {
        return written(QByteArray(6, 0),
                       [](QByteArray& b) { g_dezValStrToByte("287454020", 4, 1, b, false); });
    }) << "00 11 22 33 44 00";
    QTest::newRow("dez to bytes lsb first") << Conversion([] {
        return written(QByteArray(4, 0),
                       [](QByteArray& b) { g_dezValStrToByte("287454020", 4, 0, b, true); });
    }) << "44 33 22 11";
    QTest::newRow("dez to bytes keeps low count bytes") << Conversion([] {
        return written(QByteArray(3, 0),
                       [](QByteArray& b) { g_dezValStrToByte("287454020", 2, 1, b, false); });
    }) << "00 33 44";
    QTest::newRow("dez to bytes negative in two's complement") << Conversion([] {
        return written(QByteArray(2, 0),
                       [](QByteArray& b) { g_dezValStrToByte("-2", 2, 0, b, true); });
    }) << "FE FF";
    QTest::newRow("dez to bytes unsigned 32-bit text") << Conversion([] {
        return written(QByteArray(4, 0),
                       [](QByteArray& b) { g_dezValStrToByte("4294967295", 4, 0, b, false); });
    }) << "FF FF FF FF";
    QTest::newRow("dez to bytes empty text is zero") << Conversion([] {
        return written(bytes("AAAA"), [](QByteArray& b) { g_dezValStrToByte("", 2, 0, b, false); });
    }) << "00 00";
    QTest::newRow("text to bytes zero-filled") << Conversion([] {
        return written(bytes("FFFFFFFFFF"), [](QByteArray& b) { g_strToByte("AB", 4, 1, b); });
    }) << "FF 41 42 00 00";
    QTest::newRow("text to bytes cut at length") << Conversion([] {
        return written(QByteArray(3, 0),
                       [](QByteArray& b) { g_strToByte(QString::fromUtf8("ABCÄ"), 3, 0, b); });
    }) << "41 42 43";
    QTest::newRow("text to bytes latin-1") << Conversion([] {
        return written(QByteArray(1, 0),
                       [](QByteArray& b) { g_strToByte(QString::fromUtf8("Ä"), 1, 0, b); });
    }) << "C4";

    // Swaps and hexadecimal names
    QTest::newRow("swap int") << Conversion([] { return number(g_swapInt("1234")); })
                              << number(qint16(0xD204));
    QTest::newRow("swap int low 16 bits")
        << Conversion([] { return number(g_swapInt("287454020")); }) << number(0x4433);
    QTest::newRow("swap long") << Conversion([] { return number(g_swapLong("287454020")); })
                               << number(0x44332211);
    QTest::newRow("swap long negative")
        << Conversion([] { return number(g_swapLong("-2")); }) << number(qint32(0xFEFFFFFF));
    QTest::newRow("to hex") << Conversion([] { return g_toHex(26); }) << "0x001A";
    QTest::newRow("to hex last four digits")
        << Conversion([] { return g_toHex(0x12345); }) << "0x2345";
    QTest::newRow("to hex of zero") << Conversion([] { return g_toHex(0); }) << "0x0000";

    // Readers, including ranges cut short at the array's end
    QTest::newRow("hex msb first")
        << Conversion([=] { return g_byteToHexValStr(4, 0, four, false, "0x"); }) << "0x11223344";
    QTest::newRow("hex lsb first")
        << Conversion([=] { return g_byteToHexValStr(3, 1, four, true); }) << "443322";
    QTest::newRow("hex cut at end")
        << Conversion([=] { return g_byteToHexValStr(4, 2, four, false, "0x"); }) << "0x3344";
    QTest::newRow("hex start beyond end")
        << Conversion([=] { return g_byteToHexValStr(2, 9, four, false, "0x"); }) << "0x";
    QTest::newRow("dez msb first")
        << Conversion([] { return g_byteToDezValStr(2, 0, bytes("0001"), false); }) << "1";
    QTest::newRow("dez lsb first")
        << Conversion([] { return g_byteToDezValStr(2, 0, bytes("0001"), true); }) << "256";
    QTest::newRow("dez four bytes signed")
        << Conversion([] { return g_byteToDezValStr(4, 0, bytes("FFFFFFFE"), false); }) << "-2";
    QTest::newRow("dez two bytes unsigned")
        << Conversion([] { return g_byteToDezValStr(2, 0, bytes("FFFE"), false); }) << "65534";
    QTest::newRow("dez cut at end")
        << Conversion([=] { return g_byteToDezValStr(4, 2, four, true); }) << number(0x4433);
    QTest::newRow("dez nothing inside")
        << Conversion([=] { return g_byteToDezValStr(4, 4, four, false); }) << "";
    QTest::newRow("dez negative start uses bytes inside")
        << Conversion([=] { return g_byteToDezValStr(3, -1, four, false); }) << number(0x1122);
    QTest::newRow("str skips zero bytes")
        << Conversion([] { return g_byteToStr(3, 0, bytes("410042")); }) << "AB";
    QTest::newRow("str cut at end")
        << Conversion([] { return g_byteToStr(10, 1, bytes("41424344")); }) << "BCD";
    QTest::newRow("str latin-1") << Conversion([] { return g_byteToStr(1, 0, bytes("C4")); })
                                 << QString::fromUtf8("Ä");

    // Four-character codes
    QTest::newRow("lng to ascii") << Conversion([] { return g_lngToAscii(0x434241); }) << "ABC";
    QTest::newRow("lng to ascii of zero") << Conversion([] { return g_lngToAscii(0); }) << "";
    QTest::newRow("lng to ascii drops bit 7")
        << Conversion([] { return g_lngToAscii(0xC1); }) << "A";
    QTest::newRow("lng to ascii ends at zero")
        << Conversion([] { return g_lngToAscii(0x43004241); }) << "AB";
    QTest::newRow("ascii to lng") << Conversion([] { return number(g_asciiTolng("ABC")); })
                                  << number(0x434241);
    QTest::newRow("ascii to lng ignores fifth")
        << Conversion([] { return number(g_asciiTolng("ABCDE")); }) << number(0x44434241);
    QTest::newRow("ascii to lng empty")
        << Conversion([] { return number(g_asciiTolng("")); }) << "0";
}

void ByteConversionsTest::convertsNumbersTextsAndBytes() {
    QFETCH(Conversion, conversion);
    QFETCH(QString, expected);
    QCOMPARE(conversion(), expected);
}

void ByteConversionsTest::refusesValuesAndRangesThatDoNotConvert_data() {
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<qint64>("number");

    QTest::newRow("value text not a number")
        << Conversion([] { return number(g_swapLong("12abc")); }) << qint64(13);
    QTest::newRow("value beyond 32 bits")
        << Conversion([] { return number(g_swapInt("4294967296")); }) << qint64(6);
    QTest::newRow("write beyond array end") << Conversion([] {
        return written(QByteArray(3, 0),
                       [](QByteArray& b) { g_dezValStrToByte("1", 2, 2, b, false); });
    }) << qint64(9);
    QTest::newRow("write at negative start") << Conversion([] {
        return written(QByteArray(3, 0), [](QByteArray& b) { g_strToByte("A", 1, -1, b); });
    }) << qint64(9);
    QTest::newRow("text to bytes beyond array end") << Conversion([] {
        return written(QByteArray(3, 0), [](QByteArray& b) { g_strToByte("", 4, 0, b); });
    }) << qint64(9);
    QTest::newRow("character code above 255") << Conversion([] {
        return written(QByteArray(2, 0),
                       [](QByteArray& b) { g_strToByte(QString::fromUtf8("A€"), 2, 0, b); });
    }) << qint64(6);
    QTest::newRow("fourth character above 127")
        << Conversion([] { return number(g_asciiTolng(QString::fromUtf8("ABCÄ"))); }) << qint64(6);
    QTest::newRow("more than four bytes as number")
        << Conversion([] { return g_byteToDezValStr(5, 0, QByteArray(5, 1), false); }) << qint64(6);
}

void ByteConversionsTest::refusesValuesAndRangesThatDoNotConvert() {
    QFETCH(Conversion, conversion);
    QFETCH(qint64, number);
    try {
        conversion();
        QFAIL("no error raised");
    } catch (const PxuError& error) {
        QCOMPARE(error.failure().number, number);
    }
}

void ByteConversionsTest::asciiValueRoundTrip() {
    for (const char* text : {"", "A", "PXU", "DC01", "~\x7f!"})
        QCOMPARE(g_lngToAscii(g_asciiTolng(QString::fromLatin1(text))), QString::fromLatin1(text));
}

QTEST_GUILESS_MAIN(ByteConversionsTest)
#include "byte_conversions_test.moc"
