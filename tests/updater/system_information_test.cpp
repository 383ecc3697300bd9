// The system information exchange against the simulated spare on the M-Bus.
#include "bus/bus_rig.h"
#include "bus/sample_config.h"
#include "sim/system_information.h"
#include "support/recording_error_handler.h"
#include "updater/system_information.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

QByteArray bytes(std::initializer_list<quint8> b) {
    return QByteArray(reinterpret_cast<const char*>(std::data(b)), qsizetype(b.size()));
}

QByteArray text4(const char* chunk) {
    return QByteArray(chunk, 4);
}

// The spare module on the M-Bus with the engine's values, the tool connected to it.
struct ExchangeRig {
    ExchangeRig() {
        QVERIFY(config.ok());
        modules().setModes(0, 6, sim::Mode::Application);
        QVERIFY(bus.open(QStringLiteral("M-Bus")));
        bus.time.runFor(50);
        bus.heard.clear();
    }
    sim::Bus& modules() { return bus.modules; }
    void run(qint64 ms = 200) { bus.time.runFor(ms); }
    // The ids the tool switched on (1) or off (0), in the order sent.
    QList<QPair<int, int>> serviceBits() const {
        QList<QPair<int, int>> bits;
        for (const can::CanFrame& f : bus.framesOn(0x382)) {
            if (f.data[3] == 0x85)
                bits << qMakePair(int(f.data[0] | f.data[1] << 8), int(f.data[4]));
        }
        return bits;
    }

    BusRig bus{sim::BusKind::MBus, 125};
    SampleConfig config;
    sim::SystemInformation engine{bus.modules, bus.service};
    SystemInfoExchange exchange;
    const SystemInformation& info = exchange.info();
};

} // namespace

class SystemInformationExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void theThreeGroupsReadTheWholeEngine();
    void everyRequestEndsWithItsValue();
    void groupsResetAndRequestAsAsked_data();
    void groupsResetAndRequestAsAsked();
    void chunksLandInPlaceAndCountOnce_data();
    void chunksLandInPlaceAndCountOnce();
    void engineTypeCountsOnlyTheChunksInUse_data();
    void engineTypeCountsOnlyTheChunksInUse();
    void numbersAreDecodedByWidth_data();
    void numbersAreDecodedByWidth();
    void aValueBeyond16BitsIsAnOverflow();
    void crcRequestsGoToTheModuleAnsweringAsSpare();
    void writesGoToTheSpare_data();
    void writesGoToTheSpare();
};

void SystemInformationExchangeTest::theThreeGroupsReadTheWholeEngine() {
    ExchangeRig rig;
    rig.exchange.setServiceBit(1, serviceBitHullNumber);
    rig.exchange.setServiceBit(1, serviceBitEngineType); // no id yet: nothing asked
    rig.exchange.setServiceBit(1, serviceBitOthers);
    rig.run();
    QCOMPARE(rig.info.hullNumber, QStringLiteral("H-2231          "));
    QCOMPARE(rig.info.hullNumberChunks, qint16(4));
    QCOMPARE(rig.info.build, qint16(41));
    QCOMPARE(rig.info.developer, qint16(1305));
    QCOMPARE(rig.info.noOfCyl, qint16(6));
    QCOMPARE(rig.info.autoDownload, qint16(1));
    QCOMPARE(rig.info.crcValueImo, qint32(0x5A5A0C1E));
    QCOMPARE(rig.info.crcLenImo, qint16(0x2000));
    // Bit 31 set: a negative number, read all the same.
    QCOMPARE(rig.info.crcValueApplication, qint32(0x9E371A2B));
    QCOMPARE(rig.info.crcLenApplication, qint32(0x40000));
    QCOMPARE(rig.info.engineTypeChars, qint16(0));
    QCOMPARE(rig.info.engineTypeLength, qint16(999));
    for (const auto& bit : rig.serviceBits())
        QVERIFY(bit.first < 0x430 || bit.first > 0x43F);

    g_varIds.g_varIdEngineType = 0x430;
    rig.exchange.info().engineTypeLength = 4;
    rig.exchange.setServiceBit(1, serviceBitEngineType);
    rig.run();
    QCOMPARE(rig.info.engineType, QStringLiteral("ZX-62 DF MK2/6C "));
    QCOMPARE(rig.info.engineTypeChars, qint16(4));
}

