#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace pxu::xlsx {

// A cell of a legacy workbook that holds no text of its own, as the spreadsheet's
// automation gave it: a number, "True" or "False", an error (empty), a formula's last value
// (empty where the file holds none). Rows and columns count from 1.
struct BiffCell {
    int row = 0;
    int column = 0;
    QString text;
};

struct BiffSheet {
    QString name;
    QList<BiffCell> cells;
};

// The value cells of the worksheets in a workbook stream of the binary format of 1997 on
// (BIFF8), read from its records. The texts of text cells are not read here.
class BiffCellScan {
public:
    enum class Result { Read, Encrypted, OlderFormat, Damaged };

    Result read(const QByteArray& stream);
    // What is damaged, after Result::Damaged.
    QString problem() const { return m_problem; }
    // In the workbook's order; chart and macro sheets are left out.
    const QList<BiffSheet>& sheets() const { return m_sheets; }

private:
    struct SheetEntry {
        QString name;
        quint32 position = 0;
    };

    Result readGlobals(const QByteArray& stream, QList<SheetEntry>& worksheets);
    bool readSheet(const QByteArray& stream, const SheetEntry& entry);
    Result damaged(const QString& why);

    QList<BiffSheet> m_sheets;
    QString m_problem;
};

} // namespace pxu::xlsx
