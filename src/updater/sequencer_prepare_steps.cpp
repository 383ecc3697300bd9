// Steps 0 to 5 of the guided update: connection, system information, build, modules and
// auto download.
#include "build_map.h"
#include "bus/application_mode.h"
#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "core/byte_conversions.h"
#include "core/file_names.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "mainwindow/log_lines.h"
#include "mainwindow/main_window.h"
#include "platform/clock/clock.h"
#include "system_information.h"
#include "update_sequencer.h"
#include "updater_face.h"

#include <QFileInfo>
#include <optional>

namespace pxu {

namespace {

constexpr int kMaxCylinders = kModuleCount - 1;

QString orFailed(bool read, const QVariant& value) {
    return read ? value.toString() : QStringLiteral("reading failed");
}

// Why the new application file cannot be loaded: the step box's text and the log line.
struct FileProblem {
    QString box;
    QString line;
};

std::optional<FileProblem> applicationFileProblem(const QString& file) {
    // Paths are joined, not formatted: a brace in one is no placeholder.
    if (!QFileInfo(file).isFile())
        return FileProblem{QStringLiteral("Application File Missing"),
                           QStringLiteral("   Application file ") + file +
                               QStringLiteral(" not found!")};
    QByteArray image;
    qint32 start = 0;
    if (!g_sRecToBin(file, image, start) || image.isEmpty())
        return FileProblem{QStringLiteral("Application File Unreadable"),
                           QStringLiteral("   Application file ") + file +
                               QStringLiteral(" cannot be read!")};
    return std::nullopt;
}

} // namespace

void UpdateSequencer::step0() {
    showInfo(QStringLiteral("1"), false, false);
    m_face.initialise();
    step() = 1;
}

void UpdateSequencer::step1() {
    m_exchange.notConnectedToSpare(0);
    bool ok = false;
    window().initConnection(true, false, ok);
    const int wrongModule = m_exchange.notConnectedToSpareModule();
    if (!ok) {
        failRun(1, QStringLiteral("USB-to-CAN Init. Failed"),
                {QStringLiteral("   USB-to-CAN initialisation failure.")}, QStringLiteral("11"));
    } else if (!g_moduleDetected) {
        failRun(1, QStringLiteral("No PXU detected"), {QStringLiteral("   No module detected!")},
                QStringLiteral("13"));
    } else if (wrongModule != 0) {
        failRun(1, QStringLiteral("Wrong PXU detected"),
                {sprintf(QStringLiteral("   PXU-#{00} detected (Application is running)"),
                         wrongModule)},
                formattedUserMessage(12, {wrongModule}));
    } else if (window().selection().applicationRunning(0) == ticked) {
        log(QStringLiteral("   CAN-Bus connected to ") +
            (g_mBusMode ? QStringLiteral("M-Bus") : QStringLiteral("S-Bus")));
        window().setUserRights();
        setBox(1, QStringLiteral("Connected to ZENT"), kColourGreen);
        step() = 2;
    } else {
        failRun(1, QStringLiteral("PXU in Bootloader"),
                {QStringLiteral("   PXU-spare in bootloader state detected.")},
                QStringLiteral("14"));
    }
}

bool UpdateSequencer::systemInformationComplete() const {
    const SystemInformation& i = info();
    return i.hullNumberChunks >= 4 && i.engineTypeChars >= i.engineTypeLength && i.developer >= 1 &&
           i.build > 0 && i.noOfCyl >= 1 && i.autoDownload != -1 &&
           (dorn() || (i.crcValueImo != -1 && i.crcLenImo > 0)) && i.crcValueApplication != -1 &&
           i.crcLenApplication > 0;
}

void UpdateSequencer::step2() {
    SystemInformation& i = info();
    const int ticks = m_face.m_stepTicks;
    if (m_stepFirstRun)
        modAutoDownload::g_login();
    if (ticks >= 1 && ticks <= 3)
        m_exchange.setServiceBit(1, ticks);
    if (i.developer > 0 && i.engineTypeLength == 999) {
        const bool longForm = i.developer % 1000 >= 311;
        i.engineTypeLength = longForm ? 8 : 4;
        g_varIds.g_varIdEngineType = buildMap::engineTypeId(longForm);
        m_exchange.restartEngineType();
        for (int k = 0; k < i.engineTypeLength; ++k)
            frmCANopen().g_setServiceBit(g_varIds.g_varIdEngineType + k, 1);
    }
    // A complete read goes on even on the time-out's tick.
    if (systemInformationComplete()) {
        setBox(2, QString(), kColourGreen);
        step() = 3;
    } else if (timeOut(20)) {
        m_exchange.setServiceBit(0, serviceBitAll);
        failRun(2, QString(), {}, QStringLiteral("21"));
    }
    if (step() != 2)
        logSystemInformation(false);
}

void UpdateSequencer::logSystemInformation(bool afterUpdate) {
    const SystemInformation& i = info();
    const QString when =
        afterUpdate ? QStringLiteral("   after  update") : QStringLiteral("   before update");
    if (!afterUpdate)
        log(sprintf(QStringLiteral("  Date/Time: {*}"),
                    generalDateTime(clock().currentDateTime())));
    const auto at = [afterUpdate](int line) { return afterUpdate ? -1 : line; };
    log(sprintf(QStringLiteral("  Hull-Number: {*}"),
                orFailed(i.hullNumberChunks >= 4, i.hullNumber)),
        at(1));
    log(sprintf(QStringLiteral("  Engine Type: {*}"),
                orFailed(i.engineTypeChars >= i.engineTypeLength, i.engineType.trimmed())),
        at(2));
    log(sprintf(QStringLiteral("  Application Build: {*}"), orFailed(i.build > 0, i.build)), at(3));
    log(sprintf(QStringLiteral("  Application Developer: {*}"),
                orFailed(i.developer >= 1, i.developer)),
        at(4));
    log(sprintf(QStringLiteral("  Number of Cylinders: {*}"), orFailed(i.noOfCyl >= 1, i.noOfCyl)),
        at(5));
    log(sprintf(QStringLiteral("  Appl-CRC: {*}   / Len: {*}"),
                orFailed(i.crcValueApplication != -1, g_toHex(i.crcValueApplication)),
                orFailed(i.crcLenApplication > 0, i.crcLenApplication)) +
            when,
        afterUpdate ? 7 : 6);
    if (!dorn())
        log(sprintf(QStringLiteral("  IMO-CRC:  {*}   / Len: {*}"),
                    orFailed(i.crcValueImo != -1, g_toHex(i.crcValueImo)),
                    orFailed(i.crcLenImo > 0, i.crcLenImo)) +
                when,
            afterUpdate ? 9 : 8);
    QString autoDownload = QStringLiteral("reading failed");
    if (i.autoDownload > 0)
        autoDownload = QStringLiteral("ON");
    else if (i.autoDownload == 0)
        autoDownload = QStringLiteral("OFF");
    log(sprintf(QStringLiteral("  Auto-Download: {*}"), autoDownload));
}

void UpdateSequencer::step3() {
    if (!m_stepFirstRun)
        return;
    SystemInformation& i = info();
    const QString key = g_toHex(i.crcValueApplication);
    QString build = buildMap::buildOf(key);
    i.firstApplicationCrc = -1;
    if (build.isEmpty()) {
        setBox(3, QStringLiteral("Unknown Build"), kColourRed);
        log(sprintf(QStringLiteral("   Build of Application with CRC={*} is unknown!"), key));
        showFailure(QStringLiteral("32"), false, false);
        // Finish is offered, but the timer keeps running into step 12.
        m_face.showExitButton();
        m_face.m_updateFailed = true;
        step() = 12;
        return;
    }
    const bool installed = build.startsWith(QLatin1String("new"), Qt::CaseInsensitive);
    if (installed)
        build = build.mid(3);
    const QString file = buildMap::applicationFile(build);
    if (installed) {
        setBox(3, sprintf(QStringLiteral("Build {*} Evaluated"), build), kColourGreen);
        log(sprintf(QStringLiteral("   Update is already installed for build {*} (CRC={*})"), build,
                    key));
        i.firstApplicationCrc = i.crcValueApplication;
        m_face.m_updateNotNecessary = true;
    } else {
        log(sprintf(QStringLiteral("   Build {*} detected ( CRC={*} / Len={*} )"), build, key,
                    i.crcLenApplication));
        i.firstApplicationCrc = buildMap::newApplicationCrc(build);
        // The file is loaded only after the wait and the question: it must be there now.
        if (const std::optional<FileProblem> problem = applicationFileProblem(file)) {
            failRun(3, problem->box, {problem->line},
                    QStringLiteral("The new application file ") + file +
                        QStringLiteral(" is missing or cannot be read. The software is not "
                                       "updated. Please check the installation and start the "
                                       "update again."));
            return;
        }
        setBox(3, sprintf(QStringLiteral("Build {*} Evaluated"), build), kColourGreen);
    }
    step() = 4;
    LoadFileBoxes boxes = window().loadFiles().boxes(sectionBoxAppl);
    boxes.emhText = g_fileName(file);
    boxes.emhPath = file;
    window().loadFiles().setBoxes(sectionBoxAppl, boxes);
    g_bigMem = modApplicationMode::g_getApplStartAddr(file) >= 0x100000;
    g_baseAdrAppl = buildMap::applicationBaseAddress(g_bigMem);
}

void UpdateSequencer::step4() {
    SystemInformation& i = info();
    if (!m_stepFirstRun) {
        // Activated now, the flag takes effect only after the ZENT restarts.
        if (timeOut(15))
            failRun(
                4, QString(),
                {QStringLiteral("   Autodownload-Activation done --> reboot of ZENT necessary.")},
                QStringLiteral("42"));
        return;
    }
    if (i.noOfCyl > kMaxCylinders) {
        failRun(4, QString(),
                {sprintf(QStringLiteral("   Number of cylinders {*} is out of range (1 to {*})!"),
                         i.noOfCyl, kMaxCylinders)},
                sprintf(QStringLiteral("The ZENT reports {*} cylinders, more than a ZENT can have "
                                       "({*}). The update cannot go on."),
                        i.noOfCyl, kMaxCylinders));
        return;
    }
    m_expectedModules = dorn() ? 1 : i.noOfCyl;
    if (i.autoDownload != 0) {
        detectModules();
        return;
    }
    showInfo(QStringLiteral("41"), false, false);
    log(QStringLiteral("   Autodownload is not activated yet!"));
    m_exchange.writeAutoDownload(true);
}

void UpdateSequencer::detectModules() {
    const SystemInformation& i = info();
    const Selection& grid = window().selection();
    const auto present = [&grid](int m) {
        return grid.applicationRunning(m) == ticked || grid.bootLoaderRunning(m) == ticked;
    };
    QList<int> missing;
    QString missingText;
    int presentCount = 0;
    if (!dorn()) {
        for (int m = 0; m <= i.noOfCyl; ++m) {
            if (present(m))
                ++presentCount;
            else
                missing << m;
        }
        missingText = moduleListText(missing);
    } else {
        presentCount = present(0) ? 1 : 0;
        if (present(1))
            m_dornModule = 1;
        else if (present(2))
            m_dornModule = 2;
        else
            m_dornModule = -1;
        if (m_dornModule > 0)
            ++presentCount;
        else
            missingText = QStringLiteral("Second PXU");
    }
    if (!missingText.isEmpty()) {
        failRun(4, QString(),
                {sprintf(QStringLiteral("   Not all PXU's detected (only {*} of {*})!"),
                         presentCount, i.noOfCyl + 1),
                 sprintf(QStringLiteral("   Following PXU's are missing: {*}!"), missingText)},
                formattedUserMessage(43, {missingText}));
        return;
    }
    setBox(4, QStringLiteral("All PXU Detected"), kColourGreen);
    log(sprintf(QStringLiteral("  All PXU's detected (Total {*} + 1 spare)"), m_expectedModules));
    step() = 5;
}

void UpdateSequencer::step5() {
    if (m_stepFirstRun) {
        m_exchange.writeAutoDownload(true);
        log(QStringLiteral("   Wait till autodownload is activated in all modules!"));
        return;
    }
    if (!timeOut(15))
        return;
    setBox(5, QString(), kColourGreen);
    Selection& grid = window().selection();
    if (!m_face.m_updateNotNecessary) {
        grid.setAllModules(ticked);
        m_modulesToLoad = detectedModules();
        m_face.setOkCaption(QStringLiteral("Update"));
        showInfo(formattedUserMessage(71, summaryValues()), true, true);
        step() = 8;
        return;
    }
    QList<int> inBootloader;
    for (int m = 0; m <= info().noOfCyl; ++m) {
        if (grid.bootLoaderRunning(m) == ticked) {
            grid.setProgram(m, ticked);
            inBootloader << m;
        }
    }
    if (inBootloader.isEmpty()) {
        step() = 10;
        return;
    }
    m_face.m_updateNotNecessary = false;
    m_modulesToLoad = inBootloader;
    const QString list = moduleListText(inBootloader);
    m_face.setOkCaption(QStringLiteral("Update"));
    showInfo(formattedUserMessage(73, summaryValues() << list), true, true);
    log(QStringLiteral("   Not all PXU's are running in application mode!"));
    log(sprintf(QStringLiteral("   Following PXU's are in bootloader: {*}!"), list));
    step() = 8;
}

} // namespace pxu
