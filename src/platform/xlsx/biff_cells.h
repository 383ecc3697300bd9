#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pxu::xlsx {

// A cell of a legacy workbook as the spreadsheet's automation gave it: a text as written, a
// number, "True" or "False", an error (empty), a formula's last value (empty where the file
// holds none). Rows and columns count from 1.
struct BiffCell {
    int row = 0;
    int column = 0;
    QString text;
};

struct BiffSheet {
    QString name;
    QList<BiffCell> cells;
};

// The sheets of a workbook stream of the binary format of 1997 on (BIFF8) and the cells of its
// worksheets, read from its records: only the cells the file holds, whatever the sheet's extent.
class BiffCellScan {
public:
    enum class Result { Read, Encrypted, OlderFormat, Damaged };

    Result read(const QByteArray& stream);
    // What is damaged, after Result::Damaged.
    QString problem() const { return m_problem; }
    // In the workbook's order; chart and macro sheets hold no cells.
    const QList<BiffSheet>& sheets() const { return m_sheets; }

private:
    struct SheetEntry {
        QString name;
        quint32 position = 0;
        bool worksheet = false;
    };

    Result readGlobals(const QByteArray& stream, QList<SheetEntry>& entries);
    bool readSheet(const QByteArray& stream, const SheetEntry& entry);
    Result damaged(const QString& why);

    QList<BiffSheet> m_sheets;
    QStringList m_sharedStrings;
    QString m_problem;
};

} // namespace pxu::xlsx
