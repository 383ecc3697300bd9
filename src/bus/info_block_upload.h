#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Reading the info blocks of a module's sections back for the overview, the download's
// version and start-address checks and the upload from the spare.
namespace pxu::modUpload {

// The module info table: one row per display row (getDisplayIndex), columns 0 to 11:
// caption (left empty here), Size, Name, Version, date, Code start, Code Length, Code CRC,
// InfoBlock CRC, Serial, RAM, Flash; "---" where a column does not apply.
using ModuleInfoTable = QList<QStringList>;
constexpr int kInfoRows = 6;
constexpr int kInfoColumns = 12;

// Reads the blocks of sections 1 to 7 (5 does not exist) into the table. On the first
// block that cannot be read the table becomes 1 x 1 and the result False.
bool g_uploadInfoBlocks(int module, ModuleInfoTable& table);
// The block's Code Start, 0 when it cannot be read.
qint32 g_uploadStartAdr(int module, int section);
// The block's version text, empty when it cannot be read.
QString g_uploadVersionInfo(int module, int section);

// The version text of one block: bootloader 1 as hexadecimal with a point before the
// last two digits (0x310: "3.10"), bootloader 2 as "major.minor" from bytes 12 and 13
// (or the number when byte 12 is 0), other sections the number.
QString buildVersionStr(int section, const QByteArray& block);
// The overview row of a section: 6, 4, 7, 3, 2, 1 give 0 to 5; anything else 0.
qint16 getDisplayIndex(int section);
// Bytes index to index + 3, most significant first, as a signed 32-bit number.
qint32 g_byteArrayToLong(const QByteArray& bytes, int index);
// The number of a version text ("3.12"), read the same in every locale.
double versionNumber(const QString& versionText);

} // namespace pxu::modUpload
