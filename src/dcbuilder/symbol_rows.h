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

    QString name(int row) const { return m_names[row]; }
    // A loaded column of the row by its index in the columns given to load.
    QVariant value(int row, int column) const { return m_values[row * m_columnCount + column]; }
    // The row's key in its table, to write a value back.
    qint64 key(int row) const { return m_keys[row]; }

private:
    const std::vector<int>& matching(const QString& cls, const QString& varGroup);

    std::vector<qint64> m_keys;
    QStringList m_names;
    QStringList m_classes;
    QStringList m_groups;
    std::vector<QVariant> m_values;
    int m_columnCount = 0;
    QHash<QString, std::vector<int>> m_byCriterion;
};

} // namespace pxu::dc
