#include "form_support.h"

#include <QApplication>
#include <QGuiApplication>
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

BusyCursor::BusyCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_set = true;
    }
}

BusyCursor::~BusyCursor() {
    if (m_set)
        QGuiApplication::restoreOverrideCursor();
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

void useClearScrollBars() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    app->setStyleSheet(QStringLiteral(
        "QScrollBar { background: #e6e6e6; border: none; }"
        "QScrollBar:vertical { width: 15px; } QScrollBar:horizontal { height: 15px; }"
        "QScrollBar::handle { background: #8c8c8c; border-radius: 3px; margin: 2px; }"
        "QScrollBar::handle:hover { background: #707070; }"
        "QScrollBar::handle:vertical { min-height: 24px; }"
        "QScrollBar::handle:horizontal { min-width: 24px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
}

void takeMainWindowIcon(QWidget& window) {
    if (QWidget* main = topLevelWindow(QStringLiteral("frmMain")))
        window.setWindowIcon(main->windowIcon());
}

} // namespace pxu
