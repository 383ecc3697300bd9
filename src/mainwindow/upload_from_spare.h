#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

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
    bool uploadBox(int box, const QString& file);
    void log(const QString& text);

    MainWindow& m_window;
};

} // namespace pxu
