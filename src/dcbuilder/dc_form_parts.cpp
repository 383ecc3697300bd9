#include "dc_form_parts.h"

#include "core/form_support.h"
#include "core/message_list_view.h"
#include "core/refresh_throttle.h"

#include <QFontDatabase>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace pxu {

namespace {

// A banner: 82 dashes, a blank and the date and time.
constexpr int kBannerChars = 82 + 24;
constexpr int kBarSteps = 1000;

} // namespace

MessageListView* makeLogListView(MessageList& messages) {
    auto* list =
        named(new MessageListView(messages, MessageListView::CurrentLine::Selected), "lstMessage");
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setFamilies({QStringLiteral("Courier New"),
                         QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    list->setFont(courier);
    list->setMinimumWidthFor(QString(kBannerChars, u'-'));
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

RefreshThrottle* followProgress(QProgressBar& bar, std::function<double()> progress) {
    return new RefreshThrottle([&bar, progress] { showProgress(bar, progress()); }, &bar);
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
