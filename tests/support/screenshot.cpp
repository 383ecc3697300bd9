#include "screenshot.h"

#include "core/form_support.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace pxu::test {

QString saveScreenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("PXU_TEST_OUTPUT", QDir::tempPath());
    if (!QDir().mkpath(folder))
        return {};
    // Scroll bars as the program draws them.
    if (qApp->styleSheet().isEmpty())
        useClearScrollBars();
    QCoreApplication::sendPostedEvents(); // pending layouts
    const QPixmap client = window.grab();
    // Offscreen windows have no frame: a plain title bar shows the caption.
    const int bar = window.fontMetrics().height() + 10;
    QPixmap picture(client.width(), client.height() + bar);
    picture.fill(window.palette().color(QPalette::Dark));
    QPainter painter(&picture);
    painter.setPen(window.palette().color(QPalette::BrightText));
    painter.drawText(QRect(8, 0, client.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
                     window.windowTitle());
    painter.drawPixmap(0, bar, client);
    painter.end();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return picture.save(path, "PNG") ? path : QString();
}

} // namespace pxu::test
