#include "build_bin_file.h"

#include "core/sprintf.h"
#include "dcdatabase/dc_job.h"
#include "layout_interpreter.h"
#include "special_symbol_source.h"

#include <QFile>
#include <QFileInfo>

namespace pxu::dc {

namespace {

bool sameFile(const QString& a, const QString& b) {
    return a.isEmpty() || b.isEmpty() ||
           QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

bool g_buildBinFile(const QString& database, DcImage& binFile, bool build, const QString& prefix,
                    qint32& address, MessageSink& caller, bool append,
                    const QString& specialSymbols, std::optional<FileWriteFailure>* unwritable) {
    caller.updateProgress(0, false);
    caller.addMessage(sprintf(build ? QStringLiteral("   Build {*}-Bin-File")
                                    : QStringLiteral("   Read {*}-Bin-File"),
                              prefix.toUpper()));
    if (!append) {
        if (build) {
            binFile.bytes.clear();
            QFile::remove(binFile.path);
        }
        binFile.stepLog.clear();
        QFile::remove(binFile.stepLogPath());
    }

    qint32 running = address;
    const auto failure = DcJob::run(
        database,
        [&](DcJob& job) {
            if (prefix != QLatin1String("dc") && prefix != QLatin1String("alarm"))
                failJob(sprintf(QStringLiteral("'{*}' is no part of the image."), prefix));
            std::optional<DcJob> symbolsJob;
            DcJob* symbolsOn = &job;
            if (build && !sameFile(database, specialSymbols)) {
                symbolsJob.emplace();
                if (!symbolsJob->begin(specialSymbols))
                    failJob(symbolsJob->lastError());
                symbolsOn = &*symbolsJob;
            }
            SpecialSymbolSource source(*symbolsOn, caller);
            LayoutInterpreter interpreter(job, binFile, caller, build ? &source : nullptr);
            interpreter.pass(prefix, running);
        },
        unwritable);
    // The step log is the debug mode's extra: the pass does not fail for it.
    if (binFile.logSteps) {
        if (const auto stepLogFailure = writeStepLog(binFile))
            caller.addMessage(QStringLiteral("      ") + stepLogFailure->text());
    }
    caller.updateProgress(0, false);
    if (failure) {
        // A database that could not be written is the caller's to tell: it knows the file
        // by the name the user knows.
        if (!unwritable || !*unwritable)
            caller.addMessage(QStringLiteral("      ") + *failure);
        return false;
    }
    address = running;
    return true;
}

bool buildBinFileParts(const QString& database, DcImage& binFile, bool build, MessageSink& caller,
                       const QString& specialSymbols, std::optional<FileWriteFailure>* unwritable) {
    qint32 address = 0;
    return g_buildBinFile(database, binFile, build, QStringLiteral("dc"), address, caller, false,
                          specialSymbols, unwritable) &&
           g_buildBinFile(database, binFile, build, QStringLiteral("alarm"), address, caller, true,
                          specialSymbols, unwritable);
}

} // namespace pxu::dc
