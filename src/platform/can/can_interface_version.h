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
};

} // namespace pxu::can
