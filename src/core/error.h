#pragma once

#include <QString>
#include <exception>
#include <source_location>

namespace pxu {

// An unexpected failure as the error reporter shows it: number, source, description and
// the place in our code where it was raised.
struct Failure {
    qint64 number = 0;
    QString source;
    QString description;
    std::source_location where = std::source_location::current();
};

class PxuError : public std::exception {
public:
    PxuError(qint64 number, QString source, QString description,
             std::source_location where = std::source_location::current());
    const Failure& failure() const { return m_failure; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Failure m_failure;
    QByteArray m_what;
};

[[noreturn]] void raise(qint64 number, const QString& source, const QString& description,
                        std::source_location where = std::source_location::current());

} // namespace pxu
