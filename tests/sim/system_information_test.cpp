// The engine's system information in the simulated spare module.
#include "sim/application_image.h"
#include "sim/checksums.h"
#include "sim/command_line.h"
#include "sim/info_block.h"
#include "sim/system_information.h"
#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;

namespace {

can::CanFrame serviceBit(quint16 id, bool on) {
    return frameOf(0x382, {quint8(id), quint8(id >> 8), 0, 0x85, quint8(on), 0, 0, 0});
}

// The spare on an M-Bus with its system information, and the values it reports.
struct EngineRig {
    EngineRig() {
        bus.addListener([this](const can::CanFrame& f) {
            if (f.id == ServiceChannel::kVariableValueId)
                reported[quint16((f.data[0] | f.data[1] << 8) & 0xFFF)] =
                    quint32(f.data[4]) | quint32(f.data[5]) << 8 | quint32(f.data[6]) << 16 |
                    quint32(f.data[7]) << 24;
        });
        bus.setModes(0, 6, Mode::Application);
    }
    // Asks for the value once and gives what came.
    std::optional<quint32> read(quint16 id) {
        reported.remove(id);
        bus.receive(serviceBit(id, true));
        clock.advanceUs(10'000);
        bus.receive(serviceBit(id, false));
        if (!reported.contains(id))
            return std::nullopt;
        return reported.value(id);
    }
    QByteArray readText(quint16 firstId, int chunks) {
        QByteArray text;
        for (int i = 0; i < chunks; ++i) {
            const quint32 v = read(quint16(firstId + i)).value_or(0xFFFFFFFF);
            for (int k = 0; k < 4; ++k)
                text += char(v >> (8 * k));
        }
        return text;
    }

    VirtualClock clock;
    Bus bus{BusKind::MBus, clock};
    ServiceChannel channel{bus};
    SystemInformation info{bus, channel};
    QMap<quint16, quint32> reported;
};

} // namespace

class SystemInformationTest : public QObject {
    Q_OBJECT
private slots:
    void reportsTheEngineValues();
    void textsComeInChunksOfFourCharacters();
    void aNewApplicationReportsItsOwnCrc();
    void theWrittenFirstApplicationCrcIsReportedBack();
    void nothingIsReportedOutsideTheApplication();
    void optionsSetIdsAndValues();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void applicationImagesEndInTheAskedCrc_data();
    void applicationImagesEndInTheAskedCrc();
};

void SystemInformationTest::reportsTheEngineValues() {
    EngineRig rig;
    const SystemInfoIds ids;
    QCOMPARE(rig.read(ids.build), std::optional<quint32>(41));
    QCOMPARE(rig.read(ids.developer), std::optional<quint32>(1305));
    QCOMPARE(rig.read(ids.totNoOfCyl), std::optional<quint32>(6));
    QCOMPARE(rig.read(ids.autoDownload), std::optional<quint32>(1));
    QCOMPARE(rig.read(ids.crcValueImo), std::optional<quint32>(0x5A5A0C1E));
    QCOMPARE(rig.read(ids.crcLenImo), std::optional<quint32>(0x2000));
    QCOMPARE(rig.read(ids.crcValueApplication), std::optional<quint32>(0x9E371A2B));
    QCOMPARE(rig.read(ids.crcLenApplication), std::optional<quint32>(0x40000));
    QCOMPARE(rig.read(ids.crcFirstApplication), std::optional<quint32>(0));
}

void SystemInformationTest::textsComeInChunksOfFourCharacters() {
    EngineRig rig;
    EngineValues values;
    values.hullNumber = "HULL-0815";
    values.engineType = "ZX-62 DF MK2 / SIX CYLINDERS L";
    rig.info.setValues(values);
    const SystemInfoIds ids;
    QCOMPARE(rig.readText(ids.hullNo, 4), QByteArray("HULL-0815\0\0\0\0\0\0\0", 16));
    QCOMPARE(rig.readText(ids.engineType, 4), QByteArray("ZX-62 DF MK2 / S"));
    QCOMPARE(rig.readText(ids.engineTypeLong, 8),
             QByteArray("ZX-62 DF MK2 / SIX CYLINDERS L\0\0", 32));
    QCOMPARE(textChunk("ABCDE", 1), quint32('E'));
}

void SystemInformationTest::aNewApplicationReportsItsOwnCrc() {
    EngineRig rig;
    const SystemInfoIds ids;
    const QByteArray image = applicationImage(0x1000, 0x3C4D);
    InfoBlockFields fields;
    fields.id = "ZENT";
    fields.codeStart = 0x100000;
    // The auto download gives a cylinder the new code first: the spare still reports its own.
    rig.bus.module(1).setSection(ApplicationSection, makeInfoBlock(6, fields, image), image);
    QCOMPARE(rig.read(ids.crcValueApplication), std::optional<quint32>(0x9E371A2B));
    rig.bus.module(0).setSection(ApplicationSection, makeInfoBlock(6, fields, image), image);
    QCOMPARE(rig.read(ids.crcValueApplication), std::optional<quint32>(crc32(image)));
    QCOMPARE(quint16(*rig.read(ids.crcValueApplication)), quint16(0x3C4D));
    QCOMPARE(rig.read(ids.crcLenApplication), std::optional<quint32>(0x1000));
    // Values set anew make the present code the installed one.
    EngineValues values;
    values.applicationCrc = 0x11112222;
    rig.info.setValues(values);
    QCOMPARE(rig.read(ids.crcValueApplication), std::optional<quint32>(0x11112222));
    QCOMPARE(rig.read(ids.crcLenApplication), std::optional<quint32>(0x40000));
}

void SystemInformationTest::theWrittenFirstApplicationCrcIsReportedBack() {
    EngineRig rig;
    const SystemInfoIds ids;
    rig.bus.receive(frameOf(0x382, {0x10, 0x04, 0, 0x80, 0x4D, 0x3C, 0, 0}));
    QCOMPARE(rig.read(ids.crcFirstApplication), std::optional<quint32>(0x3C4D));
    rig.bus.receive(frameOf(0x382, {0x03, 0x04, 0, 0x80, 0, 0, 0, 0}));
    QCOMPARE(rig.read(ids.autoDownload), std::optional<quint32>(0));
}

void SystemInformationTest::nothingIsReportedOutsideTheApplication() {
    EngineRig rig;
    rig.bus.module(0).setMode(Mode::Bootloader);
    QCOMPARE(rig.read(SystemInfoIds().build), std::nullopt);
}

void SystemInformationTest::optionsSetIdsAndValues() {
    const auto line = parseCommandLine({"--channel",  "virtualcan:can0",
                                        "--bus",      "M",
                                        "--sys-var",  "par_swinfo_build=0x520",
                                        "--sys-info", "hull=H-1",
                                        "--sys-info", "engine-type=ABC",
                                        "--sys-info", "build=42",
                                        "--sys-info", "developer=2311",
                                        "--sys-info", "cylinders=14",
                                        "--sys-info", "auto-download=0",
                                        "--sys-info", "appl-crc=0xFFFF5E6F",
                                        "--sys-info", "appl-len=stored",
                                        "--sys-info", "imo-crc=7",
                                        "--sys-info", "imo-len=8",
                                        "--sys-info", "first-appl-crc=9"},
                                       nullptr);
    QVERIFY(line);
    const SystemInfoOptions& o = line->channels.front().systemInfo;
    QCOMPARE(o.ids.build, quint16(0x520));
    QCOMPARE(o.ids.developer, quint16(0x421));
    QCOMPARE(o.values.hullNumber, QByteArray("H-1"));
    QCOMPARE(o.values.engineType, QByteArray("ABC"));
    QCOMPARE(o.values.build, 42u);
    QCOMPARE(o.values.developer, 2311u);
    QCOMPARE(o.values.cylinders, 14u);
    QCOMPARE(o.values.autoDownload, 0u);
    QCOMPARE(o.values.applicationCrc, std::optional<quint32>(0xFFFF5E6F));
    QCOMPARE(o.values.applicationLength, std::nullopt);
    QCOMPARE(o.values.imoCrc, 7u);
    QCOMPARE(o.values.imoLength, 8u);
    QCOMPARE(o.values.firstApplicationCrc, 9u);
    QVERIFY(usageText().contains(QStringLiteral("--sys-info")));
}

void SystemInformationTest::badOptionsAreRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown variable") << QStringList{"--sys-var", "PAR_OTHER=1"};
    QTest::newRow("id beyond 12 bits") << QStringList{"--sys-var", "PAR_SWINFO_BUILD=0x1000"};
    QTest::newRow("unknown value") << QStringList{"--sys-info", "colour=red"};
    QTest::newRow("no value") << QStringList{"--sys-info", "build"};
    QTest::newRow("hull number too long") << QStringList{"--sys-info", "hull=12345678901234567"};
    QTest::newRow("beyond 32 bits") << QStringList{"--sys-info", "build=0x100000000"};
}

