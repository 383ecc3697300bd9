#include "c_tokens.h"

#include <algorithm>

namespace pxu::script {

namespace {

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNamePart(char c) {
    return isNameStart(c) || isDigit(c);
}

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

struct Punctuator {
    std::string_view written;
    std::string_view canonical;
};

// Longest first, so that the first match is the longest.
constexpr Punctuator kPunctuators[] = {
    {"%:%:", "##"}, {"<<=", "<<="}, {">>=", ">>="}, {"...", "..."}, {"->", "->"}, {"++", "++"},
    {"--", "--"},   {"<<", "<<"},   {">>", ">>"},   {"<=", "<="},   {">=", ">="}, {"==", "=="},
    {"!=", "!="},   {"&&", "&&"},   {"||", "||"},   {"*=", "*="},   {"/=", "/="}, {"%=", "%="},
    {"+=", "+="},   {"-=", "-="},   {"&=", "&="},   {"^=", "^="},   {"|=", "|="}, {"##", "##"},
    {"<:", "["},    {":>", "]"},    {"<%", "{"},    {"%>", "}"},    {"%:", "#"},  {"[", "["},
    {"]", "]"},     {"(", "("},     {")", ")"},     {"{", "{"},     {"}", "}"},   {".", "."},
    {"&", "&"},     {"*", "*"},     {"+", "+"},     {"-", "-"},     {"~", "~"},   {"!", "!"},
    {"/", "/"},     {"%", "%"},     {"<", "<"},     {">", ">"},     {"^", "^"},   {"|", "|"},
    {"?", "?"},
};
constexpr std::string_view kOtherPunctuators = ":;=,#";

} // namespace

CSource::CSource(std::string_view bytes) {
    m_text.reserve(bytes.size());
    m_lineStarts.push_back(0);
    size_t i = 0;
    while (i < bytes.size()) {
        // The plain run up to the next character that ends a line or may join two.
        size_t end = i;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r' && bytes[end] != '\\')
            ++end;
        m_text.append(bytes.substr(i, end - i));
        if (end == bytes.size())
            break;
        i = end;
        const char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '\\') {
            size_t lineEnd = i + 1;
            if (lineEnd < bytes.size() && bytes[lineEnd] == '\r' && lineEnd + 1 < bytes.size() &&
                bytes[lineEnd + 1] == '\n')
                ++lineEnd;
            if (lineEnd == bytes.size() || bytes[lineEnd] == '\n') {
                // A continued line: the next physical line goes on where this one ends.
                if (lineEnd + 1 >= bytes.size()) {
                    m_endsContinued = true;
                    break;
                }
                m_lineStarts.push_back(m_text.size());
                i = lineEnd + 1;
                continue;
            }
        }
        m_text += c;
        if (c == '\n' && i + 1 < bytes.size())
            m_lineStarts.push_back(m_text.size());
        ++i;
    }
    m_lineCount = bytes.empty() ? 0 : int(m_lineStarts.size());
}

int CSource::lineAt(size_t position) const {
    // A line continued into the next starts where that one does: the later line holds it.
    if (m_cursor >= m_lineStarts.size() || m_lineStarts[m_cursor] > position)
        m_cursor = size_t(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position) -
                          m_lineStarts.begin()) -
                   1;
    while (m_cursor + 1 < m_lineStarts.size() && m_lineStarts[m_cursor + 1] <= position)
        ++m_cursor;
    return int(m_cursor) + 1;
}

CToken CLexer::make(CToken::Kind kind, size_t start, size_t end) {
    CToken token;
    token.kind = kind;
    token.text = m_text.substr(start, end - start);
    token.offset = start;
    token.size = end - start;
    token.line = m_source.lineAt(start);
    token.endLine = end > start ? m_source.lineAt(end - 1) : token.line;
    token.spaceBefore = m_space;
    m_space = false;
    if (kind == CToken::Kind::Comment) {
        m_space = true;
        token.spaceBefore = false;
    } else {
        token.lineStart = m_lineStart;
        m_lineStart = false;
    }
    m_at = end;
    return token;
}

void CLexer::skipWhiteSpace() {
    while (m_at < m_text.size() && isWhiteSpace(m_text[m_at])) {
        if (m_text[m_at] == '\n')
            m_lineStart = true;
        m_space = true;
        ++m_at;
    }
}

// The end of a character constant or string that opens at `from`; npos when its line ends
// first.
size_t CLexer::quoted(size_t from, char quote) const {
    for (size_t i = from + 1; i < m_text.size(); ++i) {
        const char c = m_text[i];
        if (c == '\n')
            return std::string_view::npos;
        if (c == '\\' && i + 1 < m_text.size() && m_text[i + 1] != '\n')
            ++i;
        else if (c == quote)
            return i + 1;
    }
    return std::string_view::npos;
}

