#include "protocol_pending.h"

namespace pxu::modApplicationMode {
qint32 g_checkAppFileType(const QString&) {
    if (g_KEVMode)
        return applTypeKev;
    if (g_TOQMode)
        return applTypeToq;
    return applTypeZent;
}
qint32 g_getApplStartAddr(const QString&) {
    return 0;
}
} // namespace pxu::modApplicationMode

namespace pxu::modModeChange {
bool g_startApplication(const ModuleSelection&, bool) {
    return true;
}
bool g_startBootloader(const ModuleSelection&, bool) {
    return true;
}
} // namespace pxu::modModeChange
