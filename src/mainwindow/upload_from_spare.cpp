#include "upload_from_spare.h"

#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/info_block_upload.h"
#include "bus/mode_change.h"
#include "bus/section_numbers.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "log_lines.h"
#include "main_window.h"
#include "platform/clock/clock.h"
#include "platform/crc/crc.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace pxu {

namespace {

constexpr qint64 kPauseAfterBoxMs = 2000;

// Upper-case hexadecimal without leading zeros; a negative value as its 32-bit pattern.
QString hexOf(qint32 value) {
    return QString::number(quint32(value), 16).toUpper();
}

} // namespace

UploadFromSpare::UploadFromSpare(MainWindow& window)
    : m_window(window) {}

void UploadFromSpare::log(const QString& text) {
    m_window.addMessage(text);
}

void UploadFromSpare::uploadFromSpare() {
    Selection& selection = m_window.selection();
    m_window.lock().setEnabled(Control::mnuUploadFromSpare, false);
    log(QStringLiteral("Starting Upload of Data from Spare Module"));
    const auto refuse = [&](const QString& line) {
        log(line);
        log(logClosingLine());
        m_window.enableAllControls();
    };
    // A lost channel takes no frame: nothing more is read or restarted.
    const auto stopOnLoss = [&] {
        if (!frmCANopen().channelLost())
            return false;
        m_window.updateProgress(0);
        refuse(channelLostLine(QStringLiteral("Upload")));
        return true;
    };
    if (stopOnLoss())
        return;

    bool anySection = false;
    for (int k = 0; k < kSectionBoxCount && !anySection; ++k)
        anySection = selection.section(k).value == ticked;
    if (!anySection)
        return refuse(QStringLiteral("  no section selected!"));
    if (!selection.program(0).enabled) {
        g_errorMsgBox(g_getUserMessage(2));
        return refuse(QStringLiteral("  Error: Spare Module is not Connected."));
    }

    const bool spareInBootloader =
        modConnectionStatus::g_getModuleStatus(0) == moduleBootloaderRunning && g_mBusMode;
    if (spareInBootloader &&
        !frmMessage2().questionMsgBox(
            QStringLiteral("Upload of data is only possible, if no other modules are "
                           "connected via S-Bus.Otherwise the upload will interfere with the "
                           "autodownload function. Would you like to continue the upload?"),
            {}, QStringLiteral("Yes"), QStringLiteral("No"), false))
        return refuse(QStringLiteral("  M-Bus upload cancelled."));

    // Asked before any module is switched, so that no module leaves its application for a
    // file the user keeps.
    const std::array<QString, kSectionBoxCount> files = resultFiles();
    if (std::all_of(files.cbegin(), files.cend(), [](const QString& f) { return f.isEmpty(); }))
        return refuse(QStringLiteral("  Upload cancelled: every result file is kept."));

    ModuleSelection switched{};
    bool noModuleInApplication = false;
    if (!spareInBootloader) {
        m_window.disableOtherControls(lockStartModules);
        m_window.lock().setHourglass(true);
        noModuleInApplication = true;
        for (int m = 0; m < kModuleCount; ++m) {
            if (modConnectionStatus::g_getModuleStatus(m) == moduleApplicationRunning) {
                switched[m] = true;
                noModuleInApplication = false;
            }
        }
        log(QStringLiteral("   Starting bootloader on all modules."));
        if (!modModeChange::g_startBootloader(switched, false)) {
            log(QStringLiteral("  Upload failed: Could not start Bootloader"));
            m_window.setLamp(0, true, kColourRed);
            if (stopOnLoss())
                return;
            // Those that did switch must not keep the engine from running.
            for (int m = 0; m < kModuleCount; ++m)
                switched[m] = switched[m] &&
                              modConnectionStatus::g_getModuleStatus(m) == moduleBootloaderRunning;
            restartApplications(switched);
            m_window.enableAllControls();
            return;
        }
    }

    m_window.disableOtherControls(lockUpload);
    m_window.lock().setHourglass(true);
    selection.setProgram(0, ticked);
    for (int m = 1; m < kModuleCount; ++m)
        selection.setProgram(m, unticked);
    m_window.resetStatus(false);
    m_window.setAbortRequested(false);

    // The result is that of every section uploaded, not only the last one.
    bool anyUploaded = false;
    bool allOk = true;
    for (int k = 0; k < kSectionBoxCount; ++k) {
        if (!files[k].isEmpty()) {
            guarded("frmMain", "uploadFromSpare", [&] {
                QDir().mkdir(g_uploadDir);
                anyUploaded = true;
                allOk = uploadBox(k, files[k]) && allOk;
            });
        }
        if (stopOnLoss())
            return;
        clock().sleep(kPauseAfterBoxMs);
    }
    if (anyUploaded && allOk) {
        m_window.setLamp(0, true, kColourGreen);
        log(QStringLiteral("   Upload finished "));
    }

    if (!noModuleInApplication) {
        // On the M-Bus the spare is started in any case: it was in its application or the
        // user let it wait in its bootloader for this upload.
        if (g_mBusMode)
            switched[0] = true;
        restartApplications(switched);
        if (stopOnLoss())
            return;
    }
    log(logClosingLine());
    m_window.enableAllControls();
}

