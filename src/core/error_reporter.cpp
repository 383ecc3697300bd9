#include "error_reporter.h"

#include "desktop.h"
#include "dialog_service.h"
#include "error_reporter_form.h"
#include "program_info.h"

#include "platform/clock/clock.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>

namespace pxu {

namespace {

constexpr int kCallStackDepth = 40;

QString placeOf(const std::source_location& where) {
    if (where.line() == 0)
        return QStringLiteral("0");
    return QFileInfo(QString::fromUtf8(where.file_name())).fileName() + QLatin1Char(':') +
           QString::number(where.line());
}

QString failureText(const Failure& failure) {
    return QString::number(failure.number) + QStringLiteral(" (") + failure.description +
           QLatin1Char(')');
}

void box(BoxIcon icon, BoxButtons buttons, const QString& text, BoxAnswer* answer = nullptr) {
    BoxRequest request;
    request.icon = icon;
    request.buttons = buttons;
    request.title = programTitle();
    request.text = text;
    const BoxAnswer a = dialogs().messageBox(request);
    if (answer)
        *answer = a;
}

std::unique_ptr<QPrinter> defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info);
}

} // namespace

ErrPtnr::ErrPtnr(QObject* parent)
    : QObject(parent)
    , m_systemInfo(currentSystemInfo()) {
    setErrorHandler(this);
}

ErrPtnr::~ErrPtnr() {
    if (&errorHandler() == this)
        setErrorHandler(nullptr);
    if (m_form && QCoreApplication::instance())
        delete m_form.data();
}

ErrorReporterForm& ErrPtnr::form() {
    if (!m_form) {
        m_form = new ErrorReporterForm; // deleted with the reporter
        for (int i = 0; i < 4; ++i) {
            connect(m_form->cmdContinue[i], &QPushButton::clicked, this,
                    [this, i] { cmdContinue_Click(i); });
            connect(m_form->cmdProtocol[i], &QPushButton::clicked, this,
                    [this, i] { cmdProtocol_Click(i); });
        }
    }
    return *m_form;
}

ErrorAction ErrPtnr::OnError(const QString& objectName, const QString& procedureName,
                             const Failure& failure, int choicesMask) {
    const QString place = placeOf(failure.where);
    if (m_showing) {
        // A timer runs on under the reporter's modal loop: its failure joins the report.
        const QString further = failureText(failure) + QStringLiteral(" in ") + objectName +
                                QLatin1Char('.') + procedureName + QStringLiteral(" at ") + place;
        qWarning().noquote() << "failure while the error reporter is shown:" << further;
        m_furtherFailures << further;
        return ErrorAction::Continue;
    }

    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // No windows in this process: the failure can only be logged.
        qWarning().noquote() << objectName + QLatin1Char('.') + procedureName +
                                    QLatin1String(": ") + failureText(failure) +
                                    QLatin1String(" at ") + place;
        return ErrorAction::Continue;
    }

    ErrorReporterForm& f = form();
    f.lblError[0]->setText(failureText(failure));
    f.lblError[1]->setText(objectName);
    f.lblError[2]->setText(procedureName);
    f.lblError[3]->setText(place);
    m_when = clock().currentDateTime();
    m_furtherFailures.clear();
    if (m_progInfo.isEmpty()) {
        const ProgramVersion v = programVersion();
        m_progInfo = programBaseName() + QStringLiteral("  V") + QString::number(v.major) +
                     QLatin1Char('.') + QString::number(v.minor) + QLatin1Char('.') +
                     QString::number(v.revision);
    }
    f.setWindowTitle(m_progInfo + QStringLiteral(" - Failure Information"));
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    fillCallStackList();
    f.showFailureWindow(choicesMask);
    QApplication::beep();

    ErrorReportRequest request;
    request.caption = f.windowTitle();
    for (int i = 0; i < 4; ++i) {
        request.titles << f.lblErrTitel[i]->text();
        request.values << f.lblError[i]->text();
    }
    for (int i = 0; i < 4; ++i) {
        if (!f.cmdContinue[i]->isHidden())
            request.decisions << ErrorAction(i);
    }
    request.failureLog = buildFailureLog();

    m_showing = true;
    f.setWindowModality(Qt::ApplicationModal);
    f.show();
    m_action = dialogs().errorReport(f, request);
    m_showing = false;
    if (m_form)
        m_form->hide();
    return m_action;
}

void ErrPtnr::cmdContinue_Click(int index) {
    m_action = ErrorAction(index);
    if (m_form)
        m_form->done(index + 1);
}

