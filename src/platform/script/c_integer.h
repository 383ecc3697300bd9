#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pxu::script {

// Why C takes no value from a constant expression, in words.
struct CError {
    QString text;
};

// C's integer types after the integer promotions, with the widths of the build's compiler:
// int of 32 bits, long and long long of 64. Types narrower than int only arise from casts,
// and promote to int at once.
enum class CType { Int, UnsignedInt, Long, UnsignedLong, LongLong, UnsignedLongLong };

int widthOf(CType type);
bool isUnsigned(CType type);
QString nameOf(CType type);
// The type of both operands of a binary operator after C's usual arithmetic conversions.
CType commonType(CType a, CType b);

// A value of a C integer type, its bits held in 64, sign-extended where the type is signed.
struct CInt {
    CType type = CType::Int;
    std::uint64_t bits = 0;

    static CInt of(CType type, std::uint64_t bits);
    static CInt ofInt(std::int64_t value) { return of(CType::Int, std::uint64_t(value)); }
    bool isZero() const { return bits == 0; }
    bool isNegative() const { return !isUnsigned(type) && std::int64_t(bits) < 0; }
    // The value as C has it, as text: 4294967295 for an unsigned int of all ones.
    QString text() const;
    // The value when it lies in the range of a 64-bit signed number.
    std::optional<std::int64_t> value() const;
};

// The value converted to the type as C converts: modulo its width.
CInt converted(const CInt& value, CType type);

// An integer constant as C types it (decimal 14, octal 016, hexadecimal 0x7FU, with any u,
// U, l, L, ll, LL suffix). Throws CError for a floating constant, a malformed suffix or a
// value no type of its list holds.
CInt integerConstant(std::string_view text);
// A floating constant's value (1.5E3, .5f); nothing for text that is none.
std::optional<double> floatingConstant(std::string_view text);
// A character constant ('a', '\n', '\x41', L'x'): its value as the build's compiler gives
// it (char signed). Throws CError for what C does not take.
CInt characterConstant(std::string_view text);

// A cast's target type: its width in bits (1 for _Bool) and its signedness.
struct CCastType {
    int width = 32;
    bool isUnsigned = false;
    bool spelledLongLong = false;
};
// The value cast to the type, then promoted.
CInt castTo(const CInt& value, const CCastType& type);

// The operators. Each throws CError where C gives no value: a signed result outside its
// type, division by zero, a shift by a negative count or by the width or more, a shift of
// a signed value whose bits do not fit (shifting a 1 into the sign bit alone is taken, as
// the build's compiler takes it).
CInt negated(const CInt& a);
CInt complemented(const CInt& a);
CInt notted(const CInt& a);
CInt binary(std::string_view op, const CInt& a, const CInt& b);
// The type binary() gives, for an operand that is not evaluated.
CType binaryType(std::string_view op, CType a, CType b);

} // namespace pxu::script
