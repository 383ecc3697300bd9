#pragma once

#include "bus/connection_status.h"
#include "bus/main_window_services.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace pxu::test {

// The main window as the module protocol sees it: records what it is told and answers
// from its fields. Installed for its lifetime.
class FakeMainWindow : public MainWindowServices {
public:
    struct Failure {
        QString text;
        int module;
    };

    FakeMainWindow() {
        downloadOk.fill(true);
        setMainWindowServices(this);
    }
    ~FakeMainWindow() override { setMainWindowServices(nullptr); }

    void addMessage(const QString& text) override { messages << text.split(u'\r'); }
    bool g_downloadStatusOk(int module) override { return downloadOk[module]; }
    bool g_getBootloaderVersionChange(int module) override {
        return bootloaderVersionChange[module];
    }
    void g_resetBootloaderVersionChange(int module) override {
        bootloaderVersionChange[module] = false;
    }
    void downloadFailure(const QString& text, int module) override {
        failures << Failure{text, module};
        downloadOk[module] = false;
    }
    ModuleSelection g_getUserSelection() override {
        ++selectionSaves;
        return userSelection;
    }
    void g_restoreUserSelection(const ModuleSelection& selection) override {
        ++selectionRestores;
        for (int n = 0; n < kModuleCount; ++n) {
            if (selection[n] && modConnectionStatus::g_getModuleStatus(n) != 0)
                userSelection[n] = true;
        }
    }
    bool g_abortRequested() override { return abortRequested; }
    void setAbortRequested(bool requested) override { abortRequested = requested; }
    void g_logOffApplication(bool endProgram) override { logOffs << endProgram; }
    bool programEnding() override { return ending; }
    void notConnectedToSpare(qint16 module) override { notSpare << module; }

    QStringList messages;
    QList<Failure> failures;
    std::array<bool, kModuleCount> downloadOk{};
    std::array<bool, kModuleCount> bootloaderVersionChange{};
    ModuleSelection userSelection{};
    int selectionSaves = 0;
    int selectionRestores = 0;
    bool abortRequested = false;
    bool ending = false;
    QList<bool> logOffs;
    QList<qint16> notSpare;
};

} // namespace pxu::test
