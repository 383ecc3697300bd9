#include "criteria.h"

namespace pxu::db {

namespace {

class CriteriaParser {
public:
    explicit CriteriaParser(const QString& text)
        : m_s(text) {}

    std::optional<Criteria> parse() {
        Criteria result;
        for (;;) {
            auto term = parseTerm();
            if (!term)
                return std::nullopt;
            result.push_back(*term);
            skipBlanks();
            if (atEnd())
                return result;
            if (!takeWord(QStringLiteral("AND")))
                return std::nullopt;
        }
    }

private:
    bool atEnd() const { return m_pos >= m_s.size(); }
    void skipBlanks() {
        while (!atEnd() && m_s[m_pos].isSpace())
            ++m_pos;
    }
    bool takeWord(const QString& word) {
        if (m_s.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = m_pos + word.size();
        if (after >= m_s.size() || !m_s[after].isSpace())
            return false;
        m_pos = after;
        return true;
    }

    std::optional<Criterion> parseTerm() {
        skipBlanks();
        QString field;
        if (!atEnd() && m_s[m_pos] == u'[') {
            const qsizetype close = m_s.indexOf(u']', m_pos);
            if (close < 0)
                return std::nullopt;
            field = m_s.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
        } else {
            const qsizetype start = m_pos;
            while (!atEnd() && (m_s[m_pos].isLetterOrNumber() || m_s[m_pos] == u'_'))
                ++m_pos;
            field = m_s.mid(start, m_pos - start);
        }
        if (field.isEmpty())
            return std::nullopt;
        skipBlanks();
        if (atEnd() || m_s[m_pos] != u'=')
            return std::nullopt;
        ++m_pos;
        skipBlanks();
        if (atEnd())
            return std::nullopt;
        if (m_s[m_pos] == u'\'')
            return parseText(field);
        return parseNumber(field);
    }

    std::optional<Criterion> parseText(const QString& field) {
        QString value;
        ++m_pos;
        for (;;) {
            if (atEnd())
                return std::nullopt;
            const QChar c = m_s[m_pos++];
            if (c != u'\'') {
                value += c;
                continue;
            }
            if (!atEnd() && m_s[m_pos] == u'\'') {
                value += c;
                ++m_pos;
                continue;
            }
            return Criterion{field, value};
        }
    }

    std::optional<Criterion> parseNumber(const QString& field) {
        const qsizetype start = m_pos;
        while (!atEnd() && !m_s[m_pos].isSpace())
            ++m_pos;
        bool ok = false;
        const QString token = m_s.mid(start, m_pos - start);
        const double number = token.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return Criterion{field, number};
    }

    const QString& m_s;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<Criteria> parseCriteria(const QString& text) {
    return CriteriaParser(text).parse();
}

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace pxu::db