void SystemInformationExchangeTest::everyRequestEndsWithItsValue() {
    ExchangeRig rig;
    rig.exchange.setServiceBit(1, serviceBitAll);
    rig.run(2000);
    const auto bits = rig.serviceBits();
    const QList<int> ids{0x428, 0x429, 0x42A, 0x42B, 0x420, 0x421,
                         0x403, 0x402, 0x830, 0x831, 0x832, 0x833};
    for (const int id : ids) {
        QVERIFY2(bits.contains(qMakePair(id, 1)), qPrintable(QString::number(id, 16)));
        QVERIFY2(bits.contains(qMakePair(id, 0)), qPrintable(QString::number(id, 16)));
        QVERIFY(!rig.bus.service.reporting(0, quint16(id)));
    }
    // Each value came once or twice (before the request ended), not every 300 ms.
    QVERIFY(rig.bus.framesOn(0x411).size() <= 2 * ids.size());
}

void SystemInformationExchangeTest::groupsResetAndRequestAsAsked_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("resets");
    QTest::addColumn<QList<int>>("ids");
    const QList<int> hull{0x428, 0x429, 0x42A, 0x42B};
    const QList<int> engine{0x438, 0x439, 0x43A, 0x43B, 0x43C, 0x43D, 0x43E, 0x43F};
    const QList<int> others{0x420, 0x421, 0x403, 0x402, 0x830, 0x831, 0x832, 0x833};
    QTest::newRow("1, all") << 1 << 0 << true << hull + engine + others;
    QTest::newRow("1, negative group acts as all") << 1 << -3 << true << hull + engine + others;
    QTest::newRow("1, hull number") << 1 << 1 << true << hull;
    QTest::newRow("1, engine type") << 1 << 2 << false << engine;
    QTest::newRow("1, others") << 1 << 3 << false << others;
    QTest::newRow("0, all ends without reset") << 0 << 0 << false << hull + engine + others;
    QTest::newRow("1, group 4 does nothing") << 1 << 4 << false << QList<int>{};
}

void SystemInformationExchangeTest::groupsResetAndRequestAsAsked() {
    QFETCH(int, value);
    QFETCH(int, group);
    QFETCH(bool, resets);
    QFETCH(QList<int>, ids);
    ExchangeRig rig;
    g_varIds.g_varIdEngineType = 0x438;
    SystemInformation& info = rig.exchange.info();
    info.engineTypeLength = 8;
    info.build = 41;
    info.autoDownload = 1;
    info.crcValueApplication = 7;
    info.firstApplicationCrc = 0x3C4D;
    info.hullNumber = QStringLiteral("H-2231          ");
    rig.modules().setModes(0, 0, sim::Mode::Off); // no answers: the fields show the reset
    rig.exchange.setServiceBit(quint8(value), group);
    rig.run(50);
    QList<int> sent;
    for (const auto& [id, on] : rig.serviceBits()) {
        QCOMPARE(on, value);
        sent << id;
    }
    QCOMPARE(sent, ids);
    QCOMPARE(info.build, qint16(resets ? 0 : 41));
    QCOMPARE(info.autoDownload, qint16(resets ? -1 : 1));
    QCOMPARE(info.crcValueApplication, qint32(resets ? -1 : 7));
    QCOMPARE(info.hullNumber.trimmed(), resets ? QString() : QStringLiteral("H-2231"));
    QCOMPARE(info.firstApplicationCrc, qint32(0x3C4D));
    QCOMPARE(info.engineTypeLength, qint16(8)); // fixed once the id is
    if (resets)
        QCOMPARE(info.engineType, QString(32, u' '));
}

void SystemInformationExchangeTest::chunksLandInPlaceAndCountOnce_data() {
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QString>("hull");
    QTest::addColumn<int>("count");
    QTest::newRow("0 1 2 3") << QList<int>{0, 1, 2, 3} << "ABCDEFGHIJ K    " << 4;
    QTest::newRow("3 2 1 0") << QList<int>{3, 2, 1, 0} << "ABCDEFGHIJ K    " << 4;
    QTest::newRow("a repeated chunk does not complete the field")
        << QList<int>{0, 1, 1, 3} << "ABCDEFGH        " << 3;
}

