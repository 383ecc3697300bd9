#pragma once

#include "core/dialog_service.h"

#include <QList>
#include <deque>
#include <functional>

namespace pxu::test {

// Answers the program's boxes and modal windows from a script and records every one shown.
// Installed for its lifetime. Without a scripted answer a box gets its default button, a
// message window its first button, the error reporter "&Continue", the folder and file
// choosers Cancel.
class ScriptedDialogs : public DialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(BoxAnswer next) { m_answers.push_back(next); }
    void answerWindow(WindowAnswer next) { m_windowAnswers.push_back(next); }
    void answerError(ErrorAction next) { m_errorAnswers.push_back(next); }
    // A folder chosen with OK, or nothing for Cancel.
    void answerFolder(std::optional<QString> next) { m_folderAnswers.push_back(std::move(next)); }
    // A file chosen with Open, or nothing for Cancel.
    void answerFile(std::optional<QString> next) { m_fileAnswers.push_back(std::move(next)); }
    // Runs while the next box or modal window is up, before it is answered.
    void whileShown(std::function<void()> action) { m_during.push_back(std::move(action)); }

    BoxAnswer messageBox(const BoxRequest& request) override;
    WindowAnswer messageWindow(QDialog& window, const MessageWindowRequest& request) override;
    ErrorAction errorReport(QDialog& window, const ErrorReportRequest& request) override;
    std::optional<QString> chooseFolder(QWidget* parent, const FolderRequest& request) override;
    std::optional<QString> chooseFile(QWidget* parent, const FileRequest& request) override;
    // Modal windows finish at once with result 0, after whileShown ran.
    int modalWindow(QDialog& window, const QString& name) override;

    const QList<BoxRequest>& shown() const { return m_shown; }
    QStringList texts() const;
    const QList<MessageWindowRequest>& windows() const { return m_windows; }
    const QList<ErrorReportRequest>& errorReports() const { return m_errorReports; }
    const QList<FolderRequest>& folderRequests() const { return m_folderRequests; }
    const QList<FileRequest>& fileRequests() const { return m_fileRequests; }
    const QStringList& modalWindows() const { return m_modalWindows; }
    void clear();

private:
    void runDuring();

    DialogService* m_previous; // put back when these go
    std::deque<BoxAnswer> m_answers;
    std::deque<WindowAnswer> m_windowAnswers;
    std::deque<ErrorAction> m_errorAnswers;
    std::deque<std::optional<QString>> m_folderAnswers;
    std::deque<std::optional<QString>> m_fileAnswers;
    std::deque<std::function<void()>> m_during;
    QList<BoxRequest> m_shown;
    QList<MessageWindowRequest> m_windows;
    QList<ErrorReportRequest> m_errorReports;
    QList<FolderRequest> m_folderRequests;
    QList<FileRequest> m_fileRequests;
    QStringList m_modalWindows;
};

} // namespace pxu::test
