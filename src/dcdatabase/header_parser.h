#pragma once

#include "header_reader.h"
#include "header_symbols.h"
#include "message_sink.h"
#include "scan_rows.h"

#include <QString>

namespace pxu::dc {

// Reads the control software's header files as C into scan rows: the #define constants of a
// "global constants" section and the members of every enumeration in the other sections
// between "// scanStart" and "// scanEnd" (header_reader.h). One parser serves one scan: a
// name is known from where it is defined to the end of the scan.
//
// A member's comment gives its fupId and comment; its name its class. A name not defined
// before it is told in a box ("... is not found in DB"). Input the scan cannot take throws
// JobFailure naming file and line; so does a file with more lines than the line counter
// holds.
class HeaderParser {
public:
    HeaderParser(ScanRows& rows, MessageSink& sink);

    // scanSource: the file's rows, each line counted in lineCounter (preset by the caller).
    // False when the file cannot be opened.
    bool scanSource(const QString& path, int& lineCounter);

private:
    class Rows;

    ScanRows& m_rows;
    MessageSink& m_sink;
    HeaderSymbols m_symbols;
};

} // namespace pxu::dc
