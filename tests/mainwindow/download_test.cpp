// The Download button end to end against simulated modules: directly into KEV and PXU
// modules, through the spare's auto download on the M-Bus, the refusals before anything is
// sent, attempts, failures and Abort.
#include "bus/info_block_date.h"
#include "download_rig.h"
#include "sim/checksums.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

QStringList withoutFirst(QStringList lines) {
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

bool isClosingLine(const QString& line) {
    return line.startsWith(QString(82, u'-') + u' ');
}

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void kevApplicationGoesIn8192ByteSegments();
};

void DownloadTest::kevApplicationGoesIn8192ByteSegments() {
    DownloadRig r(sim::BusKind::Kev, QStringLiteral("KEV"), 1);
    const QByteArray image = newImage(20000);
    const QString file = r.writeLoadFile(QStringLiteral("KEV_APPL.S19"), image, 0x40000);
    QVERIFY(!file.isEmpty());
    QVERIFY(r.connect(1));
    r.tickModules(1, 1);
    r.tickSection(sectionBoxAppl);
    const qsizetype from = r.rig.heard.size();

    r.window.messages().clear();
    r.window.cmdDownload_Click();

    const sim::Module& kev = r.rig.modules.module(1);
    QCOMPARE(kev.section(2).image, image);
    const QByteArray block = kev.section(2).infoBlock;
    QCOMPARE(block.size(), 44);
    QCOMPARE(sim::readBe32(block, 0), 44u);
    QCOMPARE(block.mid(4, 8), QByteArray("KEV20APP"));
    QCOMPARE(sim::readBe32(block, 12), 1u);
    QCOMPARE(block.mid(16, 12), fileDateText(g_getFileDate(file)).toLatin1() + '\0');
    QCOMPARE(sim::readBe32(block, 28), 0x40000u);
    QCOMPARE(sim::readBe32(block, 32), 20000u);
    QCOMPARE(sim::readBe32(block, 36), sim::crc32(image));
    QVERIFY(sim::infoBlockChecksumValid(block));

    QList<DownloadRig::Initiate> data;
    for (const auto& d : r.segmentedDownloads(0x41, from)) {
        if (d.index == 0x1F50)
            data << d;
    }
    QCOMPARE(data, (QList<DownloadRig::Initiate>{
                       {0x1F50, 2, 8192}, {0x1F50, 2, 8192}, {0x1F50, 2, 3616}}));
    QCOMPARE(kev.mode(), sim::Mode::Application);
    QVERIFY(r.window.m_moduleUpdated[1]);
    QVERIFY(!r.window.m_moduleUpdated[0]);
    QVERIFY(r.window.row(1).lampVisible);
    QVERIFY(r.window.g_downloadStatusOk(1));

    const QStringList log = r.log();
    QVERIFY(log.first().startsWith(QStringLiteral("DOWNLOAD ") + QString(73, u'-') + u' '));
    QVERIFY(isClosingLine(log.last()));
    QCOMPARE(withoutFirst(log).mid(0, log.size() - 2),
             (QStringList{"Programming KEV's", "   Starting bootloader on all modules",
                          "   Start bootloader", "      KEV 0: ok", "      KEV 1: ok",
                          "   Download Application", "      KEV 1: ok", "   Start application",
                          "      KEV 0: ok", "      KEV 1: ok"}));
    QVERIFY(r.window.lock().enabled(Control::cmdDownload));
    QVERIFY(!r.window.lock().operationMode());
}

QTEST_MAIN(DownloadTest)
#include "download_test.moc"
