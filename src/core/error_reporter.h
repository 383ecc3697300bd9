#pragma once

#include "error_boundary.h"
#include "failure_log.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <memory>

class QPrinter;

namespace pxu {

class ErrorReporterForm;

// The error reporter: shows an unexpected failure modally, lets the user print, save or
// mail its failure log, and returns the user's decision. Constructing it installs it as
// the program's error handler (guarded() hands it every failure); one per program.
class ErrPtnr : public QObject, public ErrorHandler {
    Q_OBJECT
public:
    explicit ErrPtnr(QObject* parent = nullptr);
    ~ErrPtnr() override;

    // The handler of guarded(): all choices.
    ErrorAction onError(const QString& object, const QString& procedure,
                        const Failure& failure) override {
        return OnError(object, procedure, failure, 255);
    }
    // choicesMask: 2 offers "&Continue", 8 "&Exit program".
    ErrorAction OnError(const QString& objectName, const QString& procedureName,
                        const Failure& failure, int choicesMask);
    void SetProgInfo(const QString& text) { m_progInfo = text; }
    void CallStack(const QString& procedureName);
    void CallStackParam(const QString& name, const QVariant& value);

    // The window's buttons.
    void cmdContinue_Click(int index);
    void cmdProtocol_Click(int index);

    QString buildFailureLog() const;
    // The failure log file "&Save" writes: beside the program, named after it, ".ERR".
    static QString failureLogFile();

    // Where "&EMail" and "&WWW" lead.
    void setSupportAddress(const QString& address) { m_supportAddress = address; }
    void setWebPage(const QString& url) { m_webPage = url; }
    // The platform the log tells (the running one unless set).
    void setSystemInfo(const SystemInfo& info) { m_systemInfo = info; }
    // The printer "&Print" uses: the default printer unless set; none when it gives null.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterSource(PrinterSource source) { m_printerSource = std::move(source); }

    ErrorReporterForm* window() const { return m_form; }
    ErrorAction action() const { return m_action; }

private:
    ErrorReporterForm& form();
    void fillCallStackList();
    void print();
    void save();
    void handOn(const QUrl& url);
    void pushCallStack(const QString& entry);

    QString m_progInfo;
    ErrorAction m_action = ErrorAction::Repeat;
    QStringList m_callStack; // newest first
    QDateTime m_when;
    QStringList m_furtherFailures;
    bool m_showing = false;
    QString m_supportAddress;
    QString m_webPage;
    SystemInfo m_systemInfo;
    PrinterSource m_printerSource;
    QPointer<ErrorReporterForm> m_form;
};

} // namespace pxu
