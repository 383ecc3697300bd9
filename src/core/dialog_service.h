#pragma once

#include <QString>

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

// Every modal question and box of the program goes through here, so tests script answers.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual BoxAnswer messageBox(const BoxRequest& request) = 0;
};

DialogService& dialogs();
// Installs a dialog service; nullptr restores the one on real windows.
void setDialogs(DialogService* service);

// The answer a box gives when its default button is pressed.
BoxAnswer defaultAnswer(const BoxRequest& request);

} // namespace pxu
