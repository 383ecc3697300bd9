#pragma once

#include "core/error_boundary.h"

#include <QList>

namespace pxu::test {

// Records the failures that reach the error reporter and answers Continue.
class RecordingErrorHandler : public ErrorHandler {
public:
    struct Report {
        QString object;
        QString procedure;
        Failure failure;
    };
    RecordingErrorHandler() { setErrorHandler(this); }
    ~RecordingErrorHandler() override { setErrorHandler(nullptr); }

    ErrorAction onError(const QString& object, const QString& procedure,
                        const Failure& failure) override
    {
        m_reports << Report{object, procedure, failure};
        return ErrorAction::Continue;
    }
    const QList<Report>& reports() const { return m_reports; }

private:
    QList<Report> m_reports;
};

} // namespace pxu::test
