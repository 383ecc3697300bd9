#pragma once

#include <QString>

namespace pxu {

// The folder chooser. The caller makes its own, sets g_initialDir, calls showSelect and on
// 1 (OK) reads g_selectedDir; 2 is Cancel.
class frmSelectDir {
public:
    QString g_initialDir;
    QString g_selectedDir;

    int showSelect();

private:
    int m_result = 2;
};

} // namespace pxu
