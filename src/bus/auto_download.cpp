#include "auto_download.h"

#include "can_open_master.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "platform/clock/clock.h"

namespace pxu::modAutoDownload {

namespace {
struct State {
    ModuleStates status{};
    std::array<qint32, 4> varIds{};
    bool loggedIn = false;
    bool commandBusy = false;
    qint32 engineStandStill = 0;
    qint32 standStillValidity = 0;
};
State& state() {
    static State s;
    return s;
}
quint16 word(const QByteArray& value, int at) {
    if (value.size() < at + 2)
        return 0;
    return quint16(quint8(value[at]) | quint8(value[at + 1]) << 8);
}
} // namespace

void g_initialise() {
    state().status = {};
    g_resetConnectionStatus();
}

void g_resetConnectionStatus() {
    State& s = state();
    s.status = {};
    s.engineStandStill = 0;
    s.commandBusy = false;
}

void g_setModuleStatus(const QByteArray& value, qint32) {
    const quint16 application = word(value, 0);
    const quint16 bootloader = word(value, 2);
    for (int n = 0; n < kModuleCount; ++n) {
        qint32 st = moduleNotConnected;
        if (application & (1u << n))
            st = moduleApplicationRunning;
        else if (bootloader & (1u << n))
            st = moduleBootloaderRunning;
        state().status[n] = st;
    }
}

void g_setCommandStatus(const QByteArray& value, qint32) {
    state().commandBusy = word(value, 2) > 0;
}

void g_setUpdateStatus(const QByteArray&, qint32) {}

void g_setUpdateFailure(const QByteArray&, qint32) {}

void g_setEngineStandStill(const QByteArray& value, qint32) {
    if (value.isEmpty())
        return;
    state().standStillValidity = 20000;
    state().engineStandStill = quint8(value[0]) > 0 ? 1 : 2;
}

void g_checkEngineStandStillTimeout(int tickMs) {
    State& s = state();
    if (s.standStillValidity >= 1)
        s.standStillValidity -= tickMs;
    else
        s.engineStandStill = 0;
}

ModuleStates g_getAutoDwnlConnStatus() {
    return state().status;
}

qint32 g_getModuleStatusADL(int module) {
    return module >= 0 && module < kModuleCount ? state().status[module] : moduleNotConnected;
}

bool g_login(const std::function<void(const QString&)>& report) {
    bool ok = false;
    guarded("modAutoDownload", "g_login", [&] {
        const auto fail = [&](const QString& text) {
            if (report)
                report(text);
            else
                g_errorMsgBox(text);
        };
        State& s = state();
        s.varIds = {g_varIds.g_varIdModuleStateRo, g_varIds.g_varIdModuleStateRw,
                    g_varIds.g_varIdSwUpdateStateRo, g_varIds.g_varIdSwUpdateFailureRo};
        s.loggedIn = true;
        if (!frmCANopen().g_setUserLevel(11)) {
            fail(QStringLiteral("Initialization AutoDownload: Login failed."));
            return;
        }
        ok = true;
        for (const qint32 id : s.varIds) {
            if (!frmCANopen().g_setServiceBit(id, 1)) {
                fail(QStringLiteral("Initialization AutoDownload: Activation of ZENT-Variable %1 "
                                    "failed.")
                         .arg(id));
                ok = false;
                break;
            }
        }
        clock().sleep(500);
    });
    return ok;
}

void g_logoff() {
    guarded("modAutoDownload", "g_logoff", [&] {
        State& s = state();
        if (!s.loggedIn)
            return;
        for (const qint32 id : s.varIds) {
            if (!frmCANopen().g_setServiceBit(id, 0)) {
                g_errorMsgBox(
                    QStringLiteral("Logoff AutoDownload: Deactivation of ZENT-Variable %1 failed.")
                        .arg(id));
                break;
            }
            clock().sleep(200);
        }
    });
}

} // namespace pxu::modAutoDownload
