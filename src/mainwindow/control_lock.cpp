#include "control_lock.h"

#include "core/globals.h"
#include "core/vb_val.h"

namespace pxu {

ControlLock::ControlLock(QObject* parent)
    : QObject(parent) {
    m_enabled.fill(true);
    set(Control::cmdAbort, false);
}

void ControlLock::setEnabled(Control control, bool enabled) {
    if (std::exchange(m_enabled[int(control)], enabled) != enabled)
        emit changed();
}

void ControlLock::setHourglass(bool on) {
    if (std::exchange(m_hourglass, on) != on)
        emit changed();
}

void ControlLock::lockEngineControls() {
    for (Control c : {Control::cmdDownload, Control::cmdModuleState, Control::mnuModuleControl,
                      Control::mnuTools, Control::mnuDcBuilder})
        set(c, false);
}

void ControlLock::disableOtherControls(int mode) {
    if (mode == lockEngineRunning) {
        m_engineRunning = true;
        lockEngineControls();
        if (!m_operation)
            set(Control::cmdAbort, false);
        disableCloseButton();
        emit changed();
        return;
    }
    m_operation = mode;
    lockEngineControls();
    m_hourglass = true;
    set(Control::mnuFile, false);
    set(Control::cmdAbort, mode == lockUpload || mode == lockDownload);
    if (mode == lockUpload || mode == lockDownload || mode == lockModuleOverview) {
        set(Control::cmdExit, false);
        set(Control::mnuExit, false);
    }
    disableCloseButton();
    emit changed();
}

void ControlLock::enableAllControls() {
    m_operation.reset();
    for (Control c :
         {Control::cmdDownload, Control::cmdModuleState, Control::mnuUploadFromSpare,
          Control::mnuModuleControl, Control::mnuTools, Control::mnuFile, Control::mnuDcBuilder})
        set(c, true);
    m_hourglass = false;
    for (Control c : {Control::mnuStartApplication, Control::mnuStartBootloader, Control::cmdExit,
                      Control::mnuExit})
        set(c, true);
    set(Control::cmdAbort, false);
    g_abortRequested = false;
    if (vbVal(g_canInterfaceVersion) < 1.1 && !g_debugMode) {
        set(Control::mnuStartApplication, false);
        set(Control::mnuUploadFromSpare, false);
    }
    if (m_engineRunning)
        lockEngineControls();
    emit changed();
}

void ControlLock::setEngineRunningLock(bool on) {
    if (on == m_engineRunning)
        return;
    if (on) {
        disableOtherControls(lockEngineRunning);
        return;
    }
    m_engineRunning = false;
    if (!m_operation)
        enableAllControls();
}

bool ControlLock::disableCloseButton() {
    if (m_closeRemoved)
        return false;
    m_closeRemoved = true;
    emit changed();
    return true;
}

} // namespace pxu
