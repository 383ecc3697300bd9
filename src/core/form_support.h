#pragma once

#include <QRect>
#include <QString>

class QLineEdit;
class QWidget;

namespace pxu {

// Window layouts are kept in twips as they were designed: 15 twips to a pixel.
constexpr int twips(int t) {
    return (t + 7) / 15;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
// Designed window heights include the title bar and borders; this much is not client area.
constexpr int kWindowFrameTwips = 410;

// A text built with CR LF line ends as Qt's controls break it: at LF alone.
QString displayText(QString text);

// The top-level window of that object name, if any.
QWidget* topLevelWindow(const QString& objectName);
// Gives the window the main window's (frmMain) icon when there is a main window.
void takeMainWindowIcon(QWidget& window);
// Windows can be shown (a QApplication runs, not a QCoreApplication).
bool widgetsAvailable();

// The control, given the name the window's code knows it by.
template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}
// Every scroll bar of the program with a handle darker than its groove. The platform style
// draws the handle lighter, so on a list little longer than its view the grey groove reads
// as the handle and the bar seems to run backwards.
void useClearScrollBars();
// The hourglass pointer for as long as it lives, where windows can be shown.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_set = false;
};

// Sets the text unless the box shows it already, so that the cursor stays where it is.
void setIfChanged(QLineEdit* edit, const QString& text);

} // namespace pxu
