#include "section_download.h"

#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/info_block_download.h"
#include "bus/section_numbers.h"
#include "core/error_boundary.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "load_files.h"
#include "main_window.h"
#include "platform/can/can_result.h"
#include "platform/clock/clock.h"

namespace pxu {

namespace {

constexpr qint32 kBlockTimeoutMs = 3000;
constexpr int kAttempts = 3;
constexpr qint64 kAttemptPauseMs = 2000;
constexpr qint64 kCommandWaitMs = 8000;
constexpr qint64 kCommandPollMs = 10;
constexpr qint64 kAbortPollMs = 20;

// The address a section must lie at; 0 for a section that has none.
qint32 baseAddress(int section) {
    switch (section) {
    case sectionDataContainer:
        return g_baseAdrDC;
    case sectionApplication:
        return g_baseAdrAppl;
    case sectionFpga:
        return g_baseAdrFPGA;
    default:
        return 0;
    }
}

// What the spare reports on the download it works on.
struct AdlReport {
    bool busy = false;
    int module = 0;
    qint32 field = 0;
    double progress = 0;
    int attempt = 0;

    static AdlReport now() {
        AdlReport r;
        r.busy = modAutoDownload::g_getAutoDownloadStatus(r.module, r.field, r.progress, r.attempt);
        return r;
    }
    bool operator==(const AdlReport&) const = default;
};

bool channelLost() {
    return frmCANopen().channelLost();
}

// Passes window events while busy holds, up to kCommandWaitMs; False when it still held.
// A lost channel ends the wait at once: nothing it waits for can come.
bool waitWhileBusy(const std::function<bool()>& busy, qint64 pollMs = kCommandPollMs) {
    qint64 elapsed = 0;
    while (busy() && elapsed < kCommandWaitMs && !channelLost()) {
        clock().sleep(pollMs);
        elapsed += pollMs;
        clock().doEvents();
    }
    return elapsed < kCommandWaitMs;
}

} // namespace

bool canWriteFailed() {
    if (channelLost())
        return true;
    switch (frmCANopen().lastResult()) {
    case can::result::kTransmissionError:
    case can::result::kHardwareError:
    case can::result::kInterfaceError:
        return true;
    default:
        return false;
    }
}

SectionDownload::SectionDownload(MainWindow& window)
    : m_window(window) {}

void SectionDownload::log(const QString& text) {
    m_window.addMessage(text);
}

QString SectionDownload::loadFilePath(int box) const {
    if (box < 0 || box >= kSectionBoxCount)
        return {};
    QString path = m_window.loadFiles().boxes(box).emhPath;
    if (!path.isEmpty() && m_window.loadFiles().sectionNew() == 1)
        path = newLoadFileName(path);
    return path;
}

bool SectionDownload::prepare(int box, QString& failure) {
    bool ok = false;
    guarded("frmMain", "prepare", [&] {
        const QString path = loadFilePath(box);
        if (const auto found = m_images.find(box);
            found != m_images.end() && found->second.path == path) {
            ok = true;
            return;
        }
        const SectionBoxState& state = m_window.selection().section(box);
        if (path.isEmpty()) {
            failure =
                sprintf(QStringLiteral("   S19 file for section {*} not found!"), state.caption);
            return;
        }
        SectionImage image;
        image.path = path;
        if (!g_sRecToBin(path, image.bytes, image.fileStart) || image.bytes.isEmpty()) {
            failure = QStringLiteral("Download aborted because conversion S19-to-binary failed.");
            return;
        }
        // The section is written at its base address whatever address the file was linked for.
        const qint32 expected = baseAddress(state.tag);
        image.start = expected > 0 ? expected : image.fileStart;
        if (!kevOrToq() && !modDownload::checkInfoBlock(state.tag, image.start)) {
            failure = QStringLiteral("Download aborted because start address in info block is "
                                     "invalid.");
            return;
        }
        m_images[box] = std::move(image);
        ok = true;
    });
    return ok;
}

const SectionImage* SectionDownload::imageOf(int section, QString& failure) {
    const int box = m_window.selection().sectionBoxOf(section);
    if (loadFilePath(box).isEmpty()) {
        failure = QStringLiteral("No S19-File defined!");
        return nullptr;
    }
    if (!prepare(box, failure))
        return nullptr;
    return &m_images.at(box);
}

bool SectionDownload::downloadSection(int module, int section) {
    bool accepted = false;
    guarded("frmMain", "downloadSection", [&] {
        QString failure;
        const SectionImage* image = imageOf(section, failure);
        if (!image) {
            log(failure);
            // Nothing was written: the lamp must not say otherwise.
            m_window.setLamp(module, true, kColourRed);
            return;
        }
        if (image->start != image->fileStart)
            log(sprintf(QStringLiteral("      start-address moved to {*}"), image->start));

        // Another attempt on a channel that takes no frames would only send into it.
        for (int attempt = 0;
             attempt < kAttempts && !m_window.programEnding() && !(attempt > 0 && canWriteFailed());
             ++attempt) {
            if (attempt > 0) {
                log(QStringLiteral("         new attempt"));
                clock().sleep(kAttemptPauseMs);
            }
            if (!modDownload::writeInfoBlock(module, section, image->path, image->bytes,
                                             image->start)) {
                m_window.downloadFailure(QStringLiteral("      failure in transmitting infoblock!"),
                                         module);
                continue;
            }
            if (modDownload::g_getLoadingStatus(module, true) !=
                modDownload::loadingInfoBlockAccepted) {
                m_window.downloadFailure(QStringLiteral("      downloading infoblock failed!"),
                                         module);
                continue;
            }
            if (!writeSection(module, section, image->bytes)) {
                m_window.downloadFailure(
                    QStringLiteral("      failure in transmitting program/data!"), module);
                continue;
            }
            const qint16 status = modDownload::g_getLoadingStatus(module, true);
            if (kevOrToq() && status == modDownload::loadingDataAcceptedKevToq) {
                log(sprintf(QStringLiteral("      {*} {*}: ok"), g_moduleType, module));
            } else if (!kevOrToq() && status == modDownload::loadingDataAccepted) {
                log(sprintf(QStringLiteral("      PXU {*}: ok"), module));
                if (section == sectionBootloader2)
                    m_window.setBootloaderVersionChange(module);
            } else {
                m_window.downloadFailure(QStringLiteral("      downloading program/data failed!"),
                                         module);
                continue;
            }
            m_window.setLamp(module, true, kColourGreen);
            accepted = true;
            return;
        }
    });
    return accepted;
}

bool SectionDownload::writeSection(int module, int section, const QByteArray& image) {
    bool ok = false;
    guarded("frmMain", "writeSection", [&] {
        const quint8 node = quint8(g_cobIdBootloader + module);
        m_window.updateProgress(0);
        // An empty image is nothing written, not a success.
        for (qsizetype offset = 0; offset < image.size(); offset += kBlockSize) {
            const QByteArray block = image.mid(offset, kBlockSize);
            m_window.updateProgress(double(offset) / double(image.size()));
            ok = frmCANopen().g_writeSDO(node, kProgramDataObject, quint8(section),
                                         qint32(block.size()), block, true, kBlockTimeoutMs);
            if (!ok)
                break;
        }
        m_window.updateProgress(0);
    });
    return ok;
}

void SectionDownload::checkLoadingStatus(int module, int count) {
    guarded("frmMain", "checkLoadingStatus", [&] {
        m_loadingStatusQuiet = false;
        if (m_window.selection().program(module).value != ticked ||
            !m_window.g_downloadStatusOk(module))
            return;
        for (int pass = 0; pass <= count && !m_window.programEnding(); ++pass) {
            if (channelLost()) {
                // The module may finish or not: nobody can tell any more.
                m_window.downloadFailure(
                    QStringLiteral("      end of flash-programming not confirmed!"), module);
                return;
            }
            clock().sleep(100);
            const qint16 status = modDownload::g_getLoadingStatus(module, m_loadingStatusQuiet);
            if (status == modDownload::loadingNoAnswer) {
                // The first failed read shows its box, later ones are quiet.
                m_loadingStatusQuiet = true;
                continue;
            }
            if (status == modDownload::loadingDataAcceptedKevToq ||
                status == modDownload::loadingFlashProgrammed)
                return;
        }
        m_window.downloadFailure(QStringLiteral("      failure in flash-programming (timeout)!"),
                                 module);
    });
}

void SectionDownload::abortAutoDownload() {
    modAutoDownload::g_sendCommand(modAutoDownload::adlAbort, 0, 0);
    if (!waitWhileBusy([] { return AdlReport::now().busy; }, kAbortPollMs) && !channelLost())
        g_errorMsgBox(QStringLiteral("      AutoDownload error: abort command not executed!"), {},
                      true);
}

bool SectionDownload::autoDownloadSingleModule(int module, int section) {
    using namespace modAutoDownload;
    bool ok = false;
    guarded("frmMain", "autoDownloadSingleModule", [&] {
        const quint16 mask = quint16(1u << module);
        const bool idleBefore = waitWhileBusy([] { return AdlReport::now().busy; });
        if (channelLost())
            return;
        if (!idleBefore) {
            log(QStringLiteral("      Autodownload error: could not reset command register!"));
            return;
        }
        const bool clearSent = g_sendCommand(adlClear, 0, 0);
        if (!clearSent && !channelLost())
            g_errorMsgBox(QStringLiteral("could not send clear command"), {}, true);
        if (!clearSent && canWriteFailed())
            return;
        // A report of the word as cleared that left the spare before it took the clear says
        // nothing: a command sent on it would find the spare still busy, which drops it. A
        // spare that clears between two of its reports never shows the word, though: when
        // the wait runs out with the spare idle and the failure gone, that is done as well.
        const auto idle = [module] {
            return !AdlReport::now().busy && !g_getAutoDownloadFailure(module);
        };
        const bool cleared =
            waitWhileBusy([&] { return !idle() || (clearSent && !g_commandDone(module)); });
        if (channelLost())
            return;
        if (!cleared && !idle()) {
            log(QStringLiteral(
                "      Autodownload error: could not reset auto-download failure status!"));
            return;
        }
        if (!g_sendCommand(adlDownloadSection, mask, section)) {
            log(QStringLiteral("      initialization of auto-download failed!"));
            m_window.updateProgress(0);
            return;
        }

        ok = true;
        int highest = 1;
        clock().sleep(150);
        AdlReport seen = AdlReport::now();
        qint64 changedAtMs = clock().nowMs();
        // Done once the spare took the command up and cleared it afterwards: a report of the
        // cleared word sent before the spare saw the command reaches the tool after it.
        for (AdlReport report = seen; !g_commandDone(module); report = AdlReport::now()) {
            if (report.module == module) {
                if (report.attempt > highest) {
                    // The spare starts the module over.
                    highest = report.attempt;
                    m_window.downloadFailure(
                        QStringLiteral("      failure in auto-download of program/data!"), module);
                }
                m_window.updateProgress(report.progress);
            }
            if (!(report == seen)) {
                seen = report;
                changedAtMs = clock().nowMs();
            } else if (clock().nowMs() - changedAtMs >= kAutoDownloadStallMs) {
                log(sprintf(QStringLiteral("      Autodownload error: no progress for {*} s, "
                                           "download given up!"),
                            kAutoDownloadStallMs / 1000));
                g_sendCommand(adlAbort, 0, 0);
                ok = false;
                break;
            }
            if (m_window.g_abortRequested() && m_askAbort && m_askAbort()) {
                ok = false;
                break;
            }
            // Without the spare's application nobody serves the download any more.
            if (m_window.programEnding() || channelLost() ||
                modConnectionStatus::g_getModuleStatus(0) != moduleApplicationRunning) {
                ok = false;
                break;
            }
            clock().doEvents();
            clock().sleep(10);
        }
        if (ok) {
            clock().sleep(1000);
            clock().doEvents();
            ok = !g_getAutoDownloadFailure(module) &&
                 modConnectionStatus::g_getModuleStatus(0) == moduleApplicationRunning;
        }
        m_window.updateProgress(0);
    });
    return ok;
}

} // namespace pxu
