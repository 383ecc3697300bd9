#pragma once

#include <QObject>
#include <QStringList>
#include <QStringListModel>

namespace pxu {

// The pieces of a log text between carriage returns: a line feed after a CR stays at the
// start of the next line, a text ending in CR adds no empty line, two CRs in a row do.
QStringList splitAtCarriageReturns(const QString& text);

// A window's log list: lines are only appended, and the last one is the current one,
// which the list shows.
class MessageList : public QObject {
    Q_OBJECT
public:
    explicit MessageList(QObject* parent = nullptr);

    // Appends the text's lines. The caller's text is consumed.
    void addMessage(QString& text);
    void addLine(const QString& line);
    void clear();
    // Asks the window to show the lines added so far at once.
    void refresh() { emit refreshRequested(); }

    QStringListModel& model() { return m_model; }
    QStringList lines() const { return m_model.stringList(); }
    int count() const { return m_model.rowCount(); }
    int currentRow() const { return m_current; }

signals:
    // After lines were added: the window shows them at once, even while its caller is busy.
    void refreshRequested();

private:
    QStringListModel m_model;
    int m_current = -1;
};

} // namespace pxu
