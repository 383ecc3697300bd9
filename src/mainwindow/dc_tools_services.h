#pragma once

#include <QString>

namespace pxu {

// What the main window uses of the data-container tools. The tools register themselves
// with the main window (MainWindow::setDcTools); without them the menu entries say that
// they are not in this build.
class DcToolsServices {
public:
    virtual ~DcToolsServices() = default;
    // "&Build DataContainer": the builder on the newest data-container database of the
    // folder.
    virtual void showBuilder(const QString& sourceFolder) = 0;
};

} // namespace pxu
