// Constant expressions against the values and types the build's C compiler gives them.
#include "platform/script/c_expression.h"

#include <QtTest>
#include <list>
#include <map>
#include <memory>

using namespace pxu::script;

namespace {

// Macros and members given as text, and the names asked for in vain.
class Names : public CNames {
public:
    void define(const std::string& name, const std::string& value, bool parameters = false) {
        auto& macro = m_macros[name];
        macro = std::make_unique<CMacro>(std::string_view(m_texts.emplace_back(value)));
        macro->hasParameters = parameters;
        made(*macro);
    }
    void add(const std::string& name, CInt value) { m_constants[name] = value; }

    const CMacro* macro(std::string_view name) const override {
        const auto it = m_macros.find(std::string(name));
        return it == m_macros.end() ? nullptr : it->second.get();
    }
    const CInt* constant(std::string_view name) const override {
        const auto it = m_constants.find(std::string(name));
        return it == m_constants.end() ? nullptr : &it->second;
    }
    void unknown(std::string_view name) override {
        unknowns << QString::fromLatin1(name.data(), qsizetype(name.size()));
    }

    QStringList unknowns;

private:
    std::list<std::string> m_texts;
    std::map<std::string, std::unique_ptr<CMacro>> m_macros;
    std::map<std::string, CInt> m_constants;
};

struct Outcome {
    QString value; // "<type> <value>", or the failure
    QStringList unknowns;
};

Outcome evaluate(const QString& expression) {
    Names names;
    names.define("SUM", "1 + 2");
    names.define("COND", "1 ? 2 : 3");
    names.define("NEGATIVE", "-4");
    names.define("LEFT", "SUM - 1");
    names.define("MASK", "0xFFFFu");
    names.define("SELF", "SELF + 1");
    names.define("PING", "PONG");
    names.define("PONG", "PING");
    names.define("U16", "unsigned short");
    names.define("EMPTY", "");
    names.define("MAX", "((a) > (b) ? (a) : (b))", true);
    names.define("TWICE_0", "1");
    for (int i = 1; i <= 40; ++i)
        names.define("TWICE_" + std::to_string(i),
                     "(TWICE_" + std::to_string(i - 1) + " + TWICE_" + std::to_string(i - 1) + ")");
    names.add("MEMBER", CInt::ofInt(7));
    names.add("u8", CInt::ofInt(3));

    const std::string text = expression.toLatin1().toStdString();
    const CSource source(text);
    const std::vector<CToken> tokens = tokensOf(source);
    CTokenList list(tokens);
    CExpander expander(list, names);
    Outcome outcome;
    try {
        const CInt value = evaluateConstantExpression(expander, names);
        if (expander.peek().kind != CToken::Kind::End)
            outcome.value = QStringLiteral("stops at ") + QLatin1String(expander.peek().text);
        else
            outcome.value = nameOf(value.type) + u' ' + value.text();
    } catch (const CError& error) {
        outcome.value = error.text;
    }
    outcome.unknowns = names.unknowns;
    return outcome;
}

} // namespace

class CExpressionTest : public QObject {
    Q_OBJECT
private slots:
    void valuesAreThoseOfC_data();
    void valuesAreThoseOfC();
    void whatCDoesNotEvaluateFails_data();
    void whatCDoesNotEvaluateFails();
};

