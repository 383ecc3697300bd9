#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QXmlStreamReader>

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

// Where and why a part's XML could not be read: "line 3: <what>".
inline QString xmlProblem(const QXmlStreamReader& reader) {
    return QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
}

} // namespace pxu::xlsx
