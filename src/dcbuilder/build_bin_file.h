#pragma once

#include "dc_image.h"
#include "dcdatabase/message_sink.h"

#include <QString>

namespace pxu::dc {

// One pass of the layout interpreter (g_buildBinFile) over the tables prefix + "BinFile"
// and prefix + "Enums" of the database ("dc", then "alarm" with append set, one running
// address from 0), as a job of its own on the database.
//
// Build mode writes the fields into binFile.bytes: the special symbols (values beginning
// "DC_") from the database specialSymbols (the builder's working copy; empty: the database
// itself), everything else from the database. Read mode reads binFile.bytes, which the
// caller has filled, into the symbol rows of the database: one-byte fields unsigned, two-
// and four-byte fields signed, texts as their characters.
//
// A first pass (append false) starts the image and the step log anew and deletes an old
// step log file (and, building, an old image file). With binFile.logSteps the step log is
// written beside the image file after each pass. Nothing else is written to files: the
// caller writes the image once every pass has succeeded.
//
// False when the pass failed: the caller's list has a line saying which step failed and
// why, and in read mode the database is as it was before the pass. A database that could
// not be written is given in unwritable instead, for the caller to tell.
bool g_buildBinFile(const QString& database, DcImage& binFile, bool build, const QString& prefix,
                    qint32& address, MessageSink& caller, bool append,
                    const QString& specialSymbols = {},
                    std::optional<FileWriteFailure>* unwritable = nullptr);

// The whole image as a build writes it and a reconstruction reads it: the dc pass from
// address 0, then the alarm pass where it ended. False when a pass failed.
bool buildBinFileParts(const QString& database, DcImage& binFile, bool build, MessageSink& caller,
                       const QString& specialSymbols = {},
                       std::optional<FileWriteFailure>* unwritable = nullptr);

} // namespace pxu::dc
