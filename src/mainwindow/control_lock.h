#pragma once

#include <QObject>
#include <array>
#include <optional>

namespace pxu {

// The main window's buttons and menus that the lock modes change.
enum class Control : int {
    cmdDownload,
    cmdModuleState,
    cmdExit,
    cmdAbort,
    mnuFile,
    mnuModuleControl,
    mnuTools,
    mnuDcBuilder,
    mnuStartApplication,
    mnuStartBootloader,
    mnuUploadFromSpare,
    mnuExit,
    count
};

// Lock modes of disableOtherControls.
enum LockMode : int {
    lockUpload = 0,
    lockDownload = 1,
    lockStartModules = 2,
    lockEngineRunning = 3,
    lockModuleOverview = 4,
};

// Locks the main window's controls around long operations. The engine-running lock is a
// layer of its own over the operation lock: taking it during an operation leaves Abort as
// the operation has it, and releasing it during an operation changes nothing, so the
// operation's own unlock decides.
class ControlLock : public QObject {
    Q_OBJECT
public:
    explicit ControlLock(QObject* parent = nullptr);

    bool enabled(Control control) const { return m_enabled.at(int(control)); }
    void setEnabled(Control control, bool enabled);
    bool hourglass() const { return m_hourglass; }
    void setHourglass(bool on);

    // Locks for an operation (modes 0, 1, 2, 4) or for the running engine (mode 3).
    void disableOtherControls(int mode);
    // Unlocks at the end of an operation; the engine-running lock stays if it is on.
    void enableAllControls();
    // The grid takes and releases the engine-running lock.
    void setEngineRunningLock(bool on);
    bool engineRunningLock() const { return m_engineRunning; }
    // The mode of the operation between disableOtherControls and enableAllControls.
    std::optional<int> operationMode() const { return m_operation; }
    // The module and section boxes, "New" and the directory box take no input while an
    // operation runs: a change there would alter the running operation's selection.
    bool selectionLocked() const { return m_operation.has_value(); }

    // The first lock takes the window's close command away for the rest of the run: True
    // on that first call, False on every later one.
    bool disableCloseButton();
    bool closeRemoved() const { return m_closeRemoved; }

    bool g_abortRequested = false;

signals:
    void changed();

private:
    void set(Control control, bool enabled) { m_enabled[int(control)] = enabled; }
    void lockEngineControls();

    std::array<bool, int(Control::count)> m_enabled{};
    bool m_hourglass = false;
    bool m_engineRunning = false;
    std::optional<int> m_operation;
    bool m_closeRemoved = false;
};

} // namespace pxu
