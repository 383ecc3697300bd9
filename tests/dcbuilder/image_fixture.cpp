#include "image_fixture.h"

#include "core/byte_conversions.h"
#include "dcbuilder/build_bin_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace pxu::test {

namespace {

const char* const kTables = R"(
CREATE TABLE sourceScan (name TEXT COLLATE NOCASE, id INTEGER, class TEXT COLLATE NOCASE);
CREATE TABLE dcEnums (name TEXT COLLATE NOCASE, id INTEGER, class TEXT COLLATE NOCASE,
  varGroup TEXT COLLATE NOCASE, value INTEGER, minValue INTEGER, fupId TEXT COLLATE NOCASE);
CREATE TABLE alarmEnums (name TEXT COLLATE NOCASE, id INTEGER, class TEXT COLLATE NOCASE,
  varGroup TEXT COLLATE NOCASE, value INTEGER, minValue INTEGER, fupId TEXT COLLATE NOCASE);
CREATE TABLE dcBinFile (step INTEGER, class TEXT COLLATE NOCASE, varGroup TEXT COLLATE NOCASE,
  content TEXT COLLATE NOCASE, value TEXT COLLATE NOCASE, noOfBytes INTEGER, loops TEXT, "goto" INTEGER);
CREATE TABLE alarmBinFile AS SELECT * FROM dcBinFile;
INSERT INTO sourceScan VALUES ('NO_OF_GLB', 3, 'CONSTANT'), ('THREE', 3, 'CONSTANT'),
  ('FOUR', 4, 'PARAMETER');
INSERT INTO dcEnums VALUES
  ('PAR_DEFAULT', -1, 'PARAMETER', 'GLB', 99, 0, 'DEF'),
  ('PAR_A', 1024, 'PARAMETER', 'GLB', 10, -1, 'F-A'),
  ('PAR_B', 1025, 'PARAMETER', 'ENG', 20, -2, 'F-B'),
  ('PAR_C', 1026, 'PARAMETER', 'GLB', 30, -3, 'F-C'),
  ('PAR_D', 1027, 'PARAMETER', 'GLB', 50, -5, 'F-D'),
  ('PAR_SWINFO_BUILD', 1056, 'PARAMETER', 'SW', 123, 0, ''),
  ('GLB_X', 2048, 'VARIABLE', 'GLB', 40, -4, 'V-X');
INSERT INTO alarmEnums VALUES
  ('ALM_A', 1, 'ALARM', NULL, 5, 0, 'AL0001'),
  ('ALM_B', 2, 'ALARM', NULL, 6, 0, 'AL0002');
)";

// The rows of a text symbol of four rows, four characters a row, as statements.
QString textSymbol(const QString& symbol, qint64 firstId, const QString& text) {
    QString sql;
    for (int k = 0; k < 4; ++k)
        sql += QStringLiteral("INSERT INTO dcEnums (name, id, class, varGroup, value) VALUES "
                              "('%1%2', %3, 'PARAMETER', 'SW', %4);\n")
                   .arg(symbol)
                   .arg(k + 1)
                   .arg(firstId + k)
                   .arg(g_asciiTolng(text.mid(4 * k, 4)));
    return sql;
}

} // namespace

QString smallPlant(DcFixture& fixture, const QString& layoutRows, const QString& sql) {
    QString script =
        QString::fromLatin1(kTables) +
        textSymbol(QStringLiteral("PAR_SWINFO_HULL_NO_"), 1064, QStringLiteral("HULL-0815")) +
        textSymbol(QStringLiteral("PAR_SWINFO_ENGINE_TYPE_"), 1072, QStringLiteral("ABC"));
    if (!layoutRows.isEmpty())
        script += QStringLiteral("INSERT INTO dcBinFile VALUES %1;\n").arg(layoutRows);
    // One transaction: one write to the disk.
    return fixture.database(QStringLiteral("plant.mdb"), QStringLiteral("BEGIN;\n") + script + sql +
                                                             QStringLiteral("\nCOMMIT;\n"));
}

namespace {

const char* const kBuilderLayout =
    "UPDATE dcBinFile SET value = CASE step WHEN 1 THEN 'DC_SWINFO_ENGINE_TYPE_' "
    "WHEN 2 THEN 'DC_SWINFO_HULL_NO_' WHEN 3 THEN 'DC_SWINFO_MANUFAC_NO_' "
    "WHEN 4 THEN 'DC_SWINFO_IMO_SW_NO_' WHEN 5 THEN 'DC_SWINFO_SW_VERSION' "
    "WHEN 6 THEN 'DC_SWINFO_BUILD' WHEN 7 THEN 'DC_SWINFO_BOOTLOADER_VERSION' END "
    "WHERE step <= 7;\n"
    "UPDATE dcBinFile SET value = '1' WHERE content = 'deadBand';\n";

} // namespace

QString builderSamplePlant(DcFixture& fixture, const QString& name, const QString& sql) {
    return fixture.samplePlant(name, QStringLiteral("BEGIN;\n") +
                                         QString::fromLatin1(kBuilderLayout) + sql +
                                         QStringLiteral("\nCOMMIT;\n"));
}

void copySampleLoadFiles(const QString& folder) {
    for (const char* file : {PXU_SAMPLE_APPLICATION, PXU_SAMPLE_FPGA}) {
        const QString target = QDir(folder).filePath(QFileInfo(QString::fromUtf8(file)).fileName());
        QFile::remove(target);
        QVERIFY(QFile::copy(QString::fromUtf8(file), target));
    }
}

PassOutcome runPass(const QString& database, bool build, const QString& prefix, qint32 address,
                    const QByteArray& image, bool logSteps) {
    PassOutcome out;
    RecordingSink sink;
    dc::DcImage binFile;
    binFile.path = QFileInfo(database).dir().filePath(QStringLiteral("PXU_DATA.bin"));
    binFile.bytes = image;
    binFile.logSteps = logSteps;
    out.address = address;
    out.ok = dc::g_buildBinFile(database, binFile, build, prefix, out.address, sink, false);
    out.bytes = binFile.bytes;
    out.lines = sink.lines;
    return out;
}

QByteArray hexBytes(const char* pairs) {
    return QByteArray::fromHex(QByteArray(pairs).replace(' ', ""));
}

} // namespace pxu::test
