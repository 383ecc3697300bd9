#include "scripted_dialogs.h"

namespace pxu::test {

namespace {
template <class T> std::optional<T> next(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

// A chooser's scripted answer: a file or folder, or Cancel (also when none is scripted).
std::optional<QString> nextChoice(std::deque<std::optional<QString>>& queue) {
    return next(queue).value_or(std::nullopt);
}
} // namespace

ScriptedDialogs::ScriptedDialogs()
    : m_previous(setDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(m_previous);
}

void ScriptedDialogs::runDuring() {
    if (auto action = next(m_during))
        (*action)();
}

BoxAnswer ScriptedDialogs::messageBox(const BoxRequest& request) {
    m_shown << request;
    runDuring();
    return next(m_answers).value_or(defaultAnswer(request));
}

WindowAnswer ScriptedDialogs::messageWindow(QDialog&, const MessageWindowRequest& request) {
    m_windows << request;
    runDuring();
    const WindowAnswer fallback =
        request.buttons.isEmpty() ? WindowAnswer::None : request.buttons.constFirst();
    return next(m_windowAnswers).value_or(fallback);
}

ErrorAction ScriptedDialogs::errorReport(QDialog&, const ErrorReportRequest& request) {
    m_errorReports << request;
    runDuring();
    return next(m_errorAnswers).value_or(ErrorAction::Continue);
}

std::optional<QString> ScriptedDialogs::chooseFolder(QWidget*, const FolderRequest& request) {
    m_folderRequests << request;
    runDuring();
    return nextChoice(m_folderAnswers);
}

std::optional<QString> ScriptedDialogs::chooseFile(QWidget*, const FileRequest& request) {
    m_fileRequests << request;
    runDuring();
    return nextChoice(m_fileAnswers);
}

int ScriptedDialogs::modalWindow(QDialog&, const QString& name) {
    m_modalWindows << name;
    runDuring();
    return 0;
}

QStringList ScriptedDialogs::texts() const {
    QStringList result;
    for (const BoxRequest& r : m_shown)
        result << r.text;
    return result;
}

void ScriptedDialogs::clear() {
    m_shown.clear();
    m_windows.clear();
    m_errorReports.clear();
    m_folderRequests.clear();
    m_fileRequests.clear();
    m_modalWindows.clear();
}

} // namespace pxu::test
