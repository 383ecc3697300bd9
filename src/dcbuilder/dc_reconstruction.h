#pragma once

#include "core/file_write_failure.h"
#include "core/message_list.h"
#include "dcdatabase/message_sink.h"

#include <QObject>
#include <QPointer>

namespace pxu {

class DcReconstructionForm;

// What the reconstruction window shows besides its message list.
struct DcReconstructionView {
    bool visible = false;
    QString fileDirectory; // txtFileDirectory: the upload folder
    QString documentation = QStringLiteral("\r\n\r\n   PXU_Data.S19"); // txtDocumentation
    QString resultName;             // txtReconstructDCResult, inside the upload folder
    bool reconstructEnabled = true; // cmdReconstructDC
    double progress = 0;            // prgProgress, 0 to 1
};

// The reconstruction (frmDcReconstruction): turns the data container uploaded from the
// spare ("PXU_DATA.S19" in the upload folder) back into a data-container database. It
// reads the image into a copy of the template of the image's build (bytes 68 to 71, packed
// BCD), checks that the hull number found in it is the project's, and keeps the result
// under the name the user chose in the upload folder. Any failure ends the job with a line
// saying why and keeps no result. It is the message sink of its job; the form only shows
// what this class holds, so tests drive it without one.
class DcReconstruction : public QObject, public dc::MessageSink {
    Q_OBJECT
public:
    explicit DcReconstruction(QObject* parent = nullptr);
    ~DcReconstruction() override;

    // Prepares the window (upload folder, result name, whether an upload and templates are
    // there) and shows it.
    void g_show();
    // Message sink.
    void addMessage(const QString& text) override;
    void updateProgress(double value, bool relative = false) override;

    // Events of the window.
    void setResultName(const QString& name); // typed into txtReconstructDCResult
    void cmdReconstructDC_Click();
    void cmdExit_Click() { unload(); }
    void unload();

    // The hull number stored in a data-container database; empty when it cannot be read.
    QString getHullNo(const QString& database);

    bool isLoaded() const { return m_loaded; }
    const DcReconstructionView& view() const { return m_view; }
    MessageList& messages() { return m_messages; } // lstMessage
    DcReconstructionForm* form() const;

signals:
    void changed();
    // Of the view only the progress changed.
    void progressChanged();

private:
    void reconstructDC();
    // The steps from the upload to the result file; false (with its lines) on a failure.
    bool reconstructInto(const QString& result);
    // A file the job cannot write ends it with a line and one box that say which and why.
    bool cannotWrite(const FileWriteFailure& failure);

    DcReconstructionView m_view;
    MessageList m_messages;
    QString m_upload; // the uploaded image's path
    bool m_loaded = false;
    QPointer<DcReconstructionForm> m_form;
};

} // namespace pxu
