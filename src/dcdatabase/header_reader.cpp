#include "header_reader.h"

#include "header_file_reader.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace pxu::dc {

namespace {

using script::CToken;

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

// The text a "// scanStart" names its section by: blanks and a colon around it are no part
// of it.
QString sectionText(std::string_view afterMarker) {
    QString text = latin1(afterMarker).trimmed();
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

bool isConditional(std::string_view name) {
    return name == "if" || name == "ifdef" || name == "ifndef" || name == "elif" ||
           name == "elifdef" || name == "elifndef" || name == "else" || name == "endif";
}

// Directives that define nothing the scan reads.
bool isPassive(std::string_view name) {
    return name == "include" || name == "include_next" || name == "pragma" || name == "line" ||
           name == "ident" || name == "sccs" || name == "warning" || name == "import" ||
           name == "assert" || name == "unassert";
}

// The text between the first and the last token, as written.
std::string_view spanOf(const std::string& text, const CToken& first, const CToken& last) {
    return std::string_view(text).substr(first.offset, last.offset + last.size - first.offset);
}

bool sameTokens(const std::vector<CToken>& a, const std::vector<CToken>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CToken& x, const CToken& y) {
        return x.kind == y.kind && x.text == y.text && x.spaceBefore == y.spaceBefore;
    });
}

} // namespace

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::optional<qint32> idOf(const script::CInt& value) {
    const std::optional<std::int64_t> v = value.value();
    if (v && *v >= std::numeric_limits<qint32>::min() && *v <= std::numeric_limits<qint32>::max())
        return qint32(*v);
    return std::nullopt;
}

FileReader::FileReader(std::string_view bytes, HeaderSymbols& symbols, HeaderReaderSink& sink)
    : m_source(bytes)
    , m_lexer(m_source)
    , m_symbols(symbols)
    , m_sink(sink)
    , m_progressStep(std::max<size_t>(m_source.text().size() / 100, 1)) {}

void FileReader::fail(int line, const QString& text) {
    throw HeaderError{line, text};
}

CToken FileReader::raw() {
    if (m_pushed) {
        m_pushed = false;
        return m_pushedToken;
    }
    CToken token = m_lexer.next();
    if (token.offset >= m_reported + m_progressStep || token.kind == CToken::Kind::End) {
        const size_t size = std::max<size_t>(m_source.text().size(), 1);
        m_sink.progress(double(std::min(token.offset, size) - m_reported) / double(size));
        m_reported = std::min(token.offset, size);
    }
    if (token.unterminated)
        fail(token.line,
             QStringLiteral("the block comment that begins here is not closed at the end of "
                            "the file"));
    return token;
}

void FileReader::pushBack(const CToken& token) {
    m_pushedToken = token;
    m_pushed = true;
}

CToken FileReader::code() {
    for (;;) {
        const CToken token = raw();
        if (token.kind != CToken::Kind::Comment)
            return token;
        comment(token);
    }
}

void FileReader::comment(const CToken& token) {
    if (!token.lineComment || !token.firstColumn)
        return;
    // "// scanStart" and "// scanEnd": the comment's text after its "//".
    if (token.text.starts_with(" scanStart")) {
        m_scanning = true;
        const QString text = sectionText(token.text.substr(10));
        if (const std::optional<int> named = sectionNumber(text))
            m_section = *named;
        else
            m_sink.warning(token.line,
                           QStringLiteral("\"%1\" names no section of the scan (%2): the "
                                          "section before goes on")
                               .arg(text, sectionNames()));
    } else if (token.text.starts_with(" scanEnd")) {
        m_scanning = false;
    }
}

void FileReader::run() {
    for (;;) {
        const CToken token = code();
        if (token.kind == CToken::Kind::End)
            break;
        if (!m_scanning)
            continue;
        if (token.is('#') && token.lineStart)
            directive(token);
        else if (token.kind == CToken::Kind::Identifier && token.text == "enum")
            enumeration(token);
    }
}

