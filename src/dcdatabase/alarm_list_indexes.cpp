#include "alarm_list_indexes.h"

#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_schema.h"
#include "forward_query.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace pxu::dc {

namespace {

// The rows a column refers to, by name (letter case ignored, as the database compares
// names) and by id; the first row wins where several share one.
struct References {
    QHash<QString, qint64> idByName;
    QHash<qint64, QString> nameById;
};

References loadReferences(DcJob& job, bool delayInstances, MessageSink& sink) {
    References refs;
    QSqlQuery rows = forwardQuery(
        job, delayInstances
                 ? QStringLiteral("SELECT name, id FROM sourceScan WHERE class = 'DELAY_INST' "
                                  "ORDER BY rowid")
                 : QStringLiteral("SELECT name, id FROM dcEnums WHERE id >= 0 ORDER BY rowid"));
    while (rows.next()) {
        sink.stillWorking();
        if (rows.value(1).isNull())
            continue;
        const qint64 id = rows.value(1).toLongLong();
        const QString name = rows.value(0).toString();
        const QString key = name.toLower();
        if (!refs.idByName.contains(key))
            refs.idByName.insert(key, id);
        if (!refs.nameById.contains(id))
            refs.nameById.insert(id, name);
    }
    return refs;
}

bool isDelayColumn(const QString& column) {
    return column == col::onOffDelayId;
}

int resolveColumn(DcJob& job, const QString& column, const References& refs, MessageSink& sink) {
    const QString nameColumn = column + QStringLiteral("Name");
    const qint64 noReference = isDelayColumn(column) ? 255 : -1;
    // Only the alarm table's own columns get here: the four names above and their twins.
    QSqlQuery alarms =
        forwardQuery(job, QStringLiteral("SELECT rowid, name, %1, %2 FROM alarmEnums "
                                         "WHERE id>=0 ORDER BY rowid")
                              .arg(columnId(column), columnId(nameColumn)));
    struct Edit {
        qint64 key;
        QVariant value;
    };
    std::vector<Edit> ids;
    std::vector<Edit> names;
    int unresolved = 0;
    while (alarms.next()) {
        sink.stillWorking();
        const QString name = alarms.value(3).toString();
        const QVariant id = alarms.value(2);
        std::optional<QString> notFound;
        if (!name.isEmpty()) {
            const auto ref = refs.idByName.constFind(name.toLower());
            if (ref == refs.idByName.cend())
                notFound = name;
            else if (id.isNull() || id.toLongLong() != *ref)
                ids.push_back({alarms.value(0).toLongLong(), *ref});
        } else if (!id.isNull() && id.toLongLong() != noReference) {
            const auto ref = refs.nameById.constFind(id.toLongLong());
            if (ref == refs.nameById.cend())
                notFound = id.toString();
            else if (alarms.value(3).isNull() || name != *ref)
                names.push_back({alarms.value(0).toLongLong(), *ref});
        }
        if (notFound) {
            sink.addMessage(sprintf(QStringLiteral("      Variable {*} not found (see {*})!"),
                                    *notFound, alarms.value(1).toString()));
            ++unresolved;
        }
    }
    for (const auto& [edits, target] : {std::pair{&ids, column}, std::pair{&names, nameColumn}}) {
        if (edits->empty())
            continue;
        QSqlQuery update = preparedStatement(
            job,
            QStringLiteral("UPDATE alarmEnums SET %1 = ? WHERE rowid = ?").arg(columnId(target)));
        for (const Edit& edit : *edits) {
            runPrepared(update, {edit.value, edit.key});
            sink.stillWorking();
        }
    }
    return unresolved;
}

void checkColumn(const QString& column) {
    if (std::none_of(kAlarmReferenceColumns.begin(), kAlarmReferenceColumns.end(),
                     [&](QLatin1String c) { return column == c; }))
        failJob(sprintf(QStringLiteral("'{*}' is no reference column of alarmEnums."), column));
}

bool hasAlarms(DcJob& job) {
    const auto alarms =
        job.trySelect(QStringLiteral("SELECT id FROM alarmEnums WHERE id>=0 LIMIT 1"));
    return alarms && !alarms->eof();
}

} // namespace

int g_buildAlarmListIndexes(DcJob& job, const QString& column, MessageSink& sink) {
    checkColumn(column);
    if (!hasAlarms(job))
        return 0;
    return resolveColumn(job, column, loadReferences(job, isDelayColumn(column), sink), sink);
}

int resolveAlarmListIndexes(DcJob& job, MessageSink& sink) {
    sink.addMessage(QStringLiteral("   Update id's in alarmEnums-table"));
    if (!hasAlarms(job))
        return 0;
    // The three symbol columns share one look-up of the symbols.
    const References delays = loadReferences(job, true, sink);
    const References symbols = loadReferences(job, false, sink);
    int unresolved = 0;
    for (QLatin1String column : kAlarmReferenceColumns)
        unresolved += resolveColumn(job, column, isDelayColumn(column) ? delays : symbols, sink);
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

std::optional<int> buildAlarmListIndexes(const QString& database, MessageSink& sink,
                                         std::optional<FileWriteFailure>* unwritable) {
    int unresolved = 0;
    if (const auto failure = DcJob::run(
            database, [&](DcJob& job) { unresolved = resolveAlarmListIndexes(job, sink); },
            unwritable)) {
        sink.addMessage(QStringLiteral("      ") + *failure);
        return std::nullopt;
    }
    finishAlarmListIndexes(unresolved, sink);
    return unresolved;
}

} // namespace pxu::dc
