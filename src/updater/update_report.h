#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace pxu {

// One run's report of the guided update.
struct UpdateReport {
    std::array<QString, 13> headerLines; // the sequencer's lines; line 0 the start line
    bool failed = false;
    bool notNecessary = false;
    bool canceled = false;
    QStringList messages; // the updater's list, told after a failure
};

// The report file of an installation: beside the program, the project's name and
// " Report.txt".
QString updateReportFile();
// Appends the report to the file (made when missing); the old content is kept whole if the
// writing fails. False with error text on failure.
bool appendUpdateReport(const QString& file, const UpdateReport& report, QString* error = nullptr);

} // namespace pxu