size_t CLexer::ppNumberEnd(size_t from) const {
    size_t i = from + 1;
    while (i < m_text.size()) {
        const char c = m_text[i];
        if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && i + 1 < m_text.size() &&
            (m_text[i + 1] == '+' || m_text[i + 1] == '-'))
            i += 2;
        else if (isNamePart(c) || c == '.')
            ++i;
        else
            break;
    }
    return i;
}

size_t CLexer::punctuatorEnd(size_t from, std::string_view& canonical) const {
    const std::string_view rest = m_text.substr(from);
    // Most characters open no punctuator of two or more.
    if (std::string_view("%<>.-+*/=!&|^#:").find(rest[0]) != std::string_view::npos) {
        for (const Punctuator& p : kPunctuators) {
            if (p.written[0] == rest[0] && rest.substr(0, p.written.size()) == p.written) {
                canonical = p.canonical;
                return from + p.written.size();
            }
        }
    }
    for (std::string_view single : {std::string_view("[](){}.&*+-~!/%<>^|?"), kOtherPunctuators}) {
        if (const size_t at = single.find(rest[0]); at != std::string_view::npos) {
            canonical = single.substr(at, 1);
            return from + 1;
        }
    }
    return std::string_view::npos;
}

std::string_view CLexer::lineAround(size_t position) const {
    const size_t before = m_text.rfind('\n', position);
    const size_t first = before == std::string_view::npos ? 0 : before + 1;
    const size_t end = m_text.find('\n', position);
    return m_text.substr(first, (end == std::string_view::npos ? m_text.size() : end) - first);
}

CToken CLexer::next() {
    skipWhiteSpace();
    const size_t start = m_at;
    if (start >= m_text.size())
        return make(CToken::Kind::End, start, start);
    const char c = m_text[start];
    const char after = start + 1 < m_text.size() ? m_text[start + 1] : '\0';
    if (c == '/' && (after == '/' || after == '*')) {
        const bool firstColumn = start == 0 || m_text[start - 1] == '\n';
        size_t end = 0;
        size_t textEnd = 0;
        bool unterminated = false;
        if (after == '/') {
            end = std::min(m_text.find('\n', start), m_text.size());
            textEnd = end;
        } else {
            const size_t close = m_text.find("*/", start + 2);
            unterminated = close == std::string_view::npos;
            end = unterminated ? m_text.size() : close + 2;
            textEnd = std::min({m_text.find('\n', start), unterminated ? end : close});
        }
        CToken token = make(CToken::Kind::Comment, start, end);
        token.text = m_text.substr(start + 2, textEnd - start - 2);
        token.lineComment = after == '/';
        token.firstColumn = firstColumn;
        token.unterminated = unterminated;
        return token;
    }
    size_t prefix = 0; // of a wide or Unicode character constant or string
    if (c == 'L' || c == 'U' || c == 'u')
        prefix = (c == 'u' && after == '8') ? 2 : 1;
    if (prefix > 0 && start + prefix < m_text.size() &&
        (m_text[start + prefix] == '\'' || m_text[start + prefix] == '"')) {
        const char quote = m_text[start + prefix];
        if (const size_t end = quoted(start + prefix, quote); end != std::string_view::npos)
            return make(quote == '\'' ? CToken::Kind::Character : CToken::Kind::String, start, end);
    }
    if (isNameStart(c)) {
        size_t end = start + 1;
        while (end < m_text.size() && isNamePart(m_text[end]))
            ++end;
        return make(CToken::Kind::Identifier, start, end);
    }
    if (isDigit(c) || (c == '.' && isDigit(after)))
        return make(CToken::Kind::Number, start, ppNumberEnd(start));
    if (c == '\'' || c == '"') {
        const size_t end = quoted(start, c);
        if (end != std::string_view::npos)
            return make(c == '\'' ? CToken::Kind::Character : CToken::Kind::String, start, end);
        // Unterminated: the rest of its line is one token that C cannot take.
        return make(CToken::Kind::Other, start, std::min(m_text.find('\n', start), m_text.size()));
    }
    std::string_view canonical;
    if (const size_t end = punctuatorEnd(start, canonical); end != std::string_view::npos) {
        const bool opensLine = m_lineStart;
        CToken token = make(CToken::Kind::Punctuator, start, end);
        token.text = canonical;
        if (canonical == "#" && opensLine)
            token.logicalLine = lineAround(start);
        return token;
    }
    return make(CToken::Kind::Other, start, start + 1);
}

std::vector<CToken> tokensOf(const CSource& source) {
    std::vector<CToken> tokens;
    CLexer lexer(source);
    for (CToken token = lexer.next(); token.kind != CToken::Kind::End; token = lexer.next()) {
        if (token.kind != CToken::Kind::Comment)
            tokens.push_back(token);
    }
    return tokens;
}

} // namespace pxu::script
