#pragma once

#include <QtGlobal>

namespace pxu::can {

// The interface's version question, asked from an object of its own. Version 2.0: block
// transfer and the start of applications are available.
class CanInterfaceVersion {
public:
    static constexpr double kVersion = 2.0;
    // Result code; version filled on success.
    qint32 getDllVersion(double& version) const;
    // Makes the question report another version (an older interface); 0 goes back to ours.
    static void setReportedVersion(double version);
};

} // namespace pxu::can
