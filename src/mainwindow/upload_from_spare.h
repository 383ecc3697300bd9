#pragma once

#include "bus/main_window_services.h"
#include "module_type_tables.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

namespace pxu {

class MainWindow;

// "Upload From Spare": reads the ticked sections back out of the spare module's bootloader
// and keeps each as an S-record file (S2 records) in the upload folder.
class UploadFromSpare {
public:
    explicit UploadFromSpare(MainWindow& window);

    void uploadFromSpare();
    // One section: its Code Length bytes, their count and the Code Start. True when the
    // whole section came in, Abort was not pressed and its CRC matched (or the user keeps
    // a data container whose CRC did not).
    bool uploadSection(int section, QByteArray& data, qint32& length, qint32& codeStart);

    // Addresses an S2 record can hold.
    static constexpr qint64 kAddressRange = 0x1000000;

private:
    // Per ticked section box, the file its upload goes to; empty where the user keeps an
    // existing file (or the box is not ticked).
    std::array<QString, kSectionBoxCount> resultFiles();
    bool uploadBox(int box, const QString& file);
    // Gives the application back to the modules that do not run it.
    void restartApplications(ModuleSelection modules);
    void log(const QString& text);

    MainWindow& m_window;
};

} // namespace pxu
