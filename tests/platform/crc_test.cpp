#include "platform/crc/crc.h"

#include <QtTest>

using namespace pxu;

class CrcTest : public QObject {
    Q_OBJECT
private slots:
    void checkValues_data();
    void checkValues();
    void startValueContinuesAChecksum_data();
    void startValueContinuesAChecksum();
};

void CrcTest::checkValues_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<quint32>("crc32");
    QTest::addColumn<quint16>("crc16");

    QTest::newRow("check string") << QByteArray("123456789") << 0 << 0xCBF43926u << quint16(0x31C3);
    // With 0xFFFF as its starting value the 16-bit checksum is the common CCITT one.
    QTest::newRow("16-bit start value 0xFFFF")
        << QByteArray("123456789") << 0xFFFF << 0xA4F0338Bu << quint16(0x29B1);
    QTest::newRow("one byte") << QByteArray("A") << 0 << 0xD3D99E8Bu << quint16(0x58E5);
    QTest::newRow("nothing gives the start value")
        << QByteArray() << 0x1234 << 0x1234u << quint16(0x1234);
    QTest::newRow("zero bytes are counted")
        << QByteArray(4, '\0') << 0 << 0x2144DF1Cu << quint16(0x0000);
}

void CrcTest::checkValues() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint32, start);
    QFETCH(quint32, crc32);
    QFETCH(quint16, crc16);

    QCOMPARE(quint32(CrcCalculation32(bytes.constData(), qint32(bytes.size()), start)), crc32);
    QCOMPARE(quint16(CrcCalculation(bytes.constData(), qint32(bytes.size()), start)), crc16);
}

void CrcTest::startValueContinuesAChecksum_data() {
    QTest::addColumn<int>("cut");
    for (int cut : {0, 1, 5, 300, 308})
        QTest::addRow("cut at %d", cut) << cut;
}

void CrcTest::startValueContinuesAChecksum() {
    QFETCH(int, cut);

    QByteArray block(308, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 37 + 11);
    const char* p = block.constData();
    const qint32 n = qint32(block.size());

    QCOMPARE(CrcCalculation32(p + cut, n - cut, CrcCalculation32(p, cut, 0)),
             CrcCalculation32(p, n, 0));
    QCOMPARE(CrcCalculation(p + cut, n - cut, CrcCalculation(p, cut, 0)), CrcCalculation(p, n, 0));
}

QTEST_GUILESS_MAIN(CrcTest)
#include "crc_test.moc"
