#pragma once

#include "core/file_write_failure.h"
#include "job_failure.h"
#include "platform/db/recordset.h"

#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace pxu::dc {

// One job on a data-container database (a schema update, a scan with its rebuilds, an
// import sheet, a build pass, ...): one connection, one transaction. Statements and record
// sets come from the job's connection, so edits through a record set belong to the job
// too. Nothing is written to the file unless the job commits; a job that is destroyed
// while still open rolls back.
//
// The operations below throw JobFailure on a failure of the database; DcJob::run turns
// that (and any other failure of the program) into a rollback and a text.
class DcJob {
public:
    DcJob() = default;
    ~DcJob();
    DcJob(const DcJob&) = delete;
    DcJob& operator=(const DcJob&) = delete;

    // Runs body as one job on the database file: commits when body returns, rolls back
    // when it throws. Nothing on success, else the text of the failure. A failure to write
    // the file (a full disk, a read-only folder) is told as that, naming the file and why,
    // and given in unwritable too.
    static std::optional<QString> run(const QString& path, const std::function<void(DcJob&)>& body,
                                      std::optional<FileWriteFailure>* unwritable = nullptr);

    // Opens the file on a connection of its own and begins the transaction. False with
    // lastError() when the file cannot be opened.
    bool begin(const QString& path);
    // Throws JobFailure when the commit fails (the job is then rolled back).
    void commit();
    void rollback();
    QString path() const { return m_path; }
    QString lastError() const { return m_lastError; }
    const std::shared_ptr<db::Database>& database() const { return m_db; }

    // Runs one statement with bound values.
    void execute(const QString& sql, const QVariantList& values = {});
    // The same for statements whose failure is expected and ignored (a DROP TABLE of a
    // table that may be missing): False on failure, and the job goes on.
    bool tryExecute(const QString& sql, const QVariantList& values = {});
    // A record set of the job's connection: edits write within the job.
    std::unique_ptr<db::Recordset> select(const QString& sql, const QVariantList& values = {});
    // The same, or nothing when the statement fails (a missing table).
    std::unique_ptr<db::Recordset> trySelect(const QString& sql, const QVariantList& values = {});
    // The first column of the first row; an invalid value when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values = {});

    // The schema as this connection sees it, uncommitted changes included.
    bool hasTable(const QString& table);
    // Column names in the table's order; empty for a missing table.
    QStringList columnNames(const QString& table);
    // Whether the table has a column of exactly that name.
    bool hasColumn(const QString& table, const QString& column);
    // Copies a table whole into a new table: the same column types and collations, all
    // rows. The target must not exist.
    void copyTable(const QString& from, const QString& to);
    // True when the table existed and was dropped.
    bool dropTable(const QString& table);

private:
    std::shared_ptr<db::Database> m_db;
    QString m_path;
    QString m_lastError;
    bool m_active = false;
};

// Copies a table of one schema of the connection (main, or an attached one) into a new
// table of another, keeping column types and collations, with all its rows.
void copyTable(db::Database& database, const QString& fromSchema, const QString& from,
               const QString& toSchema, const QString& to);

// The row edits of a job, each a failure of the job when the database refuses it.
using FieldValues = std::initializer_list<std::pair<QString, QVariant>>;
// Edits the current row: sets the fields and writes them.
void editRow(db::Recordset& rs, FieldValues fields);
// Adds a row with the fields.
void addRow(db::Recordset& rs, FieldValues fields);

} // namespace pxu::dc
