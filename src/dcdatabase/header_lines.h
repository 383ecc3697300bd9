#pragma once

#include <QString>
#include <optional>

namespace pxu::dc {

// A header line cut at its comments as C reads them: a block comment may open and close
// anywhere, also on a later line; "/*" and "//" inside a string or a line comment open none.
struct HeaderLine {
    QString code;                   // each block comment replaced by one blank
    std::optional<QString> comment; // the text of the comments that begin on the line
    // The line as the scanners read it: the code, then "//" and the comment.
    QString joined() const { return comment ? code + QStringLiteral("//") + *comment : code; }
};

// blockOpen: a block comment opened on an earlier line and not yet closed, on entry; on
// return, whether one is still open at the end of this line. The text of a block comment
// that began on an earlier line is no comment of this one: it told its member already.
HeaderLine splitComments(const QString& line, bool& blockOpen);

// Whether the code is a preprocessor conditional (#if, #ifdef, #ifndef, #elif, #elifdef,
// #elifndef, #else, #endif).
bool isConditional(const QString& code);

} // namespace pxu::dc
