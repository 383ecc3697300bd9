#include "info_block_upload.h"

#include "big_endian.h"
#include "bootloader_node.h"
#include "can_open_master.h"
#include "core/byte_conversions.h"
#include "core/error_boundary.h"
#include "core/vb_val.h"
#include "info_block_date.h"
#include "section_numbers.h"

namespace pxu::modUpload {

namespace {

constexpr const char* kObject = "modUpload";
constexpr int kReadSize = 44;

bool readBlock(int module, int section, QByteArray& block) {
    qint32 size = kReadSize;
    return frmCANopen().g_readSDO(bootloaderReadNode(module), kInfoBlockObject, quint8(section),
                                  size, block);
}

QString hex32(const QByteArray& block, int offset) {
    return QStringLiteral("0x") + g_byteToHexValStr(4, offset, block, false);
}

QString decimal32(const QByteArray& block, int offset) {
    return QString::number(g_byteArrayToLong(block, offset));
}

// One row of the overview table.
QStringList rowOf(int section, const QByteArray& block) {
    const bool hardware = section == sectionHardware;
    const QString none = QStringLiteral("---");
    QStringList row(kInfoColumns);
    row[1] = decimal32(block, 0);
    row[2] = g_byteToStr(8, 4, block);
    row[3] = section == 6 || section == 4 || section == 7 ? none : buildVersionStr(section, block);
    row[4] = hardware ? productionDateText(block) : g_byteToStr(12, 16, block);
    row[5] = hex32(block, 28);
    row[6] = decimal32(block, 32);
    row[7] = hex32(block, 36);
    row[8] = hex32(block, hardware ? 308 : 40);
    row[9] = hardware ? decimal32(block, 20) : none;
    row[10] = hardware ? QStringLiteral("&H") + g_byteToHexValStr(2, 24, block, true) : none;
    row[11] = hardware ? QStringLiteral("&H") + g_byteToHexValStr(2, 26, block, true) : none;
    return row;
}

} // namespace

bool g_uploadInfoBlocks(int module, ModuleInfoTable& table) {
    bool ok = false;
    guarded(kObject, "g_uploadInfoBlocks", [&] {
        ModuleInfoTable rows(kInfoRows, QStringList(kInfoColumns));
        for (const int section : {1, 2, 3, 4, 6, 7}) {
            QByteArray block;
            if (!readBlock(module, section, block)) {
                table = ModuleInfoTable{QStringList{QString()}};
                return;
            }
            rows[getDisplayIndex(section)] = rowOf(section, block);
        }
        table = rows;
        ok = true;
    });
    return ok;
}

qint32 g_uploadStartAdr(int module, int section) {
    qint32 start = 0;
    guarded(kObject, "g_uploadStartAdr", [&] {
        QByteArray block;
        if (readBlock(module, section, block))
            start = g_byteArrayToLong(block, 28);
    });
    return start;
}

QString g_uploadVersionInfo(int module, int section) {
    QString version;
    guarded(kObject, "g_uploadVersionInfo", [&] {
        QByteArray block;
        if (readBlock(module, section, block))
            version = buildVersionStr(section, block);
    });
    return version;
}

QString buildVersionStr(int section, const QByteArray& block) {
    const qint32 v = g_byteArrayToLong(block, 12);
    if (section == sectionBootloader1) {
        // At least two digits after the point, so a one-digit version reads 0x5 -> ".05".
        const QString digits = QString::number(quint32(v), 16).toUpper().rightJustified(2, u'0');
        return digits.left(digits.size() - 2) + u'.' + digits.right(2);
    }
    if (section == sectionBootloader2) {
        const int major = block.size() > 12 ? quint8(block[12]) : 0;
        const int minor = block.size() > 13 ? quint8(block[13]) : 0;
        if (major != 0)
            return QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
    }
    return QString::number(v);
}

qint16 getDisplayIndex(int section) {
    switch (section) {
    case 6:
        return 0;
    case 4:
        return 1;
    case 7:
        return 2;
    case 3:
        return 3;
    case 2:
        return 4;
    case 1:
        return 5;
    default:
        return 0;
    }
}

qint32 g_byteArrayToLong(const QByteArray& bytes, int index) {
    return qint32(readBe32(bytes, index));
}

double versionNumber(const QString& versionText) {
    return vbVal(versionText);
}

} // namespace pxu::modUpload
