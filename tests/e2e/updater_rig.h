#pragma once

#include "core/message_window.h"
#include "main_window_fixture.h"
#include "sim/application_image.h"
#include "sim/system_information.h"
#include "sim_boards.h"

#include <QFile>
#include <QStringList>

namespace pxu::test {

// The engine's reported application CRCs of the sample build map (build 41).
constexpr quint32 kOldApplicationCrc = 0x9E371A2B; // "0x1A2B": build 41, update due
constexpr quint16 kNewApplicationCrc = 0x3C4D;     // "0x3C4D": build 41 updated

// The whole program in updater mode on the sample configuration, connected by its board 0
// to a simulated M-Bus: the spare (with the engine's system information) and six cylinder
// modules running their application, in virtual time. The new application of build 41 lies
// in the installation folder.
struct UpdaterRig {
    explicit UpdaterRig(int cylinders = 6, sim::EngineValues values = {}) {
        resetProgramState();
        values.cylinders = quint32(cylinders);
        engine = std::make_unique<sim::SystemInformation>(board.modules, board.service,
                                                          sim::SystemInfoIds{}, values);
        board.modules.setModes(0, cylinders, sim::Mode::Application);
        boards.time.runFor(10);
        newImage = sim::applicationImage(0x4000, kNewApplicationCrc);
        workspace.writeFile(QStringLiteral("PXU_APPL_B041.S19"),
                            sim::s28Records(newImage, 0x30000));
    }
    ~UpdaterRig() {
        resetProgramState();
        // A fresh message window for the next run: its error flag survives an unload.
        delete &frmMessage2();
    }

    UpdaterFace& face() { return program.face; }
    MainWindow& window() { return program.window; }
    bool start() { return program.start(); }
    bool runUntil(const std::function<bool()>& pred, qint64 ms) {
        return boards.time.runUntil(pred, ms);
    }
    // Runs until the run waits for the user (a button stops the sequencer).
    bool runUntilAsked(qint64 ms = 120'000) {
        return runUntil([this] { return !face().timCyclic.isActive(); }, ms);
    }
    // Starts the program and runs to the first question, "Start".
    bool startToFirstQuestion() { return start() && runUntilAsked(5000); }
    void pressOk() { face().cmdOk_Click(); }
    // Finish, and the run to the program's end.
    bool finish() {
        face().cmdExitUpdater_Click();
        return runUntil([this] { return window().programEnded(); }, 5000);
    }
    QStringList log() { return program.face.messages().lines(); }
    QString report() const {
        QFile file(workspace.path(QStringLiteral("DORN Update Tool Report.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    // The start of a failed run's details: the outcome, the rule and the first step.
    static QString failureDetails() {
        return QStringLiteral(
            "ZENT-6183 Software update failed. Find more details in the report below.\r\n\r\n"
            "------------------------------------- Report Details  "
            "-------------------------------------\r\nStep 1: Prepare connection to ZENT\r\n");
    }

    Workspace workspace;
    SimBoards boards;
    SimBoards::Board& board = boards.add(0, sim::BusKind::MBus);
    std::unique_ptr<sim::SystemInformation> engine;
    QByteArray newImage;
    Program program{workspace, {}};
};

// A DORN installation: its modules name themselves so, and its success message takes the
// six values of a DORN engine (no IMO CRC).
inline void makeDorn(UpdaterRig& rig) {
    rig.workspace.setMiscItem(QStringLiteral("applType"), QStringLiteral("DORN"));
    rig.workspace.execute(
        QStringLiteral("UPDATE messages SET MessageText = ? WHERE MessageID = 121"),
        {QStringLiteral("The software has been updated successfully.\\nHull number: "
                        "{*}\\nEngine type: {*}\\nNumber of cylinders: "
                        "{*}\\nBuild: {*}\\nApplication CRC: {*} / Len: {*}")});
    for (int m = 0; m <= 2; ++m)
        rig.board.modules.module(m).config().deviceName = "DORN PXU-20";
}

} // namespace pxu::test
