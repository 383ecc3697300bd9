#pragma once

#include <QString>

class QWidget;

namespace pxu::test {

// Saves a picture of the window as <name>.png in the folder PXU_TEST_OUTPUT names (made
// if missing), for a reviewer to look at. Returns the file's path, or empty on failure.
QString saveScreenshot(QWidget& window, const QString& name);

} // namespace pxu::test
