#pragma once

#include "refresh_throttle.h"

#include <QAbstractListModel>
#include <QStringList>

namespace pxu {

// The pieces of a log text between carriage returns: a line feed after a CR stays at the
// start of the next line, a text ending in CR adds no empty line, two CRs in a row do.
QStringList splitAtCarriageReturns(const QString& text);

// A window's log list: lines are only appended, and the last one is the current one,
// which the list's views show. The lines are the list's at once; its views take them in
// batches, as often as a RefreshThrottle lets them: so the newest line shows within its
// interval while a job logs or reports progress, and at once when the job ends.
class MessageList : public QAbstractListModel {
    Q_OBJECT
public:
    explicit MessageList(QObject* parent = nullptr);

    // Appends the text's lines and refreshes the views. The caller's text is consumed.
    void addMessage(QString& text);
    void addLine(const QString& line);
    void clear();
    // The views show the lines added so far (at once or in a moment).
    void refresh() { m_throttle.request(); }
    // As refresh, but only for lines that wait and only when they can go out at once: for
    // a job's progress, so that its last line shows while it works on.
    void showWaitingLines();

    const QStringList& lines() const { return m_lines; }
    int count() const { return int(m_lines.size()); }
    int currentRow() const { return count() - 1; }

    // The model of the views: the lines they were given.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    // The views got the lines so far: they show the current line and paint at once, even
    // while their caller is busy.
    void linesShown();

private:
    void show();

    QStringList m_lines;
    int m_given = 0; // rows the views know
    RefreshThrottle m_throttle;
};

} // namespace pxu
