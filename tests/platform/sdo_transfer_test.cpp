#include "can_rig.h"
#include "sim/info_block.h"
#include "sim/sdo_server.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::can;
using namespace pxu::test;

namespace {

constexpr int kModule = 2;
constexpr quint8 kApplication = 0x22; // S-Bus: 0x20 + module
constexpr quint8 kBootloader = 0x72;  // S-Bus: 0x70 + module
constexpr quint16 kInfoBlock = 0x5FFE;
constexpr quint16 kProgramData = 0x1F50;
constexpr quint8 kDataContainer = 4;

QByteArray pattern(int n, int seed = 3) {
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i)
        bytes[i] = char(seed + i * 13 + i / 256);
    return bytes;
}

enum class Flags { None, Normal, Block };

// Data for an object of the given size, written or stored so that the module takes it.
struct Object {
    quint8 node;
    quint16 index;
    quint8 subIndex;
    QByteArray data;
};

Object objectOfSize(sim::Module& module, int size, bool forUpload) {
    switch (size) {
    case 4:
        return forUpload ? Object{kApplication, 0x1018, 1, QByteArray("\xA5\0\0\0", 4)}
                         : Object{kApplication, 0x1005, 0, QByteArray("\x80\0\0\x40", 4)};
    case sim::kInfoBlockSize: {
        const QByteArray block = sim::makeInfoBlock(
            kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, pattern(1000));
        if (forUpload)
            module.setSection(kDataContainer, block, pattern(1000));
        return Object{kBootloader, kInfoBlock, kDataContainer, block};
    }
    case sim::kHardwareInfoBlockSize: {
        const QByteArray block = sim::makeHardwareInfoBlock({});
        if (forUpload)
            module.setSection(sim::kHardwareSection, block, {});
        return Object{kBootloader, kInfoBlock, sim::kHardwareSection, block};
    }
    default: {
        const QByteArray image = pattern(size);
        const QByteArray block =
            sim::makeInfoBlock(kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, image);
        if (forUpload) {
            module.setSection(kDataContainer, block, image);
            module.config().uploadChunk = size;
        }
        return Object{kBootloader, kProgramData, kDataContainer, image};
    }
    }
}

// A node whose one object keeps whatever is written, of any size.
class Store : public sim::ObjectAccess {
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

} // namespace

Q_DECLARE_METATYPE(Flags)

class SdoTransferTest : public QObject {
    Q_OBJECT
private slots:
    void downloadReachesModule_data();
    void downloadReachesModule();
    void uploadReturnsModuleData_data();
    void uploadReturnsModuleData();
    void downloadOfOddSizeReachesServer_data();
    void downloadOfOddSizeReachesServer();
    void downloadRefusedByModuleFailsWithItsAbort_data();
    void downloadRefusedByModuleFailsWithItsAbort();
    void silentNodeTimesOutAndIsAborted_data();
    void silentNodeTimesOutAndIsAborted();
    void writeToNodeZeroSpendsTimeout();
    void timeoutCountsPerAnswer();
    void uploadBeyondOneMebibyteIsRefused();
    void blockDownloadAcknowledgedShortForEverIsAborted();
    void frameOfOtherNodeDuringTransferGoesToQueue();
};

void SdoTransferTest::downloadReachesModule_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<int>("firstCommand");
    QTest::newRow("4 bytes, no flag: expedited") << 4 << Flags::None << 0x23;
    QTest::newRow("4 bytes, normal: expedited") << 4 << Flags::Normal << 0x23;
    QTest::newRow("44 bytes, no flag: segmented") << 44 << Flags::None << 0x21;
    QTest::newRow("44 bytes, normal: segmented") << 44 << Flags::Normal << 0x21;
    QTest::newRow("44 bytes, block") << 44 << Flags::Block << 0xC2;
    QTest::newRow("312 bytes, normal: segmented") << 312 << Flags::Normal << 0x21;
    QTest::newRow("312 bytes, block") << 312 << Flags::Block << 0xC2;
    QTest::newRow("8192 bytes, normal: segmented") << 8192 << Flags::Normal << 0x21;
    QTest::newRow("8192 bytes, block") << 8192 << Flags::Block << 0xC2;
}

