#include "xlsx_reader.h"

#include "package_relations.h"
#include "shared_strings.h"
#include "sheet_list.h"
#include "worksheet_reader.h"
#include "zip_archive.h"

#include <QDir>

namespace pxu::xlsx {

namespace {

// A part read and parsed; on failure problem says which part and why.
template <typename Parse>
auto readPart(ZipArchive& zip, const QString& part, QString& problem, Parse parse)
    -> decltype(parse(QByteArray(), &problem)) {
    const std::optional<QByteArray> xml = zip.read(part);
    if (!xml) {
        problem = zip.lastError();
        return std::nullopt;
    }
    QString why;
    auto parsed = parse(*xml, &why);
    if (!parsed)
        problem = part + QStringLiteral(", ") + why;
    return parsed;
}

// The package's relations name the workbook part; packages without them keep it in the
// usual place.
QString workbookPartOf(ZipArchive& zip, QString& problem) {
    const QString rootRelations = relationsPartOf(QString());
    if (!zip.contains(rootRelations))
        return QStringLiteral("xl/workbook.xml");
    const auto relations =
        readPart(zip, rootRelations, problem, [](const QByteArray& xml, QString* error) {
            return parseRelations(xml, QString(), error);
        });
    if (!relations)
        return {};
    const Relation* document = findRelation(*relations, QStringLiteral("officeDocument"));
    return document ? document->target : QStringLiteral("xl/workbook.xml");
}

} // namespace

bool XlsxReader::read(const QString& path, std::vector<Worksheet>& sheets) {
    const QString name = QDir::toNativeSeparators(path);
    auto damaged = [&](const QString& why) {
        m_error = QStringLiteral("\"%1\" is damaged: %2").arg(name, why);
        return false;
    };
    ZipArchive zip;
    if (!zip.open(path))
        return damaged(zip.lastError());
    QString problem;
    const QString workbookPart = workbookPartOf(zip, problem);
    if (workbookPart.isEmpty())
        return damaged(problem);
    if (!zip.contains(workbookPart)) {
        m_error =
            QStringLiteral("\"%1\" is not an .xlsx workbook: it holds no workbook.").arg(name);
        return false;
    }
    if (!readSheets(zip, workbookPart, sheets, problem))
        return damaged(problem);
    return true;
}

bool XlsxReader::readSheets(ZipArchive& zip, const QString& workbookPart,
                            std::vector<Worksheet>& sheets, QString& problem) {
    const auto entries = readPart(zip, workbookPart, problem, parseSheetList);
    const auto relations = entries ? readPart(zip, relationsPartOf(workbookPart), problem,
                                              [&](const QByteArray& xml, QString* error) {
                                                  return parseRelations(xml, workbookPart, error);
                                              })
                                   : std::nullopt;
    if (!relations)
        return false;

    QStringList sharedStrings;
    if (const Relation* strings = findRelation(*relations, QStringLiteral("sharedStrings"))) {
        const auto parsed = readPart(zip, strings->target, problem, parseSharedStrings);
        if (!parsed)
            return false;
        sharedStrings = *parsed;
    }

    for (const SheetEntry& entry : *entries) {
        Worksheet sheet(entry.name);
        const auto relation =
            std::find_if(relations->begin(), relations->end(),
                         [&](const Relation& r) { return r.id == entry.relationId; });
        if (relation == relations->end()) {
            problem = QStringLiteral("sheet \"%1\" has no part").arg(entry.name);
            return false;
        }
        // Chart and dialog sheets hold no cells.
        const bool read =
            !relation->type.endsWith(QLatin1String("/worksheet")) ||
            readPart(zip, relation->target, problem, [&](const QByteArray& xml, QString* error) {
                return readWorksheet(xml, sharedStrings, sheet, error) ? std::optional(true)
                                                                       : std::nullopt;
            });
        if (!read)
            return false;
        sheets.push_back(std::move(sheet));
    }
    return true;
}

} // namespace pxu::xlsx
