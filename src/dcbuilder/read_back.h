#pragma once

#include "dcdatabase/dc_job.h"
#include "reading_rules.h"
#include "symbol_rows.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace pxu::dc {

// The numbers that a pass's fields of symbol columns read back as. In read mode each goes
// into its symbol row; in build mode a value that would read back as another number is
// warned about. Both modes decide alike, so a build warns of just what a reconstruction
// reads otherwise. A Min, Max or value of two readings waits for the rest of its row.
class ReadBack {
public:
    // Read mode: write puts a number into a row's column (an index among the loaded ones).
    using Write = std::function<void(int row, int column, qint64 number)>;
    using Warn = std::function<void(const QString& text)>;

    // The columns a pass loads besides the layout's: the Min and Max of the values it carries.
    static QStringList boundColumns(const QString& table, const QStringList& layoutColumns,
                                    const QStringList& tableColumns);

    // rows: the pass's symbol rows with the columns loaded; write empty in build mode.
    ReadBack(DcJob& job, const QString& table, const QStringList& columns, SymbolRows& rows,
             Write write, Warn warn);

    // A field of the row's column that the step read, or wrote from the value built (nothing
    // when that did not fit its field, which is warned about already).
    void field(int row, int column, const QByteArray& bytes, qint64 step,
               std::optional<qint64> built);
    // Decides the readings that wait for their rows.
    void finish();

private:
    struct Waiting {
        FieldReadings readings; // empty: nothing waits in the slot
        std::optional<qint64> built;
        qint64 step = 0;
    };
    using WaitingRow = std::array<Waiting, kBoundSlots>;

    bool isSymbolId(qint64 id);
    void decide(int row, int column, qint64 number, const Waiting& field);

    DcJob& m_job;
    QStringList m_columns;
    SymbolRows& m_rows;
    Write m_write;
    Warn m_warn;
    std::vector<ColumnRule> m_rules;
    std::vector<std::optional<BoundSlot>> m_slots; // by column
    std::array<int, kBoundSlots> m_slotColumns;    // by slot; -1 when not loaded
    std::vector<quint8> m_carried;                 // by row: the slots the image gives
    std::map<int, WaitingRow> m_waiting;           // by row, in id order
    QHash<qint64, bool> m_symbolIds;
};

} // namespace pxu::dc
