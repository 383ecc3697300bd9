#include "header_parser.h"

#include "core/dialog_service.h"
#include "core/program_info.h"
#include "core/sprintf.h"
#include "core/vb_val.h"
#include "job_failure.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace pxu::dc {

namespace {

constexpr int kMaxLineCounter = 32767;
constexpr qsizetype kMaxCommentLength = 50;

bool isWhiteSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\v' || c == u'\r';
}

QString trimWhiteSpace(const QString& s) {
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isWhiteSpace(s[first]))
        ++first;
    while (last > first && isWhiteSpace(s[last - 1]))
        --last;
    return s.mid(first, last - first);
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
    const QString text = trimWhiteSpace(comment);
    const qsizetype semicolon = text.indexOf(u';');
    if (semicolon >= 0 && (vbVal(text) > 0 || text.startsWith(u'?'))) {
        row.fupId = written(trimWhiteSpace(text.left(semicolon)).left(kMaxCommentLength));
        row.comment = written(trimWhiteSpace(text.mid(semicolon + 1)).left(kMaxCommentLength));
    } else {
        row.fupId = written({});
        row.comment = written(text.left(kMaxCommentLength));
    }
}

// Physical lines; a last line end adds none.
int lineCount(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return 0;
    return int(bytes.count('\n')) + (bytes.endsWith('\n') ? 0 : 1);
}

} // namespace

// What the reader finds, as rows of the scan.
class HeaderParser::Rows : public HeaderReaderSink {
public:
    Rows(HeaderParser& parser, const QString& file, int preset)
        : m_parser(parser)
        , m_file(file)
        , m_preset(preset) {}

    void define(const QString& name, qint32 value, int line) override {
        ScanRow row;
        row.name = name;
        row.id = value;
        row.cls = name.startsWith(QLatin1String("FIRST_")) ? cls::instruction : cls::constant;
        row.fromDefine = true;
        add(std::move(row), line);
        ++defines;
    }

    void member(const HeaderMember& member) override {
        ScanRow row;
        row.name = member.name;
        row.id = member.value;
        describe(row, member.comment.value_or(QString()));
        classify(row);
        add(std::move(row), member.line);
        ++members;
    }

    void warning(int line, const QString& text) override {
        m_parser.m_sink.addMessage(QStringLiteral("      Warning: %1, line %2: %3")
                                       .arg(m_file, QString::number(line), text));
    }

    void progress(double fraction) override {
        if (fraction > 0)
            m_parser.m_sink.updateProgress(fraction, true);
    }

    int defines = 0;
    int members = 0;

private:
    void add(ScanRow row, int line) {
        // C tells names apart by their letter case, the database does not.
        if (const ScanRow* before = m_parser.m_rows.findName(row.name))
            warning(line, QStringLiteral("%1 has the name of %2 (%3) to the database, which "
                                         "compares names without their letter case")
                              .arg(row.name, before->name, headerLocation(*before)));
        row.sourceLine = m_preset + line;
        row.file = m_file;
        row.line = line;
        m_parser.m_rows.add(std::move(row));
    }

    HeaderParser& m_parser;
    QString m_file;
    int m_preset = 0;
};

HeaderParser::HeaderParser(ScanRows& rows, MessageSink& sink)
    : m_rows(rows)
    , m_sink(sink) {
    m_symbols.setUnknownNameHandler([](const QString& name) {
        BoxRequest box;
        box.title = programTitle();
        box.text = name + QStringLiteral(" is not found in DB");
        dialogs().messageBox(box);
    });
}

bool HeaderParser::scanSource(const QString& path, int& lineCounter) {
    m_sink.addMessage(QStringLiteral("   Scan file ") + path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();

    const QString name = QFileInfo(path).fileName();
    const int preset = lineCounter;
    const int lines = lineCount(bytes);
    if (preset + lines > kMaxLineCounter)
        failJob(QStringLiteral("%1, line %2: more lines than the scan can number: with its line "
                               "numbers counted on from %3, %1 may have at most %4 lines")
                    .arg(name, QString::number(kMaxLineCounter - preset + 1),
                         QString::number(preset),
                         QString::number(std::max(0, kMaxLineCounter - preset))));
    if (bytes.isEmpty())
        m_sink.addMessage(sprintf(QStringLiteral("      {*} is empty"), path));

    m_symbols.setFile(name);
    Rows rows(*this, name, preset);
    try {
        readHeader(std::string_view(bytes.constData(), size_t(bytes.size())), m_symbols, rows);
    } catch (const HeaderError& error) {
        failJob(
            QStringLiteral("%1, line %2: %3").arg(name, QString::number(error.line), error.text));
    }
    lineCounter = preset + lines;
    m_sink.addMessage(sprintf(QStringLiteral("      {*} enums and {*} defines scanned"),
                              rows.members, rows.defines));
    m_sink.updateProgress(0, false);
    return true;
}

} // namespace pxu::dc
