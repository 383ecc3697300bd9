#pragma once

#include <QString>
#include <array>

namespace pxu {

class UpdaterFace;

// Single-module operations that stand ready for the updater face: the bootloader CRC check,
// a one-module application download with retries and its own log lines, the reading of one
// section info block into text fields and a summary of the connection state.
class UpdaterModuleOperations {
public:
    explicit UpdaterModuleOperations(UpdaterFace& face);

    // Reads the section's info block from the module's bootloader into InfoBlockFields.
    void uploadInfoBlock(int module, qint32 section, bool& ok);
    // Whether the bootloader's hardware info block carries the released checksum.
    void checkBlCRC(bool& result);
    // 0 nothing, 1 the spare runs its application, 2 its bootloader, 3 module 7 runs its
    // application (the spare is then counted present).
    void getConnectionStatus(qint32& status);
    // Downloads the application file into the module's section, up to three attempts.
    void downloadApplication(const QString& fileName, int module, qint32 section, bool& ok);

    // Fields 1 to 8 of the last info block read: Size, ID, Version, Date, Code Start, Code
    // Length, Code Checksum, Info Block Checksum.
    std::array<QString, 9> InfoBlockFields;
    bool m_sparePresent = false;

private:
    void log(const QString& line);

    UpdaterFace& m_face;
};

} // namespace pxu
