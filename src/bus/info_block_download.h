#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The info-block side of a section download: the block written before a section's data,
// the protection of the bootloaders' memory, and the bootloader's loading status.
namespace pxu::modDownload {

// Loading status values of the bootloader.
enum LoadingStatus : qint16 {
    loadingNoAnswer = -1,
    loadingInfoBlockAccepted = 1,
    loadingDataAccepted = 127,     // PXU
    loadingDataAcceptedKevToq = 0, // and: flash programming finished
    loadingFlashProgrammed = 255,
};

// The info block describing image (loaded from loadFile, to lie at startAddress in the
// module) for the section: 312 bytes for section 1, else 44.
QByteArray buildInfoBlock(int section, const QString& loadFile, const QByteArray& image,
                          qint32 startAddress);
// Builds the block and writes it to the module's bootloader (quiet). True when written.
bool writeInfoBlock(int module, int section, const QString& loadFile, const QByteArray& image,
                    qint32 startAddress);
// False, after an error box, when startAddress lies in bootloader 1, or in bootloader 2
// for any section but bootloader 2.
bool checkInfoBlock(int section, qint32 startAddress);
// The loading status 0 to 255, or -1 when it cannot be read.
qint16 g_getLoadingStatus(int module, bool quiet);

} // namespace pxu::modDownload
