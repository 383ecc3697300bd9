#include "auto_download.h"

#include "can_open_master.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "main_window_services.h"
#include "platform/clock/clock.h"

#include <QStringList>
#include <vector>

namespace pxu::modAutoDownload {

namespace {

constexpr const char* kObject = "modAutoDownload";
constexpr quint8 kUserLevel = 11;
constexpr int kModuleIdStep = 4096;

struct State {
    ModuleStates status{};
    std::array<qint32, 4> varIds{};
    bool loggedIn = false;
    bool commandBusy = false;
    double progress = 0;
    int updateModule = 0;
    qint32 updateField = 0;
    int updateAttempt = 0;
    std::array<bool, kModuleCount> failureA{};
    std::array<bool, kModuleCount> failureB{};
    EngineStandStillReports standStill;
    // Received since the last command was sent: the spare took it up (for every module, or
    // for those its update status named), and cleared it afterwards. Only its own word, and
    // only an update status other than the one held when it was sent, tell that: a report of
    // the command before or of the work before can still arrive after the send.
    quint16 sentWord = 0;
    QByteArray updateAtSend;
    QByteArray lastUpdate;
    bool commandEchoed = false;
    quint16 modulesNamed = 0;
    quint16 modulesDone = 0;
};

State& state() {
    static State s;
    return s;
}

int sendingModule(qint32 id) {
    return (id >> 12) & 0xF;
}

} // namespace

void g_initialise() {
    guarded(kObject, "g_initialise", [&] {
        State& s = state();
        s.status = {};
        s.failureA = {};
        s.failureB = {};
        s.standStill.clear();
        g_resetConnectionStatus();
    });
}

void g_resetConnectionStatus() {
    State& s = state();
    s.status = {};
    s.standStill.clear();
    s.progress = 0;
    s.commandBusy = false;
}

void g_setModuleStatus(const QByteArray& value, qint32) {
    guarded(kObject, "g_setModuleStatus", [&] {
        State& s = state();
        const AdlModuleState states = AdlModuleState::decode(value);
        for (int n = 0; n < kModuleCount; ++n) {
            const qint32 now = states.status(n);
            if (now == moduleApplicationRunning && n > 0 &&
                s.status[n] != moduleApplicationRunning) {
                // A cylinder that newly runs its application reports its standstill from now.
                if (frmCANopen().g_setServiceBit(g_varIds.g_varIdEngStStill + n * kModuleIdStep, 1))
                    s.standStill.expect(n);
            }
            s.status[n] = now;
        }
    });
}

void g_setCommandStatus(const QByteArray& value, qint32) {
    State& s = state();
    s.commandBusy = adlCommandPending(value);
    if (s.commandBusy && adlCommandWord(value) == s.sentWord)
        s.commandEchoed = true;
    else
        s.modulesDone |= s.commandEchoed ? quint16(0x7FFF) : s.modulesNamed;
}

void g_setUpdateStatus(const QByteArray& value, qint32) {
    const AdlUpdateStatus u = AdlUpdateStatus::decode(value);
    State& s = state();
    s.lastUpdate = value;
    s.updateModule = u.updateModule;
    s.updateField = u.field;
    s.progress = u.progress;
    s.updateAttempt = u.attempt;
    if (u.updateModule >= 0 && u.updateModule < kModuleCount && value != s.updateAtSend)
        s.modulesNamed |= quint16(1u << u.updateModule);
}

void g_setUpdateFailure(const QByteArray& value, qint32) {
    const AdlUpdateFailure f = AdlUpdateFailure::decode(value);
    state().failureA = f.failureA;
    state().failureB = f.failureB;
}

void g_setEngineStandStill(const QByteArray& value, qint32 id) {
    state().standStill.report(sendingModule(id), adlStandStill(value));
}

void g_checkEngineStandStillTimeout(int tickMs) {
    state().standStill.tick(tickMs);
}

ModuleStates g_getAutoDwnlConnStatus() {
    return state().status;
}

qint32 g_getModuleStatusADL(int module) {
    return module >= 0 && module < kModuleCount ? state().status[module] : moduleNotConnected;
}

bool g_getAutoDownloadStatus(int& updateModule, qint32& updateField, double& progress,
                             int& attempt) {
    const State& s = state();
    updateModule = s.updateModule;
    updateField = s.updateField;
    progress = s.progress;
    attempt = s.updateAttempt;
    return s.commandBusy;
}

bool g_commandDone(int module) {
    if (module < 0 || module >= kModuleCount)
        return false;
    return state().modulesDone >> module & 1;
}

bool g_getAutoDownloadFailure(int module) {
    if (module < 0 || module >= kModuleCount)
        return false;
    return state().failureA[module] || state().failureB[module];
}

qint32 g_getEngineStandStillStatus() {
    return state().standStill.status();
}

qint32 g_getEngineStandStillStatus(int module) {
    return state().standStill.status(module);
}

bool g_login(const std::function<void(const QString&)>& report) {
    bool ok = false;
    guarded(kObject, "g_login", [&] {
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
        if (!frmCANopen().g_setUserLevel(kUserLevel)) {
            fail(QStringLiteral("Initialization AutoDownload: Login failed."));
            return;
        }
        ok = true;
        for (const qint32 id : s.varIds) {
            if (!frmCANopen().g_setServiceBit(id, 1)) {
                fail(QStringLiteral("Initialization AutoDownload: Activation of ZENT-Variable "
                                    "%1 failed.")
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
    guarded(kObject, "g_logoff", [&] {
        State& s = state();
        if (!s.loggedIn)
            return;
        std::vector<qint32> standStillIds;
        for (int n = 1; n < kModuleCount; ++n) {
            if (s.status[n] != moduleNotConnected)
                standStillIds.push_back(g_varIds.g_varIdEngStStill + n * kModuleIdStep);
        }
        if (frmCANopen().channelLost()) {
            // Nothing can be switched off: say what stays on, once.
            QStringList ids;
            for (const qint32 id : s.varIds)
                ids << QString::number(id);
            for (const qint32 id : standStillIds)
                ids << QString::number(id);
            g_errorMsgBox(QStringLiteral("Logoff AutoDownload: ZENT-Variables %1 not deactivated: ")
                              .arg(ids.join(QStringLiteral(", "))) +
                          frmCANopen().lostChannelText() + QLatin1Char('.'));
            return;
        }
        const auto failed = [](qint32 id) {
            g_errorMsgBox(
                QStringLiteral("Logoff AutoDownload: Deactivation of ZENT-Variable %1 failed.")
                    .arg(id));
        };
        for (const qint32 id : s.varIds) {
            if (!frmCANopen().g_setServiceBit(id, 0)) {
                failed(id);
                break;
            }
            clock().sleep(200);
        }
        for (const qint32 id : standStillIds) {
            if (!frmCANopen().g_setServiceBit(id, 0))
                failed(id);
        }
    });
}

bool loggedIn() {
    return state().loggedIn;
}

void resetLogin() {
    state().loggedIn = false;
}

bool g_sendCommand(int command, quint16 mask, int section) {
    bool sent = false;
    guarded(kObject, "g_sendCommand", [&] {
        AdlCommandValue::Error error = AdlCommandValue::Error::None;
        const std::optional<QByteArray> value =
            AdlCommandValue::encode(command, mask, section, &error);
        if (!value) {
            // A word with a part missing would start something nobody asked for.
            g_errorMsgBox(
                error == AdlCommandValue::Error::InvalidCommand
                    ? QStringLiteral("Invalid Command passed to g_sendCommand")
                    : QStringLiteral("Invalid section passed to modAutoDwonlaod.g_sendCommand"));
            return;
        }
        State& s = state();
        const bool abort = command == adlAbort;
        if (!abort) {
            if (s.commandBusy)
                return;
            s.commandBusy = true;
            s.sentWord = adlCommandWord(*value);
            s.updateAtSend = s.lastUpdate;
            s.commandEchoed = false;
            s.modulesNamed = 0;
            s.modulesDone = 0;
        }
        sent = frmCANopen().g_writeSymbol(g_varIds.g_varIdModuleStateRw, 0, *value);
        // Nothing went out, so no echo will ever clear the interlock.
        if (!sent && !abort)
            s.commandBusy = false;
    });
    return sent;
}

qint16 moduleIdOfDeviceName(const QString& name) {
    const qsizetype hash = name.indexOf(u'#');
    if (hash < 0)
        return 0;
    const QString after = name.mid(hash + 1, 2);
    qint16 id = 0;
    for (const QChar c : after) {
        if (c < u'0' || c > u'9')
            break;
        id = qint16(id * 10 + (c.unicode() - u'0'));
    }
    return id;
}

void g_checkMBusModuleID(bool bootloaderRunning) {
    guarded(kObject, "g_checkMBusModuleID", [&] {
        const quint8 node = quint8(bootloaderRunning ? g_cobIdBootloader : g_cobIdApplication);
        qint32 size = 0;
        QByteArray data;
        QString name;
        if (frmCANopen().g_readSDO(node, 0x1008, 0, size, data, false, true)) {
            for (const char c : data) {
                if (quint8(c) > 0)
                    name += QChar::fromLatin1(c);
            }
        }
        const qint16 id = moduleIdOfDeviceName(name);
        if (id <= 0)
            return;
        if (g_applUpdate) {
            mainWindowServices().notConnectedToSpare(id);
            return;
        }
        g_errorMsgBox(sprintf(g_getUserMessage(8), id));
        mainWindowServices().g_logOffApplication(true);
    });
}

} // namespace pxu::modAutoDownload
