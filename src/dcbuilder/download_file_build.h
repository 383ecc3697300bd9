#pragma once

#include "core/file_write_failure.h"
#include "dcdatabase/message_sink.h"

#include <QString>
#include <optional>

namespace pxu::dc {

// What the build tab's "Build" turns into the download file.
struct DownloadFileBuild {
    QString database;     // the version built: symbols, layout, CRC symbols, alarm indexes
    QString workingCopy;  // the plant and software information (empty: the version itself)
    QString sourceFolder; // where the application and FPGA files lie and the output goes
    QString startAdr;     // the image's start address, hexadecimal without prefix
};

// File names in the source folder.
inline const QString kApplicationFile = QStringLiteral("PXU_application.s19");
inline const QString kFpgaFile = QStringLiteral("PXU_FPGA.S19");
inline const QString kImageFile = QStringLiteral("PXU_DATA.bin");
inline const QString kDownloadFile = QStringLiteral("PXU_DATA.S19");
// The last line of a build that wrote nothing.
inline const QString kCannotBeBuilt = QStringLiteral("DC-S19-File cannot been built!");

// The download file's build, from "Build DC-S19-File out of" to the S-record file: the
// alarm-list index step, the parameter-group CRCs, the software check, the image of the dc
// and the alarm part and "PXU_DATA.S19" as S28 records from the start address. The image
// is made in memory and the file written once at the end; a step that fails ends the build
// with a line saying why and "DC-S19-File cannot been built!", and leaves an existing
// "PXU_DATA.S19" as it was. With "/debug" the image stays beside it as "PXU_DATA.bin", with
// its step log. True when the file was written. A file that could not be written (the
// version or the download file) ends the build with its line, and is given in unwritable.
bool buildDownloadFile(const DownloadFileBuild& build, MessageSink& sink,
                       std::optional<FileWriteFailure>* unwritable = nullptr);

} // namespace pxu::dc
