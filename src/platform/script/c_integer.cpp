#include "c_integer.h"

#include <array>
#include <bit>
#include <charconv>
#include <limits>
#include <string>

namespace pxu::script {

namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;

int rankOf(CType type) {
    switch (type) {
    case CType::Int:
    case CType::UnsignedInt:
        return 1;
    case CType::Long:
    case CType::UnsignedLong:
        return 2;
    default:
        return 3;
    }
}

CType unsignedOf(CType type) {
    switch (type) {
    case CType::Int:
        return CType::UnsignedInt;
    case CType::Long:
        return CType::UnsignedLong;
    case CType::LongLong:
        return CType::UnsignedLongLong;
    default:
        return type;
    }
}

std::int64_t minOf(CType type) {
    return widthOf(type) == 32 ? std::numeric_limits<std::int32_t>::min()
                               : std::numeric_limits<std::int64_t>::min();
}

bool fits(std::uint64_t value, CType type) {
    switch (type) {
    case CType::Int:
        return value <= std::uint64_t(std::numeric_limits<std::int32_t>::max());
    case CType::UnsignedInt:
        return value <= kMax32;
    case CType::Long:
    case CType::LongLong:
        return value <= std::uint64_t(std::numeric_limits<std::int64_t>::max());
    default:
        return true;
    }
}

[[noreturn]] void fail(const QString& text) {
    throw CError{text};
}

QString quoted(std::string_view text) {
    return u'"' + QString::fromLatin1(text.data(), qsizetype(text.size())) + u'"';
}

// The types an integer constant may have, in C's order, by its suffix and by whether it is
// written in decimal.
std::basic_string_view<CType> candidates(bool isUnsignedSuffix, int longs, bool decimal) {
    using T = CType;
    static constexpr T plainDecimal[] = {T::Int, T::Long, T::LongLong};
    static constexpr T plainOther[] = {T::Int,          T::UnsignedInt, T::Long,
                                       T::UnsignedLong, T::LongLong,    T::UnsignedLongLong};
    static constexpr T u[] = {T::UnsignedInt, T::UnsignedLong, T::UnsignedLongLong};
    static constexpr T lDecimal[] = {T::Long, T::LongLong};
    static constexpr T lOther[] = {T::Long, T::UnsignedLong, T::LongLong, T::UnsignedLongLong};
    static constexpr T ul[] = {T::UnsignedLong, T::UnsignedLongLong};
    static constexpr T llDecimal[] = {T::LongLong};
    static constexpr T llOther[] = {T::LongLong, T::UnsignedLongLong};
    static constexpr T ull[] = {T::UnsignedLongLong};
    const auto view = [](const auto& list) {
        return std::basic_string_view<CType>(list, std::size(list));
    };
    if (isUnsignedSuffix)
        return longs == 0 ? view(u) : longs == 1 ? view(ul) : view(ull);
    if (longs == 0)
        return decimal ? view(plainDecimal) : view(plainOther);
    if (longs == 1)
        return decimal ? view(lDecimal) : view(lOther);
    return decimal ? view(llDecimal) : view(llOther);
}

// u or U, and l, L, ll or LL, in either order; false for anything else.
bool readSuffix(std::string_view s, bool& isUnsignedSuffix, int& longs) {
    isUnsignedSuffix = false;
    longs = 0;
    const auto takeUnsigned = [&] {
        if (!s.empty() && (s[0] == 'u' || s[0] == 'U')) {
            isUnsignedSuffix = true;
            s.remove_prefix(1);
        }
    };
    const auto takeLongs = [&] {
        if (s.substr(0, 2) == "ll" || s.substr(0, 2) == "LL") {
            longs = 2;
            s.remove_prefix(2);
        } else if (!s.empty() && (s[0] == 'l' || s[0] == 'L')) {
            longs = 1;
            s.remove_prefix(1);
        }
    };
    takeUnsigned();
    takeLongs();
    if (!isUnsignedSuffix)
        takeUnsigned();
    return s.empty();
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

bool isFloating(std::string_view text, bool hex) {
    return text.find('.') != std::string_view::npos ||
           text.find_first_of(hex ? "pP" : "eE") != std::string_view::npos;
}

[[noreturn]] void overflow(const QString& what, CType type) {
    fail(QStringLiteral("%1 overflows %2").arg(what, nameOf(type)));
}

QString operation(const CInt& a, std::string_view op, const CInt& b) {
    return QStringLiteral("%1 %2 %3")
        .arg(a.text(), QLatin1String(op.data(), qsizetype(op.size())), b.text());
}

// The fewest bits that hold the value as a signed number.
int signedPrecision(std::int64_t v) {
    const std::uint64_t magnitude = v < 0 ? ~std::uint64_t(v) : std::uint64_t(v);
    return 64 - std::countl_zero(magnitude) + 1;
}

CInt shift(std::string_view op, const CInt& a, const CInt& b) {
    const CType type = a.type;
    const int width = widthOf(type);
    if (b.isNegative())
        fail(QStringLiteral("the shift count %1 is negative").arg(b.text()));
    if (b.bits >= std::uint64_t(width))
        fail(QStringLiteral("the shift count %1 is not below the %2 bits of %3")
                 .arg(b.text())
                 .arg(width)
                 .arg(nameOf(type)));
    const int count = int(b.bits);
    if (op == ">>") {
        if (isUnsigned(type))
            return CInt::of(type, a.bits >> count);
        return CInt::of(type, std::uint64_t(std::int64_t(a.bits) >> count));
    }
    if (!isUnsigned(type)) {
        const std::int64_t v = std::int64_t(a.bits);
        const int precision = signedPrecision(v) + count;
        if (precision > width && !(v >= 0 && precision == width + 1))
            overflow(operation(a, op, b), type);
    }
    return CInt::of(type, a.bits << count);
}

CInt arithmetic(std::string_view op, CType type, const CInt& a, const CInt& b) {
    const CInt x = converted(a, type);
    const CInt y = converted(b, type);
    if ((op == "/" || op == "%") && y.isZero())
        fail(QStringLiteral("%1 divides by zero").arg(operation(a, op, b)));
    if (isUnsigned(type)) {
        const std::uint64_t p = x.bits;
        const std::uint64_t q = y.bits;
        const std::uint64_t r = op == "+"   ? p + q
                                : op == "-" ? p - q
                                : op == "*" ? p * q
                                : op == "/" ? p / q
                                            : p % q;
        return CInt::of(type, r);
    }
    const std::int64_t p = std::int64_t(x.bits);
    const std::int64_t q = std::int64_t(y.bits);
    std::int64_t r = 0;
    bool over = false;
    if (op == "+")
        over = __builtin_add_overflow(p, q, &r);
    else if (op == "-")
        over = __builtin_sub_overflow(p, q, &r);
    else if (op == "*")
        over = __builtin_mul_overflow(p, q, &r);
    else if (p == minOf(type) && q == -1)
        over = true;
    else
        r = op == "/" ? p / q : p % q;
    if (over || (widthOf(type) == 32 && (r < std::numeric_limits<std::int32_t>::min() ||
                                         r > std::numeric_limits<std::int32_t>::max())))
        overflow(operation(a, op, b), type);
    return CInt::of(type, std::uint64_t(r));
}

bool compare(std::string_view op, CType type, const CInt& a, const CInt& b) {
    const CInt x = converted(a, type);
    const CInt y = converted(b, type);
    const auto order = [&](auto p, auto q) {
        if (op == "<")
            return p < q;
        if (op == ">")
            return p > q;
        if (op == "<=")
            return p <= q;
        if (op == ">=")
            return p >= q;
        if (op == "==")
            return p == q;
        return p != q;
    };
    return isUnsigned(type) ? order(x.bits, y.bits)
                            : order(std::int64_t(x.bits), std::int64_t(y.bits));
}

bool isComparison(std::string_view op) {
    return op == "<" || op == ">" || op == "<=" || op == ">=" || op == "==" || op == "!=";
}

} // namespace

int widthOf(CType type) {
    return type == CType::Int || type == CType::UnsignedInt ? 32 : 64;
}

bool isUnsigned(CType type) {
    return type == CType::UnsignedInt || type == CType::UnsignedLong ||
           type == CType::UnsignedLongLong;
}

QString nameOf(CType type) {
    static const std::array<QString, 6> names{
        QStringLiteral("int"),       QStringLiteral("unsigned int"),
        QStringLiteral("long"),      QStringLiteral("unsigned long"),
        QStringLiteral("long long"), QStringLiteral("unsigned long long")};
    return names[size_t(type)];
}

CType commonType(CType a, CType b) {
    if (a == b)
        return a;
    if (isUnsigned(a) == isUnsigned(b))
        return rankOf(a) >= rankOf(b) ? a : b;
    const CType u = isUnsigned(a) ? a : b;
    const CType s = isUnsigned(a) ? b : a;
    if (rankOf(u) >= rankOf(s))
        return u;
    if (widthOf(s) > widthOf(u))
        return s;
    return unsignedOf(s);
}

CInt CInt::of(CType type, std::uint64_t bits) {
    if (widthOf(type) == 32)
        bits = isUnsigned(type) ? bits & kMax32 : std::uint64_t(std::int64_t(std::int32_t(bits)));
    return CInt{type, bits};
}

QString CInt::text() const {
    return isUnsigned(type) ? QString::number(quint64(bits)) : QString::number(qint64(bits));
}

std::optional<std::int64_t> CInt::value() const {
    if (isUnsigned(type) && bits > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    return std::int64_t(bits);
}

CInt converted(const CInt& value, CType type) {
    return CInt::of(type, value.bits);
}

CInt integerConstant(std::string_view text) {
    const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (isFloating(text, hex))
        fail(QStringLiteral("%1 is a floating constant, no integer").arg(quoted(text)));
    const int base = hex ? 16 : text[0] == '0' ? 8 : 10;
    size_t i = hex ? 2 : 0;
    const size_t first = i;
    std::uint64_t value = 0;
    bool tooLarge = false;
    for (; i < text.size() && digitValue(text[i]) < 16; ++i) {
        const int d = digitValue(text[i]);
        if (base == 10 && d > 9)
            break;
        if (d >= base)
            fail(QStringLiteral("%1 has a digit that is no octal digit").arg(quoted(text)));
        if (value >
            (std::numeric_limits<std::uint64_t>::max() - std::uint64_t(d)) / std::uint64_t(base))
            tooLarge = true;
        value = value * std::uint64_t(base) + std::uint64_t(d);
    }
    if (i == first)
        fail(QStringLiteral("%1 has no digits").arg(quoted(text)));
    bool isUnsignedSuffix = false;
    int longs = 0;
    if (!readSuffix(text.substr(i), isUnsignedSuffix, longs))
        fail(QStringLiteral("%1 ends in no integer suffix of C").arg(quoted(text)));
    if (!tooLarge) {
        for (const CType type : candidates(isUnsignedSuffix, longs, base == 10)) {
            if (fits(value, type))
                return CInt::of(type, value);
        }
    }
    fail(QStringLiteral("%1 is too large for each type C gives it").arg(quoted(text)));
}

std::optional<double> floatingConstant(std::string_view text) {
    if (!text.empty() &&
        (text.back() == 'f' || text.back() == 'F' || text.back() == 'l' || text.back() == 'L'))
        text.remove_suffix(1);
    const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    if (text.empty() || !isFloating(text, hex))
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value,
                        hex ? std::chars_format::hex : std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

CInt characterConstant(std::string_view text) {
    const QString written = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const size_t open = text.find('\'');
    const std::string_view prefix = text.substr(0, open);
    if (prefix == "u8")
        fail(QStringLiteral("%1: C11 has no u8 character constants").arg(written));
    std::string_view body = text.substr(open + 1, text.size() - open - 2);
    const std::uint64_t limit = prefix.empty() ? 0xFF : prefix == "u" ? 0xFFFF : kMax32;
    std::uint64_t combined = 0;
    int count = 0;
    int first = 0;
    while (!body.empty()) {
        std::uint64_t c = 0;
        if (body[0] != '\\') {
            if (std::uint8_t(body[0]) >= 0x80)
                fail(QStringLiteral("%1 holds a character outside ASCII").arg(written));
            c = std::uint8_t(body[0]);
            body.remove_prefix(1);
        } else if (body.size() >= 2 && (body[1] == 'x')) {
            size_t i = 2;
            while (i < body.size() && digitValue(body[i]) < 16) {
                c = c * 16 + std::uint64_t(digitValue(body[i]));
                if (c > limit)
                    fail(QStringLiteral("%1: the escape lies outside its type").arg(written));
                ++i;
            }
            if (i == 2)
                fail(QStringLiteral("%1: \"\\x\" without hexadecimal digits").arg(written));
            body.remove_prefix(i);
        } else if (body.size() >= 2 && body[1] >= '0' && body[1] <= '7') {
            size_t i = 1;
            while (i < body.size() && i < 4 && body[i] >= '0' && body[i] <= '7')
                c = c * 8 + std::uint64_t(body[i++] - '0');
            if (c > limit)
                fail(QStringLiteral("%1: the escape lies outside its type").arg(written));
            body.remove_prefix(i);
        } else {
            static constexpr std::string_view simple = "'\"?\\abfnrtv";
            static constexpr char values[] = {'\'', '"',  '?',  '\\', '\a', '\b',
                                              '\f', '\n', '\r', '\t', '\v'};
            const size_t at = body.size() >= 2 ? simple.find(body[1]) : std::string_view::npos;
            if (at == std::string_view::npos)
                fail(QStringLiteral("%1 holds an escape sequence C does not know").arg(written));
            c = std::uint8_t(values[at]);
            body.remove_prefix(2);
        }
        if (count == 0)
            first = int(c);
        combined = (combined << 8) | (c & 0xFF);
        ++count;
    }
    if (count == 0)
        fail(QStringLiteral("%1 is an empty character constant").arg(written));
    if (!prefix.empty()) {
        if (count > 1)
            fail(QStringLiteral("%1 holds more than one character").arg(written));
        return prefix == "U" ? CInt::of(CType::UnsignedInt, std::uint64_t(first))
                             : CInt::of(CType::Int, std::uint64_t(first));
    }
    if (count > 4)
        fail(QStringLiteral("%1 holds more characters than an int").arg(written));
    if (count == 1)
        return CInt::ofInt(std::int8_t(std::uint8_t(first)));
    return CInt::of(CType::Int, combined);
}

CInt castTo(const CInt& value, const CCastType& type) {
    if (type.width == 1)
        return CInt::ofInt(value.isZero() ? 0 : 1);
    if (type.width < 32) {
        const std::uint64_t mask = (std::uint64_t(1) << type.width) - 1;
        std::uint64_t low = value.bits & mask;
        if (!type.isUnsigned && (low >> (type.width - 1)) != 0)
            low |= ~mask;
        return CInt::of(CType::Int, low);
    }
    if (type.width == 32)
        return CInt::of(type.isUnsigned ? CType::UnsignedInt : CType::Int, value.bits);
    if (type.spelledLongLong)
        return CInt::of(type.isUnsigned ? CType::UnsignedLongLong : CType::LongLong, value.bits);
    return CInt::of(type.isUnsigned ? CType::UnsignedLong : CType::Long, value.bits);
}

CInt negated(const CInt& a) {
    if (isUnsigned(a.type))
        return CInt::of(a.type, 0 - a.bits);
    if (std::int64_t(a.bits) == minOf(a.type))
        overflow(QStringLiteral("-(%1)").arg(a.text()), a.type);
    return CInt::of(a.type, std::uint64_t(-std::int64_t(a.bits)));
}

CInt complemented(const CInt& a) {
    return CInt::of(a.type, ~a.bits);
}

CInt notted(const CInt& a) {
    return CInt::ofInt(a.isZero() ? 1 : 0);
}

CInt binary(std::string_view op, const CInt& a, const CInt& b) {
    if (op == "<<" || op == ">>")
        return shift(op, a, b);
    if (op == "&&")
        return CInt::ofInt(!a.isZero() && !b.isZero());
    if (op == "||")
        return CInt::ofInt(!a.isZero() || !b.isZero());
    const CType type = commonType(a.type, b.type);
    if (isComparison(op))
        return CInt::ofInt(compare(op, type, a, b) ? 1 : 0);
    if (op == "&" || op == "|" || op == "^") {
        const std::uint64_t x = converted(a, type).bits;
        const std::uint64_t y = converted(b, type).bits;
        return CInt::of(type, op == "&" ? x & y : op == "|" ? x | y : x ^ y);
    }
    return arithmetic(op, type, a, b);
}

CType binaryType(std::string_view op, CType a, CType b) {
    if (op == "<<" || op == ">>")
        return a;
    if (op == "&&" || op == "||" || isComparison(op))
        return CType::Int;
    return commonType(a, b);
}

} // namespace pxu::script