void SystemInformationExchangeTest::chunksLandInPlaceAndCountOnce() {
    QFETCH(QList<int>, order);
    QFETCH(QString, hull);
    QFETCH(int, count);
    ExchangeRig rig;
    rig.exchange.setServiceBit(1, serviceBitHullNumber);
    rig.modules().setModes(0, 0, sim::Mode::Off);
    rig.exchange.setServiceBit(1, serviceBitHullNumber); // blank again, nothing comes
    const QByteArray chunks[] = {text4("ABCD"), text4("EFGH"), bytes({'I', 'J', 0, 'K'}),
                                 bytes({0, 0, 0, 0})};
    for (const int chunk : order)
        rig.exchange.g_setHullNumber(chunks[chunk], 0x428 + chunk);
    QCOMPARE(rig.info.hullNumber, hull);
    QCOMPARE(rig.info.hullNumberChunks, qint16(count));
}

void SystemInformationExchangeTest::engineTypeCountsOnlyTheChunksInUse_data() {
    QTest::addColumn<int>("length"); // chunks of the engine type in use
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QString>("engineType");
    QTest::addColumn<int>("count");
    QTest::newRow("eight, the last first: each at its place")
        << 8 << QList<int>{7, 0} << QStringLiteral("AAAA") + QString(24, u' ') + "HHHH" << 2;
    QTest::newRow("four, all of them") << 4 << QList<int>{3, 2, 1, 0} << "AAAABBBBCCCCDDDD" << 4;
    QTest::newRow("four with a gap: chunk 5 does not fill it")
        << 4 << QList<int>{0, 1, 2, 5} << "AAAABBBBCCCC    " << 3;
    QTest::newRow("four: chunks 4 to 7 are not in use")
        << 4 << QList<int>{4, 5, 6, 7} << QString(16, u' ') << 0;
}

void SystemInformationExchangeTest::engineTypeCountsOnlyTheChunksInUse() {
    QFETCH(int, length);
    QFETCH(QList<int>, order);
    QFETCH(QString, engineType);
    QFETCH(int, count);
    ExchangeRig rig;
    g_varIds.g_varIdEngineType = 0x438;
    rig.exchange.info().engineTypeLength = qint16(length);
    rig.exchange.setServiceBit(1, serviceBitHullNumber);
    rig.modules().setModes(0, 0, sim::Mode::Off);
    rig.exchange.setServiceBit(1, serviceBitHullNumber); // blank again, nothing comes
    QCOMPARE(rig.info.engineType, QString(4 * length, u' '));
    for (const int chunk : order)
        rig.exchange.g_setEngineType(QByteArray(4, char('A' + chunk)), 0x438 + chunk);
    QCOMPARE(rig.info.engineType, engineType);
    QCOMPARE(rig.info.engineTypeChars, qint16(count));
    QCOMPARE(placeChunk(QStringLiteral("AB"), 4, QStringLiteral("WXYZ")), QStringLiteral("ABWXYZ"));
}

void SystemInformationExchangeTest::numbersAreDecodedByWidth_data() {
    QTest::addColumn<QString>("receiver");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("cylinders from byte 0 only") << "noOfCyl" << bytes({0x0E, 1, 0, 0}) << 14ll;
    QTest::newRow("auto download from byte 0 only")
        << "autoDownload" << bytes({0xFF, 0xFF, 0, 0}) << 255ll;
    QTest::newRow("negative build") << "build" << bytes({0xFE, 0xFF, 0xFF, 0xFF}) << -2ll;
    QTest::newRow("CRC, little-endian") << "crc" << bytes({0x4D, 0x3C, 0, 0}) << 0x3C4Dll;
    QTest::newRow("CRC with bit 31")
        << "crc" << bytes({0x2B, 0x1A, 0x37, 0x9E}) << qint64(qint32(0x9E371A2B));
}

