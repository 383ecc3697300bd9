#pragma once

#include "dc_job.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace pxu::dc {

// One statement of a job, prepared once and run for many rows with bound values: a scan
// writes tens of thousands of rows.
class PreparedStatement {
public:
    // Throws JobFailure when the statement cannot be prepared.
    PreparedStatement(DcJob& job, const QString& sql);
    // Throws JobFailure when the database refuses the row.
    void run(const QVariantList& values);

private:
    QSqlQuery m_query;
    QString m_sql;
};

} // namespace pxu::dc
