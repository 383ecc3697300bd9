#include "dc_tools.h"

#include "core/globals.h"
#include "dc_builder.h"
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

DcBuilder& frmDcBuilder() {
    return windowOnFirstUse(UnloadSlot::dcBuilder, &DcBuilder::unload);
}

} // namespace pxu
