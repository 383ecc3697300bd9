#pragma once

#include "platform/clock/virtual_clock.h"
#include "sim/bus.h"

#include <QByteArray>
#include <deque>
#include <optional>
#include <vector>

namespace pxu::sim::test {

struct SdoBlockOptions {
    bool crc = true;
    quint8 blockSize = 127; // uploads: segments per sub-block asked for
    int dropSegment = 0;    // downloads: the n-th segment sent is lost once
};

// A small SDO client for the simulator's tests: frames in, frames out, in virtual time.
class SdoTestClient {
public:
    enum class Transfer { Normal, Block };

    struct Result {
        bool timedOut = false;
        quint32 abort = 0;
        QByteArray data;
        bool ok() const { return !timedOut && abort == 0; }
    };

    using BlockOptions = SdoBlockOptions;

    SdoTestClient(VirtualClock& clock, Bus& bus);

    // Normal downloads of up to 4 bytes go expedited, longer ones segmented.
    Result download(quint8 node, quint16 index, quint8 sub, const QByteArray& data,
                    Transfer transfer = Transfer::Normal, BlockOptions options = {});
    Result upload(quint8 node, quint16 index, quint8 sub, Transfer transfer = Transfer::Normal,
                  BlockOptions options = {});

    void send(quint32 id, std::initializer_list<quint8> bytes);
    // The next frame on that COB-ID within the time-out; earlier frames on other ids stay.
    std::optional<can::CanFrame> await(quint32 id, qint64 timeoutMs = 200);
    // Every frame the modules sent, in order.
    const std::vector<can::CanFrame>& log() const { return m_log; }
    void clearLog();
    std::vector<can::CanFrame> framesWithId(quint32 id) const;

    qint64 timeoutMs = 200;

private:
    Result downloadBlock(quint8 node, quint16 index, quint8 sub, const QByteArray& data,
                         const BlockOptions& options);
    Result uploadBlock(quint8 node, quint16 index, quint8 sub, const BlockOptions& options);
    // The next answer of node; an abort or a time-out ends the transfer.
    std::optional<can::CanFrame> answer(quint8 node, Result& result);
    void sendFrame(const can::CanFrame& frame);

    VirtualClock& m_clock;
    Bus& m_bus;
    std::deque<can::CanFrame> m_inbox;
    std::vector<can::CanFrame> m_log;
};

can::CanFrame makeFrame(quint32 id, std::initializer_list<quint8> bytes);

} // namespace pxu::sim::test
