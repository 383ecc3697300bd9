#include "dc_form_parts.h"

#include "core/form_support.h"
#include "mainwindow/message_list.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

namespace pxu {

namespace {

// A banner: 82 dashes, a blank and the date and time.
constexpr int kBannerChars = 82 + 24;
constexpr int kBarSteps = 1000;

} // namespace

QListView* makeLogListView(MessageList& messages) {
    auto* list = named(new QListView, "lstMessage");
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

QProgressBar* makeProgressBar() {
    auto* bar = named(new QProgressBar, "prgProgress");
    bar->setRange(0, kBarSteps);
    bar->setTextVisible(false);
    return bar;
}

void showProgress(QProgressBar& bar, double progress) {
    bar.setValue(int(progress * kBarSteps + 0.5));
}

QLabel* makeDocumentation(const char* name) {
    auto* label = named(new QLabel, name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* makeJobButton(const QString& caption, const char* name) {
    auto* button = named(new QPushButton(caption), name);
    button->setMinimumWidth(160);
    return button;
}

} // namespace pxu
