#include "scan_fixture.h"

#include "platform/db/recordset.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace pxu::test {

namespace {

QString orMissing(const QVariant& value) {
    return value.isNull() ? QStringLiteral("~") : value.toString();
}

} // namespace

QString rowText(const dc::ScanRow& row) {
    return QStringLiteral("%1=%2 %3/%4 {%5|%6} @%7")
        .arg(row.name)
        .arg(row.id)
        .arg(row.cls, orMissing(row.varGroup), orMissing(row.fupId), orMissing(row.comment))
        .arg(row.sourceLine);
}

QStringList sourceScanRows(const QString& database) {
    auto d = std::make_shared<db::Database>();
    if (!d->open(database, true))
        return {d->lastError()};
    db::Recordset rs;
    if (!rs.open(d, QStringLiteral("SELECT name, id, class, fupId, comment, varGroup, sourceLine "
                                   "FROM sourceScan ORDER BY id, name")))
        return {rs.lastError()};
    QStringList rows;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        dc::ScanRow row;
        row.name = rs.text(0);
        row.id = rs.value(1).toLongLong();
        row.cls = rs.text(2);
        row.fupId = rs.value(3);
        row.comment = rs.value(4);
        row.varGroup = rs.value(5);
        row.sourceLine = rs.value(6).toInt();
        rows << rowText(row);
    }
    return rows;
}

QString scanSchema() {
    return QStringLiteral(R"(
CREATE TABLE sourceScan (
  "name" VARCHAR(255) COLLATE NOCASE, "id" INTEGER,
  "class" VARCHAR(50) COLLATE NOCASE DEFAULT '?', "fupId" VARCHAR(50) COLLATE NOCASE,
  "comment" VARCHAR(50) COLLATE NOCASE, "varGroup" VARCHAR(50) COLLATE NOCASE,
  "sourceLine" INTEGER, "upDate" INTEGER DEFAULT 0, "module" VARCHAR(50) COLLATE NOCASE);
CREATE TABLE dcEnums (
  "name" VARCHAR(255) COLLATE NOCASE, "id" INTEGER, "class" VARCHAR(50) COLLATE NOCASE,
  "fupId" VARCHAR(50) COLLATE NOCASE, "comment" VARCHAR(50) COLLATE NOCASE,
  "varGroup" VARCHAR(50) COLLATE NOCASE, "upDate" INTEGER DEFAULT 0,
  "crcGroup" INTEGER DEFAULT 4, "value" INTEGER, "minValue" INTEGER, "maxValue" INTEGER,
  "writeAccessLevel" INTEGER, "readAccessLevel" INTEGER, "modbusScale" REAL,
  "producerMask" INTEGER, "syncCmd" INTEGER, "introduced" INTEGER,
  "condition" VARCHAR(128) COLLATE NOCASE);
CREATE TABLE alarmEnums (
  "name" VARCHAR(255) COLLATE NOCASE, "id" INTEGER, "class" VARCHAR(50) COLLATE NOCASE,
  "fupId" VARCHAR(50) COLLATE NOCASE, "comment" VARCHAR(50) COLLATE NOCASE,
  "varGroup" VARCHAR(50) COLLATE NOCASE, "upDate" INTEGER DEFAULT 0,
  "producerMask" INTEGER, "minValue" INTEGER, "maxValue" INTEGER, "criterion" INTEGER DEFAULT 3,
  "signalIndex" INTEGER, "onDelayIndex" INTEGER, "offDelayIndex" INTEGER,
  "onOffDelayId" INTEGER, "signalIndexName" VARCHAR(255) COLLATE NOCASE,
  "onDelayIndexName" VARCHAR(255) COLLATE NOCASE, "offDelayIndexName" VARCHAR(255) COLLATE NOCASE,
  "onOffDelayIdName" VARCHAR(255) COLLATE NOCASE, "introduced" INTEGER);
CREATE TABLE dcBinFile (
  "step" INTEGER, "class" VARCHAR(50) COLLATE NOCASE, "varGroup" VARCHAR(50) COLLATE NOCASE,
  "content" VARCHAR(50) COLLATE NOCASE, "value" VARCHAR(50) COLLATE NOCASE,
  "noOfBytes" INTEGER, "loops" VARCHAR(50) COLLATE NOCASE, "goto" INTEGER);
INSERT INTO dcEnums VALUES
  ('PAR_DEFAULT', -1, 'PARAMETER', '', 'Attributes of new parameters', 'GLB', 1,
   2, 0, -10, 10, 5, 1, 1.0, 0, -1, 0, ''),
  ('GLB_DEFAULT', -2, 'VARIABLE', '', 'Attributes of new variables', 'GLB', 1,
   0, 0, 0, 0, 7, 2, 0.5, 1, 3, 0, '');
INSERT INTO alarmEnums VALUES
  ('ALM_DEFAULT', -1, 'ALARM', '', 'Attributes of new alarms', NULL, 1,
   1, 0, 100, 3, -1, -1, -1, 255, '', '', '', '', 0);
INSERT INTO dcBinFile VALUES (1, NULL, NULL, 'dcVersion', '1', 2, NULL, NULL);
)");
}

void writeHeaders(const QString& folder, const QList<HeaderChange>& changes) {
    const QDir fixtures(QStringLiteral(PXU_HEADER_FIXTURES));
    for (const QString& name : fixtures.entryList({QStringLiteral("*.h")}, QDir::Files)) {
        QFile in(fixtures.filePath(name));
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(name));
        QString text = QString::fromLatin1(in.readAll());
        for (const HeaderChange& change : changes) {
            if (change.file != name)
                continue;
            QVERIFY2(text.contains(change.from), qPrintable(change.from));
            text.replace(change.from, change.to);
        }
        QFile out(QDir(folder).filePath(name));
        QVERIFY2(out.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
        out.write(text.toLatin1());
    }
}

} // namespace pxu::test
