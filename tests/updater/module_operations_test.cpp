// The updater's single-module operations against simulated modules.
#include "bus/bus_rig.h"
#include "bus/sample_config.h"
#include "sim/application_image.h"
#include "sim/info_block.h"
#include "updater/updater_face.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

struct OperationsRig {
    explicit OperationsRig(sim::BusKind kind = sim::BusKind::SBus, int bitRateKbit = 500)
        : bus(kind, bitRateKbit) {
        QVERIFY(config.ok());
    }
    bool open(const QString& busText = QStringLiteral("S-Bus")) {
        const bool ok = bus.open(busText);
        bus.time.runFor(50);
        return ok;
    }
    UpdaterModuleOperations& operations() { return face.moduleOperations(); }
    QStringList log() { return face.messages().lines(); }

    BusRig bus;
    SampleConfig config;
    MainWindow window;
    UpdaterFace face{window};
};

} // namespace

class ModuleOperationsTest : public QObject {
    Q_OBJECT
private slots:
    void infoBlockFieldsAreDecoded();
    void bootloaderCrcIsChecked_data();
    void bootloaderCrcIsChecked();
    void connectionStatusSummary_data();
    void connectionStatusSummary();
    void applicationDownloadRetries_data();
    void applicationDownloadRetries();
    void startAddressMovesToTheBaseOutsideTheUpdater();
};

void ModuleOperationsTest::infoBlockFieldsAreDecoded() {
    OperationsRig rig;
    sim::Module& module = rig.bus.modules.module(2);
    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    sim::InfoBlockFields fields{"ZENT", 0x01020304, "Mar 07 2026", 0x30000};
    const QByteArray image(300, '\x5A');
    QByteArray block = sim::makeInfoBlock(6, fields, image);
    module.setSection(6, block, image);

    bool ok = false;
    rig.operations().uploadInfoBlock(2, 6, ok);
    QVERIFY(ok);
    const auto& f = rig.operations().InfoBlockFields;
    QCOMPARE(f[1], QStringLiteral("44"));
    QCOMPARE(f[2], QStringLiteral("ZENT"));
    QCOMPARE(f[3], QString::number(0x01020304));
    QCOMPARE(f[4], QStringLiteral("Mar 07 2026"));
    QCOMPARE(f[5], QStringLiteral("0x00030000"));
    QCOMPARE(f[6], QStringLiteral("300"));
    QCOMPARE(f[7], QStringLiteral("0x%1")
                       .arg(sim::infoBlockCodeChecksum(block), 8, 16, QLatin1Char('0'))
                       .toUpper()
                       .replace("0X", "0x"));
    QCOMPARE(f[8], QStringLiteral("0x") + block.mid(40, 4).toHex().toUpper());

    // A module that does not answer leaves the fields as they were.
    rig.bus.dialogs.clear();
    rig.operations().uploadInfoBlock(5, 6, ok);
    QVERIFY(!ok);
    QCOMPARE(f[2], QStringLiteral("ZENT"));
    QVERIFY(rig.bus.dialogs.texts().join(u' ').contains(QStringLiteral("Node: 117 Index: 0x5FFE")));
}

void ModuleOperationsTest::bootloaderCrcIsChecked_data() {
    QTest::addColumn<QByteArray>("checksum");
    QTest::addColumn<bool>("sparePresent");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("logged");
    QTest::newRow("released bootloader")
        << QByteArray("\x6C\x73\xB5\x42") << false << true << QString();
    QTest::newRow("other bootloader")
        << QByteArray("\x12\x34\x56\x78") << false << false << "   Bootloader-CRC: 0x12345678";
    // With the spare counted present the check asks module 23, which no bus has.
    QTest::newRow("spare present") << QByteArray("\x6C\x73\xB5\x42") << true << false << QString();
}

void ModuleOperationsTest::bootloaderCrcIsChecked() {
    QFETCH(QByteArray, checksum);
    QFETCH(bool, sparePresent);
    QFETCH(bool, result);
    QFETCH(QString, logged);
    OperationsRig rig;
    sim::Module& spare = rig.bus.modules.module(0);
    spare.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    QByteArray block = spare.section(1).infoBlock;
    block.replace(36, 4, checksum);
    spare.setSection(1, block, {});
    rig.operations().m_sparePresent = sparePresent;
    bool ok = !result;
    rig.operations().checkBlCRC(ok);
    QCOMPARE(ok, result);
    QCOMPARE(rig.log(), logged.isEmpty() ? QStringList() : QStringList{logged});
}

void ModuleOperationsTest::connectionStatusSummary_data() {
    QTest::addColumn<int>("spare");   // sim::Mode of module 0
    QTest::addColumn<int>("module7"); // sim::Mode of module 7
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("sparePresent"); // before: true
    const int off = int(sim::Mode::Off);
    const int bl = int(sim::Mode::Bootloader);
    const int app = int(sim::Mode::Application);
    QTest::newRow("nothing") << off << off << 0 << true;
    QTest::newRow("spare application") << app << off << 1 << true;
    QTest::newRow("spare bootloader") << bl << off << 2 << false;
    QTest::newRow("spare bootloader, module 7 application") << bl << app << 3 << true;
    QTest::newRow("module 7 in its bootloader") << app << bl << 1 << true;
}