void SdoTransferTest::downloadReachesModule() {
    QFETCH(int, size);
    QFETCH(Flags, flags);
    QFETCH(int, firstCommand);
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(size == 4 ? sim::Mode::Application : sim::Mode::Bootloader);
    QVERIFY(rig.open());
    const Object object = objectOfSize(module, size, false);
    if (object.index == kProgramData) {
        // Program data is taken only after the section's info block.
        const QByteArray block =
            sim::makeInfoBlock(kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, object.data);
        QCOMPARE(rig.can.writeSdo(kBootloader, kInfoBlock, kDataContainer, block, true, false), 1);
    }
    rig.heard.clear();

    const qint32 r = rig.can.writeSdo(object.node, object.index, object.subIndex, object.data,
                                      flags == Flags::Normal, flags == Flags::Block);

    QCOMPARE(r, result::kSuccess);
    QCOMPARE(rig.can.lastAbortCode(), SdoAbort::None);
    const QList<CanFrame> requests = rig.framesOn(0x600 + object.node);
    QVERIFY(!requests.isEmpty());
    QCOMPARE(int(requests.first().data[0]), firstCommand);
    if (object.index == kProgramData)
        QCOMPARE(module.section(kDataContainer).image, object.data);
    else if (object.index == kInfoBlock)
        QCOMPARE(module.section(object.subIndex).infoBlock, object.data);
}

void SdoTransferTest::uploadReturnsModuleData_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<int>("firstCommand");
    QTest::newRow("4 bytes, normal") << 4 << Flags::Normal << 0x40;
    QTest::newRow("44 bytes, normal") << 44 << Flags::Normal << 0x40;
    QTest::newRow("44 bytes, block") << 44 << Flags::Block << 0xA0;
    QTest::newRow("312 bytes, normal") << 312 << Flags::Normal << 0x40;
    QTest::newRow("312 bytes, block") << 312 << Flags::Block << 0xA0;
    QTest::newRow("8192 bytes, normal") << 8192 << Flags::Normal << 0x40;
    QTest::newRow("8192 bytes, block") << 8192 << Flags::Block << 0xA0;
    QTest::newRow("8193 bytes, normal") << 8193 << Flags::Normal << 0x40;
    QTest::newRow("8193 bytes, block") << 8193 << Flags::Block << 0xA0;
}

void SdoTransferTest::uploadReturnsModuleData() {
    QFETCH(int, size);
    QFETCH(Flags, flags);
    QFETCH(int, firstCommand);
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(size == 4 ? sim::Mode::Application : sim::Mode::Bootloader);
    QVERIFY(rig.open());
    const Object object = objectOfSize(module, size, true);
    rig.heard.clear();

    QByteArray data("untouched");
    qint32 length = -1;
    const qint32 r = rig.can.readSdo(object.node, object.index, object.subIndex, data, length,
                                     flags == Flags::Normal, flags == Flags::Block);

    QCOMPARE(r, result::kSuccess);
    QCOMPARE(length, size);
    QCOMPARE(data, object.data);
    QCOMPARE(int(rig.framesOn(0x600 + object.node).first().data[0]), firstCommand);
}

void SdoTransferTest::downloadOfOddSizeReachesServer_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<Flags>("flags");
    QTest::newRow("8193 bytes, normal") << 8193 << Flags::Normal;
    QTest::newRow("8193 bytes, block") << 8193 << Flags::Block;
    QTest::newRow("empty, normal") << 0 << Flags::Normal;
    QTest::newRow("empty, block") << 0 << Flags::Block;
}

void SdoTransferTest::downloadOfOddSizeReachesServer() {
    QFETCH(int, size);
    QFETCH(Flags, flags);
    CanRig rig;
    Store store;
    store.stored = "old";
    std::unique_ptr<sim::SdoServer> server;
    const auto id = rig.bus.attach([&server](const CanFrame& f) {
        if (f.id == server->requestId())
            server->receive(f);
    });
    server = std::make_unique<sim::SdoServer>(0x60, rig.time, store, rig.bus.sender(id),
                                              [] { return qint64(200); });
    QVERIFY(rig.open());
    const QByteArray data = pattern(size);

    QCOMPARE(rig.can.writeSdo(0x60, 0x2000, 1, data, flags == Flags::Normal, flags == Flags::Block),
             result::kSuccess);
    QCOMPARE(store.stored, data);
}

void SdoTransferTest::downloadRefusedByModuleFailsWithItsAbort_data() {
    QTest::addColumn<Flags>("flags");
    QTest::newRow("8193 bytes, normal") << Flags::Normal;
    QTest::newRow("8193 bytes, block") << Flags::Block;
}

