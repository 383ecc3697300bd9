#include "header_lines.h"

#include <QStringList>

namespace pxu::dc {

namespace {

bool isBlankOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}

// The end of a string that opens at `at`: after its closing quote, or the line's end.
qsizetype stringEnd(const QString& line, qsizetype at) {
    for (qsizetype i = at + 1; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'"')
            return i + 1;
    }
    return line.size();
}

} // namespace

HeaderLine splitComments(const QString& line, bool& blockOpen) {
    if (!blockOpen && !line.contains(QLatin1String("/*")) && !line.contains(u'"')) {
        // The common line: at most a line comment, cut where the parser always cut it.
        const qsizetype at = line.indexOf(QLatin1String("//"));
        if (at < 0)
            return {line, std::nullopt};
        return {line.left(at), line.mid(at + 2)};
    }
    HeaderLine result;
    QStringList comments;
    qsizetype i = 0;
    if (blockOpen) {
        const qsizetype end = line.indexOf(QLatin1String("*/"));
        if (end < 0)
            return {QString(), std::nullopt};
        blockOpen = false;
        result.code = QStringLiteral(" ");
        i = end + 2;
    }
    while (i < line.size()) {
        if (line[i] == u'"') {
            const qsizetype end = stringEnd(line, i);
            result.code += line.mid(i, end - i);
            i = end;
        } else if (line.mid(i, 2) == QLatin1String("//")) {
            comments << line.mid(i + 2);
            break;
        } else if (line.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = line.indexOf(QLatin1String("*/"), i + 2);
            comments << line.mid(i + 2, end < 0 ? -1 : end - i - 2);
            result.code += u' ';
            if (end < 0) {
                blockOpen = true;
                break;
            }
            i = end + 2;
        } else {
            result.code += line[i++];
        }
    }
    if (!comments.isEmpty())
        result.comment = comments.join(u' ');
    return result;
}

bool isConditional(const QString& code) {
    qsizetype i = 0;
    while (i < code.size() && isBlankOrTab(code[i]))
        ++i;
    if (i == code.size() || code[i] != u'#')
        return false;
    ++i;
    while (i < code.size() && isBlankOrTab(code[i]))
        ++i;
    qsizetype end = i;
    while (end < code.size() && code[end].isLetter())
        ++end;
    static const QStringList kConditionals{QStringLiteral("if"),      QStringLiteral("ifdef"),
                                           QStringLiteral("ifndef"),  QStringLiteral("elif"),
                                           QStringLiteral("elifdef"), QStringLiteral("elifndef"),
                                           QStringLiteral("else"),    QStringLiteral("endif")};
    return kConditionals.contains(code.mid(i, end - i)) &&
           (end == code.size() || !(code[end].isLetterOrNumber() || code[end] == u'_'));
}

} // namespace pxu::dc
