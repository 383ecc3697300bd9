#pragma once

#include "main_window.h"

namespace pxu::modApplicationMode {
qint32 g_checkAppFileType(const QString& fileName);
qint32 g_getApplStartAddr(const QString& fileName);
} // namespace pxu::modApplicationMode

namespace pxu::modModeChange {
bool g_startApplication(const ModuleSelection& selection, bool quiet);
bool g_startBootloader(const ModuleSelection& selection, bool ask);
} // namespace pxu::modModeChange
