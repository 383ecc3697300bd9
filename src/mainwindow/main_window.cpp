#include "main_window.h"

#include "bus/auto_download.h"
#include "bus/bus_hooks.h"
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "core/error_boundary.h"
#include "core/message_window.h"
#include "core/sprintf.h"
#include "main_window_form.h"
#include "updater_services.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

namespace pxu {

namespace {

QPointer<MainWindow>& current() {
    static QPointer<MainWindow> window;
    return window;
}

// "Exit program" of the error reporter logs off the bus before the program ends.
void addLogOffExitHook() {
    static bool added = false;
    if (std::exchange(added, true))
        return;
    addExitHook([] {
        modAutoDownload::g_logoff();
        frmCANopen().g_releaseCanOpen(true);
    });
}

} // namespace

MainWindow::MainWindow(QObject* parent)
    : QObject(parent)
    , m_folders(StartFolders::fromProcess())
    , m_loadFiles(m_selection, [this](const QString& line) { addMessage(line); }) {
    setObjectName(QStringLiteral("frmMain"));
    current() = this;
    for (int m = 0; m < kModuleCount; ++m)
        m_view.rows[m].caption = m == 0 ? QStringLiteral("Sp") : QString::number(m);
    m_unloaders[int(UnloadSlot::messageWindow)] = [] { frmMessage2().unload(); };
    m_shutDown.setProcedure([this] { shutDownProcedure(); });
    m_shutDown.setStopLoops([this] {
        if (m_updater)
            m_updater->stopSequencer();
    });
    addLogOffExitHook();
    setConnectionDisplay([this] { g_updateConnectionStatus(); });
    setBusMessageSink([this](const QString& text) { addMessage(text); });
    setMainWindowServices(this);
}

MainWindow::~MainWindow() {
    if (current() == this) {
        setConnectionDisplay({});
        setBusMessageSink({});
        setMainWindowServices(nullptr);
    }
    m_form.reset();
}

MainWindow& frmMain() {
    if (!current())
        current() = new MainWindow(QCoreApplication::instance()); // owned by the application
    return *current();
}

void MainWindow::setHwCaption(int module, const QString& caption) {
    if (std::exchange(m_view.rows.at(module).hwCaption, caption) != caption)
        emit changed();
}

void MainWindow::setHwBackColour(int module, int colour) {
    if (std::exchange(m_view.rows.at(module).hwBackColour, colour) != colour)
        emit changed();
}

void MainWindow::setLamp(int module, bool visible, int colour) {
    auto& row = m_view.rows.at(module);
    row.lampVisible = visible;
    row.lampColour = colour;
    emit changed();
}

void MainWindow::setEngineDisplay(bool frameVisible, bool runningVisible, bool standStillVisible) {
    const std::array<bool, 3> shown{frameVisible, runningVisible, standStillVisible};
    const std::array<bool, 3> before{m_view.fraEngineRunningVisible, m_view.imgEngineRunningVisible,
                                     m_view.imgEngineStStillVisible};
    if (shown == before)
        return;
    m_view.fraEngineRunningVisible = frameVisible;
    m_view.imgEngineRunningVisible = runningVisible;
    m_view.imgEngineStStillVisible = standStillVisible;
    emit changed();
}

void MainWindow::addMessage(const QString& text) {
    QString consumed = text;
    addMessage(consumed);
}

void MainWindow::addMessage(QString& text) {
    guarded("frmMain", "addMessage", [&] { m_messages.addMessage(text); });
}

void MainWindow::updateProgress(double value, bool relative) {
    guarded("frmMain", "updateProgress", [&] {
        if (relative)
            value += m_view.progress;
        m_view.progress = std::clamp(value, 0.0, 1.0);
        m_messages.showWaitingLines();
        if (g_applUpdate && m_updater)
            m_updater->setProgressLoad(m_view.progress);
        emit changed();
    });
}

bool MainWindow::g_downloadStatusOk(int module) {
    return m_view.rows.at(module).lampColour == kColourGreen;
}

bool MainWindow::g_getBootloaderVersionChange(int module) {
    return m_bootloaderVersionChange.at(module);
}

void MainWindow::g_resetBootloaderVersionChange(int module) {
    m_bootloaderVersionChange.at(module) = false;
}

void MainWindow::resetStatus(bool keepFailures) {
    guarded("frmMain", "resetStatus", [&] {
        for (auto& row : m_view.rows) {
            if (keepFailures && row.lampColour == kColourRed)
                continue;
            row.lampVisible = false;
            row.lampColour = kColourGreen;
        }
        emit changed();
    });
}

void MainWindow::downloadFailure(const QString& text, int module) {
    guarded("frmMain", "downloadFailure", [&] {
        qsizetype blanks = 0;
        while (blanks < text.size() && text[blanks] == QLatin1Char(' '))
            ++blanks;
        addMessage(text.left(blanks) + sprintf(QStringLiteral("{*} {*}: "), g_moduleType, module) +
                   text.mid(blanks));
        setLamp(module, true, kColourRed);
    });
}

void MainWindow::notConnectedToSpare(qint16 module) {
    if (m_updater)
        m_updater->notConnectedToSpare(module);
}

void MainWindow::txtFileDirectory_KeyDown(int keyCode) {
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter || keyCode == 13)
        txtFileDirectory_Validate();
}

ModuleSelection MainWindow::g_getUserSelection() {
    ModuleSelection selection{};
    for (int m = 0; m < kModuleCount; ++m)
        selection[m] = m_selection.program(m).value == ticked;
    return selection;
}

void MainWindow::g_restoreUserSelection(const ModuleSelection& selection) {
    guarded("frmMain", "g_restoreUserSelection", [&] {
        for (int m = 0; m < kModuleCount; ++m) {
            if (selection[m] && modConnectionStatus::g_getModuleStatus(m) != moduleNotConnected)
                m_selection.setProgram(m, ticked);
        }
    });
}

} // namespace pxu
