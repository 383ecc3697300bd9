#include "shared_strings.h"

#include "string_item.h"
#include "xml_part.h"

#include <QXmlStreamReader>

namespace pxu::xlsx {

std::optional<QStringList> parseSharedStrings(const QByteArray& xml, QString* error) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    if (enterRoot(reader, QLatin1StringView("sst"))) {
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("si"))
                strings.append(readStringItem(reader));
            else
                reader.skipCurrentElement();
        }
    }
    return partResult(reader, std::move(strings), error);
}

} // namespace pxu::xlsx
