#include "random_headers.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace pxu::test {

namespace {

using Int128 = __int128;

class Random {
public:
    explicit Random(quint64 seed)
        : m_engine(seed) {}
    int below(int n) { return int(m_engine() % std::uint64_t(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, size_t N> const T& pick(const T (&list)[N]) {
        return list[size_t(below(int(N)))];
    }

private:
    std::mt19937_64 m_engine;
};

// C's integer types as far as values go: long long is long, both of 64 bits.
enum class Kind { Int, UnsignedInt, Long, UnsignedLong };

int widthOf(Kind k) {
    return k == Kind::Int || k == Kind::UnsignedInt ? 32 : 64;
}

bool isUnsigned(Kind k) {
    return k == Kind::UnsignedInt || k == Kind::UnsignedLong;
}

Int128 lowest(Kind k) {
    return isUnsigned(k) ? 0 : -(Int128(1) << (widthOf(k) - 1));
}

Int128 highest(Kind k) {
    return isUnsigned(k) ? (Int128(1) << widthOf(k)) - 1 : (Int128(1) << (widthOf(k) - 1)) - 1;
}

Int128 wrapped(Int128 v, Kind k) {
    const Int128 m = Int128(1) << widthOf(k);
    v %= m;
    if (v < 0)
        v += m;
    if (!isUnsigned(k) && v > highest(k))
        v -= m;
    return v;
}

Kind common(Kind a, Kind b) {
    if (widthOf(a) == 64 || widthOf(b) == 64)
        return a == Kind::UnsignedLong || b == Kind::UnsignedLong ? Kind::UnsignedLong : Kind::Long;
    return isUnsigned(a) || isUnsigned(b) ? Kind::UnsignedInt : Kind::Int;
}

int bitsOf(Int128 v) {
    int bits = 0;
    for (Int128 m = v < 0 ? -v : v; m > 0; m >>= 1)
        ++bits;
    return bits;
}

std::string text(Int128 v) {
    if (v == 0)
        return "0";
    std::string s;
    for (Int128 m = v < 0 ? -v : v; m > 0; m /= 10)
        s.insert(s.begin(), char('0' + int(m % 10)));
    return v < 0 ? "-" + s : s;
}

struct Value {
    Int128 v = 0;
    Kind kind = Kind::Int;
};

constexpr int kPrimary = 100;
constexpr int kUnary = 50;
constexpr int kConditional = 0;

// An expression as its tokens, its value as C has it, and how tightly its outermost
// operator binds.
struct Expr {
    std::vector<std::string> tokens;
    Value value;
    int binding = kPrimary;
};

struct Symbol {
    std::string name;
    Value value;
    int binding = 100; // of a macro's value
};

// What stands beside an operand: how tightly an operand must bind for the operators on its
// left and on its right to leave it whole. A macro's text is used bare only where it does.
struct Around {
    int left = 0;
    int right = 0;
};

struct BinaryOperator {
    const char* text;
    int precedence;
};
constexpr BinaryOperator kOperators[] = {
    {"*", 10}, {"/", 10}, {"%", 10}, {"+", 9},  {"-", 9},  {"<<", 8},
    {">>", 8}, {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"==", 6},
    {"!=", 6}, {"&", 5},  {"^", 4},  {"|", 3},  {"&&", 2}, {"||", 1},
};

struct CastType {
    const char* spelling;
    int width;
    bool isUnsigned;
};
constexpr CastType kCasts[] = {
    {"int", 32, false},
    {"unsigned", 32, true},
    {"unsigned int", 32, true},
    {"long", 64, false},
    {"unsigned long", 64, true},
    {"long long", 64, false},
    {"unsigned long long", 64, true},
    {"short", 16, false},
    {"unsigned short", 16, true},
    {"signed char", 8, false},
    {"unsigned char", 8, true},
    {"uint8_t", 8, true},
    {"int16_t", 16, false},
    {"uint32_t", 32, true},
    {"u16", 16, true},
    {"u8", 8, true},
    {"s32", 32, false},
};

const char* const kEnumerationSections[] = {"global types", "global variables", "alarms",
                                            "global on-off-delay", "global parameters"};
const char* const kStems[] = {"SIG", "VAL", "MODE", "CFG", "STATE",
                              "LIM", "CNT", "K",    "X",   "SPEED"};
const char* const kWords[] = {"speed", "Gain", "limit",    "of the",   "rpm",   "12.5;", "7;",
                              "?;",    "ms",   "cylinder", "(bank A)", "- off", "x, y"};

bool touches(const std::string& token) {
    return token == "(" || token == ")" || token == "," || token == "{" || token == "}" ||
           token == ";";
}

class Generator {
public:
    explicit Generator(quint64 seed)
        : m_random(seed) {}

    RandomHeaders run() {
        RandomHeaders headers;
        headers.global = file("GLOBAL_H").c_str();
        headers.library = file("LIBRARY_H").c_str();
        headers.dataContainer = file("DATACONTAINER_H").c_str();
        return headers;
    }

private:
    // --- values -------------------------------------------------------------------------

    Expr expression(int depth, Around around = {}) {
        if (depth <= 0 || m_random.chance(25))
            return leaf(around);
        for (int attempt = 0; attempt < 8; ++attempt) {
            std::optional<Expr> e;
            switch (m_random.below(10)) {
            case 0:
            case 1:
                e = unary(depth, around);
                break;
            case 2:
                e = cast(depth, around);
                break;
            case 3:
                e = conditional(depth, around);
                break;
            default:
                e = binary(depth, around);
                break;
            }
            if (e)
                return m_random.chance(10) ? bracketed(*e) : *e;
        }
        return leaf(around);
    }

    static Expr bracketed(const Expr& e) {
        Expr b;
        b.tokens.push_back("(");
        b.tokens.insert(b.tokens.end(), e.tokens.begin(), e.tokens.end());
        b.tokens.push_back(")");
        b.value = e.value;
        return b;
    }

    // An operand that binds at least so tightly, in brackets where it does not.
    Expr operand(int binding, int depth, Around around) {
        const Expr e = expression(depth, around);
        return e.binding < binding ? bracketed(e) : e;
    }

    static Expr joined(std::initializer_list<const Expr*> parts,
                       std::initializer_list<const char*> between, Value value, int binding) {
        Expr e;
        auto op = between.begin();
        for (const Expr* part : parts) {
            e.tokens.insert(e.tokens.end(), part->tokens.begin(), part->tokens.end());
            if (op != between.end())
                e.tokens.push_back(*op++);
        }
        e.value = value;
        e.binding = binding;
        return e;
    }

    std::optional<Expr> unary(int depth, Around around) {
        static const char* const ops[] = {"-", "+", "~", "!"};
        const std::string op = m_random.pick(ops);
        Expr a = operand(kUnary, depth - 1, {kUnary, around.right});
        const Value x = a.value;
        Value r = x;
        if (op == "-") {
            if (!isUnsigned(x.kind) && x.v == lowest(x.kind))
                return std::nullopt;
            r.v = wrapped(-x.v, x.kind);
        } else if (op == "~") {
            r.v = isUnsigned(x.kind) ? highest(x.kind) - x.v : -x.v - 1;
        } else if (op == "!") {
            r = {x.v == 0 ? 1 : 0, Kind::Int};
        }
        a.tokens.insert(a.tokens.begin(), op);
        a.value = r;
        a.binding = kUnary;
        return a;
    }

    std::optional<Expr> cast(int depth, Around around) {
        const CastType& type = m_random.pick(kCasts);
        Expr a = operand(kUnary, depth - 1, {kUnary, around.right});
        const Int128 m = Int128(1) << type.width;
        Int128 v = a.value.v % m;
        if (v < 0)
            v += m;
        if (!type.isUnsigned && v >= m / 2)
            v -= m;
        const Kind kind = type.width < 32    ? Kind::Int
                          : type.width == 32 ? (type.isUnsigned ? Kind::UnsignedInt : Kind::Int)
                                             : (type.isUnsigned ? Kind::UnsignedLong : Kind::Long);
        std::vector<std::string> tokens{"("};
        std::string words = type.spelling;
        for (size_t at = 0; at != std::string::npos;) {
            const size_t blank = words.find(' ', at);
            tokens.push_back(words.substr(at, blank == std::string::npos ? blank : blank - at));
            at = blank == std::string::npos ? blank : blank + 1;
        }
        tokens.push_back(")");
        a.tokens.insert(a.tokens.begin(), tokens.begin(), tokens.end());
        a.value = {v, kind};
        a.binding = kUnary;
        return a;
    }

    std::optional<Expr> binary(int depth, Around around) {
        const BinaryOperator& op = m_random.pick(kOperators);
        const std::string o = op.text;
        const Expr a = operand(op.precedence, depth - 1, {around.left, op.precedence});
        const bool shift = o == "<<" || o == ">>";
        const Expr b =
            shift ? literal(m_random.below(m_random.chance(70) ? 8 : widthOf(a.value.kind)))
                  : operand(op.precedence + 1, depth - 1, {op.precedence + 1, around.right});
        const std::optional<Value> r = computed(o, a.value, b.value);
        if (!r)
            return std::nullopt;
        return joined({&a, &b}, {op.text}, *r, op.precedence);
    }

    static std::optional<Value> computed(const std::string& o, Value a, Value b) {
        if (o == "&&")
            return Value{a.v != 0 && b.v != 0 ? 1 : 0, Kind::Int};
        if (o == "||")
            return Value{a.v != 0 || b.v != 0 ? 1 : 0, Kind::Int};
        if (o == "<<" || o == ">>") {
            const Kind k = a.kind;
            const Int128 c = b.v;
            if (c < 0 || c >= widthOf(k))
                return std::nullopt;
            if (o == ">>")
                return Value{a.v >> int(c), k};
            if (isUnsigned(k)) {
                const unsigned __int128 bits = (unsigned __int128)a.v << int(c);
                return Value{wrapped(Int128(bits & (((unsigned __int128)1 << widthOf(k)) - 1)), k),
                             k};
            }
            if (a.v < 0 || bitsOf(a.v) + int(c) > widthOf(k) - 1)
                return std::nullopt;
            return Value{a.v << int(c), k};
        }
        const Kind k = common(a.kind, b.kind);
        const Int128 x = wrapped(a.v, k);
        const Int128 y = wrapped(b.v, k);
        if (o == "<" || o == ">" || o == "<=" || o == ">=" || o == "==" || o == "!=") {
            const bool yes = o == "<"    ? x < y
                             : o == ">"  ? x > y
                             : o == "<=" ? x <= y
                             : o == ">=" ? x >= y
                             : o == "==" ? x == y
                                         : x != y;
            return Value{yes ? 1 : 0, Kind::Int};
        }
        if (o == "&" || o == "|" || o == "^") {
            const std::uint64_t p = std::uint64_t(x);
            const std::uint64_t q = std::uint64_t(y);
            const std::uint64_t bits = o == "&" ? p & q : o == "|" ? p | q : p ^ q;
            return Value{wrapped(Int128(bits), k), k};
        }
        Int128 r = 0;
        if (o == "*") {
            if (bitsOf(x) + bitsOf(y) > 124)
                return std::nullopt;
            r = x * y;
        } else if (o == "+") {
            r = x + y;
        } else if (o == "-") {
            r = x - y;
        } else {
            if (y == 0 || (!isUnsigned(k) && x == lowest(k) && y == -1))
                return std::nullopt;
            r = o == "/" ? x / y : x % y;
        }
        if (isUnsigned(k))
            return Value{wrapped(r, k), k};
        if (r < lowest(k) || r > highest(k))
            return std::nullopt;
        return Value{r, k};
    }

    std::optional<Expr> conditional(int depth, Around around) {
        const Expr c = operand(1, depth - 1, {around.left, 1});
        const Expr t = expression(depth - 1);
        const Expr f = operand(kConditional, depth - 1, {kConditional, around.right});
        const Kind k = common(t.value.kind, f.value.kind);
        const Value v{wrapped(c.value.v != 0 ? t.value.v : f.value.v, k), k};
        return joined({&c, &t, &f}, {"?", ":"}, v, kConditional);
    }

    Expr leaf(Around around) {
        const int r = m_random.below(10);
        if (r >= 7 && !m_symbols.empty()) {
            const Symbol& s = m_symbols[size_t(m_random.below(int(m_symbols.size())))];
            const bool whole = s.binding >= around.left && s.binding >= around.right;
            Expr e;
            e.tokens = whole ? std::vector<std::string>{s.name}
                             : std::vector<std::string>{"(", s.name, ")"};
            e.value = s.value;
            e.binding = whole ? s.binding : kPrimary;
            return e;
        }
        if (r == 6)
            return character();
        static const Int128 masks[] = {0x7F,       0xFF,       0xFFFF,     0x7FFF,  0x8000,
                                       0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000, 1000000};
        const int kind = m_random.below(20);
        Int128 v = kind < 12   ? m_random.below(1000)
                   : kind < 15 ? m_random.below(0x10000)
                   : kind < 18 ? m_random.pick(masks)
                   : kind < 19 ? Int128(m_random.below(0x7FFFFFFF))
                               : (Int128(1) << 40) + m_random.below(1000);
        return literal(v);
    }

    // The value as an integer constant in a random base with a random suffix.
    Expr literal(Int128 v) {
        static const char* const suffixes[] = {"",   "",    "",    "",    "u",   "U",  "l",
                                               "L",  "ul",  "UL",  "lu",  "LU",  "Lu", "ll",
                                               "LL", "ull", "ULL", "llu", "LLU", "uLL"};
        const std::string suffix = m_random.pick(suffixes);
        const bool u = suffix.find_first_of("uU") != std::string::npos;
        const bool l = suffix.find_first_of("lL") != std::string::npos;
        const int base = m_random.below(10) < 5 ? 10 : m_random.below(3) < 2 ? 16 : 8;
        std::vector<Kind> candidates;
        if (u)
            candidates = l ? std::vector{Kind::UnsignedLong}
                           : std::vector{Kind::UnsignedInt, Kind::UnsignedLong};
        else if (l)
            candidates =
                base == 10 ? std::vector{Kind::Long} : std::vector{Kind::Long, Kind::UnsignedLong};
        else
            candidates = base == 10 ? std::vector{Kind::Int, Kind::Long}
                                    : std::vector{Kind::Int, Kind::UnsignedInt, Kind::Long,
                                                  Kind::UnsignedLong};
        Kind kind = candidates.back();
        for (Kind k : candidates) {
            if (v <= highest(k)) {
                kind = k;
                break;
            }
        }
        std::string digits;
        if (base == 10) {
            digits = text(v);
        } else {
            const bool upper = m_random.chance(50);
            const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
            for (Int128 m = v; m > 0; m /= base)
                digits.insert(digits.begin(), set[int(m % base)]);
            digits = (base == 16 ? (m_random.chance(50) ? "0x" : "0X") : "0") + digits;
            if (base == 16 && v == 0)
                digits += '0';
        }
        Expr e;
        e.tokens = {digits + suffix};
        e.value = {v, kind};
        return e;
    }

    Expr character() {
        struct Character {
            const char* text;
            int value;
        };
        static const Character escapes[] = {{"'\\n'", 10},   {"'\\t'", 9},    {"'\\0'", 0},
                                            {"'\\x41'", 65}, {"'\\101'", 65}, {"'\\\\'", 92},
                                            {"'\\''", 39}};
        Expr e;
        if (m_random.chance(40)) {
            const Character& c = m_random.pick(escapes);
            e.tokens = {c.text};
            e.value = {c.value, Kind::Int};
        } else {
            const char c = char('A' + m_random.below(26) + (m_random.chance(50) ? 32 : 0));
            e.tokens = {std::string("'") + c + "'"};
            e.value = {int(c), Kind::Int};
        }
        return e;
    }

    static bool fitsInt(const Value& v) {
        return v.v >= lowest(Kind::Int) && v.v <= highest(Kind::Int);
    }

    std::string newName() {
        return std::string(m_random.pick(kStems)) + "_" + std::to_string(++m_names) +
               (m_random.chance(30) ? "_" + std::string(m_random.pick(kStems)) : "");
    }

    // --- layout -------------------------------------------------------------------------

    std::string newline() { return m_random.chance(25) ? "\r\n" : "\n"; }

    std::string words() {
        std::string s = m_random.pick(kWords);
        for (int n = m_random.below(4); n > 0; --n)
            s += std::string(" ") + m_random.pick(kWords);
        return s;
    }

    std::string indentation() {
        static const char* const indents[] = {"", "   ", "\t", "\t\t", " \t", "        "};
        return m_random.pick(indents);
    }

    // What stands between two tokens: white space of any kind, line ends and comments where
    // the tokens are no directive's.
    std::string gap(const std::string& left, const std::string& right, bool directive) {
        const int r = m_random.below(100);
        if ((touches(left) || touches(right)) && r < 30)
            return "";
        if (r < 55)
            return " ";
        if (r < 65)
            return "\t";
        if (r < 70)
            return "  \t ";
        if (directive) {
            if (r < 85)
                return " \\" + newline() + indentation();
            if (r < 96)
                return " /* " + words() + " */ ";
            return " /* " + words() + newline() + "   " + words() + " */ ";
        }
        if (r < 84)
            return newline() + indentation();
        if (r < 91)
            return " /* " + words() + " */ ";
        if (r < 97)
            return " // " + words() + newline() + indentation();
        return " /* " + words() + newline() + indentation() + words() + " */ ";
    }

    std::string written(const std::vector<std::string>& tokens, bool directive) {
        std::string s;
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (i > 0)
                s += gap(tokens[i - 1], tokens[i], directive);
            s += tokens[i];
        }
        return s;
    }

    std::string define(bool rowSection) {
        static const char* const directives[] = {"#define",   "#define",  "#\tdefine",
                                                 "  #define", "# define", "\t#  define"};
        static const char* const apart[] = {" ", " ", "\t", "\t\t", "  "};
        Expr value = expression(m_random.below(5));
        if (!rowSection && !fitsInt(value.value))
            value = literal(m_random.below(100));
        const std::string name = newName();
        std::string s = m_random.pick(directives) + std::string(m_random.pick(apart)) + name +
                        m_random.pick(apart) + written(value.tokens, true);
        if (m_random.chance(20))
            s += " // " + words();
        m_symbols.push_back({name, value.value, value.binding});
        return s + newline();
    }

    std::string enumeration() {
        std::vector<std::string> tokens;
        const bool typedefed = m_random.chance(50);
        if (typedefed)
            tokens.push_back("typedef");
        tokens.push_back("enum");
        if (m_random.chance(50))
            tokens.push_back("tag_" + std::to_string(++m_names));
        tokens.push_back(m_random.chance(5) ? "<%" : "{");
        std::string s = written(tokens, false);
        std::string last = tokens.back();
        std::optional<Int128> previous;
        const int members = 1 + m_random.below(12);
        for (int i = 0; i < members; ++i) {
            std::vector<std::string> member{newName()};
            Value value{previous ? *previous + 1 : 0, Kind::Int};
            if (m_random.chance(40) || value.v > highest(Kind::Int)) {
                Expr e = expression(m_random.below(5));
                for (int attempt = 0; !fitsInt(e.value) && attempt < 10; ++attempt)
                    e = expression(m_random.below(5));
                if (!fitsInt(e.value))
                    e = literal(m_random.below(1000));
                member.push_back("=");
                member.insert(member.end(), e.tokens.begin(), e.tokens.end());
                value = {e.value.v, Kind::Int};
            }
            if (i + 1 < members || m_random.chance(50))
                member.push_back(",");
            s += gap(last, member.front(), false) + written(member, false);
            last = member.back();
            m_symbols.push_back({member.front(), value, kPrimary});
            previous = value.v;
            if (last == "," && m_random.chance(5)) {
                s += newline() + define(false);
                last = ";"; // a line end stands before the next token
            }
        }
        std::vector<std::string> end{m_random.chance(5) ? "%>" : "}"};
        if (typedefed)
            end.push_back("gen_" + std::to_string(++m_names) + "_t");
        end.push_back(";");
        s += gap(last, end.front(), false) + written(end, false);
        return s + newline();
    }

    // Lines that give the scan nothing; conditionals only outside its sections.
    std::string filler(bool inSection) {
        switch (m_random.below(inSection ? 4 : 5)) {
        case 4:
            return "#if 0" + newline() + "not C at all: " + words() + newline() + "#endif" +
                   newline();
        case 0:
            return "/* " + words() + newline() + "   " + words() + " */" + newline();
        case 1:
            return "// " + words() + newline();
        case 2:
            return "extern int g_" + std::to_string(++m_names) + ";" + newline();
        default:
            return newline();
        }
    }

    std::string file(const char* guard) {
        std::string s = "/* generated header: " + words() + " */" + newline();
        s += std::string("#ifndef ") + guard + newline() + "#define " + guard + newline();
        for (int sections = 1 + m_random.below(4); sections > 0; --sections) {
            for (int n = m_random.below(3); n > 0; --n)
                s += filler(false);
            const bool constants = m_random.chance(40);
            s += std::string("// scanStart: ") +
                 (constants ? "global constants" : m_random.pick(kEnumerationSections)) +
                 (m_random.chance(10) ? " " : "") + newline();
            for (int n = 1 + m_random.below(constants ? 8 : 3); n > 0; --n) {
                s += constants ? define(true) : enumeration();
                if (!constants && m_random.chance(15))
                    s += define(false);
                if (m_random.chance(20))
                    s += filler(true);
            }
            s += "// scanEnd" + newline();
        }
        return s + "#endif" + newline();
    }

    Random m_random;
    std::vector<Symbol> m_symbols;
    int m_names = 0;
};

} // namespace

RandomHeaders randomHeaders(quint64 seed) {
    return Generator(seed).run();
}

} // namespace pxu::test
