#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace pxu::xlsx {

// One relation of a package part: its id, its type and the part it leads to, as a part
// name from the package's root ("xl/worksheets/sheet1.xml"). Relations to outside the
// package are left out.
struct Relation {
    QString id;
    QString type;
    QString target;
};

// The relations part that belongs to a part: "xl/workbook.xml" has
// "xl/_rels/workbook.xml.rels", the package itself (empty name) "_rels/.rels".
QString relationsPartOf(const QString& part);
// A relation's target, relative to the folder of its source part or absolute from the
// root ("/xl/..."), as a part name with "." and ".." resolved.
QString resolveTarget(const QString& sourcePart, const QString& target);
// The relations of sourcePart read from its relations part; nothing with *error set
// when the XML is broken.
std::optional<QList<Relation>> parseRelations(const QByteArray& xml, const QString& sourcePart,
                                              QString* error);
// The first relation whose type ends in "/" and typeName ("officeDocument", "worksheet").
const Relation* findRelation(const QList<Relation>& relations, const QString& typeName);

} // namespace pxu::xlsx
