#include "platform/can/sdo_client.h"

#include <QtTest>

using namespace pxu::can;

namespace {

constexpr quint8 kNode = 5;
const sdo::Multiplexer kObject{0x1F50, 0x01};

QByteArray counting(int n) {
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data.append(char(i + 1));
    return data;
}

QString hexOf(const CanFrame& frame) {
    QStringList bytes;
    for (int i = 0; i < frame.length; ++i)
        bytes << QStringLiteral("%1").arg(frame.data[i], 2, 16, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(frame.id, 3, 16, QLatin1Char('0')).arg(bytes.join(' '));
}

CanFrame answer(const QString& hex) {
    CanFrame frame{sdo::kAnswerBase + kNode, 8, {}};
    const QStringList bytes = hex.split(' ', Qt::SkipEmptyParts);
    for (int i = 0; i < bytes.size(); ++i)
        frame.data[i] = quint8(bytes[i].toUInt(nullptr, 16));
    return frame;
}

} // namespace

// The client against a scripted server: each step either expects the client's next frame
// ("c 23 50 1f ...", the 0x605 request padded to eight bytes), feeds a server answer
// ("s 60 50 1f ...") or lets time pass ("t 250", milliseconds).
class SdoClientTest : public QObject {
    Q_OBJECT
private slots:
    void downloadFollowsProtocol_data();
    void downloadFollowsProtocol();
    void uploadFollowsProtocol_data();
    void uploadFollowsProtocol();
    void everyAnswerHasItsOwnTimeout();
    void waitIncludesBusTimeOfTheFramesBefore();

private:
    void runScript(const QStringList& steps);
    void addCase(const char* name, SdoMode mode, int size, const QStringList& steps,
                 SdoOutcome outcome, SdoAbort abort);

