#pragma once

#include "header_reader.h"
#include "platform/script/c_tokens.h"

#include <vector>

namespace pxu::dc {

QString latin1(std::string_view text);
// The value as the id column holds it; nothing outside its 32 bits.
std::optional<qint32> idOf(const script::CInt& value);

// The reading of one header file: its tokens with the scan markers, the sections and the
// directives handled on the way; enumerations are read by readEnumeration.
class FileReader {
public:
    FileReader(std::string_view bytes, HeaderSymbols& symbols, HeaderReaderSink& sink);

    void run();

    // The next token, comments too.
    script::CToken raw();
    // The next token that is no comment; the scan markers among the comments are handled.
    script::CToken code();
    // The next raw() or code() gives the token again.
    void pushBack(const script::CToken& token);
    // A comment read: a scan marker switches the scan on or off.
    void comment(const script::CToken& token);
    // A directive from its "#" to the end of its logical line. Returns its last line.
    int directive(const script::CToken& hash);
    // The value as the id column takes it: outside 32 bits C's low 32 bits, with a warning.
    qint32 storedId(const script::CInt& value, const QString& name, int line);

    HeaderSymbols& symbols() { return m_symbols; }
    HeaderReaderSink& sink() { return m_sink; }
    [[noreturn]] static void fail(int line, const QString& text);

private:
    void enumeration(const script::CToken& keyword);
    void define(const std::vector<script::CToken>& tokens, const script::CToken& hash,
                bool writesRow, int lastLine);

    script::CSource m_source;
    script::CLexer m_lexer;
    HeaderSymbols& m_symbols;
    HeaderReaderSink& m_sink;
    script::CToken m_pushedToken;
    bool m_pushed = false;
    bool m_scanning = false;
    int m_section = 0;
    size_t m_reported = 0;
    size_t m_progressStep = 1;
};

// An enumeration from its "{" to its "}": each member handed on with its value and comment
// once the closing brace is read.
void readEnumeration(FileReader& reader, const script::CToken& keyword,
                     const script::CToken& brace);

} // namespace pxu::dc
