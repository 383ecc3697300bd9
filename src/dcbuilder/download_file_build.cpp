#include "download_file_build.h"

#include "build_bin_file.h"
#include "core/byte_conversions.h"
#include "core/file_names.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "core/vb_val.h"
#include "dcdatabase/alarm_list_indexes.h"
#include "dcdatabase/dc_job.h"
#include "group_crc.h"
#include "platform/crc/crc.h"

#include <QFile>

namespace pxu::dc {

namespace {

// Length and CRC of a load file of the software check; nothing when it cannot be read.
struct LoadFileCheck {
    QString length;
    QString crc;
    QString problem;
};

// The four hexadecimal digits after "0x".
QString hex4(qint32 value) {
    return g_toHex(value).mid(2);
}

QString column6(const QString& text) {
    return text.rightJustified(6, u' ').right(6);
}

LoadFileCheck checkLoadFile(const QString& folder, const QString& name) {
    const QString found = existingIgnoringCase(folder, name);
    if (found.isEmpty())
        return {QStringLiteral("-"), QStringLiteral("----"),
                sprintf(QStringLiteral("      {*} not found -> length and CRC unknown!"), name)};
    QByteArray bytes;
    qint32 start = 0;
    if (!g_sRecToBin(g_fullName(folder, found), bytes, start))
        return {
            QStringLiteral("-"), QStringLiteral("----"),
            sprintf(QStringLiteral("      {*} cannot be read -> length and CRC unknown!"), found)};
    return {QString::number(bytes.size()),
            hex4(CrcCalculation(bytes.constData(), qint32(bytes.size()), 0)),
            {}};
}

bool groupCrcs(const QString& database, MessageSink& sink, qint32& imoCrc, qint32& imoLength,
               std::optional<FileWriteFailure>* unwritable) {
    sink.addMessage(QStringLiteral("   PARA-CRC values        CRC      LEN"));
    const auto failure = DcJob::run(
        database,
        [&](DcJob& job) {
            for (const CrcGroup& group : kCrcGroupsInBuildOrder) {
                QString label = crcGroupLabel(group.name);
                qint32 crc = 0;
                qint32 length = 0;
                buildCrc(job, group.number, label, crc, length, sink);
                if (group.number == kImoCrcGroup) {
                    imoCrc = crc;
                    imoLength = length;
                }
            }
        },
        unwritable);
    if (failure)
        sink.addMessage(QStringLiteral("      ") + *failure);
    return !failure;
}

void softwareCheck(const QString& folder, qint32 imoCrc, qint32 imoLength, MessageSink& sink) {
    sink.addMessage(QStringLiteral(" "));
    sink.addMessage(QStringLiteral("   ZENT-6183 Software check"));
    sink.addMessage(QStringLiteral("                    -App.-  --IMO-  -FPGA-"));
    const LoadFileCheck application = checkLoadFile(folder, kApplicationFile);
    const LoadFileCheck fpga = checkLoadFile(folder, kFpgaFile);
    sink.addMessage(sprintf(QStringLiteral("      Data Length = {*}  {*}  {*}"),
                            column6(application.length), column6(QString::number(imoLength)),
                            column6(fpga.length)));
    sink.addMessage(sprintf(QStringLiteral("      CRC Value   = 0x{*}  0x{*}  0x{*}"),
                            application.crc, hex4(imoCrc), fpga.crc));
    for (const LoadFileCheck* file : {&application, &fpga}) {
        if (!file->problem.isEmpty())
            sink.addMessage(file->problem);
    }
    sink.addMessage(QStringLiteral(" "));
    sink.addMessage(QString(82, u'-'));
}

bool writeDownloadFile(const DownloadFileBuild& build, const DcImage& image, MessageSink& sink,
                       std::optional<FileWriteFailure>* unwritable) {
    sink.addMessage(QStringLiteral("   Build S-Rec-file"));
    if (g_debugMode) {
        if (const auto failure = writeImageFile(image.path, image.bytes))
            sink.addMessage(QStringLiteral("      ") + failure->text());
    } else {
        QFile::remove(image.path);
    }
    const auto start = parseHexText(build.startAdr);
    if (!start || *start < 0) {
        sink.addMessage(sprintf(QStringLiteral("      The start address '{*}' is no hexadecimal "
                                               "number."),
                                build.startAdr));
        return false;
    }
    if (image.bytes.isEmpty()) {
        sink.addMessage(QStringLiteral("      The image is empty."));
        return false;
    }
    if (*start + image.bytes.size() > kMaxImageBytes) {
        sink.addMessage(sprintf(QStringLiteral("      The image of {*} bytes from {*} goes beyond "
                                               "the addresses of S28 records."),
                                image.bytes.size(), build.startAdr));
        return false;
    }
    const QString target = image.path.chopped(3) + QStringLiteral("S19");
    std::optional<FileWriteFailure> failure;
    if (!g_binToSRec(image.bytes, qint32(*start), QStringLiteral("S28"), target, &failure)) {
        if (!failure)
            failure.emplace(target, QStringLiteral("its records could not be made"));
        sink.addMessage(QStringLiteral("      ") + failure->text());
        if (unwritable)
            *unwritable = failure;
        return false;
    }
    return true;
}

bool buildSteps(const DownloadFileBuild& build, MessageSink& sink,
                std::optional<FileWriteFailure>* unwritable) {
    sink.addMessage(QStringLiteral("Build DC-S19-File out of ") + build.database);
    sink.addMessage(QStringLiteral(" "));
    if (!buildAlarmListIndexes(build.database, sink, unwritable))
        return false;

    qint32 imoCrc = 0;
    qint32 imoLength = 0;
    if (!groupCrcs(build.database, sink, imoCrc, imoLength, unwritable))
        return false;
    softwareCheck(build.sourceFolder, imoCrc, imoLength, sink);

    DcImage image;
    image.path = g_fullName(build.sourceFolder, kImageFile);
    image.logSteps = g_debugMode;
    sink.addMessage(QStringLiteral("Build S19"));
    std::optional<FileWriteFailure> cannotWrite;
    if (!buildBinFileParts(build.database, image, true, sink, build.workingCopy, &cannotWrite)) {
        if (cannotWrite) {
            sink.addMessage(QStringLiteral("      ") + cannotWrite->text());
            if (unwritable)
                *unwritable = cannotWrite;
        }
        return false;
    }
    return writeDownloadFile(build, image, sink, unwritable);
}

} // namespace

bool buildDownloadFile(const DownloadFileBuild& what, MessageSink& sink,
                       std::optional<FileWriteFailure>* unwritable) {
    if (buildSteps(what, sink, unwritable))
        return true;
    sink.addMessage(kCannotBeBuilt);
    return false;
}

} // namespace pxu::dc
