#include "dc_tools.h"

#include "core/globals.h"
#include "dc_builder.h"
#include "dc_reconstruction.h"
#include "dc_template.h"
#include "mainwindow/main_window.h"
#include "mainwindow/window_on_first_use.h"

namespace pxu {

DcTools::DcTools(MainWindow& window)
    : m_window(window) {
    m_window.setDcTools(this);
}

DcTools::~DcTools() {
    QObject::disconnect(m_loadFilesRefresh);
    if (m_window.dcTools() == this)
        m_window.setDcTools(nullptr);
}

void DcTools::showBuilder(const QString& sourceFolder) {
    DcBuilder& builder = frmDcBuilder();
    if (!m_loadFilesRefresh)
        m_loadFilesRefresh =
            QObject::connect(&builder, &DcBuilder::downloadFileWritten, &m_window,
                             [this] { m_window.g_checkFileExist(g_moduleType, true); });
    builder.g_show(sourceFolder);
}

void DcTools::createTemplate(const QString& folder) {
    // The creation logs to the main window's list.
    class MainWindowLog : public dc::MessageSink {
    public:
        explicit MainWindowLog(MainWindow& window)
            : m_window(window) {}
        void addMessage(const QString& text) override { m_window.addMessage(text); }
        void updateProgress(double value, bool relative) override {
            m_window.updateProgress(value, relative);
        }

    private:
        MainWindow& m_window;
    } log(m_window);
    g_createDCTemplate(folder, log);
}

void DcTools::showReconstruction() {
    frmDcReconstruction().g_show();
}

DcBuilder& frmDcBuilder() {
    return windowOnFirstUse(UnloadSlot::dcBuilder, &DcBuilder::unload);
}

DcReconstruction& frmDcReconstruction() {
    return windowOnFirstUse(UnloadSlot::dcReconstruction, &DcReconstruction::unload);
}

} // namespace pxu
