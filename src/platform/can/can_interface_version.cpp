#include "can_interface_version.h"

#include "can_result.h"

namespace pxu::can {

namespace {
double reported = 0;
} // namespace

qint32 CanInterfaceVersion::getDllVersion(double& version) const {
    version = reported > 0 ? reported : kVersion;
    return result::kSuccess;
}

void CanInterfaceVersion::setReportedVersion(double version) {
    reported = version;
}

} // namespace pxu::can
