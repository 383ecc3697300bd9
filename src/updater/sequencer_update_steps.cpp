// Steps 8 to 12 of the guided update: download, start, CRC write-back, check and outcome.
#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "core/byte_conversions.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "mainwindow/main_window.h"
#include "system_information.h"
#include "update_sequencer.h"
#include "updater_face.h"

namespace pxu {

QList<int> UpdateSequencer::updaterModules() const {
    QList<int> modules;
    if (dorn()) {
        if (m_dornModule >= 0)
            modules << m_dornModule;
        return modules;
    }
    for (int m = 0; m <= std::min<int>(info().noOfCyl, kModuleCount - 1); ++m)
        modules << m;
    return modules;
}

QList<int> UpdateSequencer::detectedModules() const {
    if (!dorn())
        return updaterModules();
    return m_dornModule >= 0 ? QList<int>{0, m_dornModule} : QList<int>{0};
}

void UpdateSequencer::step8() {
    MainWindow& w = window();
    if (m_stepFirstRun) {
        // A module that lost its selection (a heartbeat gap as step 5 selected) would not be
        // loaded: nothing is loaded then.
        QList<int> notSelected;
        for (const int m : std::as_const(m_modulesToLoad)) {
            if (w.selection().program(m).value != ticked)
                notSelected << m;
        }
        if (!notSelected.isEmpty()) {
            const QString list = moduleListText(notSelected);
            failRun(8, QString(),
                    {QStringLiteral("   Not all PXU's are selected for the download."),
                     sprintf(QStringLiteral("   Following PXU's are not selected: {*}!"), list)},
                    sprintf(QStringLiteral("Not all PXU's could be selected for the download "
                                           "(missing: {*}). Nothing was downloaded: the software "
                                           "is not updated. Please check the connection to these "
                                           "PXU's and start the update again."),
                            list));
            return;
        }
        w.selection().setSection(sectionBoxAppl, ticked);
        // Only the modules to load must load, each of them.
        for (int m = 0; m < kModuleCount; ++m)
            w.m_moduleUpdated[m] = !m_modulesToLoad.contains(m);
        m_face.setProgressLoad(0);
        m_face.setProgressLoadVisible(true);
        m_downloadLogStart = w.messages().count();
        w.cmdDownload_Click();
        return;
    }
    if (!timeOut(2))
        return;
    m_face.setProgressLoadVisible(false);
    QList<int> failed;
    for (const int m : std::as_const(m_modulesToLoad)) {
        if (!w.m_moduleUpdated[m])
            failed << m;
    }
    if (failed.isEmpty()) {
        log(kAllDownloadedLine);
        setBox(8, QString(), kColourGreen);
        step() = 9;
        return;
    }
    const QString list = moduleListText(failed);
    QStringList lines;
    if (w.m_moduleUpdated[0])
        lines << QStringLiteral("   Not all PXU's successfully downloaded.")
              << sprintf(QStringLiteral("   Following PXU's failed: {*}!"), list);
    else
        lines << QStringLiteral("   Spare-PXU is not downloaded!");
    // The reason is in the download's own lines.
    lines << QStringLiteral("   Download log:");
    const QStringList download = w.messages().lines().mid(m_downloadLogStart);
    for (const QString& line : download)
        lines << QStringLiteral("   ") + line;
    if (w.m_moduleUpdated[0]) {
        m_face.setOpenReport(true, QStringLiteral("Open Instruction"));
        failRun(8, QString(), lines, formattedUserMessage(82, {list}));
    } else {
        failRun(8, QString(), lines, QStringLiteral("81"));
    }
}

void UpdateSequencer::step9() {
    MainWindow& w = window();
    const QList<int> modules = updaterModules();
    if (m_stepFirstRun) {
        for (const int m : modules)
            w.selection().setProgram(m, ticked);
        w.mnuStartApplication_Click();
    }
    QList<int> notStarted;
    for (const int m : modules) {
        if (w.selection().applicationRunning(m) == unticked)
            notStarted << m;
    }
    if (notStarted.isEmpty()) {
        setBox(9, QStringLiteral("Application started"), kColourGreen);
        log(QStringLiteral("  ZENT started."));
        const bool nothingToWrite = info().firstApplicationCrc == -1 ||
                                    m_face.m_updateNotNecessary || m_face.m_updateCanceled;
        step() = nothingToWrite ? 12 : 10;
    } else if (timeOut(5)) {
        const QString list = moduleListText(notStarted);
        // Modules that do not run the new application: the update did not succeed.
        failRun(9, QString(),
                {QStringLiteral("   Not all PXU's started application."),
                 sprintf(QStringLiteral("   Following PXU's did not start: {*}!"), list)},
                formattedUserMessage(91, {list}));
    }
}

void UpdateSequencer::step10() {
    SystemInformation& i = info();
    if (m_stepFirstRun) {
        modAutoDownload::g_login();
        m_exchange.writeApplicationCrc(i.firstApplicationCrc);
        m_newApplicationCrc = i.firstApplicationCrc;
        i.crcValueApplication = i.firstApplicationCrc;
        i.firstApplicationCrc = -1;
        frmCANopen().g_setServiceBit(g_varIds.g_varIdCrcFirstApplication, 1);
    }
    if (i.firstApplicationCrc != -1) {
        if (i.firstApplicationCrc == i.crcValueApplication) {
            setBox(10, QString(), kColourGreen);
            log(QStringLiteral("   Appl CRC set"));
            step() = m_face.m_updateNotNecessary ? 12 : 11;
            return;
        }
        m_face.m_stepTicks = 100;
    }
    if (timeOut(10)) {
        setBox(10, QString(), kColourRed);
        log(QStringLiteral("   Appl CRC not set!"));
        frmCANopen().g_setServiceBit(g_varIds.g_varIdCrcFirstApplication, 0);
        // The modules do not expect the new application: the update did not succeed.
        m_face.m_updateFailed = true;
        m_face.setOkCaption(QStringLiteral("OK"));
        showFailure(QStringLiteral("101"), true, false);
        step() = 11;
    }
}

void UpdateSequencer::step11() {
    const int ticks = m_face.m_stepTicks;
    if (ticks >= 1 && ticks <= 3)
        m_exchange.setServiceBit(1, ticks);
    // A complete read goes on even on the time-out's tick.
    if (systemInformationComplete()) {
        logSystemInformation(true);
        step() = 12;
        // Compared as the build map knows CRCs: by their last four hex digits.
        const QString read = g_toHex(info().crcValueApplication);
        const QString expected = g_toHex(m_newApplicationCrc);
        if (m_newApplicationCrc == -1 || read == expected) {
            setBox(11, QString(), kColourGreen);
            return;
        }
        setBox(11, QString(), kColourRed);
        log(sprintf(
            QStringLiteral("   Application CRC {*} after the update is not the new CRC {*}!"), read,
            expected));
        m_face.m_updateFailed = true;
        showFailure(sprintf(QStringLiteral("After the update the PXU's report the application CRC "
                                           "{*}, not the CRC {*} of the new application. The "
                                           "software update has failed."),
                            read, expected),
                    false, false);
    } else if (timeOut(20)) {
        setBox(11, QString(), kColourRed);
        log(QStringLiteral("   Application could not be checked!"));
        step() = 12;
        m_exchange.setServiceBit(0, serviceBitAll);
        // An update that cannot be checked is not reported as done.
        m_face.m_updateFailed = true;
        m_face.setOkCaption(QStringLiteral("OK"));
        showFailure(QStringLiteral("111"), true, false);
    }
}

void UpdateSequencer::step12() {
    // A failed step wins, as in the report: a check that failed after an update that was
    // not necessary is no up-to-date engine.
    if (m_face.m_updateFailed) {
        setBox(12, QString(), kColourRed);
        log(QStringLiteral("  Update failed"));
        showInfo(m_failureInfo, false, true);
    } else if (m_face.m_updateNotNecessary) {
        setBox(12, QStringLiteral("Update not necessary"), kColourGreen);
        log(QStringLiteral("  Application is Up-To-Date (Update is already done)"));
        showInfo(QStringLiteral("31"), false, true);
    } else if (m_face.m_updateCanceled) {
        log(QStringLiteral("  Update canceled"));
        showInfo(QStringLiteral("122"), false, true);
    } else {
        QVariantList values = summaryValues();
        if (dorn())
            values = values.mid(0, 6);
        showInfo(formattedUserMessage(121, values), false, true);
        setBox(12, QString(), kColourGreen);
    }
    endRun();
}

void UpdateSequencer::endRun() {
    m_face.setExitCaption(QStringLiteral("Finish"));
    // Finish must be there whatever came before: it is the only way on.
    m_face.showExitButton();
    m_face.setOpenReport(true, m_face.view().openReport.caption);
    m_face.timCyclic.stop();
}

} // namespace pxu
