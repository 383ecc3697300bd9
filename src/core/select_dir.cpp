#include "select_dir.h"

#include "dialog_service.h"
#include "form_support.h"

#include <QDir>
#include <QFileInfo>

namespace pxu {

int frmSelectDir::showSelect() {
    m_result = 2;
    FolderRequest request;
    request.caption = QStringLiteral("Select Directory");
    // An unusable start folder gives way to the current one without a word.
    request.startDir = !g_initialDir.isEmpty() && QFileInfo(g_initialDir).isDir()
                           ? g_initialDir
                           : QDir::currentPath();
    if (const auto chosen =
            dialogs().chooseFolder(topLevelWindow(QStringLiteral("frmMain")), request)) {
        m_result = 1;
        g_selectedDir = *chosen;
    }
    return m_result;
}

} // namespace pxu