void ModuleOperationsTest::connectionStatusSummary() {
    QFETCH(int, spare);
    QFETCH(int, module7);
    QFETCH(int, status);
    QFETCH(bool, sparePresent);
    OperationsRig rig;
    rig.bus.modules.module(0).setMode(sim::Mode(spare));
    rig.bus.modules.module(7).setMode(sim::Mode(module7));
    QVERIFY(rig.open());
    rig.bus.time.runFor(1500);
    rig.operations().m_sparePresent = true;
    qint32 result = -1;
    rig.operations().getConnectionStatus(result);
    QCOMPARE(result, status);
    QCOMPARE(rig.operations().m_sparePresent, sparePresent);
}

namespace {

// A TOQ module in its bootloader and an application file for it.
struct ToqRig : OperationsRig {
    ToqRig()
        : OperationsRig(sim::BusKind::Toq, 125) {
        g_TOQMode = true;
        g_moduleType = QStringLiteral("TOQ");
        module().setMode(sim::Mode::Bootloader);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(sim::s28Records(image, 0x30000));
    }
    ~ToqRig() {
        g_TOQMode = false;
        g_moduleType = QStringLiteral("PXU");
        g_applUpdate = false;
        g_baseAdrAppl = 0;
    }
    sim::Module& module() { return bus.modules.module(1); }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("TOQ_APPL.S19"));
    QByteArray image = sim::applicationImage(20000, 0x1234);
};

} // namespace

void ModuleOperationsTest::applicationDownloadRetries_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("log");
    const QString info = QStringLiteral("  Write infoblock to TOQ");
    const QString data = QStringLiteral("  Write data to TOQ");
    const QString again = QStringLiteral("  New attempt to download");
    const QString done = QStringLiteral("  Download successful");
    const QString noBlock = QStringLiteral("  Failure in transmitting infoblock!");
    QTest::newRow("first attempt") << "none" << true << QStringList{info, data, done};
    QTest::newRow("info block lost once")
        << "silent at first" << true << QStringList{info, noBlock, again, info, data, done};
    QTest::newRow("data aborted once")
        << "abort once" << true
        << QStringList{info, data, "  Failure in transmitting program/data!", again, info,
                       data, done};
    QTest::newRow("three failures")
        << "silent" << false
        << QStringList{info, noBlock, again, info, noBlock, again, info, noBlock};
    QTest::newRow("info block refused")
        << "beyond the flash" << false
        << QStringList{info, "  Downloading infoblock failed!", again,
                       info, "  Downloading infoblock failed!", again,
                       info, "  Downloading infoblock failed!"};
}

void ModuleOperationsTest::applicationDownloadRetries() {
    QFETCH(QString, fault);
    QFETCH(bool, ok);
    QFETCH(QStringList, log);
    ToqRig rig;
    QVERIFY(rig.open());
    g_applUpdate = true;
    if (fault == QLatin1String("silent at first")) {
        rig.module().faults().silent = true;
        rig.bus.time.callAfter(500'000, [&] { rig.module().faults().silent = false; });
    } else if (fault == QLatin1String("silent")) {
        rig.module().faults().silent = true;
    } else if (fault == QLatin1String("abort once")) {
        rig.module().faults().abortOnBlock = 1;
        rig.module().faults().abortTimes = 1;
    } else if (fault == QLatin1String("beyond the flash")) {
        rig.module().config().flashEnd = 0x30000; // the code would not fit
    }
    bool done = !ok;
    rig.operations().downloadApplication(rig.file, 1, 2, done);
    QCOMPARE(done, ok);
    QCOMPARE(rig.log(), log);
    if (ok)
        QCOMPARE(rig.module().section(2).image, rig.image);
}

void ModuleOperationsTest::startAddressMovesToTheBaseOutsideTheUpdater() {
    ToqRig rig;
    QVERIFY(rig.open());
    g_applUpdate = false;
    g_baseAdrAppl = 0x40000;
    bool ok = false;
    rig.operations().downloadApplication(rig.file, 1, 2, ok);
    QVERIFY(ok);
    QCOMPARE(rig.log().first(), QStringLiteral("      start-address moved to 262144"));
    QCOMPARE(sim::infoBlockCodeStart(rig.module().section(2).infoBlock), 0x40000u);

    // In the updater the file's own address stands.
    rig.face.messages().clear();
    g_applUpdate = true;
    rig.operations().downloadApplication(rig.file, 1, 2, ok);
    QVERIFY(ok);
    QCOMPARE(rig.log().first(), QStringLiteral("  Write infoblock to TOQ"));
    QCOMPARE(sim::infoBlockCodeStart(rig.module().section(2).infoBlock), 0x30000u);
}

QTEST_MAIN(ModuleOperationsTest)
#include "module_operations_test.moc"