void CExpressionTest::valuesAreThoseOfC_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");

    const auto row = [](const char* name, const char* expression, const char* value) {
        QTest::newRow(name) << QString::fromLatin1(expression) << QString::fromLatin1(value);
    };
    row("decimal", "14", "int 14");
    row("octal", "017", "int 15");
    row("hexadecimal of 16 bits", "0xFFFF", "int 65535");
    row("hexadecimal beyond int", "0xFFFFFFFF", "unsigned int 4294967295");
    row("decimal beyond int", "2147483648", "long 2147483648");
    row("minus the smallest int", "-2147483648", "long -2147483648");
    row("u suffix", "14u", "unsigned int 14");
    row("U suffix on hexadecimal", "0x7FU", "unsigned int 127");
    row("UL suffix", "1UL << 12", "unsigned long 4096");
    row("lu, ll and ULL suffixes", "1lu + 2ll + 3ULL", "unsigned long long 6");
    row("largest unsigned", "18446744073709551615u", "unsigned long 18446744073709551615");
    row("character", "'A'", "int 65");
    row("escapes", "'\\n' + '\\x41' + '\\101' + '\\''", "int 179");
    row("char is signed", "'\\xFF'", "int -1");
    row("multi-character", "'ab'", "int 24930");
    row("wide characters", "L'a' + U'b'", "unsigned int 195");
    row("division truncates toward zero", "-7 / 2", "int -3");
    row("remainder takes the dividend's sign", "-7 % 3", "int -1");
    row("remainder of a negative divisor", "7 % -3", "int 1");
    row("half of 15", "(14 + 1) / 2", "int 7");
    row("unsigned division", "-1 / 2u", "unsigned int 2147483647");
    row("unsigned subtraction wraps", "0u - 1", "unsigned int 4294967295");
    row("negated unsigned", "-1u", "unsigned int 4294967295");
    row("right shift of a negative", "-1 >> 1", "int -1");
    row("a 1 into the sign bit", "1 << 31", "int -2147483648");
    row("31 bits one place left", "0x7FFFFFFF << 1", "int -2");
    row("shift of a long", "(long long)1 << 40", "long long 1099511627776");
    row("complement", "~0", "int -1");
    row("unsigned complement", "~0u", "unsigned int 4294967295");
    row("not", "!5 + !0", "int 1");
    row("precedence", "1 + 2 * 3 - 8 / 4 % 3", "int 5");
    row("bits", "0x0F & ~0x3 | 0x30 ^ 0x10", "int 44");
    row("shift binds weaker than sum", "1 << 2 + 1", "int 8");
    row("comparisons chain as C", "1 < 2 < 3", "int 1");
    row("signed below unsigned", "-1 < 0u", "int 0");
    row("signed below long", "-1 < 0L", "int 1");
    row("long against unsigned int", "-1L < 0u", "int 1");
    row("equality", "(3 == 3) + (3 != 3)", "int 1");
    row("logical", "2 && 3 || 0", "int 1");
    row("an operand not evaluated after &&", "0 && 1 / 0", "int 0");
    row("an operand not evaluated after ||", "1 || 1 / 0", "int 1");
    row("the arm not taken", "1 ? 2 : 3 / 0", "int 2");
    row("conditional of two types", "1 ? -1 : 0u", "unsigned int 4294967295");
    row("conditional long", "(0 ? 1L : 2u) - 3", "long -1");
    row("nested conditionals", "0 ? 1 : 2 ? 3 : 4", "int 3");
    row("unary signs", "- - 5 + +3", "int 8");
    row("cast to unsigned short", "(unsigned short)-1", "int 65535");
    row("cast to short", "(short)40000", "int -25536");
    row("cast to signed char", "(signed char)200", "int -56");
    row("cast to char", "(char)300", "int 44");
    row("cast to _Bool", "(_Bool)7", "int 1");
    row("cast to unsigned", "(unsigned)-1", "unsigned int 4294967295");
    row("cast to long unsigned int", "(long unsigned int)-1", "unsigned long 18446744073709551615");
    row("cast with qualifiers", "(const volatile int)5", "int 5");
    row("cast to a fixed-width type", "(uint8_t)0x1FF + (u16)0x12345", "int 9284");
    row("cast of a floating constant", "(int)2.9 + (unsigned char)255.5", "int 257");
    row("a member", "MEMBER * 2", "int 14");
    row("a member of a typedef's name is the member", "(u8) + 1", "int 4");
    row("a macro is its text", "SUM * 3", "int 7");
    row("a macro's text after an operator", "2 * SUM", "int 4");
    row("a macro's text twice", "SUM * SUM", "int 5");
    row("a macro's text where its value would do", "SUM - 1 + (SUM)", "int 5");
    row("a macro's text after a sign", "- SUM", "int 1");
    row("a macro's conditional", "COND + 1", "int 2");
    row("a macro's conditional in brackets", "(COND) + 1", "int 3");
    row("a macro's conditional as a condition", "COND ? 5 : 6", "int 2");
    row("a macro's sign", "1 - NEGATIVE * 2", "int 9");
    row("a macro of a macro", "LEFT * 2", "int 1");
    row("a macro's type", "MASK", "unsigned int 65535");
    row("a macro naming a type", "(U16)-1", "int 65535");
    row("an empty macro", "EMPTY 5", "int 5");
}

void CExpressionTest::valuesAreThoseOfC() {
    QFETCH(QString, expression);
    QFETCH(QString, value);
    const Outcome outcome = evaluate(expression);
    QCOMPARE(outcome.value, value);
    QCOMPARE(outcome.unknowns, QStringList());
}

