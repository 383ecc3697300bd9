#pragma once

#include "dcdatabase/dc_job.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace pxu::dc {

// The symbol rows of a pass (id 0 and above, in id order) with the columns its layout
// names, held in memory. The rows of one class (and variable group) are indexed once, so
// that moving on to the next matching row costs the same in a plant of any size.
class SymbolRows {
public:
    // Reads the table's symbol rows with the columns (besides name, class and varGroup),
    // spelt as the table spells them.
    void load(DcJob& job, const QString& table, const QStringList& columns);

    int count() const { return int(m_keys.size()); }
    // The first row after the given one (-1: from the start) of the class, and for
    // "PARAMETER" of the variable group too; -1 when there is none.
    int next(const QString& cls, const QString& varGroup, int after);

    QString name(int row) const;
    // A loaded column of the row by its index in the columns given to load.
    QVariant value(int row, int column) const;
    void setValue(int row, int column, qint64 number);
    // The row's key in its table, to write a value back.
    qint64 key(int row) const { return m_keys[row]; }

private:
    const std::vector<int>& matching(const QString& cls, const QString& varGroup);
    // The index of text among the distinct class and group texts.
    int textIndex(const QString& text);
    // The index of a cell's value that is no whole number among m_others.
    qint64 otherIndex(QVariant value);

    // A plant has hundreds of thousands of rows, so they are kept compact: the memory of a
    // build grows with them, and fresh memory costs a page fault every 4 KiB. Names lie in one
    // text, classes and groups are indexes of their distinct texts, and a cell holds a whole
    // number itself, any other value (a text, a null) as the index of that value.
    std::vector<qint64> m_keys;
    QString m_names;
    std::vector<qsizetype> m_nameEnds; // row r's name ends at m_nameEnds[r]
    std::vector<int> m_classes;
    std::vector<int> m_groups;
    QStringList m_texts;
    QHash<QString, int> m_textIndexes;
    std::vector<qint64> m_cells;
    std::vector<bool> m_cellIsOther;
    std::vector<QVariant> m_others;
    QHash<int, qint64> m_nullIndexes; // by type
    int m_columnCount = 0;
    QHash<QString, std::vector<int>> m_byCriterion;
};

} // namespace pxu::dc
