#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pxu::script {

// A token of C source as the preprocessor sees it. Numbers are C's preprocessing numbers
// (14u, 0x7FU, 1.5E3 alike); comments are tokens too, since the header scan reads them.
struct CToken {
    enum class Kind { Identifier, Number, Character, String, Punctuator, Comment, Other, End };

    Kind kind = Kind::End;
    // As written; a punctuator written as a digraph is given as the one it stands for ("<%"
    // as "{"); a comment without its "//" or "/*" and "*/". A block comment that spans
    // lines gives only its text on its first line.
    std::string_view text;
    size_t offset = 0; // in the source's text, where it is written
    size_t size = 0;   // of what is written
    int line = 0;      // the physical line where the token begins, from 1
    int endLine = 0;   // and where it ends
    // The first token of its logical line, comments not counted: a "#" there opens a
    // directive.
    bool lineStart = false;
    bool spaceBefore = false;     // white space or a comment before it
    bool lineComment = false;     // a comment begun with "//"
    bool firstColumn = false;     // begins in the first column of a logical line
    bool unterminated = false;    // a block comment that the file ends in
    std::string_view logicalLine; // of a "#": the whole logical line it opens

    bool is(char punctuator) const {
        return kind == Kind::Punctuator && text.size() == 1 && text[0] == punctuator;
    }
    bool is(std::string_view punctuator) const {
        return kind == Kind::Punctuator && text == punctuator;
    }
};

// C source after its physical lines are joined where a backslash ends them and CR LF line
// ends are made LF, with the physical line of every character kept.
class CSource {
public:
    explicit CSource(std::string_view bytes);

    const std::string& text() const { return m_text; }
    // The physical line of a position of text(), from 1. Fast when asked in rising order.
    int lineAt(size_t position) const;
    // Physical lines of the file; a last line end adds none.
    int lineCount() const { return m_lineCount; }
    // The file ends in a backslash and a line end: a line continued into nothing.
    bool endsContinued() const { return m_endsContinued; }

private:
    std::string m_text;
    std::vector<size_t> m_lineStarts; // in text(), of each physical line
    int m_lineCount = 0;
    bool m_endsContinued = false;
    mutable size_t m_cursor = 0;
};

// Reads the tokens of a source one at a time, white space skipped, up to End.
class CLexer {
public:
    explicit CLexer(const CSource& source)
        : m_source(source)
        , m_text(source.text()) {}

    CToken next();

private:
    CToken make(CToken::Kind kind, size_t start, size_t end);
    void skipWhiteSpace();
    size_t quoted(size_t from, char quote) const;
    size_t ppNumberEnd(size_t from) const;
    size_t punctuatorEnd(size_t from, std::string_view& canonical) const;
    std::string_view lineAround(size_t position) const;

    const CSource& m_source;
    std::string_view m_text;
    size_t m_at = 0;
    bool m_lineStart = true;
    bool m_space = false;
};

// The tokens of a short text (a macro's value), comments left out.
std::vector<CToken> tokensOf(const CSource& source);

} // namespace pxu::script