void SdoTransferTest::downloadRefusedByModuleFailsWithItsAbort() {
    QFETCH(Flags, flags);
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    const QByteArray image = pattern(8193);
    QCOMPARE(rig.can.writeSdo(
                 kBootloader, kInfoBlock, kDataContainer,
                 sim::makeInfoBlock(kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, image),
                 true, false),
             1);
    rig.heard.clear();

    QCOMPARE(rig.can.writeSdo(kBootloader, kProgramData, kDataContainer, image,
                              flags == Flags::Normal, flags == Flags::Block),
             result::kGeneralError);

    QCOMPARE(rig.can.lastSdoOutcome(), SdoOutcome::Aborted);
    QCOMPARE(rig.can.lastAbortCode(), SdoAbort::LengthTooHigh);
    // A received abort ends the transfer: the client sends nothing more.
    QCOMPARE(rig.framesOn(0x600 + kBootloader).size(), 1);
    QCOMPARE(rig.framesOn(0x580 + kBootloader).first().data[0], quint8(0x80));
    QVERIFY(module.section(kDataContainer).image.isEmpty());
}

void SdoTransferTest::silentNodeTimesOutAndIsAborted_data() {
    QTest::addColumn<bool>("upload");
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("expedited download")
        << false << Flags::Normal << QByteArray::fromHex("2305100080000040");
    QTest::newRow("block download")
        << false << Flags::Block << QByteArray::fromHex("c205100004000000");
    QTest::newRow("upload") << true << Flags::Normal << QByteArray::fromHex("4005100000000000");
    QTest::newRow("block upload") << true << Flags::Block
                                  << QByteArray::fromHex("a00510007f000000");
}

void SdoTransferTest::silentNodeTimesOutAndIsAborted() {
    QFETCH(bool, upload);
    QFETCH(Flags, flags);
    QFETCH(QByteArray, request);
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(sim::Mode::Application);
    QVERIFY(rig.open());
    module.faults().silent = true;
    rig.heard.clear();
    const qint64 start = rig.time.nowUs();

    QByteArray data;
    qint32 size = 0;
    const bool normal = flags == Flags::Normal, block = flags == Flags::Block;
    const qint32 r = upload ? rig.can.readSdo(kApplication, 0x1005, 0, data, size, normal, block)
                            : rig.can.writeSdo(kApplication, 0x1005, 0,
                                               QByteArray("\x80\0\0\x40", 4), normal, block);
    rig.time.runFor(5); // the abort leaves the bus

    QCOMPARE(r, result::kGeneralError);
    QCOMPARE(rig.can.lastSdoOutcome(), SdoOutcome::TimedOut);
    QCOMPARE(rig.can.lastAbortCode(), SdoAbort::Timeout);
    QCOMPARE(rig.heard.size(), 2);
    const auto bytes = [](const CanFrame& f) {
        return QByteArray(reinterpret_cast<const char*>(f.data.data()), f.length);
    };
    QCOMPARE(rig.heard[0].frame.id, 0x622u);
    QCOMPARE(bytes(rig.heard[0].frame), request);
    QCOMPARE(rig.heard[1].frame.id, 0x622u);
    QCOMPARE(bytes(rig.heard[1].frame), QByteArray::fromHex("8005100000000405"));
    // The abort goes out once 200 ms have passed after the request left the bus (the wait
    // ends on a whole millisecond).
    const qint64 abortSentUs = rig.heard[1].atUs - 111 * 8;
    QVERIFY2(abortSentUs - start > 200'000 && abortSentUs - start <= 203'000,
             qPrintable(QString::number(abortSentUs - start)));
}

void SdoTransferTest::writeToNodeZeroSpendsTimeout() {
    CanRig rig;
    rig.modules.setModes(0, 14, sim::Mode::Application);
    QVERIFY(rig.open());
    QCOMPARE(rig.can.setSdoTimeout(500), 1);
    const qint64 start = rig.time.nowMs();

    QCOMPARE(rig.can.writeSdo(0, 0x1017, 0, QByteArray("\xE8\x03", 2), true, false),
             result::kGeneralError);
    const qint64 spentMs = rig.time.nowMs() - start;
    rig.time.runFor(5);

    QVERIFY(spentMs >= 500 && spentMs < 505);
    QCOMPARE(rig.framesOn(0x600).size(), 2);
    QCOMPARE(rig.framesOn(0x600).last().data[0], quint8(0x80));
}

