// The application type from load files and, against the simulator, from the connected
// modules.
#include "bus/application_mode.h"
#include "bus_rig.h"
#include "core/globals.h"
#include "core/srecord_file.h"
#include "fake_main_window.h"
#include "sample_config.h"
#include "sim/info_block.h"
#include "support/recording_error_handler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::modApplicationMode;

class ApplicationTypeTest : public QObject {
    Q_OBJECT
private slots:
    void fileTypeIsFirstCodeFound_data();
    void fileTypeIsFirstCodeFound();
    void fileTypeOfModuleTypes();
    void startAddressFromSecondLine_data();
    void startAddressFromSecondLine();
    void connectionTypeFromFirstModuleAnswering_data();
    void connectionTypeFromFirstModuleAnswering();
    void bootloaderOnlyModulesGiveTheirApplicationId_data();
    void bootloaderOnlyModulesGiveTheirApplicationId();
    void nobodyAnsweringGivesNoModule();
    void mBusAsksOnlyModuleZero();
    void typesWithoutBusAccess();

private:
    QString write(const QString& name, const QByteArray& text);
    QTemporaryDir m_dir;
};

QString ApplicationTypeTest::write(const QString& name, const QByteArray& text) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

void ApplicationTypeTest::fileTypeIsFirstCodeFound_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("type");
    const QByteArray filler(300, '\x5A');
    QTest::newRow("ZENT-6183") << filler + "xxZENT-6183 V1" + filler << 0;
    QTest::newRow("ZENT without its number") << filler + "ZENT V1" << 0;
    QTest::newRow("LORX only") << filler + "LORX" + filler << 2;
    QTest::newRow("DORN and LORX") << "LORX" + filler + "DORN" << 1;
    QTest::newRow("ZENT-6183 before DORN") << "DORN" + filler + "ZENT-6183" << 0;
    QTest::newRow("across a record boundary") << QByteArray(30, '\0') + "DORN" << 1;
    QTest::newRow("no code") << filler << 0;
}

void ApplicationTypeTest::fileTypeIsFirstCodeFound() {
    QFETCH(QByteArray, image);
    QFETCH(int, type);
    const QString path = m_dir.filePath(QStringLiteral("PXU_APPL.S19"));
    QVERIFY(g_binToSRec(image, 0x30000, QStringLiteral("S28"), path));
    QCOMPARE(g_checkAppFileType(path), type);
}

void ApplicationTypeTest::fileTypeOfModuleTypes() {
    const QString missing = m_dir.filePath(QStringLiteral("missing.S19"));
    QCOMPARE(g_checkAppFileType(missing), 0);
    g_KEVMode = true;
    QCOMPARE(g_checkAppFileType(missing), 6);
    g_KEVMode = false;
    g_TOQMode = true;
    QCOMPARE(g_checkAppFileType(missing), 7);
    g_TOQMode = false;
}

void ApplicationTypeTest::startAddressFromSecondLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("address");
    QTest::newRow("S2 record at 0x30000")
        << QByteArray("S00600004844521B\r\nS2140300000000000000000000000000000000E8\r\n")
        << 0x30000;
    QTest::newRow("S2 record at 0x100000")
        << QByteArray("S0030000FC\nS2081000000102030400\nS804000000FB\n") << 0x100000;
    QTest::newRow("one line only") << QByteArray("S0030000FC\n") << 0;
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("S1 record") << QByteArray("S0030000FC\nS1070300010203F1\n") << 0;
    QTest::newRow("address field not hexadecimal") << QByteArray("S0030000FC\nS214 30000\n") << 0;
}

void ApplicationTypeTest::startAddressFromSecondLine() {
    QFETCH(QByteArray, text);
    QFETCH(int, address);
    test::RecordingErrorHandler errors;
    QCOMPARE(g_getApplStartAddr(write(QStringLiteral("APPL.S19"), text)), address);
    QCOMPARE(errors.reports().size(), 0);
    QCOMPARE(g_getApplStartAddr(m_dir.filePath(QStringLiteral("missing.S19"))), 0);
}

