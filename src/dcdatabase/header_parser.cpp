#include "header_parser.h"

#include "core/dialog_service.h"
#include "core/program_info.h"
#include "core/sprintf.h"
#include "core/vb_val.h"
#include "header_lines.h"
#include "job_failure.h"
#include "number_text.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace pxu::dc {

namespace {

constexpr int kMaxLineCounter = 32767;
constexpr qsizetype kMaxCommentLength = 50;
const QString kScanStart = QStringLiteral("// scanStart");
const QString kScanEnd = QStringLiteral("// scanEnd");
const QString kTypedefEnum = QStringLiteral("typedef enum");
const QString kDefine = QStringLiteral("#define");
const QString kBraceNotAlone =
    QStringLiteral("\"{\" is not alone on its line: the enumeration is not scanned");

constexpr int kConstantsSection = 1;

struct Section {
    QLatin1String text;
    int number;
};
constexpr Section kSections[] = {
    {QLatin1String("global constants"), kConstantsSection},
    {QLatin1String("global types"), 2},
    {QLatin1String("global variables"), 3},
    {QLatin1String("alarms"), 4},
    {QLatin1String("global on-off-delay"), 5},
    {QLatin1String("global parameters"), 6},
};

// The text a "// scanStart" line names its section by: blanks and a colon around it are
// no part of it.
QString sectionText(const QString& markerLine) {
    QString text = markerLine.mid(kScanStart.size()).trimmed();
    if (text.startsWith(u':'))
        text = text.mid(1).trimmed();
    return text;
}

std::optional<int> sectionNumber(const QString& text) {
    for (const Section& s : kSections) {
        if (text.compare(s.text, Qt::CaseInsensitive) == 0)
            return s.number;
    }
    return std::nullopt;
}

QString sectionNames() {
    QStringList names;
    for (const Section& s : kSections)
        names << s.text;
    return names.join(QLatin1String(", "));
}

// Blanks only, as the header files' own tools trimmed: tabs stay.
QString trimBlanks(const QString& s) {
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s[first] == u' ')
        ++first;
    while (last > first && s[last - 1] == u' ')
        --last;
    return s.mid(first, last - first);
}

QString trimLeadingBlanks(const QString& s) {
    qsizetype first = 0;
    while (first < s.size() && s[first] == u' ')
        ++first;
    return s.mid(first);
}

QString joinedWithBlank(const QString& text, const QString& more) {
    return text.isEmpty() ? more : text + u' ' + more;
}

bool isUpperAsciiLetter(QChar c) {
    return c >= u'A' && c <= u'Z';
}

bool isName(const QString& s) {
    const auto nameChar = [](QChar c, bool first) {
        return isUpperAsciiLetter(c.toUpper()) || c == u'_' || (!first && c >= u'0' && c <= u'9');
    };
    if (s.isEmpty())
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (!nameChar(s[i], i == 0))
            return false;
    }
    return true;
}

// The class a member's name gives it, and the variable group of a parameter.
void classify(ScanRow& row) {
    const QString& name = row.name;
    if (name.startsWith(QLatin1String("FIRST_")) || name.startsWith(QLatin1String("LAST_")))
        row.cls = cls::instruction;
    else if (name.contains(QLatin1String("INVALID")))
        row.cls = cls::constant;
    else if (name.contains(QLatin1String("DLY_")))
        row.cls = cls::delayInst;
    else if (name.startsWith(QLatin1String("NUM_")))
        row.cls = cls::constant;
    else if (name.startsWith(QLatin1String("PAR_"))) {
        row.cls = cls::parameter;
        row.varGroup = QStringLiteral("GLB");
    }
}