void SystemInformationExchangeTest::numbersAreDecodedByWidth() {
    QFETCH(QString, receiver);
    QFETCH(QByteArray, value);
    QFETCH(qint64, expected);
    ExchangeRig rig;
    SystemInfoExchange& x = rig.exchange;
    if (receiver == QLatin1String("noOfCyl")) {
        x.g_setNoOfCyl(value, 0x402);
        QCOMPARE(qint64(rig.info.noOfCyl), expected);
    } else if (receiver == QLatin1String("autoDownload")) {
        x.g_setAutoDownload(value, 0x403);
        QCOMPARE(qint64(rig.info.autoDownload), expected);
    } else if (receiver == QLatin1String("build")) {
        x.g_setBuild(value, 0x420);
        QCOMPARE(qint64(rig.info.build), expected);
    } else {
        x.g_setCrcValueApplication(value, 0x832);
        QCOMPARE(qint64(rig.info.crcValueApplication), expected);
    }
}

void SystemInformationExchangeTest::aValueBeyond16BitsIsAnOverflow() {
    ExchangeRig rig;
    RecordingErrorHandler errors;
    rig.exchange.info().build = 41;
    rig.exchange.g_setBuild(bytes({0, 0, 1, 0}), 0x420); // 65536
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("g_setBuild"));
    QCOMPARE(errors.reports()[0].failure.number, 6);
    QCOMPARE(rig.info.build, qint16(41));
    rig.run(10);
    // The request ends all the same, so the value does not raise the failure again.
    QCOMPARE(rig.serviceBits(), (QList<QPair<int, int>>{{0x420, 0}}));
}

void SystemInformationExchangeTest::crcRequestsGoToTheModuleAnsweringAsSpare() {
    ExchangeRig rig;
    RecordingErrorHandler errors;
    rig.exchange.notConnectedToSpare(3);
    rig.exchange.setServiceBit(1, serviceBitOthers);
    rig.run(50);
    QList<int> ids;
    for (const auto& bit : rig.serviceBits()) {
        if (bit.second == 1)
            ids << bit.first;
    }
    QCOMPARE(ids, (QList<int>{0x420, 0x421, 0x403, 0x402, 0x3830, 0x3831, 0x3832, 0x3833}));

    rig.bus.heard.clear();
    rig.exchange.notConnectedToSpare(8); // 8 x 4096 leaves 16 signed bits
    rig.exchange.setServiceBit(1, serviceBitOthers);
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("setServiceBit"));
}

void SystemInformationExchangeTest::writesGoToTheSpare_data() {
    QTest::addColumn<QString>("write");
    QTest::addColumn<qint64>("argument");
    QTest::addColumn<int>("id");
    QTest::addColumn<quint32>("stored");
    QTest::newRow("CRC -1") << "crc" << -1ll << 0x410 << 0xFFFFFFFFu;
    QTest::newRow("CRC 258") << "crc" << 258ll << 0x410 << 0x102u;
    QTest::newRow("CRC with bit 31") << "crc" << qint64(qint32(0x9E373C4D)) << 0x410 << 0x9E373C4Du;
    QTest::newRow("auto download on") << "autoDownload" << 1ll << 0x403 << 1u;
    QTest::newRow("auto download off") << "autoDownload" << 0ll << 0x403 << 0u;
}

void SystemInformationExchangeTest::writesGoToTheSpare() {
    QFETCH(QString, write);
    QFETCH(qint64, argument);
    QFETCH(int, id);
    QFETCH(quint32, stored);
    ExchangeRig rig;
    if (write == QLatin1String("crc"))
        rig.exchange.writeApplicationCrc(qint32(argument));
    else
        rig.exchange.writeAutoDownload(argument != 0);
    rig.run(10);
    QCOMPARE(rig.bus.service.writtenSymbols().size(), 1);
    const auto symbol = rig.bus.service.writtenSymbols()[0];
    QCOMPARE(symbol.module, 0);
    QCOMPARE(int(symbol.id), id);
    QCOMPARE(symbol.value, stored);
    QCOMPARE(rig.bus.service.variable(0, quint16(id)), std::optional<quint32>(stored));
}

QTEST_MAIN(SystemInformationExchangeTest)
#include "system_information_test.moc"
