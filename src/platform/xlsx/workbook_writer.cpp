#include "workbook_writer.h"

#include "cell_reference.h"
#include "string_item.h"
#include "zip_writer.h"

#include <QMap>
#include <QXmlStreamWriter>
#include <algorithm>
#include <functional>

namespace pxu::xlsx {

// The shared strings in the order cells first use them, each kept once.
class SharedStringTable {
public:
    int indexOf(const QStringList& runs) {
        auto found = m_index.find(runs);
        if (found == m_index.end()) {
            found = m_index.insert(runs, int(m_strings.size()));
            m_strings.append(runs);
        }
        return found.value();
    }
    const QList<QStringList>& strings() const { return m_strings; }

private:
    QMap<QStringList, int> m_index;
    QList<QStringList> m_strings;
};

namespace {

const QString kMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kPackageRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kContentTypes =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
const QString kTypePrefix = QStringLiteral("application/vnd.openxmlformats-officedocument.");

// A part's XML: body writes its root element; what it leaves open is closed here.
QByteArray partXml(const std::function<void(QXmlStreamWriter&)>& body) {
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.writeStartDocument(QStringLiteral("1.0"), true);
    body(writer);
    writer.writeEndDocument();
    return out;
}

// Characters XML cannot hold become "_xHHHH_"; a "_" that would start such an escape is
// escaped itself, so that a reader gives the text back as written.
QString encodeEscapes(const QString& text) {
    QString encoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c < u'\x20' && c != u'\t' && c != u'\n' && c != u'\r') || isEscapeAt(text, i))
            encoded += QStringLiteral("_x%1_").arg(QString::number(c.unicode(), 16).toUpper(), 4,
                                                   QLatin1Char('0'));
        else
            encoded += c;
    }
    return encoded;
}

void writeText(QXmlStreamWriter& writer, const QString& text) {
    writer.writeStartElement(QStringLiteral("t"));
    writer.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    writer.writeCharacters(encodeEscapes(text));
    writer.writeEndElement();
}

// One plain text, or runs of which the odd ones are bold.
void writeStringItem(QXmlStreamWriter& writer, const QString& element, const QStringList& runs) {
    writer.writeStartElement(element);
    if (runs.size() == 1)
        writeText(writer, runs[0]);
    for (qsizetype i = 0; runs.size() > 1 && i < runs.size(); ++i) {
        writer.writeStartElement(QStringLiteral("r"));
        if (i % 2 == 1) {
            writer.writeStartElement(QStringLiteral("rPr"));
            writer.writeEmptyElement(QStringLiteral("b"));
            writer.writeEndElement();
        }
        writeText(writer, runs[i]);
        writer.writeEndElement();
    }
    writer.writeEndElement();
}

void writeRelation(QXmlStreamWriter& writer, int id, const QString& type, const QString& target) {
    writer.writeEmptyElement(QStringLiteral("Relationship"));
    writer.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id));
    writer.writeAttribute(QStringLiteral("Type"), kRelationships + u'/' + type);
    writer.writeAttribute(QStringLiteral("Target"), target);
}

void writeOverride(QXmlStreamWriter& writer, const QString& part, const QString& type) {
    writer.writeEmptyElement(QStringLiteral("Override"));
    writer.writeAttribute(QStringLiteral("PartName"), u'/' + part);
    writer.writeAttribute(QStringLiteral("ContentType"), kTypePrefix + type);
}

QString sheetPart(qsizetype index) {
    return QStringLiteral("worksheets/sheet%1.xml").arg(index + 1);
}

} // namespace

