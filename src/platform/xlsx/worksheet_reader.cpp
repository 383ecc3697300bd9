#include "worksheet_reader.h"

#include "cell_reference.h"
#include "platform/text/number_text.h"
#include "string_item.h"
#include "xml_part.h"

#include <QXmlStreamReader>
#include <optional>

namespace pxu::xlsx {

namespace {

class SheetReader {
public:
    SheetReader(const QByteArray& xml, const QStringList& sharedStrings, Worksheet& sheet)
        : m_reader(xml)
        , m_sharedStrings(sharedStrings)
        , m_sheet(sheet) {}

    bool run(QString* error) {
        if (enterRoot(m_reader, QLatin1StringView("worksheet")))
            worksheet();
        return partResult(m_reader, true, error).has_value();
    }

private:
    void worksheet() {
        while (m_reader.readNextStartElement()) {
            if (m_reader.name() != QLatin1String("sheetData")) {
                m_reader.skipCurrentElement();
                continue;
            }
            while (m_reader.readNextStartElement()) {
                if (m_reader.name() == QLatin1String("row"))
                    row();
                else
                    m_reader.skipCurrentElement();
            }
        }
    }

    // Rows and cells may leave out their address; they then follow the one before.
    void row() {
        const QString number = m_reader.attributes().value(QLatin1String("r")).toString();
        m_row = number.isEmpty() ? m_row + 1 : number.toInt();
        if (m_row < 1 || m_row > kMaxRow) {
            fail(QStringLiteral("row \"%1\" lies outside a sheet").arg(number));
            return;
        }
        m_column = 0;
        while (m_reader.readNextStartElement()) {
            if (m_reader.name() == QLatin1String("c"))
                cell();
            else
                m_reader.skipCurrentElement();
        }
    }

    void cell() {
        const QXmlStreamAttributes attributes = m_reader.attributes();
        const QString reference = attributes.value(QLatin1String("r")).toString();
        const QString type = attributes.value(QLatin1String("t")).toString();
        if (reference.isEmpty()) {
            if (++m_column > kMaxColumn) {
                fail(QStringLiteral("a cell lies beyond the last column"));
                return;
            }
        } else {
            const std::optional<CellPosition> position = parseCellReference(reference);
            if (!position) {
                fail(QStringLiteral("cell \"%1\" lies outside a sheet").arg(reference));
                return;
            }
            m_row = position->row;
            m_column = position->column;
        }

        std::optional<QString> value;
        std::optional<QString> inlineText;
        while (m_reader.readNextStartElement()) {
            if (m_reader.name() == QLatin1String("v"))
                value = m_reader.readElementText();
            else if (m_reader.name() == QLatin1String("is"))
                inlineText = readStringItem(m_reader);
            else
                m_reader.skipCurrentElement(); // the formula: its value is the last calculated
        }
        // Cells without a value (only formatted, or a formula never calculated) are left out;
        // so are number cells whose value is empty, as formulas saved uncalculated have it.
        const bool isInline = type == QLatin1String("inlineStr");
        const bool isNumber = type.isEmpty() || type == QLatin1String("n");
        if (isInline ? !inlineText : (!value || (isNumber && value->trimmed().isEmpty())))
            return;
        const QString text = isInline ? *inlineText : valueText(type, *value);
        if (!m_reader.hasError())
            m_sheet.setCell(m_row, m_column, text);
    }

    QString valueText(const QString& type, const QString& value) {
        const QString here = cellReference(m_row, m_column);
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= m_sharedStrings.size())
                return fail(
                    QStringLiteral("cell %1 names shared string \"%2\", which does not exist")
                        .arg(here, value));
            return m_sharedStrings[index];
        }
        if (type == QLatin1String("b")) {
            if (value == QLatin1String("1") || value == QLatin1String("true"))
                return QStringLiteral("True");
            if (value == QLatin1String("0") || value == QLatin1String("false"))
                return QStringLiteral("False");
            return fail(
                QStringLiteral("cell %1 holds \"%2\", which is no Boolean").arg(here, value));
        }
        if (type == QLatin1String("e"))
            return {};
        if (type == QLatin1String("str"))
            return decodeEscapes(value);
        if (type == QLatin1String("d"))
            return value;
        if (!type.isEmpty() && type != QLatin1String("n"))
            return fail(QStringLiteral("cell %1 has the unknown type \"%2\"").arg(here, type));
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok)
            return fail(
                QStringLiteral("cell %1 holds \"%2\", which is no number").arg(here, value));
        return numberText(number);
    }

    // Ends the reading: the reader then tells where.
    QString fail(const QString& what) {
        m_reader.raiseError(what);
        return {};
    }

    QXmlStreamReader m_reader;
    const QStringList& m_sharedStrings;
    Worksheet& m_sheet;
    int m_row = 0;
    int m_column = 0;
};

} // namespace

bool readWorksheet(const QByteArray& xml, const QStringList& sharedStrings, Worksheet& sheet,
                   QString* error) {
    return SheetReader(xml, sharedStrings, sheet).run(error);
}

} // namespace pxu::xlsx
