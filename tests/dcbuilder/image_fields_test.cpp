#include "dcbuilder/image_fields.h"

#include <QtTest>

using namespace pxu::dc;

class ImageFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void numberFieldReadsBackInItsColumnsRange_data();
    void numberFieldReadsBackInItsColumnsRange();
};

void ImageFieldsTest::numberFieldReadsBackInItsColumnsRange_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("column");
    QTest::addColumn<qlonglong>("number");
    const auto bytes = [](const char* hex) { return QByteArray::fromHex(hex); };
    QTest::newRow("sync command FF") << bytes("FF") << "syncCmd" << -1LL;
    QTest::newRow("sync command 06") << bytes("06") << "syncCmd" << 6LL;
    QTest::newRow("Modbus address 80 00") << bytes("8000") << "modbusAddr" << 32768LL;
    QTest::newRow("Modbus address FF FF") << bytes("FFFF") << "modbusAddr" << 65535LL;
    QTest::newRow("producers with OR") << bytes("8001") << "PRODUCERMASK" << 32769LL;
    QTest::newRow("unresolved delay FF") << bytes("FF") << "onOffDelayId" << 255LL;
    QTest::newRow("signal id FF FF") << bytes("FFFF") << "signalIndex" << 65535LL;
    QTest::newRow("value of four bytes") << bytes("FFFFFFFE") << "value" << -2LL;
    // Where both readings lie in the range, or neither, or there is none: one byte unsigned,
    // two and four bytes signed.
    QTest::newRow("value of one byte") << bytes("FF") << "value" << 255LL;
    QTest::newRow("value of two bytes") << bytes("FFFF") << "minValue" << -1LL;
    QTest::newRow("sync command 80, in neither") << bytes("80") << "syncCmd" << 128LL;
    QTest::newRow("id FF FF FF FF, in neither") << bytes("FFFFFFFF") << "id" << -1LL;
    QTest::newRow("a column of no range") << bytes("FFFF") << "modbusScale" << -1LL;
}

void ImageFieldsTest::numberFieldReadsBackInItsColumnsRange() {
    QFETCH(QByteArray, field);
    QFETCH(QString, column);
    QFETCH(qlonglong, number);
    const QVariant read = readField(field, columnRange(column));
    QCOMPARE(read.typeId(), QMetaType::LongLong);
    QCOMPARE(read.toLongLong(), number);
}

QTEST_APPLESS_MAIN(ImageFieldsTest)
#include "image_fields_test.moc"
