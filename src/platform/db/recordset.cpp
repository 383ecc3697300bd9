#include "recordset.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace pxu::db {

namespace {

const QString kKeyColumn = QStringLiteral("__pxu_rowid");

QString quoted(const QString& identifier) {
    QString s = identifier;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

// "SELECT <columns> FROM <table> <rest>" over one table, or nothing.
struct SingleTableSelect {
    QString columns;
    QString table;
    QString rest;
};

std::optional<SingleTableSelect> singleTable(const QString& sql) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*SELECT\s+(.+?)\s+FROM\s+(\[[^\]]+\]|"[^"]+"|[A-Za-z_]\w*)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    const QString rest = m.captured(3);
    static const QRegularExpression joins(QStringLiteral(R"(^\s*(,|JOIN\b|INNER\b|LEFT\b))"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (joins.match(rest).hasMatch() ||
        m.captured(1).contains(QStringLiteral("DISTINCT"), Qt::CaseInsensitive))
        return std::nullopt;
    QString table = m.captured(2);
    if (table.startsWith(u'[') || table.startsWith(u'"'))
        table = table.mid(1, table.size() - 2);
    return SingleTableSelect{m.captured(1), table, rest};
}

bool equalValues(const QVariant& cell, const QVariant& wanted) {
    if (wanted.typeId() == QMetaType::QString)
        return !cell.isNull() && sameText(cell.toString(), wanted.toString());
    bool ok = false;
    const double number = cell.toDouble(&ok);
    return ok && !cell.isNull() && number == wanted.toDouble();
}

} // namespace

bool Recordset::fail(const QString& text) {
    m_lastError = text;
    return false;
}

bool Recordset::open(std::shared_ptr<Database> db, const QString& sql, const QVariantList& values) {
    close();
    m_lastError.clear();
    if (!db || !db->isOpen())
        return fail(QStringLiteral("Database is not open."));

    QString statement = sql;
    const auto single = singleTable(sql);
    if (single)
        statement = QStringLiteral("SELECT rowid AS %1, %2 FROM %3%4")
                        .arg(kKeyColumn, single->columns, quoted(single->table), single->rest);

    QSqlQuery query(db->connection());
    query.setForwardOnly(true);
    bool ok = query.prepare(statement);
    if (!ok && single) {
        // A view or a table without rowid: read-only.
        statement = sql;
        ok = query.prepare(statement);
    }
    if (!ok)
        return fail(failureText(query.lastError(), db->path()));
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec())
        return fail(failureText(query.lastError(), db->path()));

    const QSqlRecord record = query.record();
    const bool keyed = record.count() > 0 && record.fieldName(0) == kKeyColumn;
    for (int i = keyed ? 1 : 0; i < record.count(); ++i)
        m_fields << record.fieldName(i);
    while (query.next()) {
        QVector<QVariant> row;
        row.reserve(m_fields.size());
        for (int i = keyed ? 1 : 0; i < record.count(); ++i)
            row << query.value(i);
        m_rows << row;
        m_keys << (keyed ? query.value(0).toLongLong() : -1);
    }
    query.finish();

    m_table = single ? single->table : QString();
    m_updatable = keyed && !db->isReadOnly();
    m_db = std::move(db);
    m_current = 0;
    m_open = true;
    return true;
}

void Recordset::close() {
    m_open = false;
    m_db.reset();
    m_fields.clear();
    m_rows.clear();
    m_keys.clear();
    m_current = 0;
    m_mode = EditMode::None;
}

void Recordset::moveFirst() {
    m_current = 0;
}

void Recordset::moveLast() {
    m_current = std::max<qsizetype>(m_rows.size() - 1, 0);
}

void Recordset::moveNext() {
    if (m_current < m_rows.size())
        ++m_current;
}

void Recordset::movePrevious() {
    if (m_current >= 0)
        --m_current;
}

bool Recordset::setAbsolutePosition(int position) {
    if (!m_open || position < 0 || position >= m_rows.size())
        return false;
    m_current = position;
    return true;
}

int Recordset::fieldIndex(const QString& name) const {
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (sameText(m_fields[i], name))
            return int(i);
    }
    return -1;
}

QVariant Recordset::value(int index) const {
    if (m_mode != EditMode::None && index >= 0 && index < m_buffer.size())
        return m_buffer[index];
    if (eof() || bof() || index < 0 || index >= m_fields.size())
        return {};
    return m_rows[m_current][index];
}

QVariant Recordset::valueAt(int row, int index) const {
    if (!m_open || row < 0 || row >= m_rows.size() || index < 0 || index >= m_fields.size())
        return {};
    return m_rows[row][index];
}

QVariant Recordset::value(const QString& field) const {
    return value(fieldIndex(field));
}

bool Recordset::matches(const QVector<QVariant>& row, const Criteria& criteria) const {
    for (const Criterion& c : criteria) {
        const int i = fieldIndex(c.field);
        if (i < 0 || !equalValues(row[i], c.value))
            return false;
    }
    return true;
}

