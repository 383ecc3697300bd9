// The members of an enumeration, laid out as C allows, and the comments that describe them:
// a comment that follows a member on its line describes it (the last member before the
// comment, where a line holds several); a member without one takes the comment of a line
// that begins with a comment, read since the member before it was complete.
#include "header_file_reader.h"
#include "platform/script/c_expression.h"

#include <limits>

namespace pxu::dc {

namespace {

using script::CInt;
using script::CToken;
using script::CType;

// The comments of one line, joined, replacing those of an earlier line.
struct LineComment {
    int line = 0;
    std::optional<QString> text;

    void add(int at, std::string_view comment) {
        if (text && line == at)
            *text += u' ' + latin1(comment);
        else
            text = latin1(comment);
        line = at;
    }
};

struct MemberComments {
    LineComment own;     // following the member on its line
    LineComment leading; // of a line that begins with a comment
};

// The tokens between the braces as C reads them, directives handled and comments kept for
// the members they describe. Which member a token belongs to is told by the commas outside
// brackets, before the tokens are parsed.
class EnumerationBody : public script::CTokenSource {
public:
    EnumerationBody(FileReader& reader, const CToken& brace)
        : m_reader(reader)
        , m_lastLine(brace.endLine) {}

    CToken next() override {
        if (m_closed)
            return {};
        for (;;) {
            const CToken token = m_reader.raw();
            if (token.kind == CToken::Kind::Comment) {
                m_reader.comment(token);
                attribute(token);
                continue;
            }
            if (token.is('#') && token.lineStart) {
                m_lastLine = m_reader.directive(token);
                m_lastOwner = -1;
                continue;
            }
            if (token.kind == CToken::Kind::End) {
                m_ended = true;
                return token;
            }
            int owner = int(m_member);
            if (token.is('(')) {
                ++m_depth;
            } else if (token.is(')')) {
                m_depth = std::max(0, m_depth - 1);
            } else if (token.is(',') && m_depth == 0) {
                ++m_member;
            } else if (token.is('}') && m_depth == 0) {
                owner = -1;
                m_closed = true;
            }
            m_lastLine = token.endLine;
            m_lastOwner = owner;
            return token;
        }
    }

    // The file ended before the closing brace.
    bool ended() const { return m_ended; }

    std::optional<QString> commentOf(size_t member) const {
        if (member >= m_comments.size())
            return std::nullopt;
        const MemberComments& c = m_comments[member];
        return c.own.text ? c.own.text : c.leading.text;
    }

private:
    MemberComments& commentsOf(size_t member) {
        if (m_comments.size() <= member)
            m_comments.resize(member + 1);
        return m_comments[member];
    }

    void attribute(const CToken& comment) {
        if (comment.line != m_lastLine)
            commentsOf(m_member).leading.add(comment.line, comment.text);
        else if (m_lastOwner >= 0)
            commentsOf(size_t(m_lastOwner)).own.add(comment.line, comment.text);
    }

    FileReader& m_reader;
    std::vector<MemberComments> m_comments;
    size_t m_member = 0; // the member the next token belongs to
    int m_depth = 0;
    int m_lastLine = 0; // of the last token, and the member it belongs to (-1: none)
    int m_lastOwner = -1;
    bool m_closed = false;
    bool m_ended = false;
};

bool isLargest(const CInt& value) {
    const std::uint64_t max = script::isUnsigned(value.type)
                                  ? (script::widthOf(value.type) == 32
                                         ? std::uint64_t(std::numeric_limits<std::uint32_t>::max())
                                         : std::numeric_limits<std::uint64_t>::max())
                                  : (script::widthOf(value.type) == 32
                                         ? std::uint64_t(std::numeric_limits<std::int32_t>::max())
                                         : std::uint64_t(std::numeric_limits<std::int64_t>::max()));
    return value.bits == max;
}

// A member's value as C types it: int wherever int holds it.
CInt asMember(const CInt& value) {
    return idOf(value) ? script::converted(value, CType::Int) : value;
}

struct Member {
    QString name;
    CInt value;
    int line = 0;
};

} // namespace

void readEnumeration(FileReader& reader, const CToken& keyword, const CToken& brace) {
    EnumerationBody body(reader, brace);
    HeaderSymbols& symbols = reader.symbols();
    script::CExpander tokens(body, symbols);
    std::vector<Member> members;
    const auto failUnclosed = [&] {
        reader.fail(keyword.line, QStringLiteral("the enumeration that begins here is not "
                                                 "closed at the end of the file"));
    };
    for (;;) {
        const CToken& token = tokens.peek(false);
        if (token.kind == CToken::Kind::End)
            failUnclosed();
        if (token.is('}')) {
            if (members.empty())
                reader.fail(token.line, QStringLiteral("the enumeration has no members"));
            tokens.take(false);
            break;
        }
        if (token.kind != CToken::Kind::Identifier || script::isCKeyword(token.text))
            reader.fail(token.line, QStringLiteral("\"%1\" where the name of a member is expected")
                                        .arg(latin1(token.text)));
        if (const auto where = symbols.macroWhere(token.text))
            reader.fail(token.line,
                        QStringLiteral("the member %1 has the name of the macro defined at %2, "
                                       "whose value C puts in its place")
                            .arg(latin1(token.text), where->text()));
        if (const auto where = symbols.constantWhere(token.text))
            reader.fail(token.line, QStringLiteral("the member %1 is a member already (%2)")
                                        .arg(latin1(token.text), where->text()));
        const std::string_view name = tokens.take(false).text;
        Member member{latin1(name), {}, 0};
        if (tokens.peek().is('=')) {
            tokens.take();
            try {
                member.value = asMember(script::evaluateConstantExpression(tokens, symbols));
            } catch (const script::CError& error) {
                if (body.ended())
                    failUnclosed();
                reader.fail(tokens.line(), QStringLiteral("the value of %1 cannot be evaluated: %2")
                                               .arg(member.name, error.text));
            }
        } else if (!members.empty()) {
            const CInt& previous = members.back().value;
            if (isLargest(previous))
                reader.fail(tokens.line(),
                            QStringLiteral("the value of %1 overflows %2: it follows %3 = %4")
                                .arg(member.name, script::nameOf(previous.type),
                                     members.back().name, previous.text()));
            member.value = asMember(CInt::of(previous.type, previous.bits + 1));
        }
        const CToken& end = tokens.peek();
        if (end.kind == CToken::Kind::End)
            failUnclosed();
        if (!end.is(',') && !end.is('}'))
            reader.fail(end.line, QStringLiteral("\",\" or \"}\" expected after the member %1, "
                                                 "not \"%2\"")
                                      .arg(member.name, latin1(end.text)));
        member.line = end.line;
        if (end.is(','))
            tokens.take();
        symbols.addConstant(name, member.value, member.line);
        members.push_back(member);
    }
    for (size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        reader.sink().member(
            {m.name, reader.storedId(m.value, m.name, m.line), body.commentOf(i), m.line});
    }
}

} // namespace pxu::dc
