// The data container's main road: the sample plant's database opened by "&Build
// DataContainer" and built by the builder's "Build" into "PXU_DATA.S19", which the main
// window picks up, downloaded through the PXU full loader's "DataCont." box into the spare's
// data-container section on the simulated bus, and read back by "&Upload From Spare".
#include "core/srecord_file.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_tools.h"
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
    DcTools tools(r.window);
    g_projectName = g_toolName; // as the start-up sets it
    const QString plant = r.workspace.path(QStringLiteral("DORN Update Tool-PXU-DC-001.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_PLANT_DB), plant));
    QFile::setPermissions(plant, QFile::ReadOwner | QFile::WriteOwner);
    copySampleLoadFiles(r.workspace.folder());
    const QString downloadFile = r.workspace.path(dc::kDownloadFile);
    QVERIFY(!QFile::exists(downloadFile));
    QVERIFY(r.window.loadFiles().boxes(sectionBoxDC).emhPath != downloadFile);

    r.window.mnuBuildDC_Click();
    DcBuilder& builder = frmDcBuilder();
    QVERIFY(builder.isLoaded());
    builder.cmdBuild_Click();
    QVERIFY2(builder.messages().lines().contains(QStringLiteral("   Build S-Rec-file")),
             qPrintable(builder.messages().lines().join(u'\n')));
    builder.cmdExit_Click();

    // The main window picked the new file up.
    QCOMPARE(r.window.loadFiles().boxes(sectionBoxDC).emhPath, downloadFile);
    QByteArray built;
    qint32 start = 0;
    QVERIFY(g_sRecToBin(downloadFile, built, start));
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
