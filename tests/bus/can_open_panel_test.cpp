#include "bus/can_open_panel_form.h"
#include "bus/can_open_test_panel.h"
#include "bus_rig.h"
#include "support/losable_channel.h"
#include "support/screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

class CanOpenPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_debugMode = true; }
    void panelReadsManufacturerNameFromAModule();
    void pickerFillsIndexAndSubIndex();
    void targetModeChoosesTheBase();
    void answersAreShownByObject_data();
    void answersAreShownByObject();
    void heartbeatTimeIsWrittenLeastSignificantByteFirst();
    void eachClickOnALostChannelSaysSo();
    void initButtonShowsBoardOrStartsTheNetwork();
    void closingThePanelKeepsTheMaster();
};

void CanOpenPanelTest::panelReadsManufacturerNameFromAModule() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    rig.modules.module(1).config().deviceName = "ZENT-6183 test";
    rig.modules.setModes(0, 3, sim::Mode::Application);
    rig.time.runFor(50);

    rig.master().show();
    CanOpenPanelForm* form = rig.master().form();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("CANopen Test"));
    auto* picker = form->findChild<QComboBox*>("cboSDO");
    picker->setCurrentIndex(3);
    emit picker->activated(3);
    QCOMPARE(form->findChild<QLineEdit*>("txtIndex")->text(), QStringLiteral("1008"));
    QTest::mouseClick(form->findChild<QPushButton*>("cmdReadSDO"), Qt::LeftButton);

    QCOMPARE(form->findChild<QLabel*>("lblResult")->text(), QStringLiteral("manufacturer name"));
    QCOMPARE(form->findChild<QLineEdit*>("txtResult")->text(), QStringLiteral("ZENT-6183 test"));
    QCOMPARE(form->findChild<QPushButton*>("cmdInitCOP")->text(),
             QStringLiteral("&Get Board Information"));
    QVERIFY(rig.framesOn(0x621).size() >= 1);
    QVERIFY(rig.dialogs.shown().isEmpty());
    QVERIFY(!saveScreenshot(*form, QStringLiteral("can_open_panel")).isEmpty());
}

void CanOpenPanelTest::pickerFillsIndexAndSubIndex() {
    BusRig rig;
    CanOpenTestPanel& panel = rig.master().testPanel();
    QCOMPARE(panel.view().index, QStringLiteral("1000")); // the first entry, picked at load

    panel.cboSDO_GotFocus();
    QVERIFY(!panel.view().indexHighlighted);
    panel.cboSDO_Click(9); // "revision no"

    QCOMPARE(panel.view().index, QStringLiteral("1018"));
    QCOMPARE(panel.view().subIndex, QStringLiteral("3"));
    QVERIFY(panel.view().indexHighlighted);
}

void CanOpenPanelTest::targetModeChoosesTheBase() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    CanOpenTestPanel& panel = rig.master().testPanel();
    panel.setCylNo(QStringLiteral("2"));

    panel.setTargetBootloader(true);
    QCOMPARE(panel.getNodeNo(), 0x72);
    panel.setTargetBootloader(false);
    QCOMPARE(panel.getNodeNo(), 0x22);
}

void CanOpenPanelTest::answersAreShownByObject_data() {
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("subIndex");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("result");

    QTest::newRow("device type") << "1000"
                                 << "0"
                                 << "device type"
                                 << "&H00020192";
    QTest::newRow("manufacturer name without its zero byte") << "1008"
                                                             << "0"
                                                             << "manufacturer name"
                                                             << "AB";
    QTest::newRow("producer heartbeat time") << "1017"
                                             << "0"
                                             << "producer heartbeat time"
                                             << "&H03E8";
    QTest::newRow("identity entries") << "1018"
                                      << "0"
                                      << "identity object / no of elements"
                                      << "4";
    QTest::newRow("vendor id") << "1018"
                               << "1"
                               << "identity object / vendor id"
                               << "&H000000A5";
}

