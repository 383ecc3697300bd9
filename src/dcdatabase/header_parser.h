#pragma once

#include "message_sink.h"
#include "platform/script/expression_evaluator.h"
#include "scan_rows.h"

#include <QString>
#include <optional>

namespace pxu::dc {

// A header line split by formatLine: the code, normalised for the evaluator, and the
// comment when the line holds one.
struct FormattedLine {
    QString code;
    std::optional<QString> comment;
};

// Reads the control software's header files line by line into scan rows: the numeric
// #define constants of a "global constants" section and the members of every typedef enum
// in the other sections between "// scanStart" and "// scanEnd". One parser serves one
// scan; its state starts afresh with every file.
//
// Comments are found as C finds them, block comments over several lines too. A
// "// scanStart" naming no known section is warned about, and the section before goes on.
//
// Input the scan cannot take (an expression the evaluator refuses, a value beyond 32 bits,
// a #define without value, a preprocessor conditional inside a scanned section, an
// enumeration, a continuation or a block comment still open at the end of a file, more
// lines than the line counter holds) throws JobFailure naming file and line.
class HeaderParser {
public:
    HeaderParser(ScanRows& rows, MessageSink& sink, const script::ExpressionEvaluator& evaluator)
        : m_rows(rows)
        , m_sink(sink)
        , m_evaluator(evaluator) {}

    // scanSource: the lines of the file, each counted in lineCounter (preset by the caller)
    // before it is handled. False when the file cannot be opened.
    bool scanSource(const QString& path, int& lineCounter);
    // The two line scanners: 1 when the line completed a row, else 0.
    int scanDefine(const QString& line, int lineCounter);
    int scanEnumeration(const QString& line, int lineCounter);

    // formatLine: blanks trimmed and doubled blanks made single, comments split off, commas
    // removed, "0x" written "&H" and "<<" as "*2^".
    static FormattedLine formatLine(const QString& line);
    // replaceConstants: every blank-separated word from firstIndex on that names a row
    // scanned before is replaced by that row's id. A name not found is told in a box and
    // left as it is.
    QString replaceConstants(const QString& expression, int firstIndex);

private:
    void resetState();
    void writeEnumerationMember(const QString& text, int lineCounter);
    // The value as the id column takes it: 32 bits, a fraction rounded half to even; nothing
    // for a text that reads as no number.
    std::optional<qint32> evaluate(const QString& expression);
    void warn(const QString& text);
    [[noreturn]] void fail(const QString& text, int line = 0);

    ScanRows& m_rows;
    MessageSink& m_sink;
    const script::ExpressionEvaluator& m_evaluator;

    // Where the parser is, for failures and warnings.
    QString m_fileName;
    int m_line = 0;

    QString m_defineContinuation;
    int m_continuationLine = 0; // where the open continuation began
    int m_enumScanState = 0;    // 0 outside, 1 after "typedef enum", 2 between the braces
    int m_enumLine = 0;         // the line of the open enumeration's "typedef enum"
    qint32 m_enumCounter = 0;
    QString m_enumPending;
    QString m_enumComment;
};

} // namespace pxu::dc
