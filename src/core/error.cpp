#include "error.h"

namespace pxu {

PxuError::PxuError(qint64 number, QString source, QString description, std::source_location where)
    : m_failure{number, std::move(source), std::move(description), where}
    , m_what(m_failure.description.toUtf8())
{
}

void raise(qint64 number, const QString& source, const QString& description,
           std::source_location where)
{
    throw PxuError(number, source, description, where);
}

} // namespace pxu
