#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <utility>

class QXmlStreamWriter;

namespace pxu::xlsx {

class SharedStringTable;

// Writes .xlsx workbooks: for tests and for the sample files the build makes, not for the
// program. Several sheets; shared and inline strings, rich text, numbers, Booleans, error
// cells and formulas with their calculated values. Rows and columns count from 1.
class WorkbookWriter {
public:
    class Sheet {
    public:
        // A shared string; with a formula, the formula's calculated text.
        Sheet& text(int row, int column, const QString& value, const QString& formula = {});
        Sheet& inlineText(int row, int column, const QString& value);
        // A shared string of formatted runs, the odd ones bold.
        Sheet& richText(int row, int column, const QStringList& runs);
        Sheet& number(int row, int column, double value, const QString& formula = {});
        Sheet& boolean(int row, int column, bool value, const QString& formula = {});
        // An error as a workbook writes it: "#DIV/0!", "#N/A", "#REF!", ...
        Sheet& error(int row, int column, const QString& code, const QString& formula = {});
        // A formula that was never calculated: no value.
        Sheet& formula(int row, int column, const QString& formula);

        explicit Sheet(const QString& name)
            : m_name(name) {}

    private:
        friend class WorkbookWriter;
        enum class Type { Shared, Inline, Number, Boolean, Error, None };
        struct Cell {
            Type type = Type::None;
            QStringList runs; // Shared, Inline
            QString value;    // Number, Boolean, Error: as written into the file
            QString formula;
        };
        Sheet& put(int row, int column, Cell cell);
        void writeCell(QXmlStreamWriter& writer, int row, int column, const Cell& cell,
                       SharedStringTable& shared) const;
        QByteArray xml(SharedStringTable& shared) const;

        QString m_name;
        std::map<std::pair<int, int>, Cell> m_cells;
    };

    // The sheets come in the order they were added; their parts are "xl/worksheets/sheet1.xml"
    // and so on in that order.
    Sheet& addSheet(const QString& name);
    // Puts content in place of a part the writer makes ("xl/workbook.xml"), or adds a
    // part: for workbooks written otherwise, or damaged.
    void setPart(const QString& name, const QByteArray& content);
    // false with *error set when the file cannot be written.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    QList<QPair<QString, QByteArray>> parts() const;

    std::deque<Sheet> m_sheets;
    QList<QPair<QString, QByteArray>> m_setParts;
};

} // namespace pxu::xlsx