std::array<QString, kSectionBoxCount> UploadFromSpare::resultFiles() {
    std::array<QString, kSectionBoxCount> files;
    const Selection& selection = m_window.selection();
    for (int k = 0; k < kSectionBoxCount; ++k) {
        if (selection.section(k).value != ticked)
            continue;
        const QString file = g_fullName(
            g_uploadDir, QString(m_window.loadFiles().uploadFileName(k)).replace(u'\\', u'/'));
        if (!QFileInfo::exists(file) ||
            g_warningMsgBox(QStringLiteral("The result file \r") + file +
                                QStringLiteral("\r already exists. Replace it?"),
                            {}, false, int(BoxButtons::OkCancel)))
            files[k] = file;
    }
    return files;
}

void UploadFromSpare::restartApplications(ModuleSelection modules) {
    using namespace modModeChange;
    if (!g_mBusMode) {
        restartSwitched(modules);
        return;
    }
    // As a download restarts them: the cylinders through the spare's application, once it
    // serves the auto download.
    const auto spareRunning = [] {
        return modConnectionStatus::g_getModuleStatus(0) == moduleApplicationRunning;
    };
    const bool spareWasRunning = spareRunning();
    if (modules[0])
        restartSwitched(g_singeTargetSelection(0));
    modules[0] = false;
    if (std::none_of(modules.cbegin(), modules.cend(), [](bool m) { return m; }) || !spareRunning())
        return;
    if (!spareWasRunning)
        waitWithEvents(kSpareServesAutoDownloadMs, 5, [] { return frmCANopen().channelLost(); });
    restartSwitched(modules);
}

bool UploadFromSpare::uploadBox(int box, const QString& file) {
    const SectionBoxState& state = m_window.selection().section(box);
    log(QStringLiteral("    Uploading ") + state.caption);
    m_window.resetStatus(true);
    QByteArray data;
    qint32 length = 0;
    qint32 codeStart = 0;
    bool ok = uploadSection(state.tag, data, length, codeStart);
    m_window.updateProgress(0);
    if (ok) {
        std::optional<FileWriteFailure> unwritable;
        ok = g_binToSRec(data.left(length), codeStart, QStringLiteral("S28"), file, &unwritable);
        if (!ok) {
            log(QStringLiteral("  Error: Could not Save uploaded S19 File."));
            if (unwritable) {
                log(QStringLiteral("  ") + unwritable->text());
                g_errorMsgBox(unwritable->text());
            }
        }
    } else {
        m_window.setLamp(0, true, kColourRed);
        log(QStringLiteral("   Upload of ") + state.caption + QStringLiteral(" has failed "));
    }
    return ok;
}

bool UploadFromSpare::uploadSection(int section, QByteArray& data, qint32& length,
                                    qint32& codeStart) {
    bool result = false;
    guarded("frmMain", "uploadSection", [&] {
        m_window.lock().setEnabled(Control::cmdModuleState, false);
        m_window.lock().setEnabled(Control::cmdDownload, false);
        CanOpenMaster& master = frmCANopen();
        const quint8 node = quint8(g_cobIdBootloader);
        length = 0;

        QByteArray block;
        qint32 size = 0;
        if (!master.g_readSDO(node, kInfoBlockObject, quint8(section), size, block))
            return;
        codeStart = modUpload::g_byteArrayToLong(block, 28);
        const qint32 codeLength = modUpload::g_byteArrayToLong(block, 32);
        const qint32 codeChecksum = modUpload::g_byteArrayToLong(block, 36);
        // An erased or damaged block reads -1 or anything: only what an S2 file can hold.
        if (codeStart < 0 || codeLength < 0 || qint64(codeStart) + codeLength > kAddressRange) {
            log(sprintf(QStringLiteral("Upload refused: invalid info block (Code Start 0x{*}, "
                                       "Code Length {*})."),
                        hexOf(codeStart), codeLength));
            return;
        }
        data = QByteArray(codeLength, '\0');

        bool lastRead = false;
        bool failed = false;
        do {
            clock().doEvents();
            QByteArray chunk;
            qint32 n = 0;
            lastRead = master.g_readSDO(node, kProgramDataObject, quint8(section), n, chunk);
            if (lastRead) {
                if (chunk.isEmpty() && length < codeLength) {
                    log(QStringLiteral("Upload failed: the module sent no more data."));
                    failed = true;
                } else if (qint64(length) + chunk.size() > codeLength) {
                    g_errorMsgBox(QStringLiteral(
                        "Length of uploaded data is higher than specified in infoBlock"));
                    failed = true;
                } else {
                    std::copy(chunk.cbegin(), chunk.cend(), data.begin() + length);
                    length += qint32(chunk.size());
                }
            }
            m_window.updateProgress(codeLength > 0 ? float(length) / float(codeLength) : 0.0);
        } while (length < codeLength && lastRead && !failed && !m_window.g_abortRequested() &&
                 !m_window.programEnding());

        if (!lastRead || failed || m_window.g_abortRequested() || length < codeLength)
            return;
        const qint32 crc = CrcCalculation32(data.constData(), length, 0);
        result = crc == codeChecksum;
        if (result)
            return;
        log(QStringLiteral("Upload CRC check failed.  Uploaded: ") + hexOf(crc) +
            QStringLiteral(" Infoblock: ") + hexOf(codeChecksum));
        if (section == sectionDataContainer)
            result = frmMessage2().questionMsgBox(
                QStringLiteral("The CRC check of the uploaded Data Container has failed. This may "
                               "be due to parameter changes that have been made since the "
                               "download. Would you like to keep the uploaded Data?"),
                QStringLiteral("Upload CRC Warning"), QStringLiteral("Keep Data"),
                QStringLiteral("Discard Data"), true);
    });
    return result;
}

} // namespace pxu
