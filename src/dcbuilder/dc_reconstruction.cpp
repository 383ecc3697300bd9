#include "dc_reconstruction.h"

#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/form_support.h"
#include "core/globals.h"
#include "core/scratch_files.h"
#include "dc_reconstruction_form.h"
#include "download_file_build.h"

#include <QDir>
#include <algorithm>

namespace pxu {

namespace {

const char* const kObject = "frmDcReconstruction";
const QLatin1String kDcMark{"-PXU-DC"};

// The data-container database's name with "Upload" in place of the version: from the
// working folder's first database, else from the project name.
QString uploadResultName() {
    const QStringList files = QDir(g_workDir).entryList({QStringLiteral("*-PXU-DC*.mdb")},
                                                        QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty())
        return g_projectName + kDcMark + QStringLiteral("-Upload.mdb");
    const QString& first = files.first();
    return first.left(first.indexOf(kDcMark, 0, Qt::CaseInsensitive) + kDcMark.size()) +
           QStringLiteral("-Upload.mdb");
}

// Any file of the template folder but the scratch copies of jobs, which are no templates.
bool holdsATemplate(const QString& folder) {
    const QStringList files = QDir(folder).entryList(QDir::Files);
    return std::any_of(files.cbegin(), files.cend(),
                       [](const QString& name) { return !isScratchFile(name); });
}

} // namespace

DcReconstruction::DcReconstruction(QObject* parent)
    : QObject(parent) {
    setObjectName(QString::fromLatin1(kObject));
}

DcReconstruction::~DcReconstruction() {
    delete m_form.data();
}

DcReconstructionForm* DcReconstruction::form() const {
    return m_form;
}

void DcReconstruction::g_show() {
    guarded(kObject, "g_show", [&] {
        m_view.fileDirectory = g_uploadDir;
        m_view.resultName = uploadResultName();
        m_messages.clear();
        m_view.progress = 0;
        // Every showing decides anew: the upload or a template may have come meanwhile.
        m_view.reconstructEnabled = true;
        const QString found = existingIgnoringCase(g_uploadDir, dc::kDownloadFile);
        m_upload = g_fullName(g_uploadDir, found.isEmpty() ? dc::kDownloadFile : found);
        const QString templates = templateFolder();
        if (found.isEmpty()) {
            addMessage(QStringLiteral(
                "Cannot Reconstruct DataContainter: S19 file has to be uploaded first!"));
            m_view.reconstructEnabled = false;
        } else if (!holdsATemplate(templates)) {
            addMessage(QStringLiteral(
                "DC Reconstruction disabled because template directory does not exist."));
            if (g_debugMode)
                addMessage(QStringLiteral("debug information: template path = ") + templates);
            m_view.reconstructEnabled = false;
        }
        m_loaded = true;
        m_view.visible = true;
        if (widgetsAvailable()) {
            if (!m_form)
                m_form = new DcReconstructionForm(*this); // deleted by the unload
            m_form->show();
            m_form->raise();
        }
        emit changed();
    });
}

void DcReconstruction::addMessage(const QString& text) {
    QString lines = text;
    m_messages.addMessage(lines);
}

void DcReconstruction::updateProgress(double value, bool relative) {
    const double v = relative ? m_view.progress + value : value;
    m_view.progress = std::clamp(v, 0.0, 1.0);
    m_messages.showWaitingLines();
    emit progressChanged();
}

void DcReconstruction::setResultName(const QString& name) {
    m_view.resultName = name;
}

void DcReconstruction::cmdReconstructDC_Click() {
    guarded(kObject, "cmdReconstructDC_Click", [&] { reconstructDC(); });
}

void DcReconstruction::unload() {
    m_loaded = false;
    m_view.visible = false;
    // The form may be the caller (its close box): it goes once its event is handled.
    if (DcReconstructionForm* form = m_form) {
        m_form = nullptr;
        form->hide();
        form->deleteLater();
    }
    emit changed();
}

} // namespace pxu
