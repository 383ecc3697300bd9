// SDO block download through the CAN interface to a simulated SDO server on the bit-timed
// in-process bus, in virtual time. Reports the transfer's bus time against the protocol's
// limit: 7 data bytes per segment plus one acknowledgement per sub-block of 127 segments.
#include "platform/can/can_interface.h"
#include "platform/can/in_process_bus.h"
#include "platform/can/in_process_transport.h"
#include "platform/clock/virtual_clock.h"
#include "sim/sdo_server.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace pxu;

namespace {

// A node whose one object takes writes of any size.
class Sink : public sim::ObjectAccess {
public:
    sim::SdoAbort read(quint16, quint8, QByteArray& value) override {
        value = stored;
        return sim::SdoAbort::None;
    }
    sim::SdoAbort checkWrite(quint16, quint8, std::optional<qint64>) override {
        return sim::SdoAbort::None;
    }
    sim::SdoAbort write(quint16, quint8, const QByteArray& value) override {
        stored = value;
        return sim::SdoAbort::None;
    }
    QByteArray stored;
};

constexpr quint8 kNode = 0x72;
constexpr qint64 kAnswerDelayUs = 200; // a module's processing time per answer

double limitUs(qint64 bytes, int bitRateKbit) {
    const qint64 segments = (bytes + 6) / 7;
    const qint64 acknowledgements = (segments + 126) / 127;
    const qint64 bits = (segments + acknowledgements) * can::InProcessBus::frameBits(8, false);
    return double(bits) * 1000.0 / bitRateKbit;
}

void blockDownload(benchmark::State& state) {
    const auto bytes = qsizetype(state.range(0));
    const int bitRate = int(state.range(1));
    const QByteArray data(bytes, '\x5A');
    double busUs = 0;
    double busyUs = 0;
    for (auto _ : state) {
        VirtualClock time;
        setClock(&time);
        can::InProcessBus bus(time, can::BusTiming{bitRate, false});
        Sink sink;
        std::unique_ptr<sim::SdoServer> server;
        const auto serverId = bus.attach([&server](const can::CanFrame& f) {
            if (server && f.id == server->requestId())
                server->receive(f);
        });
        server = std::make_unique<sim::SdoServer>(kNode, time, sink, bus.sender(serverId),
                                                  [] { return kAnswerDelayUs; });
        server->settings().maxDownload = bytes;
        can::CanInterface::setTransportFactory(
            [&bus](int) { return std::make_unique<can::InProcessTransport>(bus); });
        can::CanInterface interface;
        interface.initBoard(0x01050F00, 0, bitRate, 48891);
        interface.startCan();
        bus.resetStatistics();
        const qint64 start = time.nowUs();
        const qint32 result = interface.writeSdo(kNode, 0x1F50, 4, data, false, true);
        busUs = double(time.nowUs() - start);
        busyUs = double(bus.busyNs()) / 1000.0;
        if (result != can::result::kSuccess || sink.stored != data)
            state.SkipWithError("the download failed");
        interface.stopCan();
        can::CanInterface::setTransportFactory({});
        setClock(nullptr);
    }
    const double limit = limitUs(bytes, bitRate);
    state.counters["bus_ms"] = busUs / 1000.0;
    state.counters["busy_ms"] = busyUs / 1000.0;
    state.counters["limit_ms"] = limit / 1000.0;
    state.counters["ratio"] = busUs / limit;
}

} // namespace

BENCHMARK(blockDownload)
    ->ArgNames({"bytes", "kbit"})
    ->Args({8192, 125})
    ->Args({8192, 500})
    ->Args({1 << 20, 125})
    ->Args({1 << 20, 500})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
