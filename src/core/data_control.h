#pragma once

#include "platform/db/recordset.h"

#include <QObject>
#include <memory>

namespace pxu {

// A database Data control: the file a data-bound grid shows, and the record set of its
// record source. Edits go through the record set, which writes each row through at once.
// The grids bound to it read it afresh whenever it is refreshed.
class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    QString databaseName() const { return m_databaseName; }
    QString recordSource() const { return m_recordSource; }
    const QVariantList& recordSourceValues() const { return m_values; }
    const std::shared_ptr<db::Database>& database() const { return m_database; }
    // The record set, or nothing while none is bound.
    db::Recordset* recordset() const { return m_recordset.get(); }

    // Points the control at a file, opened anew; the bound record set is let go.
    void setDatabase(const QString& name, std::shared_ptr<db::Database> database);
    void setRecordset(const QString& recordSource, const QVariantList& values,
                      std::unique_ptr<db::Recordset> recordset);
    // Lets go of the record set and the file.
    void close();

signals:
    // The record set was replaced (or let go): bound grids read it afresh.
    void refreshed();

private:
    QString m_databaseName;
    QString m_recordSource;
    QVariantList m_values;
    std::shared_ptr<db::Database> m_database;
    std::unique_ptr<db::Recordset> m_recordset;
};

} // namespace pxu
