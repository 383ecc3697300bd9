// The data container's main road: the sample plant's database built into "PXU_DATA.S19",
// downloaded through the PXU full loader's "DataCont." box into the spare's data-container
// section on the simulated bus, and read back by "&Upload From Spare".
#include "core/srecord_file.h"
#include "dcbuilder/download_file_build.h"
#include "download_rig.h"
#include "image_fixture.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

class DataContainerRoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void builtFileGoesIntoTheSpareAndComesBack();
};

void DataContainerRoadTest::builtFileGoesIntoTheSpareAndComesBack() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    const QString database = r.workspace.path(QStringLiteral("DORN Update Tool-PXU-DC-002.mdb"));
    makeBuilderSamplePlant(database);
    copySampleLoadFiles(r.workspace.folder());
    RecordingSink sink;
    QVERIFY2(dc::buildDownloadFile({database, database, r.workspace.folder(),
                                    QString::number(g_baseAdrDC, 16).toUpper()},
                                   sink),
             qPrintable(sink.lines.join(u'\n')));
    r.window.g_checkFileExist(g_moduleType, true);
    QByteArray built;
    qint32 start = 0;
    QVERIFY(g_sRecToBin(r.workspace.path(dc::kDownloadFile), built, start));
    QCOMPARE(start, 0xC0000);

    QVERIFY(r.ready(2, 0, 0, {sectionBoxDC}));
    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    QCOMPARE(log.mid(log.indexOf(QStringLiteral("   Download DataCont.")) + 1, 1),
             QStringList{"      PXU 0: ok"});
    QCOMPARE(r.rig.modules.module(0).section(4).image, built);
    QVERIFY(r.rig.modules.module(1).section(4).image != built);

    r.window.messages().clear();
    r.window.mnuUploadFromSpare_Click();

    QByteArray uploaded;
    qint32 uploadedStart = 0;
    QVERIFY2(g_sRecToBin(r.workspace.path(QStringLiteral("Upload/PXU_DATA.S19")), uploaded,
                         uploadedStart),
             qPrintable(r.log().join(u'\n')));
    QCOMPARE(uploadedStart, 0xC0000);
    QCOMPARE(uploaded.size(), built.size());
    QVERIFY(uploaded == built);
}

QTEST_MAIN(DataContainerRoadTest)
#include "data_container_road_test.moc"
