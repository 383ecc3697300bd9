#pragma once

#include <QString>

namespace pxu::can {

// What the interface tells about its board; versions carry the major number in the high
// byte and the minor in the low byte.
struct BoardInfo {
    quint16 hardwareVersion = 0;
    quint16 firmwareVersion = 0;
    quint16 apiVersion = 0;
    quint32 boardSegment = 0;
    qint32 interrupt = 0;
    QString serialNumber;
    QString hardwareName;
};

} // namespace pxu::can
