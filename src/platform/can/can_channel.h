#pragma once

#include <QString>

namespace pxu::can {

// A Qt SerialBus channel, written "plugin:interface" (socketcan:can0,
// virtualcan:tcp://127.0.0.1:35468/can0).
struct CanChannel {
    QString plugin;
    QString interfaceName;
};

// Splits at the first colon; false when either side is empty.
bool parseCanChannel(const QString& text, CanChannel* channel);

// The channel of a board number: the environment variable PXU_CAN_BOARD<n>, or
// socketcan:can<n> when it is not set.
QString canChannelTextForBoard(int boardNumber);

} // namespace pxu::can
