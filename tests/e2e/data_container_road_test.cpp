// The data container's main road: the sample plant's database opened by "&Build
// DataContainer" and built by the builder's "Build" into "PXU_DATA.S19", which the main
// window picks up, downloaded through the PXU full loader's "DataCont." box into the spare's
// data-container section on the simulated bus, read back by "&Upload From Spare", and
// turned into a database again by "&Reconstruct DataContainer" from the template that
// "&Create DataContainer Template" made of the build.
#include "core/srecord_file.h"
#include "dcbuilder/build_bin_file.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_tools.h"
#include "dcbuilder/download_file_build.h"
#include "download_rig.h"
#include "image_fixture.h"

#include <QDir>
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
    // As the start-up sets them, with the working folder (the load files' folder too) inside
    // the workspace, so that the templates beside it stay there.
    g_projectName = g_toolName;
    const QString work = r.workspace.path(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    g_workDir = work;
    g_uploadDir = QDir(work).filePath(QStringLiteral("Upload"));
    r.window.loadFiles().setDirectory(work);
    const QString plant = QDir(work).filePath(QStringLiteral("DORN Update Tool-PXU-DC-001.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_PLANT_DB), plant));
    QFile::setPermissions(plant, QFile::ReadOwner | QFile::WriteOwner);
    copySampleLoadFiles(work);
    const QString downloadFile = QDir(work).filePath(dc::kDownloadFile);
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
    QVERIFY2(g_sRecToBin(QDir(g_uploadDir).filePath(QStringLiteral("PXU_DATA.S19")), uploaded,
                         uploadedStart),
             qPrintable(r.log().join(u'\n')));
    QCOMPARE(uploadedStart, 0xC0000);
    QCOMPARE(uploaded.size(), built.size());
    QVERIFY(uploaded == built);

    // The template of the build (41) from the newest version, which the builder saved.
    r.window.mnuCreateTemplate_Click();
    QVERIFY2(
        QFile::exists(r.workspace.path(QStringLiteral("PXU_Templates/DC_Template_Build_041.mdb"))),
        qPrintable(r.log().join(u'\n')));
    QVERIFY(
        r.log().contains(QDir(work).filePath(QStringLiteral("DORN Update Tool-PXU-DC-002.mdb"))));

    r.window.mnuReconstructDC_Click();
    DcReconstruction& reconstruction = frmDcReconstruction();
    QVERIFY(reconstruction.view().reconstructEnabled);
    reconstruction.cmdReconstructDC_Click();
    const QStringList told = reconstruction.messages().lines();
    QVERIFY2(told.contains(QStringLiteral("DataContainer reconstruction finished successfully.")),
             qPrintable(told.join(u'\n')));
    const QString result =
        QDir(g_uploadDir).filePath(QStringLiteral("DORN Update Tool-PXU-DC-Upload.mdb"));
    // Every value came back: the result gives the downloaded image again.
    dc::DcImage again;
    again.path = r.workspace.path(QStringLiteral("again.bin"));
    RecordingSink sink;
    QVERIFY(dc::buildBinFileParts(result, again, true, sink));
    QVERIFY(again.bytes == built);
    QCOMPARE(reconstruction.getHullNo(result), g_projectName);
    reconstruction.cmdExit_Click();
}

QTEST_MAIN(DataContainerRoadTest)
#include "data_container_road_test.moc"
