#include "dc_tools.h"

#include "dc_builder.h"
#include "mainwindow/main_window.h"
#include "mainwindow/window_on_first_use.h"

namespace pxu {

DcTools::DcTools(MainWindow& window)
    : m_window(window) {
    m_window.setDcTools(this);
}

DcTools::~DcTools() {
    if (m_window.dcTools() == this)
        m_window.setDcTools(nullptr);
}

void DcTools::showBuilder(const QString& sourceFolder) {
    frmDcBuilder().g_show(sourceFolder);
}

DcBuilder& frmDcBuilder() {
    return windowOnFirstUse(UnloadSlot::dcBuilder, &DcBuilder::unload);
}

} // namespace pxu
