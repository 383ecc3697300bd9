#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QXmlStreamReader>
#include <optional>

namespace pxu::xlsx {

// Reads up to the part's root element; a part without one or with another is broken.
inline bool enterRoot(QXmlStreamReader& reader, QLatin1StringView name) {
    if (!reader.readNextStartElement())
        return false;
    if (reader.name() == name)
        return true;
    reader.raiseError(QStringLiteral("the root element is not <%1>").arg(name));
    return false;
}

// What the part's reading gave; nothing when its XML could not be read, with *error saying
// where and why: "line 3: <what>".
template <typename T>
std::optional<T> partResult(const QXmlStreamReader& reader, T value, QString* error) {
    if (!reader.hasError())
        return value;
    *error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    return std::nullopt;
}

} // namespace pxu::xlsx
