#include "message_list.h"

namespace pxu {

QStringList splitAtCarriageReturns(const QString& text) {
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty()) {
        const qsizetype p = rest.indexOf(QLatin1Char('\r'));
        if (p < 0) {
            lines << rest;
            break;
        }
        lines << rest.left(p);
        rest = rest.mid(p + 1);
    }
    return lines;
}

MessageList::MessageList(QObject* parent)
    : QObject(parent) {}

void MessageList::addLine(const QString& line) {
    const int row = m_model.rowCount();
    m_model.insertRows(row, 1);
    m_model.setData(m_model.index(row), line);
    m_current = row;
}

void MessageList::addMessage(QString& text) {
    const QStringList lines = splitAtCarriageReturns(text);
    text.clear();
    for (const QString& line : lines)
        addLine(line);
    emit refreshRequested();
}

void MessageList::clear() {
    m_model.setStringList({});
    m_current = -1;
}

} // namespace pxu
