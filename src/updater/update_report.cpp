#include "update_report.h"

#include "core/file_names.h"
#include "core/globals.h"
#include "core/program_info.h"
#include "mainwindow/log_lines.h"
#include "platform/clock/clock.h"

#include <QFile>
#include <QSaveFile>

namespace pxu {

QString updateReportFile() {
    return g_fullName(programFolder(), g_projectName + QStringLiteral(" Report.txt"));
}

bool appendUpdateReport(const QString& file, const UpdateReport& report, QString* error) {
    QStringList lines(report.headerLines.begin(), report.headerLines.end());
    if (report.failed) {
        lines << g_productText +
                     QStringLiteral(
                         " Software update failed. Find more details in the report below.")
              << QString()
              << QStringLiteral("------------------------------------- Report Details  "
                                "-------------------------------------");
        lines << report.messages;
        lines << QString();
    } else if (report.notNecessary) {
        lines << g_productText + QStringLiteral(" Software update was not necessary.") << QString();
    } else if (report.canceled) {
        lines << g_productText + QStringLiteral(" Software update was canceled by the user!")
              << QStringLiteral("Software is not updated!") << QString();
    } else {
        lines << g_productText + QStringLiteral(" Software is successfully updated.") << QString();
    }
    lines << QStringLiteral("------------------- ") + g_productText +
                 QStringLiteral(" Update Tool terminated  ") +
                 generalDateTime(clock().currentDateTime()) + QStringLiteral(" -------------------")
          << QString();

    QByteArray old;
    QFile existing(file);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            if (error)
                *error = existing.errorString();
            return false;
        }
        old = existing.readAll();
        existing.close();
    }
    QSaveFile out(file);
    const QByteArray added =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLocal8Bit();
    if (!out.open(QIODevice::WriteOnly) || out.write(old) != old.size() ||
        out.write(added) != added.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace pxu
