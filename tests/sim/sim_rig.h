#pragma once

#include "sdo_test_client.h"
#include "sim/info_block.h"

namespace pxu::sim::test {

// A bus of simulated modules on a virtual clock, with an SDO client on it.
struct SimRig {
    explicit SimRig(BusKind kind = BusKind::SBus)
        : bus(kind, clock)
        , client(clock, bus) {}

    void runMs(qint64 ms) { clock.advanceUs(ms * 1000); }

    // The loading status as the tool reads it, or -1.
    int loadingStatus(int module) {
        const quint8 sub = moduleType(bus.kind()) == ModuleType::Pxu ? 3 : 0;
        const auto r = client.upload(bus.module(module).bootloaderNode(), 0x5FFF, sub);
        return r.ok() && r.data.size() == 1 ? quint8(r.data[0]) : -1;
    }

    VirtualClock clock;
    Bus bus;
    SdoTestClient client;
};

// A frame of the given id and data bytes.
inline can::CanFrame frameOf(quint32 id, std::initializer_list<quint8> bytes) {
    can::CanFrame f{id, quint8(bytes.size()), {}};
    std::copy(bytes.begin(), bytes.end(), f.data.begin());
    return f;
}

// Image bytes that differ from every default section.
inline QByteArray testImage(int length, char seed = 1) {
    QByteArray bytes(length, '\0');
    for (int i = 0; i < length; ++i)
        bytes[i] = char(seed + i * 7 + i / 251);
    return bytes;
}

} // namespace pxu::sim::test
