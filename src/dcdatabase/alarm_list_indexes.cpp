#include "alarm_list_indexes.h"

#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_schema.h"

#include <QHash>
#include <algorithm>

namespace pxu::dc {

namespace {

// The rows a column refers to, by name (letter case ignored, as the database compares
// names) and by id; the first row wins where several share one.
struct References {
    QHash<QString, qint64> idByName;
    QHash<qint64, QString> nameById;
};

References loadReferences(DcJob& job, bool delayInstances) {
    const QString sql =
        delayInstances
            ? QStringLiteral("SELECT name, id FROM sourceScan WHERE class = 'DELAY_INST' ORDER BY "
                             "rowid")
            : QStringLiteral("SELECT name, id FROM dcEnums WHERE id >= 0 ORDER BY rowid");
    References refs;
    const auto rs = job.select(sql);
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        const QVariant id = rs->value(1);
        if (id.isNull())
            continue;
        const QString name = rs->text(0);
        if (!refs.idByName.contains(name.toLower()))
            refs.idByName.insert(name.toLower(), id.toLongLong());
        if (!refs.nameById.contains(id.toLongLong()))
            refs.nameById.insert(id.toLongLong(), name);
    }
    return refs;
}

} // namespace

int g_buildAlarmListIndexes(DcJob& job, const QString& column, MessageSink& sink) {
    const auto known = std::find_if(kAlarmReferenceColumns.begin(), kAlarmReferenceColumns.end(),
                                    [&](QLatin1String c) { return column == c; });
    if (known == kAlarmReferenceColumns.end())
        failJob(sprintf(QStringLiteral("'{*}' is no reference column of alarmEnums."), column));
    const QString nameColumn = column + QStringLiteral("Name");

    const auto alarms = job.trySelect(QStringLiteral("SELECT * FROM alarmEnums WHERE id>=0"));
    if (!alarms || alarms->eof())
        return 0;
    const bool delayInstances = column == col::onOffDelayId;
    const qint64 noReference = delayInstances ? 255 : -1;
    const References refs = loadReferences(job, delayInstances);

    int unresolved = 0;
    const auto notFound = [&](const QString& reference) {
        sink.addMessage(sprintf(QStringLiteral("      Variable {*} not found (see {*})!"),
                                reference, alarms->text(col::name)));
        ++unresolved;
    };
    for (alarms->moveFirst(); !alarms->eof(); alarms->moveNext()) {
        const QString name = alarms->text(nameColumn);
        const QVariant id = alarms->value(column);
        if (!name.isEmpty()) {
            const auto ref = refs.idByName.constFind(name.toLower());
            if (ref == refs.idByName.cend())
                notFound(name);
            else if (id.isNull() || id.toLongLong() != *ref)
                editRow(*alarms, {{column, *ref}});
        } else if (!id.isNull() && id.toLongLong() != noReference) {
            const auto ref = refs.nameById.constFind(id.toLongLong());
            if (ref == refs.nameById.cend())
                notFound(alarms->text(column));
            else if (alarms->value(nameColumn).isNull() || name != *ref)
                editRow(*alarms, {{nameColumn, *ref}});
        }
    }
    return unresolved;
}

int resolveAlarmListIndexes(DcJob& job, MessageSink& sink) {
    sink.addMessage(QStringLiteral("   Update id's in alarmEnums-table"));
    int unresolved = 0;
    for (QLatin1String column : kAlarmReferenceColumns)
        unresolved += g_buildAlarmListIndexes(job, column, sink);
    return unresolved;
}

void finishAlarmListIndexes(int unresolved, MessageSink& sink) {
    if (unresolved > 0)
        g_errorMsgBox(QStringLiteral("Not all id's could be built because\r\nthe symbols are not "
                                     "found in dcEnums!\r\nPlease check log and correct "
                                     "alarmEnums."),
                      QStringLiteral("ERROR"));
    sink.addMessage(QStringLiteral(" "));
}

std::optional<int> buildAlarmListIndexes(const QString& database, MessageSink& sink) {
    int unresolved = 0;
    if (const auto failure = DcJob::run(
            database, [&](DcJob& job) { unresolved = resolveAlarmListIndexes(job, sink); })) {
        sink.addMessage(QStringLiteral("      ") + *failure);
        return std::nullopt;
    }
    finishAlarmListIndexes(unresolved, sink);
    return unresolved;
}

} // namespace pxu::dc
