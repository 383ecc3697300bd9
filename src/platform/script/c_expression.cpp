#include "c_expression.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace pxu::script {

namespace {

// Enough for any header's macros; what grows past it grows without end.
constexpr size_t kMaxExpandedTokens = size_t(1) << 16;
// Brackets, signs and casts inside each other; the parser's own stack holds that many.
constexpr int kMaxDepth = 256;

QString textOf(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

[[noreturn]] void fail(const QString& text) {
    throw CError{text};
}

// The typedef names of the integer types the headers use, each with its width and sign.
struct TypedefName {
    std::string_view name;
    int width;
    bool isUnsigned;
};
constexpr TypedefName kTypedefNames[] = {
    {"int8_t", 8, false},   {"uint8_t", 8, true},   {"int16_t", 16, false}, {"uint16_t", 16, true},
    {"int32_t", 32, false}, {"uint32_t", 32, true}, {"int64_t", 64, false}, {"uint64_t", 64, true},
    {"s8", 8, false},       {"u8", 8, true},        {"s16", 16, false},     {"u16", 16, true},
    {"s32", 32, false},     {"u32", 32, true},
};

const TypedefName* typedefName(std::string_view name) {
    for (const TypedefName& t : kTypedefNames) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

bool isSpecifier(std::string_view word) {
    return word == "char" || word == "short" || word == "int" || word == "long" ||
           word == "signed" || word == "unsigned" || word == "_Bool" || word == "const" ||
           word == "volatile";
}

// The type a cast's words name: specifiers in any order, or one typedef name, each with
// qualifiers. Nothing for words that name no integer type.
std::optional<CCastType> castType(const std::vector<std::string_view>& words) {
    int chars = 0, shorts = 0, ints = 0, longs = 0, signs = 0, unsigneds = 0, bools = 0;
    const TypedefName* named = nullptr;
    int others = 0;
    for (std::string_view w : words) {
        if (w == "const" || w == "volatile")
            continue;
        if (const TypedefName* t = typedefName(w)) {
            named = named ? nullptr : t;
            ++others;
            continue;
        }
        chars += w == "char";
        shorts += w == "short";
        ints += w == "int";
        longs += w == "long";
        signs += w == "signed";
        unsigneds += w == "unsigned";
        bools += w == "_Bool";
    }
    const int specifiers = chars + shorts + ints + longs + signs + unsigneds + bools;
    if (others > 0)
        return others == 1 && named && specifiers == 0
                   ? std::optional(CCastType{named->width, named->isUnsigned, false})
                   : std::nullopt;
    if (specifiers == 0 || signs + unsigneds > 1 || ints > 1 || longs > 2 || shorts > 1 ||
        chars > 1 || bools > 1)
        return std::nullopt;
    const bool isUnsignedType = unsigneds == 1;
    if (bools == 1)
        return specifiers == 1 ? std::optional(CCastType{1, true, false}) : std::nullopt;
    if (chars == 1)
        return shorts + ints + longs == 0 ? std::optional(CCastType{8, isUnsignedType, false})
                                          : std::nullopt;
    if (shorts == 1)
        return longs == 0 ? std::optional(CCastType{16, isUnsignedType, false}) : std::nullopt;
    if (longs > 0)
        return CCastType{64, isUnsignedType, longs == 2};
    return CCastType{32, isUnsignedType, false};
}

// The binding of a binary operator, 0 for a token that is none.
int precedenceOf(const CToken& token) {
    if (token.kind != CToken::Kind::Punctuator)
        return 0;
    const std::string_view op = token.text;
    if (op == "||")
        return 1;
    if (op == "&&")
        return 2;
    if (op == "|")
        return 3;
    if (op == "^")
        return 4;
    if (op == "&")
        return 5;
    if (op == "==" || op == "!=")
        return 6;
    if (op == "<" || op == ">" || op == "<=" || op == ">=")
        return 7;
    if (op == "<<" || op == ">>")
        return 8;
    if (op == "+" || op == "-")
        return 9;
    if (op == "*" || op == "/" || op == "%")
        return 10;
    return 0;
}

QString described(const CToken& token) {
    return token.kind == CToken::Kind::End ? QStringLiteral("the end")
                                           : u'"' + textOf(token.text) + u'"';
}

// How tightly an operand binds: a binary operator by its precedence (1 to 10), an operand
// of ?: below them all.
constexpr int kUnaryBinding = 11;
constexpr int kPrimaryBinding = 12;

struct Operand {
    CInt value;
    int binding = kPrimaryBinding;
};

// Paints a macro for the time of its expansion: C expands no macro inside its own value.
class Painting {
public:
    Painting(const CMacro& macro, CNames& names)
        : m_macro(macro)
        , m_names(names) {
        macro.expanding = true;
        names.expansion().expanding.push_back(&macro);
    }
    ~Painting() {
        m_macro.expanding = false;
        m_names.expansion().expanding.pop_back();
    }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;

private:
    const CMacro& m_macro;
    CNames& m_names;
};

class Parser {
public:
    Parser(CExpander& tokens, CNames& names)
        : m_tokens(tokens)
        , m_names(names) {}

    Operand conditional(bool live) {
        const Nesting nesting(*this);
        const Operand condition = binaryFrom(1, live);
        if (!m_tokens.peek().is('?'))
            return condition;
        m_tokens.take();
        const bool yes = !condition.value.isZero();
        const CInt ifTrue = conditional(live && yes).value;
        expect(':');
        const CInt ifFalse = conditional(live && !yes).value;
        const CType type = commonType(ifTrue.type, ifFalse.type);
        return {converted(yes ? ifTrue : ifFalse, type), 0};
    }

private:
    Operand binaryFrom(int lowest, bool live) {
        Operand left = castOrUnary(live, lowest);
        for (;;) {
            const int precedence = precedenceOf(m_tokens.peek());
            if (precedence < lowest || precedence == 0)
                return left;
            const CToken op = m_tokens.take();
            const bool andOp = op.text == "&&";
            const bool orOp = op.text == "||";
            const bool decided = (andOp && left.value.isZero()) || (orOp && !left.value.isZero());
            const bool rightLive = live && !decided;
            const CInt right = binaryFrom(precedence + 1, rightLive).value;
            if (!live)
                left.value = CInt{binaryType(op.text, left.value.type, right.type), 0};
            else if (decided)
                left.value = CInt::ofInt(orOp ? 1 : 0);
            else
                left.value = binary(op.text, left.value, right);
            left.binding = precedence;
        }
    }

    // need: how tightly the operand must bind for what stands before it.
    Operand castOrUnary(bool live, int need) {
        const Nesting nesting(*this);
        if (const std::optional<Operand> macro = macroValue(need))
            return *macro;
        if (!m_tokens.peek().is('('))
            return unary(live);
        m_tokens.take();
        if (isTypeWord(m_tokens.peek()))
            return {cast(live), kUnaryBinding};
        const CInt inner = conditional(live).value;
        if (m_tokens.peek().is(','))
            fail(QStringLiteral("C allows no comma operator in a constant expression"));
        expect(')');
        return {inner};
    }

    // A macro's value in place of its expansion, where the expansion would be parsed as one
    // operand: it binds at least as tightly as the operators on both sides of it.
    std::optional<Operand> macroValue(int need) {
        if (!m_tokens.outsideMacros())
            return std::nullopt;
        const CToken& token = m_tokens.peek(false);
        if (token.kind != CToken::Kind::Identifier)
            return std::nullopt;
        const CMacro* macro = m_names.macro(token.text);
        if (!macro || macro->expanding || macro->hasParameters)
            return std::nullopt;
        const CMacroValue& value = valueOf(*macro);
        if (!value.valid || value.binding < need)
            return std::nullopt;
        const CToken& after = m_tokens.peekSecond();
        const int right = after.is('?') ? 1 : precedenceOf(after);
        if (right > value.binding)
            return std::nullopt;
        m_tokens.take(false);
        return Operand{value.value, value.binding};
    }

    // The macro's value, evaluated once while it holds. It holds while no macro has been
    // removed and no member's name made a macro since, and while the macros expanded now
    // are younger than it: one of them in its expansion would have been unknown or a
    // member then.
    const CMacroValue& valueOf(const CMacro& macro) {
        const CMacroValue& value = macro.value;
        const auto& expanding = m_names.expansion().expanding;
        const bool holds = value.known && value.changes == m_names.changes() &&
                           std::all_of(expanding.begin(), expanding.end(),
                                       [&](const CMacro* m) { return m->made > value.asOf; });
        if (holds)
            return value;
        static const CMacroValue none;
        if (!expanding.empty())
            return none; // evaluated alone, it could differ from its expansion here

        CNames::Expansion& state = m_names.expansion();
        const bool quiet = state.quiet;
        state.quiet = true; // the expansion that follows tells what is unknown
        try {
            evaluateMacro(macro, m_names);
        } catch (const CError&) {
            macro.value = {true, false, {}, 0, m_names.madeSoFar(), m_names.changes()};
        }
        state.quiet = quiet;
        return macro.value;
    }

    bool isTypeWord(const CToken& token) const {
        if (token.kind != CToken::Kind::Identifier)
            return false;
        return isSpecifier(token.text) ||
               (typedefName(token.text) && !m_names.constant(token.text));
    }

    CInt cast(bool live) {
        std::vector<std::string_view> words;
        while (isTypeWord(m_tokens.peek()))
            words.push_back(m_tokens.take().text);
        QStringList written;
        for (std::string_view w : words)
            written << textOf(w);
        const std::optional<CCastType> type = castType(words);
        if (!type)
            fail(QStringLiteral("(%1) names no integer type").arg(written.join(u' ')));
        expect(')');
        const CToken& operand = m_tokens.peek();
        if (operand.kind == CToken::Kind::Number) {
            if (const std::optional<double> floating = floatingConstant(operand.text)) {
                m_tokens.take();
                return castFloating(*floating, *type, written.join(u' '));
            }
        }
        const CInt value = castOrUnary(live, kUnaryBinding).value;
        return castTo(value, *type);
    }

    static CInt castFloating(double value, const CCastType& type, const QString& written) {
        const double whole = std::trunc(value);
        if (type.width == 1)
            return CInt::ofInt(value != 0 ? 1 : 0);
        const double low = type.isUnsigned ? 0 : -std::ldexp(1.0, type.width - 1);
        const double high = std::ldexp(1.0, type.isUnsigned ? type.width : type.width - 1);
        if (!(whole >= low && whole < high))
            fail(QStringLiteral("%1 does not fit (%2)")
                     .arg(QString::number(value, 'g', 17), written));
        const std::uint64_t bits = whole >= std::ldexp(1.0, 63)
                                       ? std::uint64_t(whole)
                                       : std::uint64_t(std::int64_t(whole));
        return castTo(CInt{type.isUnsigned ? CType::UnsignedLongLong : CType::LongLong, bits},
                      type);
    }

    Operand unary(bool live) {
        const CToken& token = m_tokens.peek();
        if (token.kind == CToken::Kind::Punctuator) {
            const std::string_view op = token.text;
            if (op == "+" || op == "-" || op == "~" || op == "!") {
                m_tokens.take();
                const CInt operand = castOrUnary(live, kUnaryBinding).value;
                if (op == "!")
                    return {live ? notted(operand) : CInt{}, kUnaryBinding};
                if (!live)
                    return {CInt{operand.type, 0}, kUnaryBinding};
                return {op == "-"   ? negated(operand)
                        : op == "~" ? complemented(operand)
                                    : operand,
                        kUnaryBinding};
            }
            if (op == "++" || op == "--")
                fail(QStringLiteral("C allows no \"%1\" in a constant expression").arg(textOf(op)));
        }
        return {primary()};
    }

    CInt primary() {
        const CToken token = m_tokens.take();
        switch (token.kind) {
        case CToken::Kind::Number:
            return integerConstant(token.text);
        case CToken::Kind::Character:
            return characterConstant(token.text);
        case CToken::Kind::String:
            fail(QStringLiteral("the string %1 is no integer").arg(textOf(token.text)));
        case CToken::Kind::Identifier:
            if (token.text == "sizeof" || token.text == "_Alignof")
                fail(QStringLiteral("the scan does not evaluate %1").arg(textOf(token.text)));
            if (isCKeyword(token.text))
                fail(QStringLiteral("%1 where an operand is expected").arg(described(token)));
            if (const CInt* value = m_names.constant(token.text))
                return *value;
            if (!m_names.expansion().quiet)
                m_names.unknown(token.text);
            fail(QStringLiteral("%1 is not defined before it").arg(textOf(token.text)));
        default:
            fail(QStringLiteral("%1 where an operand is expected").arg(described(token)));
        }
    }

    void expect(char punctuator) {
        if (!m_tokens.peek().is(punctuator))
            fail(QStringLiteral("\"%1\" expected, not %2")
                     .arg(QString(QLatin1Char(punctuator)), described(m_tokens.peek())));
        m_tokens.take();
    }

    class Nesting {
    public:
        explicit Nesting(Parser& parser)
            : m_parser(parser) {
            if (++m_parser.m_depth > kMaxDepth)
                fail(QStringLiteral("the expression is nested more deeply than %1 levels")
                         .arg(kMaxDepth));
        }
        ~Nesting() { --m_parser.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& m_parser;
    };

    CExpander& m_tokens;
    CNames& m_names;
    int m_depth = 0;
};

} // namespace

CExpander::~CExpander() {
    for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame) {
        frame->macro->expanding = false;
        m_names.expansion().expanding.pop_back();
    }
}

CToken CExpander::pull() {
    while (!m_frames.empty() && m_frames.back().next == m_frames.back().macro->tokens.size()) {
        m_frames.back().macro->expanding = false;
        m_names.expansion().expanding.pop_back();
        m_frames.pop_back();
    }
    CToken token;
    if (!m_frames.empty()) {
        Frame& frame = m_frames.back();
        token = frame.macro->tokens[frame.next++];
        token.line = token.endLine = m_frames.front().line;
    } else if (m_secondHeld) {
        token = m_second;
        m_secondHeld = false;
    } else {
        token = m_source.next();
    }
    m_line = token.line;
    return token;
}

const CToken& CExpander::peekSecond() {
    peek(false);
    if (!m_secondHeld) {
        m_second = m_source.next();
        m_secondHeld = true;
    }
    return m_second;
}

const CToken& CExpander::peek(bool expand) {
    if (!m_held) {
        m_token = pull();
        m_held = true;
        m_expanded = false;
    }
    while (expand && !m_expanded) {
        const CMacro* macro =
            m_token.kind == CToken::Kind::Identifier ? m_names.macro(m_token.text) : nullptr;
        if (!macro || macro->expanding) {
            m_expanded = true;
            break;
        }
        if (macro->hasParameters)
            fail(QStringLiteral("%1 is a macro with parameters, which the scan does not expand")
                     .arg(textOf(m_token.text)));
        m_expandedTokens += macro->tokens.size();
        if (m_expandedTokens > kMaxExpandedTokens)
            fail(
                QStringLiteral("the macros expand to more than %1 tokens").arg(kMaxExpandedTokens));
        macro->expanding = true;
        m_names.expansion().expanding.push_back(macro);
        m_frames.push_back({macro, 0, m_frames.empty() ? m_token.line : m_frames.front().line});
        m_token = pull();
    }
    return m_token;
}

CToken CExpander::take(bool expand) {
    peek(expand);
    m_held = false;
    return m_token;
}

CInt evaluateConstantExpression(CExpander& tokens, CNames& names) {
    return Parser(tokens, names).conditional(true).value;
}

CInt evaluateMacro(const CMacro& macro, CNames& names) {
    const Painting painting(macro, names);
    CTokenList list(macro.tokens);
    CExpander expander(list, names);
    const Operand result = Parser(expander, names).conditional(true);
    if (expander.peek().kind != CToken::Kind::End)
        fail(QStringLiteral("\"%1\" after the value").arg(textOf(expander.peek().text)));
    macro.value = {true, true, result.value, result.binding, names.madeSoFar(), names.changes()};
    return result.value;
}

bool isCKeyword(std::string_view name) {
    if (name.empty() || (name[0] != '_' && (name[0] < 'a' || name[0] > 'z')))
        return false;
    static const std::unordered_set<std::string_view> keywords{
        "auto",           "break",        "case",     "char",     "const",      "continue",
        "default",        "do",           "double",   "else",     "enum",       "extern",
        "float",          "for",          "goto",     "if",       "inline",     "int",
        "long",           "register",     "restrict", "return",   "short",      "signed",
        "sizeof",         "static",       "struct",   "switch",   "typedef",    "union",
        "unsigned",       "void",         "volatile", "while",    "_Alignas",   "_Alignof",
        "_Atomic",        "_Bool",        "_Complex", "_Generic", "_Imaginary", "_Noreturn",
        "_Static_assert", "_Thread_local"};
    return keywords.contains(name);
}

} // namespace pxu::script