void CanOpenPanelTest::answersAreShownByObject() {
    QFETCH(QString, index);
    QFETCH(QString, subIndex);
    QFETCH(QString, label);
    QFETCH(QString, result);
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    sim::Module& m = rig.modules.module(1);
    m.config().deviceType = 0x00020192;
    m.config().deviceName = QByteArray("AB\0", 3);
    m.setMode(sim::Mode::Application);
    rig.time.runFor(20);
    CanOpenTestPanel& panel = rig.master().testPanel();

    panel.setIndex(index);
    panel.setSubIndex(subIndex);
    rig.master().cmdReadSDO_Click();

    QCOMPARE(panel.view().resultLabel, label);
    QCOMPARE(panel.view().result, result);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void CanOpenPanelTest::heartbeatTimeIsWrittenLeastSignificantByteFirst() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    rig.modules.setModes(1, 1, sim::Mode::Application);
    rig.time.runFor(20);
    CanOpenTestPanel& panel = rig.master().testPanel();

    panel.setHeartBeatTime(QStringLiteral("1000"));
    panel.cmdSetHeartBeat_Click();

    QCOMPARE(bytesOf(rig.framesOn(0x621).value(0)),
             QByteArray("\x2B\x17\x10\x00\xE8\x03\x00\x00", 8));
    QCOMPARE(rig.modules.module(1).config().heartbeatMs, quint16(1000));

    // A failing read shows the failure with its node.
    rig.modules.module(1).faults().silent = true;
    panel.setIndex(QStringLiteral("1017"));
    panel.setSubIndex(QStringLiteral("0"));
    panel.cmdReadSDO_Click();
    QCOMPARE(rig.dialogs.texts(),
             QStringList{"Read SDO: VCI General Error\r\nNode: 33 Index: 0x1017  Sub-Index: 0x0"});
}

// The panel's clicks are the user's own: each failure is shown, also after the loss was told.
void CanOpenPanelTest::eachClickOnALostChannelSaysSo() {
    BusRig rig;
    LosableChannel channel(rig.bus);
    channel.install();
    QVERIFY(rig.open("S-Bus"));
    rig.modules.setModes(1, 1, sim::Mode::Application);
    rig.time.runFor(20);
    CanOpenTestPanel& panel = rig.master().testPanel();
    channel.lose();

    panel.cmdReadSDO_Click();
    panel.cmdReadSDO_Click();
    panel.setHeartBeatTime(QStringLiteral("1000"));
    panel.cmdSetHeartBeat_Click();

    const QStringList boxes = rig.dialogs.texts();
    QCOMPARE(boxes.size(), 3);
    for (const QString& box : boxes)
        QVERIFY2(box.endsWith(QStringLiteral("CAN channel in-process bus was lost")),
                 qPrintable(box));
}

void CanOpenPanelTest::initButtonShowsBoardOrStartsTheNetwork() {
    {
        BusRig rig;
        QVERIFY(rig.open("S-Bus"));
        rig.master().testPanel().cmdInitCOP_Click();
        QCOMPARE(rig.dialogs.shown().size(), 1);
        QCOMPARE(rig.dialogs.shown()[0].icon, BoxIcon::Information);
        QCOMPARE(rig.dialogs.shown()[0].text, QStringLiteral("Information about used CAN board:\n\n"
                                                             "Hardware version:\t\t1.0\r\n"
                                                             "Firmware version:\t\t2.0\r\n"
                                                             "CANopen API version:\t2.0\r\n"
                                                             "Board segment (hex):\t0\r\n"
                                                             "Interrupt:\t\t0\r\n"
                                                             "Hardware name:\t\tin-process bus\r\n"
                                                             "Serial number:\t\t"));
    }
    {
        BusRig rig; // no board: the network start "succeeds"
        rig.master().setNoCan(true);
        rig.master().testPanel().cmdInitCOP_Click();
        QCOMPARE(rig.dialogs.texts(), QStringList{"this debug function has been disabled"});
        QCOMPARE(rig.dialogs.shown()[0].icon, BoxIcon::None);
        QCOMPARE(rig.master().panelState().masterState, QStringLiteral("Net is operational"));
    }
    {
        BusRig rig; // a bus that was never opened: the start fails and the master is released
        double version = 0;
        QVERIFY(!rig.master().g_initialise(rig.log.target(), version, "S-Bus", true, 7));
        rig.master().testPanel().cmdInitCOP_Click();
        QCOMPARE(rig.dialogs.texts(),
                 (QStringList{"this debug function has been disabled",
                              "Set operational: CAN-Interface General Error\r\nNode: 0"}));
        QCOMPARE(rig.log.messages.last(), QStringLiteral("   Set net operational"));
        QCOMPARE(rig.master().panelState().initButtonCaption, QStringLiteral("Init CANInterface"));
    }
}

void CanOpenPanelTest::closingThePanelKeepsTheMaster() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    rig.master().show();
    CanOpenPanelForm* form = rig.master().form();

    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(rig.master().isInitialised());
    rig.master().show();
    QCOMPARE(rig.master().form(), form);

    QTest::mouseClick(form->findChild<QPushButton*>("cmdResetCOP"), Qt::LeftButton);
    QVERIFY(!rig.master().isInitialised());
    QCOMPARE(form->findChild<QLabel*>("lblMasterState")->text(), QStringLiteral("not initialized"));
    QCOMPARE(form->findChild<QPushButton*>("cmdInitCOP")->text(),
             QStringLiteral("Init CANInterface"));
}

QTEST_MAIN(CanOpenPanelTest)
#include "can_open_panel_test.moc"
