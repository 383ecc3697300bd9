#include "updater_module_operations.h"

#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/info_block_download.h"
#include "bus/section_numbers.h"
#include "core/byte_conversions.h"
#include "core/error_boundary.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "mainwindow/main_window.h"
#include "updater_face.h"

namespace pxu {

namespace {

constexpr const char* kObject = "frmMain";
constexpr int kInfoBlockSize = 44;
constexpr int kSpareBehindModule = 23;
constexpr int kReleasedBootloaderModule = 7;
const QString kReleasedBootloaderCrc = QStringLiteral("0x6C73B542");

} // namespace

UpdaterModuleOperations::UpdaterModuleOperations(UpdaterFace& face)
    : m_face(face) {}

void UpdaterModuleOperations::log(const QString& line) {
    QString text = line;
    m_face.addMessageUpdater(text, -1);
}

void UpdaterModuleOperations::uploadInfoBlock(int module, qint32 section, bool& ok) {
    ok = false;
    guarded(kObject, "uploadInfoBlock", [&] {
        const quint8 node = quint8(g_cobIdBootloader + module);
        qint32 size = kInfoBlockSize;
        QByteArray data;
        ok = frmCANopen().g_readSDO(node, kInfoBlockObject, quint8(section), size, data);
        if (!ok)
            return;
        const auto hex = [&data](int start) {
            return g_byteToHexValStr(4, start, data, false, QStringLiteral("0x"));
        };
        InfoBlockFields[1] = g_byteToDezValStr(4, 0, data, false);
        InfoBlockFields[2] = g_byteToStr(8, 4, data);
        InfoBlockFields[3] = g_byteToDezValStr(4, 12, data, false);
        InfoBlockFields[4] = g_byteToStr(12, 16, data);
        InfoBlockFields[5] = hex(28);
        InfoBlockFields[6] = g_byteToDezValStr(4, 32, data, false);
        InfoBlockFields[7] = hex(36);
        InfoBlockFields[8] = hex(40);
    });
}

void UpdaterModuleOperations::checkBlCRC(bool& result) {
    result = false;
    guarded(kObject, "checkBlCRC", [&] {
        bool ok = false;
        uploadInfoBlock(m_sparePresent ? kSpareBehindModule : 0, 1, ok);
        if (!ok)
            return;
        result = InfoBlockFields[7] == kReleasedBootloaderCrc;
        if (!result)
            log(QStringLiteral("   Bootloader-CRC: ") + InfoBlockFields[7]);
    });
}

void UpdaterModuleOperations::getConnectionStatus(qint32& status) {
    guarded(kObject, "getConnectionStatus", [&] {
        const ModuleStates states = modConnectionStatus::g_getConnectionStatus();
        switch (states[0]) {
        case moduleNotConnected:
            status = 0;
            break;
        case moduleApplicationRunning:
            status = 1;
            break;
        case moduleBootloaderRunning:
            status = 2;
            m_sparePresent = false;
            break;
        default:
            break;
        }
        if (states[kReleasedBootloaderModule] == moduleApplicationRunning) {
            status = 3;
            m_sparePresent = true;
        }
    });
}

void UpdaterModuleOperations::downloadApplication(const QString& fileName, int module,
                                                  qint32 section, bool& ok) {
    ok = false;
    guarded(kObject, "downloadApplication", [&] {
        QByteArray image;
        qint32 start = 0;
        if (!g_sRecToBin(fileName, image, start)) {
            // Nothing to send: an empty or broken file is no download.
            log(QStringLiteral("  Failure in reading the S19 file ") + fileName + u'!');
            return;
        }
        if (!g_applUpdate && g_baseAdrAppl > 0 && g_baseAdrAppl != start) {
            log(sprintf(QStringLiteral("      start-address moved to {*}"), g_baseAdrAppl));
            start = g_baseAdrAppl;
        }
        int failures = 0;
        do {
            if (failures > 0)
                log(QStringLiteral("  New attempt to download"));
            log(QStringLiteral("  Write infoblock to TOQ"));
            if (!modDownload::writeInfoBlock(module, section, fileName, image, start)) {
                log(QStringLiteral("  Failure in transmitting infoblock!"));
                ++failures;
            } else if (modDownload::g_getLoadingStatus(module, false) !=
                       modDownload::loadingInfoBlockAccepted) {
                log(QStringLiteral("  Downloading infoblock failed!"));
                ++failures;
            } else {
                log(QStringLiteral("  Write data to TOQ"));
                bool written = false;
                m_face.window().writeSection(module, section, image, written);
                if (!written) {
                    log(QStringLiteral("  Failure in transmitting program/data!"));
                    ++failures;
                } else if (modDownload::g_getLoadingStatus(module, false) == 0) {
                    log(QStringLiteral("  Download successful"));
                    failures = 0;
                } else {
                    log(QStringLiteral("  Downloading program/data failed!"));
                    ++failures;
                }
            }
        } while (failures == 1 || failures == 2);
        ok = failures == 0;
    });
}

} // namespace pxu