void ErrPtnr::cmdProtocol_Click(int index) {
    const QString log = buildFailureLog();
    switch (index) {
    case 0:
        print();
        break;
    case 1:
        save();
        break;
    case 2:
        box(BoxIcon::Information, BoxButtons::Ok,
            QStringLiteral("Now your standard-eMail-program is started. The failure description "
                           "as well as\r\nthe failure-log has been copied into the clipboard.\r\n"
                           "\r\nPlease paste the clipboard-content into the eMail (keys [cntrl] "
                           "and [insert]."));
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(log);
        handOn(QUrl(QStringLiteral("mailto:") + m_supportAddress.trimmed()));
        break;
    case 3:
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(log);
        handOn(QUrl(m_webPage.trimmed()));
        break;
    default:
        break;
    }
}

void ErrPtnr::handOn(const QUrl& url) {
    if (!openUrl(url))
        qWarning().noquote() << "the desktop could not open" << url.toString();
}

void ErrPtnr::print() {
    // A failure here must not end the program: it is told and the reporter stays up.
    std::unique_ptr<QPrinter> printer = m_printerSource ? m_printerSource() : defaultPrinter();
    if (!printer) {
        box(BoxIcon::Critical, BoxButtons::Ok,
            QStringLiteral("No printer is installed: the failure-log could not be printed."));
        return;
    }
    if (!printFailureLog(buildFailureLog(), *printer)) {
        box(BoxIcon::Critical, BoxButtons::Ok,
            QStringLiteral("The failure-log could not be printed."));
    }
}

QString ErrPtnr::failureLogFile() {
    return QDir(programFolder()).filePath(programBaseName() + QStringLiteral(".ERR"));
}

void ErrPtnr::save() {
    const QString path = failureLogFile();
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path)) {
        BoxAnswer answer = BoxAnswer::No;
        box(BoxIcon::Question, BoxButtons::YesNo,
            QStringLiteral("Overwrite existing file '") + shown + QStringLiteral("' ?"), &answer);
        if (answer != BoxAnswer::Yes)
            return;
    }
    QSaveFile file(path);
    const QByteArray bytes = buildFailureLog().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        box(BoxIcon::Critical, BoxButtons::Ok,
            QStringLiteral("The failure-log could not be written into file '") + shown +
                QStringLiteral("' !\r\n") + file.errorString());
        return;
    }
    box(BoxIcon::Information, BoxButtons::Ok,
        QStringLiteral("The failure-log has been written into file '") + shown +
            QStringLiteral("' !"));
}

QString ErrPtnr::buildFailureLog() const {
    FailureLogContent content;
    if (m_form) {
        content.caption = m_form->windowTitle();
        for (int i = 0; i < 4; ++i) {
            content.titles << m_form->lblErrTitel[i]->text();
            content.values << m_form->lblError[i]->text();
        }
        for (int i = 0; i < m_form->lstCallStack->count(); ++i)
            content.callStack << m_form->lstCallStack->item(i)->text();
    }
    content.when = m_when.isValid() ? m_when : clock().currentDateTime();
    content.furtherFailures = m_furtherFailures;
    content.system = m_systemInfo;
    return pxu::buildFailureLog(content);
}

void ErrPtnr::fillCallStackList() {
    ErrorReporterForm& f = form();
    f.lstCallStack->clear();
    f.lstCallStack->addItems(m_callStack);
}

void ErrPtnr::pushCallStack(const QString& entry) {
    m_callStack.prepend(entry);
    while (m_callStack.size() > kCallStackDepth)
        m_callStack.removeLast();
}

void ErrPtnr::CallStack(const QString& procedureName) {
    pushCallStack(procedureName + QLatin1Char(' ') +
                  clock().currentDateTime().toString(QStringLiteral("HH:mm:ss")));
}

void ErrPtnr::CallStackParam(const QString& name, const QVariant& value) {
    QString text;
    if (!value.isValid()) {
        text = QStringLiteral("[EMPTY]");
    } else if (value.metaType().id() == QMetaType::Nullptr) {
        text = QStringLiteral("[NULL]");
    } else if (value.canConvert<QObject*>() &&
               (value.metaType().flags() & QMetaType::PointerToQObject)) {
        const QObject* object = value.value<QObject*>();
        text = object
                   ? QStringLiteral("[OBJECT:") +
                         QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(']')
                   : QStringLiteral("[NOTHING]");
    } else if (value.metaType().id() == QMetaType::QVariantList ||
               value.metaType().id() == QMetaType::QStringList ||
               value.metaType().id() == QMetaType::QByteArray) {
        text = QStringLiteral("[ARRAY]");
    } else {
        text = value.toString();
    }
    pushCallStack(QLatin1Char('\t') + name + QStringLiteral(":\t") + text);
}

} // namespace pxu
