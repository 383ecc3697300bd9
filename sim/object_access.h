#pragma once

#include "sdo_abort.h"

#include <QByteArray>
#include <optional>

namespace pxu::sim {

// What an SDO server serves: the object dictionary of one node. Values go whole, the
// server does the segmentation.
class ObjectAccess {
public:
    virtual ~ObjectAccess() = default;

    virtual SdoAbort read(quint16 index, quint8 subIndex, QByteArray& value) = 0;
    // Asked when a download starts, so that a refused write is aborted before any data
    // moves; the size is unknown for a segmented download without size indication.
    virtual SdoAbort checkWrite(quint16 index, quint8 subIndex, std::optional<qint64> size) = 0;
    virtual SdoAbort write(quint16 index, quint8 subIndex, const QByteArray& value) = 0;
};

} // namespace pxu::sim