// An empty text, not a missing one: the member's columns are written.
QString written(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

// A member comment "fupId; comment" is split when the part before ";" begins with a
// positive number or with "?"; any other comment is the comment alone.
void describe(ScanRow& row, const QString& comment) {
    const qsizetype semicolon = comment.indexOf(u';');
    if (semicolon >= 0 && (vbVal(comment) > 0 || comment.startsWith(u'?'))) {
        row.fupId = written(trimBlanks(comment.left(semicolon)).left(kMaxCommentLength));
        row.comment = written(trimBlanks(comment.mid(semicolon + 1)).left(kMaxCommentLength));
    } else {
        row.fupId = written({});
        row.comment = written(trimBlanks(comment).left(kMaxCommentLength));
    }
}

// The lines of a file with CR LF or LF line ends; a last line end adds no line.
QStringList linesOf(const QByteArray& bytes) {
    QStringList lines = QString::fromLatin1(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

bool HeaderParser::scanSource(const QString& path, int& lineCounter) {
    m_sink.addMessage(QStringLiteral("   Scan file ") + path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();

    resetState();
    m_fileName = QFileInfo(path).fileName();
    m_line = 0;
    const int preset = lineCounter;
    bool scanning = false;
    int section = 0;
    int enums = 0;
    int defines = 0;
    bool blockComment = false;
    int blockCommentLine = 0;
    if (bytes.isEmpty())
        m_sink.addMessage(sprintf(QStringLiteral("      {*} is empty"), path));
    const double size = double(bytes.size());
    for (const QString& raw : linesOf(bytes)) {
        ++m_line;
        if (lineCounter >= kMaxLineCounter)
            fail(QStringLiteral("more lines than the scan can number: with its line numbers "
                                "counted on from %1, %2 may have at most %3 lines")
                     .arg(QString::number(preset), m_fileName,
                          QString::number(std::max(0, kMaxLineCounter - preset))));
        ++lineCounter;
        m_sink.updateProgress(double(raw.size()) / size, true);
        if (!blockComment)
            blockCommentLine = m_line;
        const HeaderLine split = splitComments(raw, blockComment);
        const QString line = split.joined();
        if (line.startsWith(kScanStart)) {
            scanning = true;
            const QString text = sectionText(line);
            if (const std::optional<int> named = sectionNumber(text))
                section = *named;
            else
                warn(QStringLiteral("\"%1\" names no section of the scan (%2): the section "
                                    "before goes on")
                         .arg(text, sectionNames()));
        } else if (line.startsWith(kScanEnd)) {
            scanning = false;
        }
        if (!scanning)
            continue;
        if (isConditional(split.code))
            fail(QStringLiteral("the conditional \"%1\" lies in a scanned section: the scan "
                                "cannot know which branch the control software is built with")
                     .arg(raw.trimmed()));
        if (section == kConstantsSection)
            defines += scanDefine(line, lineCounter);
        else
            enums += scanEnumeration(line, lineCounter);
    }
    if (blockComment)
        fail(QStringLiteral("the block comment that begins here is not closed at the end of the "
                            "file"),
             blockCommentLine);
    if (m_enumScanState != 0)
        fail(
            QStringLiteral("the enumeration that begins here is not closed at the end of the file"),
            m_enumLine);
    if (!m_defineContinuation.isEmpty())
        fail(QStringLiteral("the #define continued here with \"\\\" is not complete at the end of "
                            "the file"),
             m_continuationLine);

    m_sink.addMessage(
        sprintf(QStringLiteral("      {*} enums and {*} defines scanned"), enums, defines));
    m_sink.updateProgress(0, false);
    return true;
}

void HeaderParser::resetState() {
    m_defineContinuation.clear();
    m_continuationLine = 0;
    m_enumScanState = 0;
    m_enumLine = 0;
    m_enumCounter = 0;
    m_enumPending.clear();
    m_enumComment.clear();
}

int HeaderParser::scanDefine(const QString& line, int lineCounter) {
    const QString text = m_defineContinuation + line;
    if (text.endsWith(u'\\')) {
        if (m_defineContinuation.isEmpty())
            m_continuationLine = m_line;
        m_defineContinuation = text.chopped(1);
        return 0;
    }
    m_defineContinuation.clear();
    if (!text.startsWith(kDefine))
        return 0;

    const QStringList words = replaceConstants(formatLine(text).code, 2).split(u' ');
    if (words.size() < 3)
        fail(QStringLiteral("\"%1\" defines no value").arg(trimBlanks(text)));
    const QString expression = words.mid(2).join(u' ');
    const std::optional<qint32> id = evaluate(expression);
    if (!id)
        return 0;
    ScanRow row;
    row.name = words[1];
    row.id = *id;
    row.cls = row.name.startsWith(QLatin1String("FIRST_")) ? cls::instruction : cls::constant;
    row.sourceLine = lineCounter;
    row.file = m_fileName;
    row.line = m_line;
    row.fromDefine = true;
    if (!isName(row.name))
        warn(QStringLiteral("the defined name '%1' is no C name").arg(row.name));
    m_rows.add(std::move(row));
    return 1;
}

int HeaderParser::scanEnumeration(const QString& line, int lineCounter) {
    if (m_enumScanState == 0) {
        if (line.startsWith(kTypedefEnum)) {
            m_enumScanState = 1;
            m_enumLine = m_line;
            m_enumCounter = -1;
            m_enumPending.clear();
            m_enumComment.clear();
            if (line.contains(u'{'))
                warn(kBraceNotAlone);
        }
        return 0;
    }
    if (m_enumScanState == 1) {
        if (line == QLatin1String("{"))
            m_enumScanState = 2;
        else if (line.contains(u'{'))
            warn(kBraceNotAlone);
        return 0;
    }

    qsizetype commentAt = line.indexOf(QLatin1String("//"));
    if (commentAt < 0)
        commentAt = line.size();
    const qsizetype comma = line.indexOf(u',');
    const FormattedLine formatted = formatLine(line);
    if (formatted.comment)
        m_enumComment = *formatted.comment;
    if ((comma < 0 || comma > commentAt) && !line.startsWith(u'}')) {
        // A fragment: a member written over several lines, a blank or a comment line.
        if (!formatted.code.isEmpty())
            m_enumPending = joinedWithBlank(m_enumPending, formatted.code);
        return 0;
    }
    const bool closing = formatted.code.startsWith(u'}');
    if (closing)
        m_enumScanState = 0;
    const QString member = closing ? m_enumPending : joinedWithBlank(m_enumPending, formatted.code);
    m_enumPending.clear();
    if (member.isEmpty())
        return 0;
    writeEnumerationMember(member, lineCounter);
    return 1;
}

void HeaderParser::writeEnumerationMember(const QString& text, int lineCounter) {
    const QStringList words = trimBlanks(replaceConstants(text, 1)).split(u' ');
    if (m_enumCounter == std::numeric_limits<qint32>::max())
        fail(QStringLiteral("the value of '%1' does not fit 32 bits").arg(words[0]));
    ++m_enumCounter;
    const bool assigned = words.size() >= 3 && words[1] == QLatin1String("=");
    if (assigned) {
        const QString expression = words.mid(2).join(u' ');
        const std::optional<qint32> value = evaluate(expression);
        if (!value)
            fail(QStringLiteral("'%1' is no number").arg(expression));
        m_enumCounter = *value;
    }
    if (!isName(words[0]) || (words.size() > 1 && !assigned))
        warn(QStringLiteral("the member '%1' is not written as NAME or NAME = value").arg(text));

    ScanRow row;
    row.name = words[0];
    row.id = m_enumCounter;
    describe(row, m_enumComment);
    classify(row);
    row.sourceLine = lineCounter;
    row.file = m_fileName;
    row.line = m_line;
    m_rows.add(std::move(row));
    m_enumComment.clear();
}

std::optional<qint32> HeaderParser::evaluate(const QString& expression) {
    // Most values are plain decimal numbers, which need no evaluator; nine digits fit 32 bits.
    if (!expression.isEmpty() && expression.size() <= 9 &&
        std::all_of(expression.begin(), expression.end(),
                    [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return expression.toInt();
    const script::EvalResult result = m_evaluator.evaluate(expression);
    if (result.kind == script::EvalResult::Kind::Error)
        fail(QStringLiteral("'%1' cannot be evaluated: %2").arg(expression, result.error));
    if (!result.isNumber() && !numberFromText(result.text))
        return std::nullopt;
    const std::optional<qint32> id = result.isNumber() ? result.id() : longFromText(result.text);
    if (!id)
        fail(QStringLiteral("the value %1 of '%2' does not fit 32 bits")
                 .arg(result.text, expression));
    return id;
}

FormattedLine HeaderParser::formatLine(const QString& line) {
    FormattedLine result;
    bool blockOpen = false;
    const HeaderLine split = splitComments(trimBlanks(line), blockOpen);
    if (split.comment)
        result.comment = trimLeadingBlanks(*split.comment);
    QString s = split.code;
    while (s.contains(QLatin1String("  ")))
        s.replace(QLatin1String("  "), QLatin1String(" "));
    s.remove(u',');
    s.replace(QLatin1String("0x"), QLatin1String("&H"));
    s.replace(QLatin1String("<<"), QLatin1String("*2^"));
    result.code = trimBlanks(s);
    return result;
}

QString HeaderParser::replaceConstants(const QString& expression, int firstIndex) {
    QStringList words = trimBlanks(expression).split(u' ');
    for (qsizetype i = 0; i < words.size(); ++i) {
        QString& word = words[i];
        word.remove(QLatin1String("(u16)"));
        QString candidate = word;
        candidate.remove(u'(').remove(u')');
        if (i < firstIndex || candidate.isEmpty() || !isUpperAsciiLetter(candidate[0].toUpper()))
            continue;
        if (const ScanRow* row = m_rows.findName(candidate)) {
            word.replace(candidate, QString::number(row->id));
        } else {
            BoxRequest box;
            box.title = programTitle();
            box.text = candidate + QStringLiteral(" is not found in DB");
            dialogs().messageBox(box);
        }
    }
    return words.join(u' ');
}

void HeaderParser::warn(const QString& text) {
    m_sink.addMessage(QStringLiteral("      Warning: %1, line %2: %3")
                          .arg(m_fileName, QString::number(m_line), text));
}

void HeaderParser::fail(const QString& text, int line) {
    failJob(QStringLiteral("%1, line %2: %3")
                .arg(m_fileName, QString::number(line > 0 ? line : m_line), text));
}

} // namespace pxu::dc
