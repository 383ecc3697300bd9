#include "core/about_box.h"
#include "core/globals.h"
#include "support/recording_desktop.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

namespace {

// An executable file of that name in the folder.
QString makeProgram(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool buttonsInView(const AboutForm& form) {
    return form.cmdOK->geometry().bottom() < form.height() &&
           form.cmdSysInfo->geometry().bottom() < form.height();
}

} // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void showsTitleVersionDescriptionAndInterfaceVersion();
    void interfaceVersionHasOneDecimal_data();
    void interfaceVersionHasOneDecimal();
    void fromMenuStaysUntilOk();
    void splashClosesItselfAfterFiveSeconds();
    void systemInfoStartsConfiguredProgram();
    void systemInfoStartsKnownProgramFoundOnPath();
    void systemInfoUnavailableIsTold();
    void screenshot();

private:
    QByteArray m_path;
};

void AboutBoxTest::initTestCase() {
    // The version is the program's own, 2.0.0.2.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("PXU Loader"));
    m_path = qgetenv("PATH");
}

void AboutBoxTest::cleanup() {
    qputenv("PATH", m_path);
    g_canInterfaceVersion.clear();
    frmAbout().setSystemInfoProgram({});
    frmAbout().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AboutBoxTest::showsTitleVersionDescriptionAndInterfaceVersion() {
    g_canInterfaceVersion = QStringLiteral("1.1");
    frmAbout().g_showAbout(false);
    AboutForm& form = *frmAbout().form();
    QVERIFY(form.isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("About PXU Loader"));
    QCOMPARE(form.lblTitle->text(), QStringLiteral("PXU Loader"));
    QCOMPARE(form.lblVersion->text(), QStringLiteral("Version 2.0.2   (Full)"));
    QCOMPARE(form.lblDescription->text(),
             QStringLiteral("Software Updater Tool for PXU-20 Modules."));
    QCOMPARE(form.lblDLLVersion->text(), QStringLiteral("CANInterface DLL Version: 1.1"));
    QCOMPARE(form.cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(form.cmdSysInfo->text(), QStringLiteral("&System Info..."));
}

void AboutBoxTest::interfaceVersionHasOneDecimal_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("two decimals") << "1.23"
                                  << "1.2";
    QTest::newRow("half rounds up") << "1.25"
                                    << "1.3";
    QTest::newRow("whole number") << "2"
                                  << "2.0";
    QTest::newRow("not told") << ""
                              << "1.0";
}

void AboutBoxTest::interfaceVersionHasOneDecimal() {
    QFETCH(QString, version);
    QFETCH(QString, shown);
    g_canInterfaceVersion = version;
    frmAbout().g_showAbout(false);
    QCOMPARE(frmAbout().form()->lblDLLVersion->text(),
             QStringLiteral("CANInterface DLL Version: ") + shown);
}

void AboutBoxTest::fromMenuStaysUntilOk() {
    test::VirtualTime time;
    frmAbout().g_showAbout(false);
    QVERIFY(buttonsInView(*frmAbout().form()));
    time.runFor(60'000);
    QVERIFY(frmAbout().isLoaded());
    QTest::mouseClick(frmAbout().form()->cmdOK, Qt::LeftButton);
    QVERIFY(!frmAbout().isLoaded());
}

void AboutBoxTest::splashClosesItselfAfterFiveSeconds() {
    test::VirtualTime time;
    frmAbout().g_showAbout(true);
    QVERIFY(frmAbout().form()->isVisible());
    QVERIFY(!buttonsInView(*frmAbout().form()));
    QVERIFY(frmAbout().form()->lblDLLVersion->geometry().bottom() < frmAbout().form()->height());
    time.runFor(4999);
    QVERIFY(frmAbout().isLoaded());
    time.runFor(1);
    QVERIFY(!frmAbout().isLoaded());
}

void AboutBoxTest::systemInfoStartsConfiguredProgram() {
    test::ScriptedDialogs dialogs;
    test::RecordingDesktop desktop;
    QTemporaryDir dir;
    const QString program = makeProgram(dir.path(), QStringLiteral("sysinfo-viewer"));
    qputenv("PATH", QFile::encodeName(dir.path()));
    makeProgram(dir.path(), AboutBox::knownSystemInfoPrograms().constFirst());
    frmAbout().setSystemInfoProgram(program);
    frmAbout().g_showAbout(false);
    QTest::mouseClick(frmAbout().form()->cmdSysInfo, Qt::LeftButton);
    QCOMPARE(desktop.starts().size(), 1);
    QCOMPARE(desktop.starts().constFirst().program, program);
    QVERIFY(dialogs.shown().isEmpty());
}

void AboutBoxTest::systemInfoStartsKnownProgramFoundOnPath() {
    test::ScriptedDialogs dialogs;
    test::RecordingDesktop desktop;
    QTemporaryDir dir;
    const QString found = makeProgram(dir.path(), AboutBox::knownSystemInfoPrograms().last());
    qputenv("PATH", QFile::encodeName(dir.path()));
    frmAbout().setSystemInfoProgram(QDir(dir.path()).filePath(QStringLiteral("missing")));
    frmAbout().StartSysInfo();
    QCOMPARE(desktop.starts().size(), 1);
    QCOMPARE(desktop.starts().constFirst().program, found);
}

void AboutBoxTest::systemInfoUnavailableIsTold() {
    test::ScriptedDialogs dialogs;
    test::RecordingDesktop desktop;
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    frmAbout().StartSysInfo();
    QVERIFY(desktop.starts().isEmpty());
    QCOMPARE(dialogs.shown().size(), 1);
    const BoxRequest& box = dialogs.shown().constFirst();
    QCOMPARE(box.text, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(box.title, QStringLiteral("PXU Loader"));
    QCOMPARE(box.icon, BoxIcon::None);
    QCOMPARE(box.buttons, BoxButtons::Ok);
}

void AboutBoxTest::screenshot() {
    g_canInterfaceVersion = QStringLiteral("1.1");
    frmAbout().g_showAbout(false);
    QVERIFY(!test::saveScreenshot(*frmAbout().form(), QStringLiteral("about_box")).isEmpty());
    frmAbout().g_showAbout(true);
    QVERIFY(
        !test::saveScreenshot(*frmAbout().form(), QStringLiteral("about_box_splash")).isEmpty());
}

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
