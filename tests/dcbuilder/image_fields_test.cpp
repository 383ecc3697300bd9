#include "dcbuilder/image_fields.h"
#include "dcbuilder/reading_rules.h"

#include <QtTest>

using namespace pxu::dc;

namespace {

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

} // namespace

class ImageFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void numberFieldReadsBackInItsColumnsRange_data();
    void numberFieldReadsBackInItsColumnsRange();
    void boundsOfTheRowTellTheReadings_data();
    void boundsOfTheRowTellTheReadings();
};

void ImageFieldsTest::numberFieldReadsBackInItsColumnsRange_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("column");
    QTest::addColumn<qlonglong>("number");
    QTest::addColumn<qlonglong>("symbolId"); // the one symbol id the database holds
    QTest::newRow("sync command FF") << bytes("FF") << "syncCmd" << -1LL << 0LL;
    QTest::newRow("sync command 06") << bytes("06") << "syncCmd" << 6LL << 0LL;
    QTest::newRow("Modbus address 80 00") << bytes("8000") << "modbusAddr" << 32768LL << 0LL;
    QTest::newRow("Modbus address FF FF") << bytes("FFFF") << "modbusAddr" << 65535LL << 0LL;
    QTest::newRow("producers with OR") << bytes("8001") << "PRODUCERMASK" << 32769LL << 0LL;
    QTest::newRow("unresolved delay FF") << bytes("FF") << "onOffDelayId" << 255LL << 0LL;
    QTest::newRow("value of four bytes") << bytes("FFFFFFFE") << "value" << -2LL << 0LL;
    QTest::newRow("hysteresis 9C 40") << bytes("9C40") << "hysteresis" << 40000LL << 0LL;
    QTest::newRow("hysteresis FF FF") << bytes("FFFF") << "hysteresis" << 65535LL << 0LL;
    // The index columns: -1 for none, else a symbol's id.
    QTest::newRow("no signal FF FF") << bytes("FFFF") << "signalIndex" << -1LL << 2048LL;
    QTest::newRow("no on delay FF FF") << bytes("FFFF") << "onDelayIndex" << -1LL << 2048LL;
    QTest::newRow("no off delay FF FF") << bytes("FFFF") << "OFFDELAYINDEX" << -1LL << 2048LL;
    QTest::newRow("signal 80 00") << bytes("8000") << "signalIndex" << 32768LL << 0LL;
    QTest::newRow("no signal FF, 255 no symbol") << bytes("FF") << "signalIndex" << -1LL << 2048LL;
    QTest::newRow("signal FF, 255 a symbol") << bytes("FF") << "signalIndex" << 255LL << 255LL;
    QTest::newRow("FF FF, both none and a symbol")
        << bytes("FFFF") << "signalIndex" << -1LL << 65535LL;
    // Where both readings lie in the range, or neither, or there is none: one byte unsigned,
    // two and four bytes signed.
    QTest::newRow("value of one byte") << bytes("FF") << "value" << 255LL << 0LL;
    QTest::newRow("value of two bytes") << bytes("FFFF") << "minValue" << -1LL << 0LL;
    QTest::newRow("sync command 80, in neither") << bytes("80") << "syncCmd" << 128LL << 0LL;
    QTest::newRow("id FF FF FF FF, in neither") << bytes("FFFFFFFF") << "id" << -1LL << 0LL;
    QTest::newRow("a column of no range") << bytes("FFFF") << "modbusScale" << -1LL << 0LL;
}

void ImageFieldsTest::numberFieldReadsBackInItsColumnsRange() {
    QFETCH(QByteArray, field);
    QFETCH(QString, column);
    QFETCH(qlonglong, number);
    QFETCH(qlonglong, symbolId);
    const FieldReadings read =
        ColumnRule(column).allowed(fieldReadings(field), [&](qint64 id) { return id == symbolId; });
    QCOMPARE(read.front(), number);
}

void ImageFieldsTest::boundsOfTheRowTellTheReadings_data() {
    // Min, Max, value and online value as fields; empty: not known.
    QTest::addColumn<QList<QByteArray>>("fields");
    QTest::addColumn<QList<qlonglong>>("numbers");
    const auto row = [](std::initializer_list<const char*> hex) {
        QList<QByteArray> out;
        for (const char* h : hex)
            out << bytes(h);
        return out;
    };
    using N = QList<qlonglong>;
    QTest::newRow("usual readings keep the bounds")
        << row({"8000", "FFFF", "FFFF", ""}) << N{-32768, -1, -1, 0};
    QTest::newRow("a value above 32767 within 0 and 50000")
        << row({"00000000", "0000C350", "9C40", ""}) << N{0, 50000, 40000, 0};
    QTest::newRow("a Max above 32767 over its value")
        << row({"00000000", "9C40", "00007530", ""}) << N{0, 40000, 30000, 0};
    QTest::newRow("Max 65535 over Min 0") << row({"0000", "FFFF", "", ""}) << N{0, 65535, 0, 0};
    QTest::newRow("Min -100 below Max 32767")
        << row({"FF9C", "7FFF", "0000", ""}) << N{-100, 32767, 0, 0};
    QTest::newRow("value and Max of 16 bits without sign")
        << row({"0001", "FFFF", "8000", ""}) << N{1, 65535, 32768, 0};
    QTest::newRow("a value of one byte -1 between -10 and 10")
        << row({"FFFFFFF6", "0000000A", "FF", ""}) << N{-10, 10, -1, 0};
    QTest::newRow("an online value as a value")
        << row({"0000", "FFFF", "", "FFFF"}) << N{0, 65535, 0, 65535};
    // Where no reading or several keep the bounds: the usual ones.
    QTest::newRow("a Min above 32767 below its value")
        << row({"9C40", "0000C350", "0000AFC8", ""}) << N{-25536, 50000, 45000, 0};
    QTest::newRow("a value outside its bounds")
        << row({"FFFFFF9C", "00000064", "9C40", ""}) << N{-100, 100, -25536, 0};
    QTest::newRow("two ways of one reading each")
        << row({"FF", "", "FFFF", ""}) << N{255, 0, -1, 0};
    QTest::newRow("Min over Max, as a template's marks")
        << row({"00007FFF", "FFFF8000", "FFFF", ""}) << N{32767, -32768, -1, 0};
}

void ImageFieldsTest::boundsOfTheRowTellTheReadings() {
    QFETCH(QList<QByteArray>, fields);
    QFETCH(QList<qlonglong>, numbers);
    BoundReadings bounds;
    for (int slot = 0; slot < kBoundSlots; ++slot) {
        if (!fields[slot].isEmpty())
            bounds[size_t(slot)] = fieldReadings(fields[slot]);
    }
    const auto chosen = chooseBounded(bounds);
    for (int slot = 0; slot < kBoundSlots; ++slot) {
        if (!fields[slot].isEmpty())
            QCOMPARE(chosen[size_t(slot)], numbers[slot]);
    }
}

QTEST_APPLESS_MAIN(ImageFieldsTest)
#include "image_fields_test.moc"