void SystemInformationTest::badOptionsAreRefused() {
    QFETCH(QStringList, args);
    QString error;
    QVERIFY(!parseCommandLine(QStringList{"--channel", "virtualcan:can0"} + args, &error));
    QVERIFY(error.contains(QStringLiteral("--sys-")));
}

void SystemInformationTest::applicationImagesEndInTheAskedCrc_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("crc");
    QTest::newRow("new build 41") << 0x4000 << 0x3C4D;
    QTest::newRow("new build 42") << 100 << 0x7A8B;
    QTest::newRow("smallest") << 3 << 0xFFFF;
}

void SystemInformationTest::applicationImagesEndInTheAskedCrc() {
    QFETCH(int, size);
    QFETCH(int, crc);
    const QByteArray image = applicationImage(size, quint16(crc));
    QCOMPARE(image.size(), size);
    QCOMPARE(quint16(crc32(image)), quint16(crc));
    const QByteArray text = s28Records(image, 0x100000);
    QVERIFY(text.startsWith("S0"));
    QCOMPARE(text.split('\n').at(1).mid(4, 6), QByteArray("100000"));
    QVERIFY(text.endsWith("S804000000FB\r\n"));
}

QTEST_GUILESS_MAIN(SystemInformationTest)
#include "system_information_test.moc"
