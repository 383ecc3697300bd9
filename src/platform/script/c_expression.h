#pragma once

#include "c_integer.h"
#include "c_tokens.h"

#include <QString>
#include <memory>
#include <string_view>
#include <vector>

namespace pxu::script {

// The value of a macro's expansion, kept so that a chain of macros, each written with the
// one before, is evaluated once a macro and not once a use.
struct CMacroValue {
    bool known = false; // evaluated since the last change of the macros
    bool valid = false; // it had a value
    CInt value;
    int binding = 0;      // how tightly its outermost operator binds
    unsigned asOf = 0;    // the macros made up to its evaluation
    unsigned changes = 0; // and the changes up to then
};

// An object-like macro (#define NAME value) or one with parameters, which is not expanded.
struct CMacro {
    explicit CMacro(std::string_view value)
        : source(value)
        , tokens(tokensOf(source)) {}
    // The tokens point into source: a macro stays where it was made.
    CMacro(const CMacro&) = delete;
    CMacro& operator=(const CMacro&) = delete;

    CSource source;             // its value as written
    std::vector<CToken> tokens; // in source
    bool hasParameters = false;
    unsigned made = 0;              // its place in the order the macros were made
    mutable bool expanding = false; // C expands no macro again inside its own value
    mutable CMacroValue value;
};

// What names stand for in a constant expression.
class CNames {
public:
    virtual ~CNames() = default;
    virtual const CMacro* macro(std::string_view name) const = 0;
    // An enumeration member scanned before.
    virtual const CInt* constant(std::string_view name) const = 0;
    // Told of a name that is neither, before the expression fails on it.
    virtual void unknown(std::string_view name) = 0;

    // A new macro takes its place in the order.
    void made(CMacro& macro) { macro.made = ++m_made; }
    // A macro removed or a member's name made a macro: the macros' values may have changed.
    void changed() { ++m_changes; }

    // Where the expansion of macros stands, kept by the expression evaluator.
    struct Expansion {
        std::vector<const CMacro*> expanding; // innermost last
        bool quiet = false;                   // unknown names not told
    };
    Expansion& expansion() { return m_expansion; }
    unsigned madeSoFar() const { return m_made; }
    unsigned changes() const { return m_changes; }

private:
    Expansion m_expansion;
    unsigned m_made = 0;
    unsigned m_changes = 0;
};

class CTokenSource {
public:
    virtual ~CTokenSource() = default;
    // The next token; End at the end, and again after it.
    virtual CToken next() = 0;
};

// The tokens of a list, then End.
class CTokenList : public CTokenSource {
public:
    explicit CTokenList(const std::vector<CToken>& tokens)
        : m_tokens(tokens) {}
    CToken next() override { return m_next < m_tokens.size() ? m_tokens[m_next++] : CToken{}; }

private:
    const std::vector<CToken>& m_tokens;
    size_t m_next = 0;
};

// The tokens of a source with its macros expanded as C expands object-like macros. A token
// from a macro's value carries the line of the name that called it.
class CExpander {
public:
    CExpander(CTokenSource& source, CNames& names)
        : m_source(source)
        , m_names(names) {}
    ~CExpander();
    CExpander(const CExpander&) = delete;
    CExpander& operator=(const CExpander&) = delete;

    // expand false: the token as written, a macro's name unexpanded.
    const CToken& peek(bool expand = true);
    CToken take(bool expand = true);
    // Outside every macro's value: the token after peek(false), as written.
    bool outsideMacros() const { return m_frames.empty(); }
    const CToken& peekSecond();
    // The line of the last token read.
    int line() const { return m_line; }

private:
    CToken pull();

    struct Frame {
        const CMacro* macro;
        size_t next;
        int line;
    };
    CTokenSource& m_source;
    CNames& m_names;
    std::vector<Frame> m_frames;
    CToken m_token;
    CToken m_second;
    bool m_held = false;
    bool m_secondHeld = false;
    bool m_expanded = false;
    size_t m_expandedTokens = 0;
    int m_line = 0;
};

// A constant expression of C evaluated as the build's compiler evaluates it for the
// integer types: integer and character constants, names of macros and of enumeration
// members scanned before, unary + - ~ !, casts to an integer type, * / % + - << >> < > <=
// >= == != & ^ | && || ?: and parentheses. An operand that C does not evaluate (after 0 &&,
// beside the arm ?: does not take) gives its type but fails on nothing but its syntax and
// names. Reads up to the first token that cannot go on with the expression, which
// tokens.peek() then gives. Throws CError.
CInt evaluateConstantExpression(CExpander& tokens, CNames& names);
// The value of the macro's expansion, its tokens to their end; kept for its later uses.
CInt evaluateMacro(const CMacro& macro, CNames& names);

// Whether the name is one of C's keywords, which no member or macro can be named.
bool isCKeyword(std::string_view name);

} // namespace pxu::script
