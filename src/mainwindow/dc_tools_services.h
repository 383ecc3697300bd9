#pragma once

#include <QString>

namespace pxu {

// What the main window uses of the data-container tools. The tools register themselves
// with the main window (MainWindow::setDcTools); the program always has them.
class DcToolsServices {
public:
    virtual ~DcToolsServices() = default;
    // "&Build DataContainer": the builder on the newest data-container database of the
    // folder.
    virtual void showBuilder(const QString& sourceFolder) = 0;
    // "&Create DataContainer Template": the template of the newest data-container database
    // of the folder for its build; the log goes to the main window's list.
    virtual void createTemplate(const QString& folder) = 0;
    // "&Reconstruct DataContainer": the reconstruction window.
    virtual void showReconstruction() = 0;
};

} // namespace pxu