void ApplicationTypeTest::connectionTypeFromFirstModuleAnswering_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("ZENT-6183 and more") << QByteArray("ZENT-6183 PXU-20 V2") << 0;
    QTest::newRow("ZENT alone") << QByteArray("ZENT") << 0;
    QTest::newRow("DORN") << QByteArray("DORN PXU-20") << 1;
    QTest::newRow("LORX") << QByteArray("LORX PXU-20") << 2;
    QTest::newRow("DORN after other text") << QByteArray("PXU-20 DORN") << 0;
    QTest::newRow("lower case") << QByteArray("dorn") << 0;
}

void ApplicationTypeTest::connectionTypeFromFirstModuleAnswering() {
    QFETCH(QByteArray, name);
    QFETCH(int, type);
    test::BusRig rig;
    test::SampleConfig config;
    // Modules 0 and 1 are off: module 2 answers first; module 3 is never asked.
    rig.modules.module(2).config().deviceName = name;
    rig.modules.module(3).config().deviceName = "LORX";
    rig.modules.setModes(2, 3, sim::Mode::Application);
    QVERIFY(config.ok() && rig.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_checkAppConnectionType(), type);
    QCOMPARE(rig.framesOn(0x600 + 0x23).size(), 0);
}

void ApplicationTypeTest::bootloaderOnlyModulesGiveTheirApplicationId_data() {
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<int>("type");
    QTest::newRow("DORN padded with zeros") << QByteArray("DORN") << 1;
    QTest::newRow("LORX") << QByteArray("LORX") << 2;
    QTest::newRow("ZENT") << QByteArray("ZENT") << 0;
    QTest::newRow("other text") << QByteArray("APPL_V01") << 3;
}

void ApplicationTypeTest::bootloaderOnlyModulesGiveTheirApplicationId() {
    QFETCH(QByteArray, id);
    QFETCH(int, type);
    test::BusRig rig;
    test::SampleConfig config;
    const QByteArray image(100, 'a');
    rig.modules.module(1).setSection(
        6, sim::makeInfoBlock(6, {id, 1, "Jan 05 2026", 0x30000}, image), image);
    rig.modules.setModes(1, 2, sim::Mode::Bootloader);
    QVERIFY(config.ok() && rig.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_checkAppConnectionType(), type);
}

void ApplicationTypeTest::nobodyAnsweringGivesNoModule() {
    test::BusRig rig;
    test::SampleConfig config;
    QVERIFY(config.ok() && rig.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_checkAppConnectionType(), 4);
    QVERIFY(rig.dialogs.shown().isEmpty()); // the reads are quiet
}

void ApplicationTypeTest::mBusAsksOnlyModuleZero() {
    test::BusRig rig(sim::BusKind::MBus, 125);
    test::SampleConfig config;
    test::FakeMainWindow window;
    rig.modules.setModes(1, 6, sim::Mode::Application);
    QVERIFY(config.ok() && rig.open(QStringLiteral("M-Bus")));
    QCOMPARE(g_checkAppConnectionType(), 4);
    // With the spare there, its name is checked as well: #03 is not the spare.
    rig.modules.module(0).config().deviceName = "DORN PXU-20 #03";
    rig.modules.module(0).setMode(sim::Mode::Application);
    rig.time.runFor(10);
    QCOMPARE(g_checkAppConnectionType(), 1);
    QCOMPARE(window.logOffs, QList<bool>{true});
}

void ApplicationTypeTest::typesWithoutBusAccess() {
    test::BusRig rig;
    test::SampleConfig config;
    rig.modules.setModes(0, 0, sim::Mode::Application);
    QVERIFY(config.ok() && rig.open(QStringLiteral("S-Bus")));
    const qsizetype heard = rig.heard.size();
    g_KEVMode = true;
    QCOMPARE(g_checkAppConnectionType(), 6);
    g_KEVMode = false;
    g_TOQMode = true;
    QCOMPARE(g_checkAppConnectionType(), 7);
    rig.master().setNoCan(true);
    QCOMPARE(g_checkAppConnectionType(), 4);
    g_TOQMode = false;
    QCOMPARE(g_checkAppConnectionType(), 4);
    rig.time.runFor(10);
    QCOMPARE(rig.heard.size(), heard);
}

QTEST_MAIN(ApplicationTypeTest)
#include "application_type_test.moc"
