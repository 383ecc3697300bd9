#include "package_relations.h"

#include "xml_part.h"

#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

namespace pxu::xlsx {

QString relationsPartOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString resolveTarget(const QString& sourcePart, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    const QString path = decoded.startsWith(u'/')
                             ? decoded
                             : sourcePart.left(sourcePart.lastIndexOf(u'/') + 1) + decoded;
    QStringList parts;
    for (const QString& segment : path.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (segment != QLatin1String(".")) {
            parts.append(segment);
        }
    }
    return parts.join(u'/');
}

std::optional<QList<Relation>> parseRelations(const QByteArray& xml, const QString& sourcePart,
                                              QString* error) {
    QList<Relation> relations;
    QXmlStreamReader reader(xml);
    if (enterRoot(reader, QLatin1StringView("Relationships"))) {
        while (reader.readNextStartElement()) {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (reader.name() == QLatin1String("Relationship") &&
                attributes.value(QLatin1String("TargetMode")) != QLatin1String("External")) {
                relations.append(
                    {attributes.value(QLatin1String("Id")).toString(),
                     attributes.value(QLatin1String("Type")).toString(),
                     resolveTarget(sourcePart,
                                   attributes.value(QLatin1String("Target")).toString())});
            }
            reader.skipCurrentElement();
        }
    }
    return partResult(reader, std::move(relations), error);
}

const Relation* findRelation(const QList<Relation>& relations, const QString& typeName) {
    for (const Relation& relation : relations) {
        if (relation.type.endsWith(u'/' + typeName))
            return &relation;
    }
    return nullptr;
}

} // namespace pxu::xlsx
