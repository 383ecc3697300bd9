#include "build_bin_file.h"
#include "core/dialog_service.h"
#include "core/file_names.h"
#include "core/file_write_failure.h"
#include "core/folder_lock.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "core/srecord_file.h"
#include "dc_reconstruction.h"
#include "dc_template.h"
#include "dcdatabase/dc_database_check.h"
#include "dcdatabase/special_symbols.h"
#include "download_file_build.h"
#include "image_fields.h"
#include "mainwindow/log_lines.h"
#include "scratch_copy.h"

#include <QDir>
#include <QFileInfo>

// The reconstruction's job: the uploaded image read into a copy of its build's template.
namespace pxu {

namespace {

// Where the image carries its build number, as packed BCD.
constexpr int kBuildAt = 68;
constexpr int kBuildBytes = 4;

} // namespace

void DcReconstruction::reconstructDC() {
    addMessage(logOpeningLine(QStringLiteral("DC RECONSTRUCTION ")));
    // The result goes into the plant folder's upload folder, where another session may work.
    FolderLock lock;
    if (const auto refusal = lock.acquire(g_workDir)) {
        addMessage(QStringLiteral("  Error: ") + *refusal);
        addMessage(logClosingLine());
        g_errorMsgBox(*refusal, {}, true);
        return;
    }
    const QString result = g_fullName(g_uploadDir, m_view.resultName);
    if (QFileInfo::exists(result) &&
        !g_warningMsgBox(QStringLiteral("Result file \r") + result +
                             QStringLiteral("\r already exists. Replace?"),
                         {}, true, int(BoxButtons::OkCancel))) {
        addMessage(QStringLiteral("  DC Reconstruction cancelled"));
        return;
    }
    if (reconstructInto(result))
        addMessage(QStringLiteral("DataContainer reconstruction finished successfully."));
    addMessage(logClosingLine());
}

bool DcReconstruction::reconstructInto(const QString& result) {
    QByteArray image;
    qint32 start = 0;
    if (!g_sRecToBin(m_upload, image, start)) {
        addMessage(QStringLiteral("  Error: could not convert s19 File to binary data"));
        return false;
    }
    if (image.size() < kBuildAt + kBuildBytes) {
        addMessage(sprintf(QStringLiteral("  Error: the uploaded data has {*} bytes: too short for "
                                          "its build number at bytes 68 to 71."),
                           image.size()));
        return false;
    }
    const QByteArray buildField = image.mid(kBuildAt, kBuildBytes);
    const auto build = dc::numberFromPackedBcd(buildField);
    if (!build) {
        addMessage(sprintf(QStringLiteral("  Error: bytes 68 to 71 of the uploaded data ({*}) are "
                                          "no build number in packed BCD."),
                           QString::fromLatin1(buildField.toHex(' ').toUpper())));
        return false;
    }

    const QString templateFile = g_fullName(templateFolder(), dcTemplateName(*build));
    if (!QFileInfo::exists(templateFile)) {
        const QString missing =
            sprintf(QStringLiteral("Error: No database template file available for build Number "
                                   "{*}"),
                    *build);
        addMessage(missing);
        addMessage(QStringLiteral("Expected template file path: \r") + templateFile);
        g_errorMsgBox(missing, {}, true);
        return false;
    }
    // The copy becomes the result: a copy that cannot be written is the result that cannot.
    dc::ScratchCopy scratch(templateFile, g_uploadDir, result);
    if (const auto& failure = scratch.writeFailure())
        return cannotWrite(*failure);
    if (!scratch.isValid()) {
        const QString unreadable =
            sprintf(QStringLiteral("Error: the template {*} of build {*} cannot be read: {*}"),
                    QDir::toNativeSeparators(templateFile), *build, scratch.error());
        addMessage(unreadable);
        g_errorMsgBox(unreadable, {}, true);
        return false;
    }

    // Else a damaged template would read as an upload that does not fit it.
    if (const auto why = dc::whyNoDcDatabase(scratch.path())) {
        const QString damaged =
            sprintf(QStringLiteral("Error: the template {*} of build {*} is damaged: {*}."),
                    QDir::toNativeSeparators(templateFile), *build, *why);
        addMessage(damaged);
        g_errorMsgBox(damaged, {}, true);
        return false;
    }

    addMessage(QStringLiteral("Build S19"));
    dc::DcImage binFile;
    binFile.path = g_fullName(g_uploadDir, dc::kImageFile);
    binFile.bytes = image;
    binFile.logSteps = g_debugMode;
    std::optional<FileWriteFailure> unwritable;
    if (!dc::buildBinFileParts(scratch.path(), binFile, false, *this, {}, &unwritable)) {
        if (unwritable)
            return cannotWrite(FileWriteFailure(result, unwritable->reason()));
        addMessage(sprintf(QStringLiteral("  Error: the uploaded data does not fit the template of "
                                          "build {*}. Reconstructed DC has been discarded."),
                           *build));
        return false;
    }

    const QString hull = getHullNo(scratch.path());
    if (hull != g_projectName) {
        const QString text =
            QStringLiteral("Hull Number of the uploaded data is not equal to the hull number of "
                           "this plant.\rUploaded: ") +
            hull + QStringLiteral("\rExpected: ") + g_projectName +
            QStringLiteral("\rReconstructed DC has been discarded.");
        g_errorMsgBox(text, {}, true);
        addMessage(text);
        return false;
    }
    if (!scratch.placeAs(result)) {
        if (const QString why = whyNotWritable(result); !why.isEmpty())
            return cannotWrite(FileWriteFailure(result, why));
        addMessage(QStringLiteral("  Error: could not copy database file: ") + result);
        addMessage(QStringLiteral("  ") + scratch.error());
        return false;
    }
    return true;
}

bool DcReconstruction::cannotWrite(const FileWriteFailure& failure) {
    const QString text = QStringLiteral("Error: ") + failure.text() +
                         QStringLiteral(" Reconstructed DC has been discarded.");
    addMessage(text);
    g_errorMsgBox(text, {}, true);
    return false;
}

QString DcReconstruction::getHullNo(const QString& database) {
    QString hull;
    const auto failure = dc::DcJob::run(database, [&](dc::DcJob& job) {
        hull = dc::SpecialSymbols(job, *this).getString(dc::alias::hullNo);
    });
    return failure ? QString() : hull;
}

} // namespace pxu