    QList<CanFrame> m_sent;
    std::unique_ptr<SdoClient> m_client;
    qint64 m_nowUs = 0;
};

void SdoClientTest::runScript(const QStringList& steps) {
    for (const QString& step : steps) {
        const QString arg = step.mid(2);
        if (step.startsWith('s')) {
            m_client->receive(answer(arg), m_nowUs);
        } else if (step.startsWith('t')) {
            m_nowUs += arg.toLongLong() * 1000;
            m_client->advanceTo(m_nowUs);
        } else {
            QVERIFY2(!m_sent.isEmpty(), qPrintable("no frame sent, expected " + arg));
            QStringList expected = arg.split(' ', Qt::SkipEmptyParts);
            while (expected.size() < 8)
                expected << QStringLiteral("00");
            QCOMPARE(hexOf(m_sent.takeFirst()), QStringLiteral("605:") + expected.join(' '));
        }
    }
    QVERIFY2(m_sent.isEmpty(), qPrintable("unexpected frame " + hexOf(m_sent.value(0))));
}

void SdoClientTest::downloadFollowsProtocol_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("size");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("abort");
    const auto row = [](const char* name, SdoMode mode, int size, QStringList steps,
                        SdoOutcome outcome, SdoAbort abort = SdoAbort::None) {
        QTest::newRow(name) << int(mode) << size << steps << int(outcome) << quint32(abort);
    };
    row("expedited 1 byte", SdoMode::Normal, 1, {"c 2f 50 1f 01 01", "s 60 50 1f 01"},
        SdoOutcome::Done);
    row("expedited 4 bytes", SdoMode::Normal, 4, {"c 23 50 1f 01 01 02 03 04", "s 60 50 1f 01"},
        SdoOutcome::Done);
    row("segmented 10 bytes", SdoMode::Normal, 10,
        {"c 21 50 1f 01 0a", "s 60 50 1f 01", "c 00 01 02 03 04 05 06 07", "s 20", "c 19 08 09 0a",
         "s 30"},
        SdoOutcome::Done);
    row("segmented empty", SdoMode::Normal, 0,
        {"c 21 50 1f 01 00", "s 60 50 1f 01", "c 0f", "s 20"}, SdoOutcome::Done);
    row("segment answer with stale toggle", SdoMode::Normal, 10,
        {"c 21 50 1f 01 0a", "s 60 50 1f 01", "c 00 01 02 03 04 05 06 07", "s 20", "c 19 08 09 0a",
         "s 20", "c 80 50 1f 01 00 00 03 05"},
        SdoOutcome::Failed, SdoAbort::ToggleBit);
    row("late answer to another object is passed over", SdoMode::Normal, 2,
        {"c 2b 50 1f 01 01 02", "s 60 51 1f 01", "s 60 50 1f 01"}, SdoOutcome::Done);
    row("server aborts", SdoMode::Normal, 10, {"c 21 50 1f 01 0a", "s 80 50 1f 01 22 00 00 08"},
        SdoOutcome::Aborted, SdoAbort::NotStoredDeviceState);
    row("wrong command answers the request", SdoMode::Normal, 4,
        {"c 23 50 1f 01 01 02 03 04", "s 43 50 1f 01", "c 80 50 1f 01 01 00 04 05"},
        SdoOutcome::Failed, SdoAbort::CommandSpecifier);
    row("block 20 bytes", SdoMode::Block, 20,
        {"c c2 50 1f 01 14", "s a0 50 1f 01 7f", "c 01 01 02 03 04 05 06 07",
         "c 02 08 09 0a 0b 0c 0d 0e", "c 83 0f 10 11 12 13 14", "s a2 03 7f", "c c5", "s a1"},
        SdoOutcome::Done);
    row("block repeats what the server missed", SdoMode::Block, 30,
        {"c c2 50 1f 01 1e", "s a0 50 1f 01 02", "c 01 01 02 03 04 05 06 07",
         "c 02 08 09 0a 0b 0c 0d 0e", "s a2 01 02", "c 01 08 09 0a 0b 0c 0d 0e",
         "c 02 0f 10 11 12 13 14 15", "s a2 02 7f", "c 01 16 17 18 19 1a 1b 1c", "c 82 1d 1e",
         "s a2 02 7f", "c d5", "s a1"},
        SdoOutcome::Done);
    // 20 bytes in three segments; the server takes none of them, again and again.
    const QStringList subBlock{"c 01 01 02 03 04 05 06 07", "c 02 08 09 0a 0b 0c 0d 0e",
                               "c 83 0f 10 11 12 13 14"};
    QStringList resent{"c c2 50 1f 01 14", "s a0 50 1f 01 7f"};
    for (int i = 0; i < SdoClient::kMaxSubBlockResends; ++i)
        resent << subBlock << "s a2 00 7f";
    row("block sent again 8 times, then taken", SdoMode::Block, 20,
        resent + subBlock + QStringList{"s a2 03 7f", "c c5", "s a1"}, SdoOutcome::Done);
    row("block acknowledged short a 9th time is aborted", SdoMode::Block, 20,
        resent + subBlock + QStringList{"s a2 02 7f", "c 80 50 1f 01 03 00 04 05"},
        SdoOutcome::Failed, SdoAbort::SequenceNumber);
    row("block size zero is refused", SdoMode::Block, 20,
        {"c c2 50 1f 01 14", "s a0 50 1f 01 00", "c 80 50 1f 01 02 00 04 05"}, SdoOutcome::Failed,
        SdoAbort::BlockSize);
    row("silent node", SdoMode::Normal, 4,
        {"c 23 50 1f 01 01 02 03 04", "t 199", "t 1", "c 80 50 1f 01 00 00 04 05"},
        SdoOutcome::TimedOut, SdoAbort::Timeout);
}

void SdoClientTest::downloadFollowsProtocol() {
    QFETCH(int, mode);
    QFETCH(int, size);
    QFETCH(QStringList, steps);
    QFETCH(int, outcome);
    QFETCH(quint32, abort);
    m_sent.clear();
    m_client = std::make_unique<SdoClient>([this](const CanFrame& f) { m_sent << f; });
    m_client->startDownload(kNode, kObject, counting(size), SdoMode(mode), m_nowUs);
    runScript(steps);
    QCOMPARE(int(m_client->outcome()), outcome);
    QCOMPARE(quint32(m_client->abortCode()), abort);
    QCOMPARE(m_client->busy(), false);
}