bool Recordset::find(const Criteria& criteria, qsizetype from, int step) {
    m_noMatch = true;
    if (!m_open)
        return false;
    for (qsizetype i = from; i >= 0 && i < m_rows.size(); i += step) {
        if (matches(m_rows[i], criteria)) {
            m_current = i;
            m_noMatch = false;
            return true;
        }
    }
    return false;
}

bool Recordset::findFirst(const Criteria& criteria) {
    return find(criteria, 0, 1);
}

bool Recordset::findNext(const Criteria& criteria) {
    return find(criteria, std::max<qsizetype>(m_current + 1, 0), 1);
}

bool Recordset::findLast(const Criteria& criteria) {
    return find(criteria, m_rows.size() - 1, -1);
}

bool Recordset::findPrevious(const Criteria& criteria) {
    return find(criteria, std::min<qsizetype>(m_current - 1, m_rows.size() - 1), -1);
}

#define PXU_FIND_TEXT(name)                                                                        \
    bool Recordset::name(const QString& criteria) {                                                \
        const auto parsed = parseCriteria(criteria);                                               \
        if (!parsed) {                                                                             \
            m_noMatch = true;                                                                      \
            return fail(QStringLiteral("Unsupported criterion: %1").arg(criteria));                \
        }                                                                                          \
        return name(*parsed);                                                                      \
    }
PXU_FIND_TEXT(findFirst)
PXU_FIND_TEXT(findNext)
PXU_FIND_TEXT(findLast)
PXU_FIND_TEXT(findPrevious)
#undef PXU_FIND_TEXT

bool Recordset::edit() {
    if (!m_updatable)
        return fail(QStringLiteral("The record set is read-only."));
    if (eof() || bof())
        return fail(QStringLiteral("No current record."));
    m_mode = EditMode::Edit;
    m_buffer = m_rows[m_current];
    m_changed = QVector<bool>(m_fields.size(), false);
    return true;
}

bool Recordset::addNew() {
    if (!m_updatable)
        return fail(QStringLiteral("The record set is read-only."));
    m_mode = EditMode::AddNew;
    m_buffer = QVector<QVariant>(m_fields.size());
    m_changed = QVector<bool>(m_fields.size(), false);
    return true;
}

bool Recordset::setValue(const QString& field, const QVariant& value) {
    const int i = fieldIndex(field);
    if (m_mode == EditMode::None)
        return fail(QStringLiteral("Update without AddNew or Edit."));
    if (i < 0)
        return fail(QStringLiteral("Item not found in this collection: %1").arg(field));
    m_buffer[i] = value;
    m_changed[i] = true;
    return true;
}

void Recordset::cancelUpdate() {
    m_mode = EditMode::None;
}

bool Recordset::update() {
    if (m_mode == EditMode::None)
        return fail(QStringLiteral("Update without AddNew or Edit."));
    QStringList columns;
    QVariantList values;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_changed[i]) {
            columns << quoted(m_fields[i]);
            values << m_buffer[i];
        }
    }
    QSqlQuery query(m_db->connection());
    if (m_mode == EditMode::Edit) {
        if (!columns.isEmpty()) {
            query.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                              .arg(quoted(m_table), columns.join(QStringLiteral(" = ?, "))));
            for (const QVariant& v : values)
                query.addBindValue(v);
            query.addBindValue(m_keys[m_current]);
            if (!query.exec())
                return fail(failureText(query.lastError(), m_db->path()));
        }
        m_rows[m_current] = m_buffer;
    } else {
        const QString sql =
            columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(quoted(m_table), columns.join(QStringLiteral(", ")),
                                         QStringList(columns.size(), QStringLiteral("?"))
                                             .join(QStringLiteral(", ")));
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        if (!query.exec())
            return fail(failureText(query.lastError(), m_db->path()));
        const qint64 key = query.lastInsertId().toLongLong();
        // Read the row back so defaults the table fills in are seen.
        QSqlQuery back(m_db->connection());
        back.prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table)));
        back.addBindValue(key);
        QVector<QVariant> row = m_buffer;
        if (back.exec() && back.next()) {
            for (qsizetype i = 0; i < m_fields.size(); ++i) {
                const int at = back.record().indexOf(m_fields[i]);
                if (at >= 0)
                    row[i] = back.value(at);
            }
        }
        m_rows << row;
        m_keys << key;
    }
    m_mode = EditMode::None;
    return true;
}

bool Recordset::remove() {
    if (!m_updatable)
        return fail(QStringLiteral("The record set is read-only."));
    if (eof() || bof())
        return fail(QStringLiteral("No current record."));
    QSqlQuery query(m_db->connection());
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table)));
    query.addBindValue(m_keys[m_current]);
    if (!query.exec())
        return fail(failureText(query.lastError(), m_db->path()));
    m_rows.removeAt(m_current);
    m_keys.removeAt(m_current);
    return true;
}

} // namespace pxu::db
