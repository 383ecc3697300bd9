#include "data_control.h"

namespace pxu {

DataControl::DataControl(QObject* parent)
    : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setDatabase(const QString& name, std::shared_ptr<db::Database> database) {
    m_recordset.reset();
    m_recordSource.clear();
    m_values.clear();
    m_databaseName = name;
    m_database = std::move(database);
    emit refreshed();
}

void DataControl::setRecordset(const QString& recordSource, const QVariantList& values,
                               std::unique_ptr<db::Recordset> recordset) {
    m_recordSource = recordSource;
    m_values = values;
    m_recordset = std::move(recordset);
    emit refreshed();
}

void DataControl::close() {
    m_recordset.reset();
    m_database.reset();
    m_recordSource.clear();
    m_values.clear();
    emit refreshed();
}

} // namespace pxu
