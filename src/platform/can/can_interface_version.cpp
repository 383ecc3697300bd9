#include "can_interface_version.h"

#include "can_result.h"

namespace pxu::can {

qint32 CanInterfaceVersion::getDllVersion(double& version) const {
    version = kVersion;
    return result::kSuccess;
}

} // namespace pxu::can
