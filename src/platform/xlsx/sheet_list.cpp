#include "sheet_list.h"

#include "xml_part.h"

#include <QXmlStreamReader>

namespace pxu::xlsx {

namespace {

// The relation id is the "id" attribute in the relationships namespace, whatever its
// prefix and whichever of the two namespace names the file uses.
QString relationIdOf(const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == QLatin1String("id") &&
            attribute.namespaceUri().endsWith(QLatin1String("relationships")))
            return attribute.value().toString();
    }
    return {};
}

} // namespace

std::optional<QList<SheetEntry>> parseSheetList(const QByteArray& xml, QString* error) {
    QList<SheetEntry> sheets;
    QXmlStreamReader reader(xml);
    if (enterRoot(reader, QLatin1StringView("workbook"))) {
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("sheets")) {
                reader.skipCurrentElement();
                continue;
            }
            while (reader.readNextStartElement()) {
                if (reader.name() == QLatin1String("sheet"))
                    sheets.append({reader.attributes().value(QLatin1String("name")).toString(),
                                   relationIdOf(reader.attributes())});
                reader.skipCurrentElement();
            }
        }
    }
    return partResult(reader, std::move(sheets), error);
}

} // namespace pxu::xlsx
