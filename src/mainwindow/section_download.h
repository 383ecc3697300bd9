#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>

namespace pxu {

class MainWindow;

// The last bus operation could not write its frame: the channel refuses frames or is gone,
// so nothing more reaches a module.
bool canWriteFailed();

// A section's load file as the download writes it.
struct SectionImage {
    QString path;
    QByteArray bytes;
    qint32 fileStart = 0; // where the file was linked
    qint32 start = 0;     // where it goes: the section's base address when it has one
};

// One section into one module: directly (info block, data in 8192-byte blocks, loading
// status, up to three attempts) or, for an M-Bus cylinder, through the spare's auto
// download. The outcome is the module's lamp and the log.
class SectionDownload {
public:
    static constexpr int kBlockSize = 8192;

    explicit SectionDownload(MainWindow& window);

    // Reads the load file of a section box and checks where it goes, once per run; later
    // calls for the same file give the same image. False with the line that tells why.
    bool prepare(int box, QString& failure);
    // A new run reads the files again.
    void forgetImages() { m_images.clear(); }

    // True when the module accepted the section (its flash programming may still run).
    bool downloadSection(int module, int section);
    // The section's data to the module's bootloader; False when a block failed or there is
    // nothing to write.
    bool writeSection(int module, int section, const QByteArray& image);
    // Waits, for a ticked module whose lamp is green, until flash programming has finished.
    void checkLoadingStatus(int module, int count);
    bool autoDownloadSingleModule(int module, int section);
    // Sends the auto download's abort and waits until the spare has dropped the command; a
    // box when it still has not after 8 s.
    void abortAutoDownload();

    // Asked when Abort was pressed during an auto download; True ends the run.
    void setAbortQuestion(std::function<bool()> ask) { m_askAbort = std::move(ask); }

    // An auto download that shows no change for this long has failed.
    static constexpr qint64 kAutoDownloadStallMs = 60000;

private:
    QString loadFilePath(int box) const;
    const SectionImage* imageOf(int section, QString& failure);
    void log(const QString& text);

    MainWindow& m_window;
    std::map<int, SectionImage> m_images; // by section box
    std::function<bool()> m_askAbort;
    bool m_loadingStatusQuiet = false;
};

} // namespace pxu
