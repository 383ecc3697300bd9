#include "form_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

namespace pxu {

QString displayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool widgetsAvailable() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void setIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text)
        edit->setText(text);
}

QWidget* topLevelWindow(const QString& objectName) {
    if (!widgetsAvailable())
        return nullptr;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

void takeMainWindowIcon(QWidget& window) {
    if (QWidget* main = topLevelWindow(QStringLiteral("frmMain")))
        window.setWindowIcon(main->windowIcon());
}

} // namespace pxu
