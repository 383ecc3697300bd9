#include "message_list.h"

namespace pxu {

QStringList splitAtCarriageReturns(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\r'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

MessageList::MessageList(QObject* parent)
    : QAbstractListModel(parent)
    , m_throttle([this] { show(); }) {}

void MessageList::addLine(const QString& line) {
    m_lines << line;
}

void MessageList::addMessage(QString& text) {
    m_lines << splitAtCarriageReturns(text);
    text.clear();
    refresh();
}

void MessageList::clear() {
    beginResetModel();
    m_lines.clear();
    m_given = 0;
    endResetModel();
    m_throttle.reset();
}

void MessageList::showWaitingLines() {
    if (m_given < m_lines.size())
        m_throttle.runIfDue();
}

void MessageList::show() {
    if (m_given < m_lines.size()) {
        beginInsertRows({}, m_given, count() - 1);
        m_given = count();
        endInsertRows();
    }
    emit linesShown();
}

int MessageList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_given;
}

QVariant MessageList::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.parent().isValid() || index.row() < 0 ||
        index.row() >= m_given)
        return {};
    return m_lines[index.row()];
}

} // namespace pxu