void SdoTransferTest::timeoutCountsPerAnswer() {
    // 8192 bytes segmented at 125 kbit/s: over two seconds of bus time, with 200 ms for
    // each answer.
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    const QByteArray image = pattern(8192);
    QCOMPARE(rig.can.writeSdo(
                 kBootloader, kInfoBlock, kDataContainer,
                 sim::makeInfoBlock(kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, image),
                 true, false),
             1);
    const qint64 start = rig.time.nowMs();
    QCOMPARE(rig.can.writeSdo(kBootloader, kProgramData, kDataContainer, image, true, false), 1);
    QVERIFY2(rig.time.nowMs() - start > 2000, qPrintable(QString::number(rig.time.nowMs())));
}

void SdoTransferTest::uploadBeyondOneMebibyteIsRefused() {
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    const int size = (1 << 20) + 1;
    objectOfSize(module, size, true);

    QByteArray data;
    qint32 length = 0;
    QCOMPARE(rig.can.readSdo(kBootloader, kProgramData, kDataContainer, data, length, false, true),
             result::kGeneralError);
    rig.time.runFor(5);
    QCOMPARE(rig.can.lastAbortCode(), SdoAbort::OutOfMemory);
    // Refused at the announcement: the abort follows the server's first answer.
    QCOMPARE(rig.framesOn(0x600 + kBootloader).size(), 2);
    QCOMPARE(rig.framesOn(0x600 + kBootloader).last().data[0], quint8(0x80));
}

void SdoTransferTest::blockDownloadAcknowledgedShortForEverIsAborted() {
    CanRig rig;
    sim::Module& module = rig.modules.module(kModule);
    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    module.faults().shortBlockAcknowledge = true;
    const Object object = objectOfSize(module, sim::kInfoBlockSize, false);
    rig.heard.clear();

    QCOMPARE(rig.can.writeSdo(object.node, object.index, object.subIndex, object.data, false, true),
             result::kGeneralError);
    rig.time.runFor(5);

    QCOMPARE(rig.can.lastSdoOutcome(), SdoOutcome::Failed);
    QCOMPARE(rig.can.lastAbortCode(), SdoAbort::SequenceNumber);
    QVERIFY2(rig.can.lastErrorText().contains(QStringLiteral("0x05040003")),
             qPrintable(rig.can.lastErrorText()));
    // The first sub-block, 8 sent again, then the abort.
    const QList<CanFrame> acks = rig.framesOn(0x580 + object.node);
    QCOMPARE(std::count_if(acks.begin(), acks.end(),
                           [](const CanFrame& f) { return f.data[0] == 0xA2; }),
             1 + SdoClient::kMaxSubBlockResends);
    QCOMPARE(rig.framesOn(0x600 + object.node).last().data[0], quint8(0x80));
    QVERIFY(module.section(object.subIndex).infoBlock != object.data);
}

void SdoTransferTest::frameOfOtherNodeDuringTransferGoesToQueue() {
    CanRig rig;
    rig.modules.module(kModule).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.open());
    rig.modules.module(3).setMode(sim::Mode::Application); // boot-up, then a beat a second
    const QByteArray image = pattern(8192);
    QCOMPARE(rig.can.writeSdo(
                 kBootloader, kInfoBlock, kDataContainer,
                 sim::makeInfoBlock(kDataContainer, {"DC_TEST", 3, "Feb 02 2026", 0xC0000}, image),
                 true, false),
             1);
    QCOMPARE(rig.can.writeSdo(kBootloader, kProgramData, kDataContainer, image, true, false), 1);

    QList<int> module3;
    qint32 cobId = 0, waiting = 0;
    QByteArray data;
    while (rig.can.readMessage(cobId, data, waiting) == result::kSuccess) {
        QVERIFY2(cobId >= 0x700, qPrintable(QString::number(cobId, 16)));
        if (cobId == 0x723)
            module3 << quint8(data.at(0));
    }
    // Boot-up and two heartbeats of module 3 in the two seconds, and no SDO answer.
    QCOMPARE(module3, (QList<int>{0, 5, 5}));
}

QTEST_GUILESS_MAIN(SdoTransferTest)
#include "sdo_transfer_test.moc"
