#include "core/globals.h"
#include "mainwindow/module_type_tables.h"
#include "mainwindow/selection.h"

#include <QtTest>
#include <functional>

using namespace pxu;

using Step = std::function<void(Selection&)>;
Q_DECLARE_METATYPE(Step)

namespace {

// One digit per box: a value, or 1/0 for enabled.
QString values(const Selection& s) {
    QString text;
    for (int m = 0; m < kModuleCount; ++m)
        text += QString::number(s.program(m).value);
    return text;
}
QString enabled(const Selection& s) {
    QString text;
    for (int m = 0; m < kModuleCount; ++m)
        text += s.program(m).enabled ? u'1' : u'0';
    return text;
}
QString sectionValues(const Selection& s) {
    QString text;
    for (int i = 0; i < kSectionBoxCount; ++i)
        text += QString::number(s.section(i).value);
    return text;
}
QString sectionsEnabled(const Selection& s) {
    QString text;
    for (int i = 0; i < kSectionBoxCount; ++i)
        text += s.section(i).enabled ? u'1' : u'0';
    return text;
}

// Section boxes as start-up leaves them: tags of the module type, -1 boxes hidden.
void layOut(Selection& s, const QString& moduleType) {
    const SectionTags tags = sectionTags(moduleType);
    for (int i = 0; i < kSectionBoxCount; ++i) {
        s.setSectionTag(i, tags[i]);
        s.setSectionVisible(i, tags[i] != -1);
    }
}

void runApplication(Selection& s, std::initializer_list<int> modules) {
    for (int m : modules)
        s.setApplicationRunning(m, 1);
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { g_forceFpgaDownload = true; }
    void moduleRulesKeepTheAllBoxInStep_data();
    void moduleRulesKeepTheAllBoxInStep();
    void sectionRulesFollowApplicationAndBl2_data();
    void sectionRulesFollowApplicationAndBl2();
    void valueFromCodeRunsTheHandlerOnlyWhenItChanges();
};

void SelectionTest::moduleRulesKeepTheAllBoxInStep_data() {
    QTest::addColumn<Step>("steps");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("programEnabled");
    QTest::addColumn<int>("all");

    QTest::newRow("module 5 ticked, 0 not: grey")
        << Step([](Selection& s) { s.clickProgram(5); }) << "000001000000000"
        << "111111111111111" << 2;
    QTest::newRow("module 5 ticked but disabled: unticked") << Step([](Selection& s) {
        s.setProgramEnabled(5, false);
        s.setProgram(5, 1);
    }) << "000001000000000"
                                                            << "111110111111111" << 0;
    QTest::newRow("box 0 is the reference even disabled") << Step([](Selection& s) {
        s.setProgramEnabled(0, false);
        s.setProgram(0, 1);
    }) << "100000000000000"
                                                          << "011111111111111" << 2;
    QTest::newRow("all ticks only connected modules") << Step([](Selection& s) {
        runApplication(s, {0});
        s.setBootLoaderRunning(3, 1);
        s.clickAllModules();
    }) << "100100000000000"
                                                      << "100100000000000" << 1;
    QTest::newRow("all with spare not connected: summary not recomputed") << Step([](Selection& s) {
        runApplication(s, {3});
        s.setProgram(3, 1); // grey now
        s.setAllModules(0);
    }) << "000000000000000"
                                                                          << "000100000000000" << 0;
    QTest::newRow("grey all box clicked becomes ticked") << Step([](Selection& s) {
        runApplication(s, {0, 1, 2});
        s.clickProgram(1);
        QCOMPARE(s.allModules().value, 2);
        s.clickAllModules();
    }) << "111000000000000"
                                                         << "111000000000000" << 1;
    QTest::newRow("all unticks connected modules") << Step([](Selection& s) {
        runApplication(s, {0, 1});
        s.clickAllModules();
        s.clickAllModules();
    }) << "000000000000000"
                                                   << "110000000000000" << 0;
}

void SelectionTest::moduleRulesKeepTheAllBoxInStep() {
    QFETCH(Step, steps);
    QFETCH(QString, program);
    QFETCH(QString, programEnabled);
    QFETCH(int, all);
    Selection s;
    steps(s);
    QCOMPARE(values(s), program);
    QCOMPARE(enabled(s), programEnabled);
    QCOMPARE(s.allModules().value, all);
}

void SelectionTest::sectionRulesFollowApplicationAndBl2_data() {
    QTest::addColumn<QString>("moduleType");
    QTest::addColumn<bool>("forceFpga");
    QTest::addColumn<Step>("steps");
    QTest::addColumn<QString>("sections");
    QTest::addColumn<QString>("sectionsEnabled");
    QTest::addColumn<int>("all");

    QTest::newRow("forced FPGA follows Application")
        << "PXU" << true << Step([](Selection& s) { s.clickSection(sectionBoxAppl); }) << "10100"
        << "11011" << 2;
    QTest::newRow("forced FPGA does not follow in the guided update, which has no FPGA file")
        << "PXU" << true << Step([](Selection& s) {
               g_applUpdate = true;
               s.clickSection(sectionBoxAppl);
               g_applUpdate = false;
           })
        << "10000"
        << "11011" << 2;
    QTest::newRow("FPGA free without forcing")
        << "PXU" << false << Step([](Selection& s) { s.clickSection(sectionBoxAppl); }) << "10000"
        << "11111" << 2;
    // The summary shows the boxes as the user left them, before the rules changed them.
    QTest::newRow("BL2 clears and locks the others") << "PXU" << true << Step([](Selection& s) {
        s.clickSection(sectionBoxAppl);
        s.clickSection(sectionBoxDC);
        s.clickSection(sectionBoxBL2);
    }) << "00010"
                                                     << "00011" << 1;
    QTest::newRow("BL2 unticked frees them, forced FPGA stays locked")
        << "PXU" << true << Step([](Selection& s) {
               s.setSection(sectionBoxBL2, 1);
               s.setSection(sectionBoxBL2, 0);
           })
        << "00000"
        << "11011" << 0;
    QTest::newRow("BL2 unticked frees FPGA without forcing")
        << "PXU" << false << Step([](Selection& s) {
               s.setSection(sectionBoxBL2, 1);
               s.setSection(sectionBoxBL2, 0);
           })
        << "00000"
        << "11111" << 0;
    QTest::newRow("all ticks BL2 with the others, not the missing section")
        << "PXU" << false << Step([](Selection& s) { s.clickAllSections(); }) << "11110"
        << "11111" << 1;
    QTest::newRow("all leaves disabled boxes")
        << "PXU" << true << Step([](Selection& s) { s.clickAllSections(); }) << "11010"
        << "11011" << 1;
    QTest::newRow("all on KEV ticks only Application and BL2")
        << "KEV" << true << Step([](Selection& s) { s.clickAllSections(); }) << "10010"
        << "11011" << 1;
    QTest::newRow("forced FPGA does not follow on KEV, which has none")
        << "KEV" << true << Step([](Selection& s) { s.clickSection(sectionBoxAppl); }) << "10000"
        << "11011" << 2;
    QTest::newRow("hidden boxes never make the summary grey")
        << "KEV" << true << Step([](Selection& s) {
               s.clickSection(sectionBoxAppl);
               s.clickSection(sectionBoxBL2);
           })
        << "00010"
        << "00011" << 1;
}

void SelectionTest::sectionRulesFollowApplicationAndBl2() {
    QFETCH(QString, moduleType);
    QFETCH(bool, forceFpga);
    QFETCH(Step, steps);
    QFETCH(QString, sections);
    QFETCH(QString, sectionsEnabled);
    QFETCH(int, all);
    g_forceFpgaDownload = forceFpga;
    Selection s;
    layOut(s, moduleType);
    if (forceFpga)
        s.setSectionEnabled(sectionBoxFPGA, false);
    steps(s);
    QCOMPARE(sectionValues(s), sections);
    QCOMPARE(::sectionsEnabled(s), sectionsEnabled);
    QCOMPARE(s.allSections().value, all);
}

void SelectionTest::valueFromCodeRunsTheHandlerOnlyWhenItChanges() {
    Selection s;
    layOut(s, QStringLiteral("PXU"));
    s.setSection(sectionBoxBL2, 1);
    QVERIFY(!s.section(sectionBoxAppl).enabled);
    // The same value again: no handler, so a box changed meanwhile stays as it is.
    s.setSectionEnabled(sectionBoxAppl, true);
    s.setSection(sectionBoxBL2, 1);
    QVERIFY(s.section(sectionBoxAppl).enabled);
    int changes = 0;
    QObject::connect(&s, &Selection::changed, [&] { ++changes; });
    s.setProgram(4, 1);
    QVERIFY(changes > 0);
    QCOMPARE(s.allModules().value, 2);
}

QTEST_MAIN(SelectionTest)
#include "selection_test.moc"
