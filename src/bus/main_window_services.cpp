#include "main_window_services.h"

#include <QDebug>

namespace pxu {

namespace {

// In use before the main window exists (and in tools without one).
class NoMainWindow : public MainWindowServices {
public:
    void addMessage(const QString& text) override { qInfo().noquote() << text; }
    bool g_downloadStatusOk(int) override { return true; }
    bool g_getBootloaderVersionChange(int) override { return false; }
    void g_resetBootloaderVersionChange(int) override {}
    void downloadFailure(const QString& text, int module) override {
        qWarning().noquote() << "module" << module << text;
    }
    ModuleSelection g_getUserSelection() override { return {}; }
    void g_restoreUserSelection(const ModuleSelection&) override {}
    bool g_abortRequested() override { return m_abort; }
    void setAbortRequested(bool requested) override { m_abort = requested; }
    void g_logOffApplication(bool) override {}
    void notConnectedToSpare(qint16) override {}

private:
    bool m_abort = false;
};

NoMainWindow g_noMainWindow;
MainWindowServices* g_services = nullptr;

} // namespace

void setMainWindowServices(MainWindowServices* services) {
    g_services = services;
}

MainWindowServices& mainWindowServices() {
    return g_services ? *g_services : g_noMainWindow;
}

} // namespace pxu
