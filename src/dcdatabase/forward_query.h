#pragma once

#include "dc_job.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace pxu::dc {

// A SELECT of the job's connection read once from first to last row, without the record
// set's copy of every row: for sweeps over all symbols of a plant. Fails the job when the
// statement fails.
QSqlQuery forwardQuery(DcJob& job, const QString& sql, const QVariantList& values = {});

// A prepared statement of the job's connection, run many times with bound values. Its "?"
// placeholders are given names, which bind faster; values may still be bound by position.
QSqlQuery preparedStatement(DcJob& job, const QString& sql);
// Runs it with the values in the order of the placeholders; fails the job when the
// database refuses.
void runPrepared(QSqlQuery& statement, const QVariantList& values);

} // namespace pxu::dc