int FileReader::directive(const CToken& hash) {
    const int section = m_section;
    std::vector<CToken> tokens;
    int lastLine = hash.line;
    for (;;) {
        const CToken token = raw();
        if (token.kind == CToken::Kind::Comment) {
            if (token.lineComment && token.firstColumn) {
                pushBack(token);
                break;
            }
            continue;
        }
        if (token.kind == CToken::Kind::End || token.lineStart) {
            if (token.kind == CToken::Kind::End && m_source.endsContinued())
                fail(hash.line, QStringLiteral("the #define continued here with \"\\\" is not "
                                               "complete at the end of the file"));
            pushBack(token);
            break;
        }
        tokens.push_back(token);
        lastLine = token.endLine;
    }
    if (tokens.empty() || tokens[0].kind == CToken::Kind::Number)
        return lastLine; // the null directive, or a line marker
    const std::string_view name = tokens[0].text;
    const QString written = latin1(hash.logicalLine).trimmed();
    if (tokens[0].kind != CToken::Kind::Identifier)
        fail(hash.line, QStringLiteral("\"%1\" is no preprocessing directive").arg(written));
    if (isConditional(name))
        fail(hash.line, QStringLiteral("the conditional \"%1\" lies in a scanned section: the "
                                       "scan cannot know which branch the control software "
                                       "is built with")
                            .arg(written));
    if (name == "define") {
        define(tokens, hash, section == kConstantsSection, lastLine);
    } else if (name == "undef") {
        if (tokens.size() < 2 || tokens[1].kind != CToken::Kind::Identifier)
            fail(hash.line, QStringLiteral("\"%1\" names no macro").arg(written));
        m_symbols.undefine(tokens[1].text);
    } else if (name == "error") {
        fail(hash.line, QStringLiteral("\"%1\" stops the C compiler").arg(written));
    } else if (!isPassive(name)) {
        fail(hash.line, QStringLiteral("\"%1\" is no preprocessing directive").arg(written));
    }
    return lastLine;
}

void FileReader::define(const std::vector<CToken>& tokens, const CToken& hash, bool writesRow,
                        int lastLine) {
    const QString written = latin1(hash.logicalLine).trimmed();
    if (tokens.size() < 2 || tokens[1].kind != CToken::Kind::Identifier)
        fail(hash.line, QStringLiteral("\"%1\" names no macro").arg(written));
    const CToken& nameToken = tokens[1];
    const QString name = latin1(nameToken.text);
    size_t first = 2;
    const bool hasParameters = tokens.size() > 2 && tokens[2].is('(') && !tokens[2].spaceBefore;
    if (hasParameters) {
        while (first < tokens.size() && !tokens[first].is(')'))
            ++first;
        if (first == tokens.size())
            fail(hash.line, QStringLiteral("the parameters of %1 are not closed").arg(name));
        ++first;
    }
    const std::string_view value = first < tokens.size()
                                       ? spanOf(m_source.text(), tokens[first], tokens.back())
                                       : std::string_view();
    if (const script::CMacro* before = m_symbols.macro(nameToken.text)) {
        const script::CMacro again(value);
        if (before->hasParameters == hasParameters && sameTokens(before->tokens, again.tokens))
            return; // C takes the same definition again
        fail(lastLine, QStringLiteral("%1 is defined again with another value (first at %2)")
                           .arg(name, m_symbols.macroWhere(nameToken.text)->text()));
    }
    script::CMacro& macro = m_symbols.define(nameToken.text, value, hash.line);
    macro.hasParameters = hasParameters;
    if (!writesRow)
        return;
    if (hasParameters) {
        m_sink.warning(lastLine, QStringLiteral("the macro %1 has parameters: it is no constant "
                                                "and gives no row")
                                     .arg(name));
        return;
    }
    if (macro.tokens.empty())
        fail(lastLine, QStringLiteral("\"%1\" defines no value").arg(written));
    // A text: C holds no number for it.
    if (std::all_of(macro.tokens.begin(), macro.tokens.end(), [](const CToken& t) {
            return t.kind == CToken::Kind::String || t.is('(') || t.is(')');
        }))
        return;
    try {
        const script::CInt result = script::evaluateMacro(macro, m_symbols);
        m_sink.define(name, storedId(result, name, lastLine), lastLine);
    } catch (const script::CError& error) {
        fail(lastLine, QStringLiteral("'%1' cannot be evaluated: %2")
                           .arg(latin1(value).simplified(), error.text));
    }
}

qint32 FileReader::storedId(const script::CInt& value, const QString& name, int line) {
    if (const std::optional<qint32> id = idOf(value))
        return *id;
    const qint32 bits = qint32(std::uint32_t(value.bits));
    m_sink.warning(line, QStringLiteral("the value %1 of %2 lies outside the 32 bits of an id: it "
                                        "is stored with its low 32 bits, as %3")
                             .arg(value.text(), name)
                             .arg(bits));
    return bits;
}

void FileReader::enumeration(const CToken& keyword) {
    CToken token = code();
    if (token.kind == CToken::Kind::Identifier)
        token = code(); // the tag
    if (!token.is('{')) {
        pushBack(token); // the name of an enumeration type, not its definition
        return;
    }
    if (m_section == kConstantsSection)
        return; // a constants section gives its #define constants alone
    readEnumeration(*this, keyword, token);
}

void readHeader(std::string_view bytes, HeaderSymbols& symbols, HeaderReaderSink& sink) {
    FileReader(bytes, symbols, sink).run();
}

} // namespace pxu::dc
