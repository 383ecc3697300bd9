#include "message_list_view.h"

#include "message_list.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace pxu {

MessageListView::MessageListView(MessageList& messages, CurrentLine current, QWidget* parent)
    : QAbstractItemView(parent)
    , m_current(current) {
    setModel(&messages);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    measureFont();
    connect(&messages, &MessageList::linesShown, this, &MessageListView::showNewestLine);
    showNewestLine();
}

int MessageListView::rows() const {
    // A window closed by its owner may outlive the list for a moment.
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QString MessageListView::line(int row) const {
    return model()->index(row, 0, rootIndex()).data().toString();
}

int MessageListView::lineWidth(const QString& line) const {
    return fontMetrics().horizontalAdvance(line) + 2 * m_margin;
}

int MessageListView::widthShowing(const QString& line) const {
    QStyleOption option;
    option.initFrom(this);
    int bar = verticalScrollBar()->sizeHint().width();
    if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, &option, this))
        bar += style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, &option, this);
    return lineWidth(line) + bar + 2 * frameWidth();
}

void MessageListView::setMinimumWidthFor(const QString& line) {
    m_widthLine = line;
    setMinimumWidth(widthShowing(line));
}

QRect MessageListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid())
        return {};
    return {-horizontalOffset(), index.row() * m_rowHeight - verticalOffset(),
            std::max(m_contentWidth, viewport()->width()), m_rowHeight};
}

void MessageListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid())
        return;
    const int top = index.row() * m_rowHeight;
    const int height = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    int value = bar->value();
    switch (hint) {
    case PositionAtTop:
        value = top;
        break;
    case PositionAtBottom:
        value = top + m_rowHeight - height;
        break;
    case PositionAtCenter:
        value = top - (height - m_rowHeight) / 2;
        break;
    case EnsureVisible:
        if (top < value)
            value = top;
        else if (top + m_rowHeight > value + height)
            value = top + m_rowHeight - height;
        break;
    }
    bar->setValue(value);
}

int MessageListView::rowAt(int y) const {
    const int content = y + verticalOffset();
    return content < 0 ? -1 : content / m_rowHeight;
}

QModelIndex MessageListView::indexAt(const QPoint& point) const {
    const int row = rowAt(point.y());
    if (row < 0 || row >= rows())
        return {};
    return model()->index(row, 0, rootIndex());
}

QModelIndex MessageListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int count = rows();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : 0;
    const int page = std::max(1, viewport()->height() / m_rowHeight);
    switch (action) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        // Sideways is where the rest of a long line is.
        horizontalScrollBar()->triggerAction(action == MoveLeft
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
        return current;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

int MessageListView::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int MessageListView::verticalOffset() const {
    return verticalScrollBar()->value();
}

void MessageListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    if (!selectionModel())
        return;
    const QRect area = rect.normalized();
    const int first = std::max(0, rowAt(area.top()));
    const int last = std::min(rows() - 1, rowAt(area.bottom()));
    QItemSelection selection;
    if (first <= last)
        selection.select(model()->index(first, 0, rootIndex()),
                         model()->index(last, 0, rootIndex()));
    selectionModel()->select(selection, flags);
}

QRegion MessageListView::visualRegionForSelection(const QItemSelection& selection) const {
    const int firstShown = std::max(0, rowAt(0));
    const int lastShown = rowAt(viewport()->height());
    const int width = std::max(m_contentWidth, viewport()->width());
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const int top = std::max(range.top(), firstShown);
        const int bottom = std::min(range.bottom(), lastShown);
        if (top <= bottom)
            region += QRect(-horizontalOffset(), top * m_rowHeight - verticalOffset(), width,
                            (bottom - top + 1) * m_rowHeight);
    }
    return region;
}

void MessageListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int count = rows();
    const int first = std::max(0, rowAt(event->rect().top()));
    const int last = std::min(count - 1, rowAt(event->rect().bottom()));
    const int width = std::max(m_contentWidth, viewport()->width());
    const QPalette::ColorGroup group = !isEnabled()       ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    const QModelIndex current = currentIndex();
    for (int row = first; row <= last; ++row) {
        const QRect rect(-horizontalOffset(), row * m_rowHeight - verticalOffset(), width,
                         m_rowHeight);
        const bool selected = selectionModel()->isSelected(model()->index(row, 0, rootIndex()));
        if (selected)
            painter.fillRect(rect, palette().brush(group, QPalette::Highlight));
        painter.setPen(
            palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(rect.adjusted(m_margin, 0, -m_margin, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line(row));
        if (row == current.row() && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect;
            focus.backgroundColor =
                palette().color(group, selected ? QPalette::Highlight : QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void MessageListView::updateGeometries() {
    const int count = rows();
    QScrollBar* down = verticalScrollBar();
    // A list that shows its end keeps showing it when it grows or gets shorter.
    const bool atEnd = down->value() >= down->maximum();
    down->setSingleStep(m_rowHeight);
    down->setPageStep(viewport()->height());
    down->setRange(0, std::max(0, count * m_rowHeight - viewport()->height()));
    if (atEnd)
        down->setValue(down->maximum());
    QScrollBar* across = horizontalScrollBar();
    across->setSingleStep(4 * std::max(1, fontMetrics().averageCharWidth()));
    across->setPageStep(viewport()->width());
    across->setRange(0, std::max(0, m_contentWidth - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void MessageListView::changeEvent(QEvent* event) {
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        measureFont();
}

void MessageListView::rowsInserted(const QModelIndex& parent, int first, int last) {
    QAbstractItemView::rowsInserted(parent, first, last);
    widenFor(first, last);
    updateGeometries();
    viewport()->update();
}

void MessageListView::reset() {
    QAbstractItemView::reset();
    m_contentWidth = 0;
    updateGeometries();
}

void MessageListView::showNewestLine() {
    const int count = rows();
    if (count > 0) {
        const QModelIndex newest = model()->index(count - 1, 0, rootIndex());
        if (m_current == CurrentLine::Selected) {
            setCurrentIndex(newest);
        } else {
            selectionModel()->setCurrentIndex(newest, QItemSelectionModel::NoUpdate);
            clearSelection();
        }
        scrollTo(newest);
    }
    repaint();
}

void MessageListView::measureFont() {
    // The rows of a list of text items in this style.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Xg");
    m_rowHeight =
        std::max(1, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, {}, this).height());
    m_margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    m_widestChar = std::max(1, fontMetrics().maxWidth());
    m_contentWidth = 0;
    widenFor(0, rows() - 1);
    if (!m_widthLine.isEmpty())
        setMinimumWidth(widthShowing(m_widthLine));
    updateGeometries();
    viewport()->update();
}

void MessageListView::widenFor(int first, int last) {
    const QFontMetrics metrics = fontMetrics();
    for (int row = first; row <= last; ++row) {
        const QString text = line(row);
        // Measured only when no glyph's width rules out that it is the widest.
        if (text.size() * m_widestChar + 2 * m_margin <= m_contentWidth)
            continue;
        m_contentWidth = std::max(m_contentWidth, metrics.horizontalAdvance(text) + 2 * m_margin);
    }
}

} // namespace pxu
