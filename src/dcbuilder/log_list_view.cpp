#include "log_list_view.h"

#include "core/form_support.h"
#include "mainwindow/message_list.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QListView>
#include <QScrollBar>

namespace pxu {

namespace {

// A banner: 82 dashes, a blank and the date and time.
constexpr int kBannerChars = 82 + 24;

} // namespace

QListView* makeLogListView(MessageList& messages) {
    auto* list = named(new QListView, "lstMessage");
    showScrollThumbClearly(*list);
    list->setModel(&messages.model());
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setFamilies({QStringLiteral("Courier New"),
                         QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    list->setFont(courier);
    list->setMinimumWidth(
        QFontMetrics(list->font()).horizontalAdvance(QString(kBannerChars, u'-')) +
        list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth() + 8);
    return list;
}

} // namespace pxu
