#pragma once

#include "mainwindow/dc_tools_services.h"

#include <QMetaObject>

namespace pxu {

class DcBuilder;
class DcReconstruction;
class MainWindow;

// The data-container tools behind the main window's menu entries; registers itself with
// the main window for its lifetime.
class DcTools : public DcToolsServices {
public:
    explicit DcTools(MainWindow& window);
    ~DcTools() override;
    DcTools(const DcTools&) = delete;
    DcTools& operator=(const DcTools&) = delete;

    void showBuilder(const QString& sourceFolder) override;
    void createTemplate(const QString& folder) override;
    void showReconstruction() override;

private:
    MainWindow& m_window;
    QMetaObject::Connection m_loadFilesRefresh;
};

// The program's builder window, made on first use beside the main window, which unloads it
// at the shut-down.
DcBuilder& frmDcBuilder();
// The program's reconstruction window, made on first use beside the main window.
DcReconstruction& frmDcReconstruction();

} // namespace pxu
