#include "workbook.h"

#include "package_relations.h"
#include "shared_strings.h"
#include "sheet_list.h"
#include "worksheet_reader.h"
#include "zip_archive.h"

#include <QDir>
#include <QFile>

namespace pxu::xlsx {

namespace {

enum class FileKind { Zip, Compound, Other };

// Legacy workbooks (and encrypted new ones) are compound files of the older binary
// format; an .xlsx is a zip archive.
FileKind fileKindOf(const QByteArray& head) {
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (head.startsWith(compound))
        return FileKind::Compound;
    if (head.startsWith("PK"))
        return FileKind::Zip;
    return FileKind::Other;
}

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

bool Workbook::open(const QString& path) {
    close();
    m_path = path;
    const QString name = QDir::toNativeSeparators(path);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open \"%1\": %2").arg(name, file.errorString()));
    const FileKind kind = fileKindOf(file.read(8));
    file.close();
    if (kind == FileKind::Compound)
        return fail(QStringLiteral("\"%1\" is a workbook in the legacy binary format (.xls) or "
                                   "an encrypted one; only .xlsx workbooks can be read: save it as "
                                   ".xlsx without a password.")
                        .arg(name));
    if (kind == FileKind::Other)
        return fail(QStringLiteral("\"%1\" is not an .xlsx workbook.").arg(name));

    auto damaged = [&](const QString& why) {
        return QStringLiteral("\"%1\" is damaged: %2").arg(name, why);
    };
    ZipArchive zip;
    if (!zip.open(path))
        return fail(damaged(zip.lastError()));
    QString problem;
    const QString workbookPart = workbookPartOf(zip, problem);
    if (workbookPart.isEmpty())
        return fail(damaged(problem));
    if (!zip.contains(workbookPart))
        return fail(
            QStringLiteral("\"%1\" is not an .xlsx workbook: it holds no workbook.").arg(name));
    if (!readSheets(zip, workbookPart, problem))
        return fail(damaged(problem));
    m_open = true;
    return true;
}

bool Workbook::readSheets(ZipArchive& zip, const QString& workbookPart, QString& problem) {
    const auto sheets = readPart(zip, workbookPart, problem, parseSheetList);
    const auto relations = sheets ? readPart(zip, relationsPartOf(workbookPart), problem,
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

    for (const SheetEntry& entry : *sheets) {
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
        m_sheets.push_back(std::move(sheet));
    }
    return true;
}

void Workbook::close() {
    m_open = false;
    m_sheets.clear();
    m_lastError.clear();
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    for (const Worksheet& sheet : m_sheets)
        names.append(sheet.name());
    return names;
}

const Worksheet* Workbook::sheet(const QString& name) const {
    for (const Worksheet& sheet : m_sheets) {
        if (sheet.name() == name)
            return &sheet;
    }
    return nullptr;
}

bool Workbook::fail(const QString& why) {
    m_sheets.clear();
    m_lastError = why;
    return false;
}

} // namespace pxu::xlsx
