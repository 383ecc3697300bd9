#pragma once

#include "error_boundary.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace pxu {

enum class BoxIcon { None, Question, Information, Warning, Critical };
// The button sets of the platform's message box, by their values.
enum class BoxButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class BoxAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct BoxRequest {
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    int defaultButton = 0; // index into the button set
    QString title;
    QString text;
    bool helpButton = false;
};

// How a modal message window closed. None: the program closed it (its auto-close timer,
// the next message); Close: the window's close box.
enum class WindowAnswer { None = 0, Ok, Cancel, Yes, No, Close };

// A message window shown modally (frmMessage2).
struct MessageWindowRequest {
    int kind = 0; // MessageKind
    QString title;
    QString text;
    QString yesCaption;
    QString noCaption;
    QList<WindowAnswer> buttons; // the buttons shown, left to right
};

// The error reporter's window shown for one failure.
struct ErrorReportRequest {
    QString caption;
    QStringList titles;           // "Failure-No:", "Module:", ...
    QStringList values;           // beside the titles
    QList<ErrorAction> decisions; // the decision buttons shown
    QString failureLog;
};

struct FolderRequest {
    QString caption;
    QString startDir;
};

// The file dialog, choosing an existing file to open.
struct FileRequest {
    QString caption;
    QString startDir;
    QString filter;        // name filters as Qt writes them: "Text (*.txt)"
    QString defaultSuffix; // added to a typed name without one
};

// Every modal question and box of the program goes through here, so tests script answers.
// The program's own modal windows are shown by their owners before they get here; the
// service waits for the user's answer (the real one) or gives a scripted one.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual BoxAnswer messageBox(const BoxRequest& request) = 0;
    // Waits until the shown window finishes; its result is the WindowAnswer.
    virtual WindowAnswer messageWindow(QDialog& window, const MessageWindowRequest& request);
    // Waits until the shown reporter finishes; its result is the ErrorAction + 1.
    virtual ErrorAction errorReport(QDialog& window, const ErrorReportRequest& request);
    // The folder chosen, or nothing on Cancel.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const FolderRequest& request);
    // The existing file chosen, or nothing on Cancel.
    virtual std::optional<QString> chooseFile(QWidget* parent, const FileRequest& request);
    // Waits until a shown modal window of the program (named by its object name) finishes;
    // its result.
    virtual int modalWindow(QDialog& window, const QString& name);
};

DialogService& dialogs();
// Installs a dialog service; nullptr restores the one on real windows. The one installed
// before, so that a nested installer can put it back.
DialogService* setDialogs(DialogService* service);

// The answer a box gives when its default button is pressed.
BoxAnswer defaultAnswer(const BoxRequest& request);

// Runs a nested event loop until the shown dialog finishes or is deleted; its result, or 0.
int waitUntilFinished(QDialog& window);

} // namespace pxu
