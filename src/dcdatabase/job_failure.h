#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace pxu::dc {

// A data-container job that cannot go on: the text says what failed and where. Thrown
// inside a job, it rolls the whole job back (DcJob::run).
class JobFailure : public std::exception {
public:
    explicit JobFailure(QString text)
        : m_text(std::move(text))
        , m_what(m_text.toUtf8()) {}
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QByteArray m_what;
};

[[noreturn]] inline void failJob(const QString& text) {
    throw JobFailure(text);
}

// A statement the database refused: its error and the statement on one line.
[[noreturn]] inline void failStatement(const QString& error, const QString& sql) {
    failJob(QStringLiteral("%1 (in: %2)").arg(error, sql.simplified()));
}

} // namespace pxu::dc
