#pragma once

#include "criteria.h"
#include "database.h"

#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace pxu::db {

// The rows of a SELECT, read into memory, with a current row that moves like the original
// engine's record sets. Edits write through to the table by the row's key at once, so a
// record set kept open never holds a lock against other writers of the same file.
// Rows added or changed through this record set are seen by its later finds.
class Recordset {
public:
    Recordset() = default;

    // Opens on a SELECT; values are bound to its "?" placeholders. The record set keeps
    // the database open while it lives.
    bool open(std::shared_ptr<Database> db, const QString& sql, const QVariantList& values = {});
    void close();
    bool isOpen() const { return m_open; }
    QString lastError() const { return m_lastError; }
    // Edits need a SELECT over one table; others are read-only.
    bool isUpdatable() const { return m_updatable; }

    bool eof() const { return !m_open || m_current >= m_rows.size(); }
    bool bof() const { return !m_open || m_current < 0 || m_rows.isEmpty(); }
    int recordCount() const { return int(m_rows.size()); }
    int absolutePosition() const { return int(m_current); }
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // The row at a position (0 upwards) becomes the current row; false outside the rows.
    bool setAbsolutePosition(int position);

    // Finds move the current row to the match; without one noMatch() is set and the
    // current row stays where it was. Criteria text as parseCriteria takes it.
    bool findFirst(const QString& criteria);
    bool findNext(const QString& criteria);
    bool findLast(const QString& criteria);
    bool findPrevious(const QString& criteria);
    bool findFirst(const Criteria& criteria);
    bool findNext(const Criteria& criteria);
    bool findLast(const Criteria& criteria);
    bool findPrevious(const Criteria& criteria);
    bool noMatch() const { return m_noMatch; }

    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int index) const { return m_fields.value(index); }
    int fieldIndex(const QString& name) const; // case-insensitive; -1 when missing
    QVariant value(int index) const;
    QVariant value(const QString& field) const;
    // A field of any row as stored, without moving the current row.
    QVariant valueAt(int row, int index) const;
    // A field's text; NULL reads as the empty text.
    QString text(const QString& field) const { return value(field).toString(); }
    QString text(int index) const { return value(index).toString(); }

    // Edit buffer: edit() or addNew(), setValue(), then update() (or cancelUpdate()).
    bool edit();
    bool addNew();
    bool setValue(const QString& field, const QVariant& value);
    bool update();
    void cancelUpdate();
    // Deletes the current row from the table and the record set.
    bool remove();

private:
    enum class EditMode { None, Edit, AddNew };
    bool find(const Criteria& criteria, qsizetype from, int step);
    bool matches(const QVector<QVariant>& row, const Criteria& criteria) const;
    bool fail(const QString& text);

    std::shared_ptr<Database> m_db;
    QString m_table;
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_keys; // rowid per row
    qsizetype m_current = 0;
    bool m_open = false;
    bool m_updatable = false;
    bool m_noMatch = false;
    QString m_lastError;
    EditMode m_mode = EditMode::None;
    QVector<QVariant> m_buffer;
    QVector<bool> m_changed;
};

} // namespace pxu::db
