#include "bus/application_mode.h"
#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "bus/heart_beat_control.h"
#include "core/about_box.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/program_info.h"
#include "core/vb_val.h"
#include "main_window.h"
#include "platform/clock/clock.h"

#include <QLatin1Char>

namespace pxu {

namespace {

constexpr int kAllNodes = 0;
constexpr int kTargetPasses = 601; // 3000 ms in passes of 5 ms
constexpr int kTargetPassMs = 5;

const QString kCanInitError =
    QStringLiteral("CAN initialisation Error: Please make sure that the USB-to-CAN\r"
                   "Converter is correctly connected.");

QString applTypeText(int type, bool connectionSide) {
    switch (type) {
    case applTypeZent:
        return QStringLiteral("ZENT");
    case applTypeDorn:
        return QStringLiteral("DORN");
    case applTypeLorx:
        return QStringLiteral("LORX");
    case applTypeNone:
        return connectionSide ? QStringLiteral("NONE") : QString();
    case applTypeKev:
        return QStringLiteral("KEV");
    case applTypeToq:
        return QStringLiteral("TOQ");
    default:
        return {};
    }
}

// The other bus of a "lastUsedBus" text: any text starting with an m is the M-Bus.
QString otherBus(const QString& bus) {
    return bus.left(1).toUpper() == QLatin1String("M") ? QStringLiteral("S-Bus")
                                                       : QStringLiteral("M-Bus");
}

// A number as the standard conversion writes it: a blank in front when not negative.
QString numberWithSign(int value) {
    return value >= 0 ? QLatin1Char(' ') + QString::number(value) : QString::number(value);
}

void storeInterfaceVersion(double version) {
    if (version < 1.1)
        g_warningMsgBox(
            QStringLiteral("Old version of CANInterface.dll detected: some features are "
                           "deactivated.\rTo avoid this and related failure messages at next "
                           "use, please perform\rBt base setup with Install-Brantola version 11."),
            QStringLiteral("Warning"), false, 0);
    g_canInterfaceVersion = QString::number(version);
}

} // namespace

void MainWindow::initConnection(bool operatorAccess, bool lorinMode, bool& ok) {
    guarded("frmMain", "initConnection", [&] {
        ok = false;
        modHeartBeatControl::g_initialise();
        modAutoDownload::g_initialise();
        if (lorinMode || kevOrToq())
            initLorinConnection();
        else
            initConnectionBothBusses(operatorAccess, ok);
        enableAllControls();
    });
}

void MainWindow::initConnectionBothBusses(bool operatorAccess, bool& ok) {
    guarded("frmMain", "initConnectionBothBusses", [&] {
        ok = true;
        MessageWindow& window = frmMessage2();
        const MessageTarget target = MessageTarget::of(window);
        const int attempts = operatorAccess ? 1 : 3;
        double version = 1.0;
        // The bus the last attempt chose, for a configuration without "lastUsedBus".
        QString nextBus = QStringLiteral("M-Bus");
        for (int attempt = 1; attempt <= attempts && !programEnding(); ++attempt) {
            const QString bus = operatorAccess
                                    ? QStringLiteral("M-Bus")
                                    : g_getMiscItem(QStringLiteral("lastUsedBus"), nextBus);
            if (attempt < attempts) {
                window.addMessage(QStringLiteral("CANopen initialising ") + bus +
                                  QStringLiteral(" ..."));
            } else if (operatorAccess) {
                window.addMessage(QStringLiteral("Initialising M-Bus for Operator access."));
            } else {
                QString line = QStringLiteral("\rInitialising ") + bus +
                               QStringLiteral(" as default setting ...");
                if (attempt > 1)
                    line.prepend(QStringLiteral("No Connection found. "));
                window.addMessage(line);
            }

            const bool opened = frmCANopen().g_initialise(target, version, bus, false,
                                                          CanOpenMaster::kConfiguredBoard);
            if (opened && !window.errorSignal(false)) {
                window.addMessage(QStringLiteral("   Set net operational"));
                frmCANopen().g_setOperational(kAllNodes, false);
            }
            if (window.errorSignal(false)) {
                if (!g_applUpdate) {
                    g_errorMsgBox(kCanInitError, {}, true);
                    window.hideButtons(false);
                }
                ok = false;
                break;
            }

            bool found = false;
            checkTargetConnection(true, found);
            g_moduleDetected = g_moduleDetected || found;
            if (operatorAccess || g_moduleDetected)
                break;
            if (attempt == 1) {
                frmCANopen().g_releaseCanOpen(true);
                nextBus = otherBus(bus);
                g_setMiscItem(QStringLiteral("lastUsedBus"), nextBus);
            } else if (attempt == 2) {
                MessageWindow question;
                const bool mBus = question.questionMsgBox(
                    g_getUserMessage(6), QStringLiteral("Bus initialization"),
                    QStringLiteral("M-Bus"), QStringLiteral("S-Bus"), false);
                question.unload();
                frmCANopen().g_releaseCanOpen(true);
                nextBus = mBus ? QStringLiteral("M-Bus") : QStringLiteral("S-Bus");
                g_setMiscItem(QStringLiteral("lastUsedBus"), nextBus);
            }
        }
        storeInterfaceVersion(version);
    });
}

void MainWindow::initLorinConnection() {
    guarded("frmMain", "initLorinConnection", [&] {
        MessageWindow& window = frmMessage2();
        const MessageTarget target = MessageTarget::of(window);
        const QString bus = QStringLiteral("S-Bus for LORIN");
        CanOpenMaster& master = frmCANopen();
        int boardsOpened = 0;
        int boardsWithOthers = 0;
        int otherBoard = 0;
        bool found = false;
        double version = 1.0;
        for (int board = 0; board <= 1; ++board) {
            const bool opened = master.g_initialise(target, version, bus, true, quint8(board));
            if (opened && !window.errorSignal(false)) {
                ++boardsOpened;
                window.addMessage(QStringLiteral("   Set net operational"));
                master.g_setOperational(kAllNodes, false);
                qint32 type = modApplicationMode::g_checkAppConnectionType();
                // The KEV and TOQ types are known without the bus: the board is theirs
                // only when one of their modules answers there.
                if ((type == applTypeKev || type == applTypeToq) &&
                    !modApplicationMode::anyModuleAnswers())
                    type = applTypeNoModule;
                if (type == applTypeLorx || type == applTypeKev || type == applTypeToq) {
                    found = true;
                    break;
                }
                if (type != applTypeNoModule) {
                    ++boardsWithOthers;
                    otherBoard = board;
                }
            }
            master.g_releaseCanOpen(false);
        }

        if (!found) {
            if (boardsWithOthers == 1) {
                window.addMessage(QStringLiteral("No LORIN PXU found: \rinitialising USB-to-CAN ") +
                                  numberWithSign(otherBoard) + QStringLiteral("(PXU connected)."));
                master.g_initialise(target, version, bus, true, quint8(otherBoard));
            } else if (boardsWithOthers > 1) {
                g_errorMsgBox(QStringLiteral("LORIN initialisation Error: Non-Lorin PXUs connected "
                                             "to both USB-to-CAN boards! The Loader will "
                                             "terminate."),
                              {}, true);
                g_logOffApplication(true);
            } else if (boardsOpened == 0) {
                g_errorMsgBox(kCanInitError);
                window.hideButtons(false);
                master.setNoCan(true);
            } else {
                window.addMessage(QStringLiteral("No PXUs found: \rinitialising USB-to-CAN 0 as "
                                                 "default setting."));
                master.g_initialise(target, version, bus, true, 0);
            }
        }
        storeInterfaceVersion(version);
    });
}

void MainWindow::checkTargetConnection(bool quiet, bool& found) {
    guarded("frmMain", "checkTargetConnection", [&] {
        found = false;
        for (int pass = 0; pass < kTargetPasses && !found && !programEnding(); ++pass) {
            pxu::clock().sleep(kTargetPassMs);
            pxu::clock().doEvents();
            const ModuleStates states = modHeartBeatControl::g_getHeartBeatStatus();
            g_updateConnectionStatus();
            found = std::any_of(states.begin(), states.end(),
                                [](qint32 state) { return state != moduleNotConnected; });
        }
        if (!quiet && !found)
            g_errorMsgBox(
                QStringLiteral("No communication to the modules!\rPlease check connection."),
                QStringLiteral("Error"));
    });
}

void MainWindow::setUserRights() {
    guarded("frmMain", "setUserRights", [&] {
        const qint32 connectionType = modApplicationMode::g_checkAppConnectionType();
        const int fileType = g_applType;
        const QString connectionText = applTypeText(connectionType, true);
        const QString fileText = applTypeText(fileType, false);
        if (connectionType == applTypeMismatch || connectionType > applTypeToq) {
            BoxRequest box;
            box.title = programTitle();
            box.text = QStringLiteral("PXU Loader Tool internal error: Application Type not "
                                      "handled.");
            dialogs().messageBox(box);
            g_logOffApplication(true);
            return;
        }
        if (connectionType != applTypeNoModule && connectionType != applTypeNone &&
            connectionType != g_applType)
            g_applType = applTypeMismatch;
        if (g_applType == applTypeMismatch) {
            const QString message =
                QStringLiteral("The connected PXU application does not fit to the S19 "
                               "application file!\rPXU-20\t\t : ") +
                connectionText + QStringLiteral("\rApplication.S19 \t : ") + fileText +
                QStringLiteral("\r");
            if (g_developMode) {
                if (g_warningMsgBox(message + QStringLiteral("Run Loader anyway?"), {}, true, 1)) {
                    g_applType = fileType;
                } else {
                    g_logOffApplication(true);
                    return;
                }
            } else {
                g_errorMsgBox(message + QStringLiteral("The Loader will Terminate!"), {}, true);
                g_logOffApplication(true);
                return;
            }
        }
        if (!g_applUpdate)
            frmAbout().g_showAbout(true);
    });
}

} // namespace pxu