void SdoClientTest::uploadFollowsProtocol_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("abort");
    QTest::addColumn<int>("size");
    const auto row = [](const char* name, SdoMode mode, QStringList steps, SdoOutcome outcome,
                        SdoAbort abort, int size) {
        QTest::newRow(name) << int(mode) << steps << int(outcome) << quint32(abort) << size;
    };
    row("expedited 3 bytes", SdoMode::Normal, {"c 40 50 1f 01", "s 47 50 1f 01 01 02 03"},
        SdoOutcome::Done, SdoAbort::None, 3);
    row("segmented 10 bytes", SdoMode::Normal,
        {"c 40 50 1f 01", "s 41 50 1f 01 0a", "c 60", "s 00 01 02 03 04 05 06 07", "c 70",
         "s 19 08 09 0a"},
        SdoOutcome::Done, SdoAbort::None, 10);
    row("segmented size beyond the cap", SdoMode::Normal,
        {"c 40 50 1f 01", "s 41 50 1f 01 01 00 10 00", "c 80 50 1f 01 05 00 04 05"},
        SdoOutcome::Failed, SdoAbort::OutOfMemory, 0);
    row("segmented more than announced", SdoMode::Normal,
        {"c 40 50 1f 01", "s 41 50 1f 01 03", "c 60", "s 00 01 02 03 04 05 06 07",
         "c 80 50 1f 01 12 00 07 06"},
        SdoOutcome::Failed, SdoAbort::LengthTooHigh, 0);
    row("segmented less than announced", SdoMode::Normal,
        {"c 40 50 1f 01", "s 41 50 1f 01 0b", "c 60", "s 00 01 02 03 04 05 06 07", "c 70",
         "s 19 08 09 0a", "c 80 50 1f 01 13 00 07 06"},
        SdoOutcome::Failed, SdoAbort::LengthTooLow, 0);
    row("block 10 bytes", SdoMode::Block,
        {"c a0 50 1f 01 7f", "s c2 50 1f 01 0a", "c a3", "s 01 01 02 03 04 05 06 07",
         "s 82 08 09 0a", "c a2 02 7f", "s d1", "c a1"},
        SdoOutcome::Done, SdoAbort::None, 10);
    row("block segment out of order is asked again", SdoMode::Block,
        {"c a0 50 1f 01 7f", "s c2 50 1f 01 0a", "c a3", "s 82 08 09 0a", "c a2 00 7f",
         "s 01 01 02 03 04 05 06 07", "s 82 08 09 0a", "c a2 02 7f", "s d1", "c a1"},
        SdoOutcome::Done, SdoAbort::None, 10);
    row("block answered by the segmented protocol", SdoMode::Block,
        {"c a0 50 1f 01 7f", "s 4b 50 1f 01 01 02"}, SdoOutcome::Done, SdoAbort::None, 2);
    row("block end with a wrong size", SdoMode::Block,
        {"c a0 50 1f 01 7f", "s c2 50 1f 01 0b", "c a3", "s 01 01 02 03 04 05 06 07",
         "s 82 08 09 0a", "c a2 02 7f", "s d1", "c 80 50 1f 01 10 00 07 06"},
        SdoOutcome::Failed, SdoAbort::LengthMismatch, 0);
}

void SdoClientTest::uploadFollowsProtocol() {
    QFETCH(int, mode);
    QFETCH(QStringList, steps);
    QFETCH(int, outcome);
    QFETCH(quint32, abort);
    QFETCH(int, size);
    m_sent.clear();
    m_client = std::make_unique<SdoClient>([this](const CanFrame& f) { m_sent << f; });
    m_client->startUpload(kNode, kObject, SdoMode(mode), m_nowUs);
    runScript(steps);
    QCOMPARE(int(m_client->outcome()), outcome);
    QCOMPARE(quint32(m_client->abortCode()), abort);
    if (SdoOutcome(outcome) == SdoOutcome::Done)
        QCOMPARE(m_client->uploaded(), counting(size));
}

void SdoClientTest::everyAnswerHasItsOwnTimeout() {
    m_sent.clear();
    m_client = std::make_unique<SdoClient>([this](const CanFrame& f) { m_sent << f; });
    m_client->startDownload(kNode, kObject, counting(10), SdoMode::Normal, m_nowUs);
    // Two answers 150 ms apart: 300 ms in all, more than one time-out, and no abort.
    runScript({"c 21 50 1f 01 0a", "t 150", "s 60 50 1f 01", "c 00 01 02 03 04 05 06 07", "t 150",
               "s 20", "c 19 08 09 0a", "t 199"});
    QVERIFY(m_client->busy());
    runScript({"t 1", "c 80 50 1f 01 00 00 04 05"});
    QCOMPARE(m_client->outcome(), SdoOutcome::TimedOut);
}

void SdoClientTest::waitIncludesBusTimeOfTheFramesBefore() {
    m_sent.clear();
    m_client = std::make_unique<SdoClient>([this](const CanFrame& f) { m_sent << f; });
    m_client->setBitRate(125);
    m_client->startDownload(kNode, kObject, counting(127 * 7 + 1), SdoMode::Block, m_nowUs);
    m_client->receive(answer("a0 50 1f 01 7f"), m_nowUs);
    // 127 worst-case frames at 125 kbit/s take 137.16 ms before the wait begins.
    QCOMPARE(m_client->deadlineUs() - m_nowUs, 200'000 + 127 * 135 * 8);
    m_sent.clear();
}

QTEST_GUILESS_MAIN(SdoClientTest)
#include "sdo_client_test.moc"