WorkbookWriter::Sheet& WorkbookWriter::Sheet::put(int row, int column, Cell cell) {
    m_cells[{row, column}] = std::move(cell);
    return *this;
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::text(int row, int column, const QString& value,
                                                   const QString& formula) {
    return put(row, column, {Type::Shared, {value}, {}, formula});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::inlineText(int row, int column,
                                                         const QString& value) {
    return put(row, column, {Type::Inline, {value}, {}, {}});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::richText(int row, int column,
                                                       const QStringList& runs) {
    return put(row, column, {Type::Shared, runs, {}, {}});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::number(int row, int column, double value,
                                                     const QString& formula) {
    return put(row, column, {Type::Number, {}, QString::number(value, 'g', 17), formula});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::boolean(int row, int column, bool value,
                                                      const QString& formula) {
    return put(row, column,
               {Type::Boolean, {}, value ? QStringLiteral("1") : QStringLiteral("0"), formula});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::error(int row, int column, const QString& code,
                                                    const QString& formula) {
    return put(row, column, {Type::Error, {}, code, formula});
}

WorkbookWriter::Sheet& WorkbookWriter::Sheet::formula(int row, int column, const QString& formula) {
    return put(row, column, {Type::None, {}, {}, formula});
}

void WorkbookWriter::Sheet::writeCell(QXmlStreamWriter& writer, int row, int column,
                                      const Cell& cell, SharedStringTable& shared) const {
    // A formula's text result stays in its cell, never among the shared strings.
    const bool formulaText = cell.type == Type::Shared && !cell.formula.isEmpty();
    static const QMap<Type, QString> typeNames = {{Type::Shared, QStringLiteral("s")},
                                                  {Type::Inline, QStringLiteral("inlineStr")},
                                                  {Type::Boolean, QStringLiteral("b")},
                                                  {Type::Error, QStringLiteral("e")}};

    writer.writeStartElement(QStringLiteral("c"));
    writer.writeAttribute(QStringLiteral("r"), cellReference(row, column));
    const QString type = formulaText ? QStringLiteral("str") : typeNames.value(cell.type);
    if (!type.isEmpty())
        writer.writeAttribute(QStringLiteral("t"), type);
    if (!cell.formula.isEmpty())
        writer.writeTextElement(QStringLiteral("f"), cell.formula);
    if (formulaText)
        writer.writeTextElement(QStringLiteral("v"), encodeEscapes(cell.runs[0]));
    else if (cell.type == Type::Shared)
        writer.writeTextElement(QStringLiteral("v"), QString::number(shared.indexOf(cell.runs)));
    else if (cell.type == Type::Inline)
        writeStringItem(writer, QStringLiteral("is"), cell.runs);
    else if (cell.type != Type::None)
        writer.writeTextElement(QStringLiteral("v"), cell.value);
    writer.writeEndElement();
}

QByteArray WorkbookWriter::Sheet::xml(SharedStringTable& shared) const {
    return partXml([&](QXmlStreamWriter& writer) {
        writer.writeStartElement(QStringLiteral("worksheet"));
        writer.writeDefaultNamespace(kMain);
        writer.writeStartElement(QStringLiteral("sheetData"));
        int row = 0;
        for (const auto& [place, cell] : m_cells) {
            if (place.first != row) {
                if (row != 0)
                    writer.writeEndElement();
                row = place.first;
                writer.writeStartElement(QStringLiteral("row"));
                writer.writeAttribute(QStringLiteral("r"), QString::number(row));
            }
            writeCell(writer, place.first, place.second, cell, shared);
        }
    });
}

WorkbookWriter::Sheet& WorkbookWriter::addSheet(const QString& name) {
    return m_sheets.emplace_back(name);
}

void WorkbookWriter::setPart(const QString& name, const QByteArray& content) {
    m_setParts.append({name, content});
}

bool WorkbookWriter::save(const QString& path, QString* error) const {
    return writeZip(path, parts(), error);
}

QList<QPair<QString, QByteArray>> WorkbookWriter::parts() const {
    const int sheets = int(m_sheets.size());
    SharedStringTable shared;
    QList<QPair<QString, QByteArray>> sheetParts;
    for (int s = 0; s < sheets; ++s)
        sheetParts.append({QStringLiteral("xl/") + sheetPart(s), m_sheets[s].xml(shared)});

    QList<QPair<QString, QByteArray>> parts;
    parts.append(
        {QStringLiteral("[Content_Types].xml"), partXml([&](QXmlStreamWriter& w) {
             w.writeStartElement(QStringLiteral("Types"));
             w.writeDefaultNamespace(kContentTypes);
             w.writeEmptyElement(QStringLiteral("Default"));
             w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("rels"));
             w.writeAttribute(
                 QStringLiteral("ContentType"),
                 QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
             w.writeEmptyElement(QStringLiteral("Default"));
             w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("xml"));
             w.writeAttribute(QStringLiteral("ContentType"), QStringLiteral("application/xml"));
             writeOverride(w, QStringLiteral("xl/workbook.xml"),
                           QStringLiteral("spreadsheetml.sheet.main+xml"));
             for (int s = 0; s < sheets; ++s)
                 writeOverride(w, QStringLiteral("xl/") + sheetPart(s),
                               QStringLiteral("spreadsheetml.worksheet+xml"));
             writeOverride(w, QStringLiteral("xl/sharedStrings.xml"),
                           QStringLiteral("spreadsheetml.sharedStrings+xml"));
         })});
    parts.append({QStringLiteral("_rels/.rels"), partXml([&](QXmlStreamWriter& w) {
                      w.writeStartElement(QStringLiteral("Relationships"));
                      w.writeDefaultNamespace(kPackageRelationships);
                      writeRelation(w, 1, QStringLiteral("officeDocument"),
                                    QStringLiteral("xl/workbook.xml"));
                  })});
    parts.append({QStringLiteral("xl/workbook.xml"), partXml([&](QXmlStreamWriter& w) {
                      w.writeStartElement(QStringLiteral("workbook"));
                      w.writeDefaultNamespace(kMain);
                      w.writeNamespace(kRelationships, QStringLiteral("r"));
                      w.writeStartElement(QStringLiteral("sheets"));
                      for (int s = 0; s < sheets; ++s) {
                          w.writeEmptyElement(QStringLiteral("sheet"));
                          w.writeAttribute(QStringLiteral("name"), m_sheets[s].m_name);
                          w.writeAttribute(QStringLiteral("sheetId"), QString::number(s + 1));
                          w.writeAttribute(kRelationships, QStringLiteral("id"),
                                           QStringLiteral("rId%1").arg(s + 1));
                      }
                  })});
    parts.append({QStringLiteral("xl/_rels/workbook.xml.rels"), partXml([&](QXmlStreamWriter& w) {
                      w.writeStartElement(QStringLiteral("Relationships"));
                      w.writeDefaultNamespace(kPackageRelationships);
                      for (int s = 0; s < sheets; ++s)
                          writeRelation(w, s + 1, QStringLiteral("worksheet"), sheetPart(s));
                      writeRelation(w, sheets + 1, QStringLiteral("sharedStrings"),
                                    QStringLiteral("sharedStrings.xml"));
                  })});
    parts.append({QStringLiteral("xl/sharedStrings.xml"), partXml([&](QXmlStreamWriter& w) {
                      w.writeStartElement(QStringLiteral("sst"));
                      w.writeDefaultNamespace(kMain);
                      const QString count = QString::number(shared.strings().size());
                      w.writeAttribute(QStringLiteral("count"), count);
                      w.writeAttribute(QStringLiteral("uniqueCount"), count);
                      for (const QStringList& runs : shared.strings())
                          writeStringItem(w, QStringLiteral("si"), runs);
                  })});
    parts.append(sheetParts);

    for (const auto& [name, content] : m_setParts) {
        auto same = std::find_if(parts.begin(), parts.end(),
                                 [&](const auto& part) { return part.first == name; });
        if (same != parts.end())
            same->second = content;
        else
            parts.append({name, content});
    }
    return parts;
}

} // namespace pxu::xlsx
