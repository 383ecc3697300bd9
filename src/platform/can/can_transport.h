#pragma once

#include "can_frame.h"

#include <QString>
#include <functional>
#include <memory>

namespace pxu::can {

// A CAN channel as the interface uses it: open, send frames, hear every other node's frames.
// The handlers run on the transport's own thread (the scheduler's for the in-process bus)
// and must not call back into the transport's open or close.
class CanTransport {
public:
    struct Handlers {
        std::function<void(const CanFrame&)> frame;
        // A channel failure after opening: result code and text.
        std::function<void(qint32, const QString&)> error;
        // The channel went away unasked (a device unplugged, a virtualcan host ended): no
        // frame passes any more. After the error handler, once.
        std::function<void(const QString&)> lost;
    };
    // Whether a frame was written to the channel (true) or will never be (false).
    using WriteDone = std::function<void(bool written)>;

    virtual ~CanTransport() = default;

    // Returns a result code (1 success); on failure errorText says why. Never blocks for
    // longer than a bounded connection wait.
    virtual qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) = 0;
    // After close returns no handler runs any more.
    virtual void close() = 0;
    // Thread-safe. Takes the frame for writing; false when the channel is not open. done,
    // when given, runs once on any thread (in send itself, too) when the frame was written
    // or will not be; it must not call back into the transport. Why a write failed is told
    // through the error handler.
    virtual bool send(const CanFrame& frame, WriteDone done) = 0;
    // "plugin:interface" or the bus's name, for the board information.
    virtual QString channelName() const = 0;
    virtual QString serialNumber() const { return QString(); }
};

// Board number to transport; nullptr when the board number names no channel.
using TransportFactory = std::function<std::unique_ptr<CanTransport>(int boardNumber)>;

} // namespace pxu::can
