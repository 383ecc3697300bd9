#pragma once

#include <QAbstractItemView>

namespace pxu {

class MessageList;

// A view of a message list: one line a row, all rows of one height, so that a line costs
// the same to add and to show whether the list holds ten lines or a hundred thousand.
// Lines are drawn whole, never cut: the list scrolls sideways to its longest line. Each
// time the list shows new lines the view makes the last one current, scrolls to it and
// paints at once.
class MessageListView : public QAbstractItemView {
    Q_OBJECT
public:
    // Whether the current line is also selected (in the main window, the updater and the
    // data-container windows) or only current (in the message window).
    enum class CurrentLine { Selected, Unselected };

    explicit MessageListView(MessageList& messages, CurrentLine current = CurrentLine::Selected,
                             QWidget* parent = nullptr);

    // The room a line takes: its text and the margins beside it.
    int lineWidth(const QString& line) const;
    // The view is never narrower than it takes to show the line whole beside its vertical
    // scroll bar, in whatever font it gets.
    void setMinimumWidthFor(const QString& line);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void changeEvent(QEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int first, int last) override;
    void reset() override;

private:
    int widthShowing(const QString& line) const;
    int rows() const;
    QString line(int row) const;
    void showNewestLine();
    void measureFont();
    void widenFor(int first, int last);
    int rowAt(int y) const; // y in the viewport; may lie outside the rows

    CurrentLine m_current;
    int m_rowHeight = 1;
    int m_margin = 0;
    int m_widestChar = 1;
    int m_contentWidth = 0; // the widest line's room
    QString m_widthLine;    // the line the view's minimum width is for
};

} // namespace pxu