void CExpressionTest::whatCDoesNotEvaluateFails_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("unknowns");

    const auto row = [](const char* name, const char* expression, const char* failure,
                        const QStringList& unknowns = {}) {
        QTest::newRow(name) << QString::fromLatin1(expression) << QString::fromLatin1(failure)
                            << unknowns;
    };
    row("unknown name", "A + 1", "A is not defined before it", {"A"});
    row("unknown name in an operand not evaluated", "0 && A", "A is not defined before it", {"A"});
    row("a macro in its own value", "SELF", "SELF is not defined before it", {"SELF"});
    row("macros in each other's value", "PING", "PING is not defined before it", {"PING"});
    row("division by zero", "1 / 0", "1 / 0 divides by zero");
    row("remainder by zero", "1 % (2 - 2)", "1 % 0 divides by zero");
    row("signed overflow", "0x7FFFFFFF + 1", "2147483647 + 1 overflows int");
    row("signed product overflow", "0x10000 * 0x10000", "65536 * 65536 overflows int");
    row("long overflow", "9223372036854775807 + 1", "9223372036854775807 + 1 overflows long");
    row("smallest int divided by -1", "(-0x7FFFFFFF - 1) / -1", "-2147483648 / -1 overflows int");
    row("negated smallest int", "-(-0x7FFFFFFF - 1)", "-(-2147483648) overflows int");
    row("shift by the width", "1 << 32", "the shift count 32 is not below the 32 bits of int");
    row("shift by a negative count", "1 >> -1", "the shift count -1 is negative");
    row("bits shifted out of int", "3 << 31", "3 << 31 overflows int");
    row("a 1 out of the sign bit", "-2 << 31", "-2 << 31 overflows int");
    row("floating constant", "1.5", "\"1.5\" is a floating constant, no integer");
    row("exponent", "1e3", "\"1e3\" is a floating constant, no integer");
    row("floating constant too large for its cast", "(unsigned char)256.0",
        "256 does not fit (unsigned char)");
    row("suffix C does not know", "14uu", "\"14uu\" ends in no integer suffix of C");
    row("suffix of mixed case", "14lL", "\"14lL\" ends in no integer suffix of C");
    row("octal with an 8", "08", "\"08\" has a digit that is no octal digit");
    row("hexadecimal without digits", "0x", "\"0x\" has no digits");
    row("too large for every type", "18446744073709551616",
        "\"18446744073709551616\" is too large for each type C gives it");
    row("unknown escape", "'\\q'", "'\\q' holds an escape sequence C does not know");
    row("escape beyond char", "'\\x100'", "'\\x100': the escape lies outside its type");
    row("empty character constant", "''", "'' is an empty character constant");
    row("character outside ASCII", "'\xE9'", "'\xE9' holds a character outside ASCII");
    row("string", "\"ab\"", "the string \"ab\" is no integer");
    row("comma operator", "(1, 2)", "C allows no comma operator in a constant expression");
    row("increment", "++1", "C allows no \"++\" in a constant expression");
    row("sizeof", "sizeof(int)", "the scan does not evaluate sizeof");
    row("a keyword", "int", "\"int\" where an operand is expected");
    row("cast to no integer type", "(unsigned float)1", "\")\" expected, not \"float\"");
    row("a floating constant under a sign is none a cast takes", "(int)-2.9",
        "\"2.9\" is a floating constant, no integer");
    row("cast of two sign words", "(signed unsigned)1", "(signed unsigned) names no integer type");
    row("unclosed bracket", "(1 + 2", "\")\" expected, not the end");
    row("missing operand", "1 +", "the end where an operand is expected");
    row("missing colon", "1 ? 2", "\":\" expected, not the end");
    row("macro with parameters", "MAX(1, 2)",
        "MAX is a macro with parameters, which the scan does not expand");
    row("macros that grow without end", "TWICE_40", "the macros expand to more than 65536 tokens");
    row("nested too deeply",
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
        "1",
        "the expression is nested more deeply than 256 levels");
}

void CExpressionTest::whatCDoesNotEvaluateFails() {
    QFETCH(QString, expression);
    QFETCH(QString, failure);
    QFETCH(QStringList, unknowns);
    const Outcome outcome = evaluate(expression);
    QCOMPARE(outcome.value, failure);
    QCOMPARE(outcome.unknowns, unknowns);
}

QTEST_GUILESS_MAIN(CExpressionTest)
#include "c_expression_test.moc"
