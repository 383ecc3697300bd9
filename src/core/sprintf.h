#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <type_traits>

namespace pxu {

// Error numbers of the formatter.
constexpr qint64 kErrMissingBrace = 0x80040001;
constexpr qint64 kErrMissingValue = 0x80040002;
constexpr qint64 kErrScriptCode = 0x80040003;

// The program's text formatter. Placeholders: "{*}" the next argument, "{n:*}" argument n
// (1 to 9), "{}" passes an argument over, "{000}" a zero-padded integer, "{yes/no}",
// "{(}" a literal brace. Escapes: "\\", "\t", "\r", "\n" (CR LF), "\{".
// Throws PxuError on a malformed format or a missing argument.
QString sprintf(const QString& format, const QVariantList& args = {});

namespace detail {
template <class T> QVariant formatArg(const T& value) {
    if constexpr (std::is_same_v<T, QVariant>)
        return value;
    else if constexpr (std::is_same_v<T, bool>)
        return QVariant(value);
    else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
        return QVariant(qlonglong(value));
    else if constexpr (std::is_integral_v<T>)
        return QVariant(qulonglong(value));
    else if constexpr (std::is_floating_point_v<T>)
        return QVariant(double(value));
    else if constexpr (std::is_enum_v<T>)
        return QVariant(qlonglong(value));
    else if constexpr (std::is_convertible_v<T, QString>)
        return QVariant(QString(value));
    else
        return QVariant::fromValue(value);
}
} // namespace detail

template <class First, class... Rest>
requires(!std::is_same_v<std::remove_cvref_t<First>, QVariantList> || sizeof...(Rest) > 0) QString
    sprintf(const QString& format, const First& first, const Rest&... rest) {
    return sprintf(format, QVariantList{detail::formatArg(first), detail::formatArg(rest)...});
}

} // namespace pxu
