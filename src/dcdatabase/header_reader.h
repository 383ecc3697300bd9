#pragma once

#include "header_symbols.h"

#include <QString>
#include <optional>
#include <string_view>

namespace pxu::dc {

// What a header file holds that the scan cannot take, at a line of the file.
struct HeaderError {
    int line = 0;
    QString text;
};

// An enumeration member as read: its value as the id column holds it, the comment that
// describes it, and the line that completes it (its comma, or the closing brace).
struct HeaderMember {
    QString name;
    qint32 value = 0;
    std::optional<QString> comment;
    int line = 0;
};

class HeaderReaderSink {
public:
    virtual ~HeaderReaderSink() = default;
    // A #define of a constants section with its value, at the last line of its directive.
    virtual void define(const QString& name, qint32 value, int line) = 0;
    virtual void member(const HeaderMember& member) = 0;
    virtual void warning(int line, const QString& text) = 0;
    // Another part of the file is read: the fraction of the whole file it is.
    virtual void progress(double fraction) = 0;
};

// Reads one header file as a C compiler reads it and hands on what its scanned sections
// define: between a "// scanStart" and the next "// scanEnd" in the first column, the
// #define constants of a "global constants" section and the members of each enumeration
// ([typedef] enum [tag] { member [= value], ... } ...) of the other sections, however they
// are laid out. A construct begun in a section is read to its end. The names it reads and
// the macros of every section go into symbols, for the expressions after them.
//
// Throws HeaderError for what C would not compile or the scan cannot know: a name not
// defined before, a division by zero, a value that is no integer, a preprocessor
// conditional inside a section, a construct still open at the end of the file.
void readHeader(std::string_view bytes, HeaderSymbols& symbols, HeaderReaderSink& sink);

} // namespace pxu::dc
