#include "info_block_download.h"

#include "bootloader_node.h"
#include "can_open_master.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/msg_box.h"
#include "hardware_info_block.h"
#include "info_block_date.h"
#include "platform/crc/crc.h"
#include "section_info_block.h"
#include "section_numbers.h"

namespace pxu::modDownload {

namespace {

constexpr const char* kObject = "modDownload";
constexpr qint32 kLoadingStatusObject = 0x5FFF;

QByteArray sectionId(int section, const QString& loadFile) {
    if (g_KEVMode)
        return "KEV20APP";
    if (section == sectionApplication) {
        switch (g_applType) {
        case applTypeZent:
            return "ZENT";
        case applTypeDorn:
            return "DORN";
        case applTypeLorx:
            return "LORX";
        default:
            return {};
        }
    }
    // The file's name from its fifth character: PXU_BL2_V0312.S19 gives BL2_V031.
    return g_fileName(loadFile).mid(4, 8).toLatin1();
}

} // namespace

QByteArray buildInfoBlock(int section, const QString& loadFile, const QByteArray& image,
                          qint32 startAddress) {
    SectionInfoBlock block;
    block.id = sectionId(section, loadFile);
    block.version = 1;
    block.date = fileDateText(g_getFileDate(loadFile)).toLatin1();
    block.codeStart = startAddress;
    block.codeLength = qint32(image.size());
    block.codeChecksum = CrcCalculation32(image.constData(), qint32(image.size()), 0);
    return block.encode(section == sectionHardware ? HardwareInfoBlock::kSize
                                                   : SectionInfoBlock::kSize);
}

bool writeInfoBlock(int module, int section, const QString& loadFile, const QByteArray& image,
                    qint32 startAddress) {
    bool ok = false;
    guarded(kObject, "writeInfoBlock", [&] {
        // The direct way only: on the M-Bus the cylinders get their blocks from the spare.
        const quint8 node = quint8(g_cobIdBootloader + module);
        const QByteArray block = buildInfoBlock(section, loadFile, image, startAddress);
        ok = frmCANopen().g_writeSDO(node, kInfoBlockObject, quint8(section), qint32(block.size()),
                                     block, true, kevOrToq() ? 2000 : 0);
    });
    return ok;
}

bool checkInfoBlock(int section, qint32 startAddress) {
    bool ok = true;
    guarded(kObject, "checkInfoBlock", [&] {
        if (startAddress < g_addrProtectionBL1) {
            ok = false;
            g_errorMsgBox(QStringLiteral("Download cancelled because start address is within "
                                         "Bootloader1 memory."),
                          {}, true);
        } else if (startAddress < g_addrProtectionBL2 && section != sectionBootloader2) {
            ok = false;
            g_errorMsgBox(QStringLiteral("Download cancelled because start address is within "
                                         "Bootloader2 memory and section is not Bootloader2."),
                          {}, true);
        }
    });
    return ok;
}

qint16 g_getLoadingStatus(int module, bool quiet) {
    qint16 status = loadingNoAnswer;
    guarded(kObject, "g_getLoadingStatus", [&] {
        qint32 size = 1;
        QByteArray data;
        if (frmCANopen().g_readSDO(bootloaderReadNode(module), kLoadingStatusObject,
                                   kevOrToq() ? 0 : 3, size, data, false, quiet) &&
            !data.isEmpty())
            status = qint16(quint8(data[0]));
    });
    return status;
}

} // namespace pxu::modDownload
