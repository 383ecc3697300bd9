#include "dialog_service.h"

#include "form_support.h"

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

namespace pxu {

namespace {

std::vector<BoxAnswer> answersOf(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::Ok:
        return {BoxAnswer::Ok};
    case BoxButtons::OkCancel:
        return {BoxAnswer::Ok, BoxAnswer::Cancel};
    case BoxButtons::AbortRetryIgnore:
        return {BoxAnswer::Abort, BoxAnswer::Retry, BoxAnswer::Ignore};
    case BoxButtons::YesNoCancel:
        return {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::Cancel};
    case BoxButtons::YesNo:
        return {BoxAnswer::Yes, BoxAnswer::No};
    case BoxButtons::RetryCancel:
        return {BoxAnswer::Retry, BoxAnswer::Cancel};
    }
    return {BoxAnswer::Ok};
}

QMessageBox::StandardButton standardButton(BoxAnswer answer) {
    switch (answer) {
    case BoxAnswer::Ok:
        return QMessageBox::Ok;
    case BoxAnswer::Cancel:
        return QMessageBox::Cancel;
    case BoxAnswer::Abort:
        return QMessageBox::Abort;
    case BoxAnswer::Retry:
        return QMessageBox::Retry;
    case BoxAnswer::Ignore:
        return QMessageBox::Ignore;
    case BoxAnswer::Yes:
        return QMessageBox::Yes;
    case BoxAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// The platform's message box on Qt's QMessageBox.
class WindowDialogs : public DialogService {
public:
    BoxAnswer messageBox(const BoxRequest& request) override {
        QMessageBox box(QApplication::activeWindow());
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Question,
                                                  QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical};
        box.setIcon(icons[int(request.icon)]);
        box.setWindowTitle(request.title);
        box.setText(displayText(request.text));
        const auto answers = answersOf(request.buttons);
        std::vector<std::pair<QAbstractButton*, BoxAnswer>> buttons;
        for (BoxAnswer a : answers)
            buttons.emplace_back(box.addButton(standardButton(a)), a);
        if (request.helpButton)
            box.addButton(QMessageBox::Help);
        const auto def = std::clamp<std::size_t>(std::size_t(std::max(request.defaultButton, 0)), 0,
                                                 buttons.size() - 1);
        box.setDefaultButton(static_cast<QPushButton*>(buttons[def].first));
        box.exec();
        for (const auto& [button, answer] : buttons) {
            if (box.clickedButton() == button)
                return answer;
        }
        // Closed by the window's close box: the escape answer.
        return answers.size() == 1 ? answers.front() : answers.back();
    }
};

// While the program ends, boxes are not shown: each gets its default answer.
class QuietDialogs : public DialogService {
public:
    BoxAnswer messageBox(const BoxRequest& request) override {
        qWarning().noquote()
            << QStringLiteral("(not shown while ending) %1: %2").arg(request.title, request.text);
        return defaultAnswer(request);
    }
    WindowAnswer messageWindow(QDialog&, const MessageWindowRequest&) override {
        return WindowAnswer::None;
    }
    ErrorAction errorReport(QDialog&, const ErrorReportRequest&) override {
        return ErrorAction::Continue;
    }
    std::optional<QString> chooseFolder(QWidget*, const FolderRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseFile(QWidget*, const FileRequest&) override {
        return std::nullopt;
    }
    int modalWindow(QDialog&, const QString&) override { return 0; }
};

DialogService* g_installed = nullptr;

} // namespace

WindowAnswer DialogService::messageWindow(QDialog& window, const MessageWindowRequest&) {
    return WindowAnswer(waitUntilFinished(window));
}

ErrorAction DialogService::errorReport(QDialog& window, const ErrorReportRequest&) {
    const int result = waitUntilFinished(window);
    return result > 0 ? ErrorAction(result - 1) : ErrorAction::Continue;
}

std::optional<QString> DialogService::chooseFolder(QWidget* parent, const FolderRequest& request) {
    // QFileDialog::getExistingDirectory's dialog, kept above all other windows.
    QFileDialog dialog(parent, request.caption, request.startDir);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> DialogService::chooseFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.caption, request.startDir, request.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

int DialogService::modalWindow(QDialog& window, const QString&) {
    return waitUntilFinished(window);
}

int waitUntilFinished(QDialog& window) {
    QPointer<QDialog> guard(&window);
    if (!window.isVisible())
        return window.result();
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(&window, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    return guard ? guard->result() : 0;
}

DialogService& dialogs() {
    static WindowDialogs windows;
    static QuietDialogs quiet;
    if (programEnding())
        return quiet;
    return g_installed ? *g_installed : windows;
}

DialogService* setDialogs(DialogService* service) {
    return std::exchange(g_installed, service);
}

BoxAnswer defaultAnswer(const BoxRequest& request) {
    const auto answers = answersOf(request.buttons);
    const auto index = std::size_t(std::max(request.defaultButton, 0));
    return answers[std::min(index, answers.size() - 1)];
}

} // namespace pxu
