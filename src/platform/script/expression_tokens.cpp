#include "expression_tokens.h"

#include <cmath>

namespace pxu::script {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c) {
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isNameStart(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isNamePart(QChar c) {
    return isNameStart(c) || isDigit(c);
}

class Lexer {
public:
    explicit Lexer(QStringView s)
        : m_s(s) {}

    QList<Token> run() {
        QList<Token> tokens;
        for (;;) {
            while (m_i < m_s.size() && (m_s[m_i] == u' ' || m_s[m_i] == u'\t'))
                ++m_i;
            tokens.append(next());
            const Token::Type type = tokens.back().type;
            if (type == Token::Type::End || type == Token::Type::Invalid)
                return tokens;
        }
    }

private:
    Token next() {
        const qsizetype start = m_i;
        if (m_i >= m_s.size())
            return make(Token::Type::End, start);
        const QChar c = m_s[m_i];
        if (isDigit(c) || c == u'.')
            return decimal(start);
        if (c == u'&' && m_i + 1 < m_s.size() && (m_s[m_i + 1] == u'H' || m_s[m_i + 1] == u'h'))
            return hexadecimal(start);
        if (c == u'"')
            return text(start);
        if (isNameStart(c)) {
            while (m_i < m_s.size() && isNamePart(m_s[m_i]))
                ++m_i;
            return invalid(start,
                           QStringLiteral("unknown name \"%1\"").arg(m_s.mid(start, m_i - start)));
        }
        ++m_i;
        switch (c.unicode()) {
        case u'+':
            return make(Token::Type::Plus, start);
        case u'-':
            return make(Token::Type::Minus, start);
        case u'*':
            return make(Token::Type::Times, start);
        case u'/':
            return make(Token::Type::Divide, start);
        case u'^':
            return make(Token::Type::Power, start);
        case u'(':
            return make(Token::Type::Open, start);
        case u')':
            return make(Token::Type::Close, start);
        default:
            return invalid(start, QStringLiteral("invalid character \"%1\"").arg(c));
        }
    }

    Token decimal(qsizetype start) {
        qsizetype digits = skipDigits();
        if (m_i < m_s.size() && m_s[m_i] == u'.') {
            ++m_i;
            digits += skipDigits();
        }
        if (digits == 0)
            return invalid(start, QStringLiteral("malformed number"));
        if (m_i < m_s.size() && (m_s[m_i] == u'E' || m_s[m_i] == u'e')) {
            ++m_i;
            if (m_i < m_s.size() && (m_s[m_i] == u'+' || m_s[m_i] == u'-'))
                ++m_i;
            if (skipDigits() == 0)
                return invalid(start, QStringLiteral("malformed number"));
        }
        bool ok = false;
        const double value = m_s.mid(start, m_i - start).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return invalid(start, QStringLiteral("number out of range"));
        Token token = make(Token::Type::Number, start);
        token.number = value;
        return token;
    }

    Token hexadecimal(qsizetype start) {
        m_i += 2;
        const qsizetype first = m_i;
        while (m_i < m_s.size() && isHexDigit(m_s[m_i]))
            ++m_i;
        const qsizetype digits = m_i - first;
        if (digits == 0)
            return invalid(start, QStringLiteral("\"&H\" without hexadecimal digits"));
        if (digits > 8)
            return invalid(start, QStringLiteral("hexadecimal number of more than eight digits"));
        const quint32 value = m_s.mid(first, digits).toUInt(nullptr, 16);
        Token token = make(Token::Type::Number, start);
        token.number = value <= 0xFFFF ? double(qint16(quint16(value))) : double(qint32(value));
        return token;
    }

    // A doubled quote inside the text stands for one quote.
    Token text(qsizetype start) {
        QString content;
        for (++m_i; m_i < m_s.size(); ++m_i) {
            if (m_s[m_i] != u'"') {
                content += m_s[m_i];
            } else if (m_i + 1 < m_s.size() && m_s[m_i + 1] == u'"') {
                content += u'"';
                ++m_i;
            } else {
                ++m_i;
                Token token = make(Token::Type::Text, start);
                token.text = content;
                return token;
            }
        }
        return invalid(start, QStringLiteral("unterminated text"));
    }

    qsizetype skipDigits() {
        const qsizetype first = m_i;
        while (m_i < m_s.size() && isDigit(m_s[m_i]))
            ++m_i;
        return m_i - first;
    }

    Token make(Token::Type type, qsizetype start) const {
        Token token;
        token.type = type;
        token.source = m_s.mid(start, m_i - start).toString();
        token.position = int(start) + 1;
        return token;
    }

    Token invalid(qsizetype start, const QString& what) const {
        Token token = make(Token::Type::Invalid, start);
        token.text = what;
        return token;
    }

    QStringView m_s;
    qsizetype m_i = 0;
};

} // namespace

QList<Token> tokenize(QStringView expression) {
    return Lexer(expression).run();
}

} // namespace pxu::script
