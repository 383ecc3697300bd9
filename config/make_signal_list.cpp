// Writes the sample plant's signal list: pxu-make-signal-list <database> <workbook>.
// The sheets "dcEnums" and "alarmEnums" list the plant's parameters, variables and alarms
// with their attributes, as the plant's engineers keep them: a few values differ from the
// database, a few symbols of the database are missing, a few listed symbols are not in the
// database yet, and the parameters carry a unit, which the database has no column for.
// Alarms name their signal and delays, also where the database holds only their ids.
#include "platform/db/database.h"
#include "platform/xlsx/workbook_writer.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <filesystem>
#include <functional>

using pxu::xlsx::WorkbookWriter;

namespace {

struct Edit {
    const char* name;
    const char* column;
    double value;
};

// Values the list sets otherwise than the database holds them.
const Edit kEdits[] = {
    {"PAR_RATED_SPEED", "value", 750},           {"PAR_IDLE_SPEED", "value", 350},
    {"PAR_ALARM_HORN_TIME", "value", 30},        {"ENG_GOV_DROOP", "value", 4},
    {"ENG_SPEED_GAIN_P", "writeAccessLevel", 9}, {"LUB_FEED_RATE_BASE", "value", 120},
    {"ALM_LUB_OIL_TEMP_HIGH", "maxValue", 70},   {"ALM_EXH_TEMP_AVG_HIGH", "hysteresis", 5},
};
// Symbols of the database the list does not name.
const char* const kLeftOut[] = {"PAR_TIME_ZONE", "GLB_ALARM_COUNT", "ALM_HORN"};

struct NewSymbol {
    const char* name;
    int id;
    const char* after; // listed after this symbol
};
// Symbols the list names that the database does not have yet.
const NewSymbol kNewSymbols[] = {
    {"ENG_OIL_MIST_LIMIT", 1125, "ENG_GOV_DEADBAND"},
    {"GLB_BEARING_TEMP_MAX", 2140, "GLB_CYL_PMAX_13"},
    {"ALM_OIL_MIST_HIGH", 42, "ALM_ENGINE_STSTILL_FAIL"},
};

// The columns of the two sheets, in their order.
const QStringList kDcColumns =
    QStringLiteral("name id comment crcGroup value minValue maxValue writeAccessLevel "
                   "readAccessLevel modbusAddr modbusScale producerMask syncCmd")
        .split(u' ');
const QStringList kAlarmColumns =
    QStringLiteral("name id comment producerMask minValue maxValue hysteresis criterion inhibit "
                   "modbusAddr signalIndexName onDelayIndexName offDelayIndexName "
                   "onOffDelayIdName type groupX scanInternal")
        .split(u' ');
const QLatin1String kUnit{"unit"};

// The unit a parameter's comment ends with, if any.
QString unitOf(const QString& comment) {
    static const QStringList units{"rpm", "kW",   "s",   "ms",  "h",      "C",  "%",
                                   "bar", "mbar", "min", "%/s", "kbit/s", "deg"};
    const QString last = comment.section(u' ', -1);
    return units.contains(last) ? last : QString();
}

class ListWriter {
public:
    explicit ListWriter(pxu::db::Database& db)
        : m_db(db) {}

    bool ok() const { return m_problems.isEmpty(); }
    QStringList problems() const { return m_problems; }

    void loadNames() {
        forEachRow("SELECT id, name FROM dcEnums WHERE id >= 0", [&](const QSqlRecord& r) {
            m_symbolNames.insert(r.value(0).toLongLong(), r.value(1).toString());
        });
        forEachRow("SELECT id, name FROM sourceScan WHERE class = 'DELAY_INST'",
                   [&](const QSqlRecord& r) {
                       m_delayNames.insert(r.value(0).toLongLong(), r.value(1).toString());
                   });
    }

    void writeSheet(WorkbookWriter::Sheet& sheet, const QString& symbolsQuery,
                    const QStringList& columns, bool withUnit) {
        QStringList headers = columns;
        if (withUnit)
            headers << kUnit;
        for (int c = 0; c < headers.size(); ++c)
            sheet.text(1, c + 1, headers[c]);
        int row = 2;
        QStringList listed;
        forEachRow(symbolsQuery, [&](const QSqlRecord& r) {
            const QString name = r.value(QStringLiteral("name")).toString();
            listed << name;
            if (!leftOut(name))
                writeRow(sheet, row++, r, columns, withUnit);
            for (const NewSymbol& s : kNewSymbols) {
                if (name == QLatin1String(s.after)) {
                    sheet.text(row, 1, QLatin1String(s.name));
                    sheet.number(row++, 2, s.id);
                }
            }
        });
        m_listed += listed;
    }

    // Every symbol the list edits, leaves out or places a new one after must be in the
    // database, so that the list keeps showing what it was made to show.
    void checkNamesExist() {
        QStringList names;
        for (const Edit& e : kEdits)
            names << QLatin1String(e.name);
        for (const char* n : kLeftOut)
            names << QLatin1String(n);
        for (const NewSymbol& s : kNewSymbols)
            names << QLatin1String(s.after);
        for (const QString& name : names) {
            if (!m_listed.contains(name))
                m_problems << QStringLiteral("%1 is not in the sample plant").arg(name);
        }
    }

private:
    static bool leftOut(const QString& name) {
        for (const char* n : kLeftOut) {
            if (name == QLatin1String(n))
                return true;
        }
        return false;
    }

    void writeRow(WorkbookWriter::Sheet& sheet, int row, const QSqlRecord& r,
                  const QStringList& columns, bool withUnit) {
        const QString name = r.value(QStringLiteral("name")).toString();
        for (int c = 0; c < columns.size(); ++c) {
            const QString column = columns[c];
            QVariant value =
                column.endsWith(QLatin1String("Name")) ? referenceName(r, column) : r.value(column);
            for (const Edit& e : kEdits) {
                if (name == QLatin1String(e.name) && column == QLatin1String(e.column))
                    value = e.value;
            }
            if (value.isNull() || value.toString().isEmpty())
                continue;
            if (value.typeId() == QMetaType::QString)
                sheet.text(row, c + 1, value.toString());
            else
                sheet.number(row, c + 1, value.toDouble());
        }
        if (withUnit) {
            const QString unit = unitOf(r.value(QStringLiteral("comment")).toString());
            if (!unit.isEmpty())
                sheet.text(row, int(columns.size()) + 1, unit);
        }
    }

    // A reference column's name, or the name of the symbol its id twin refers to.
    QVariant referenceName(const QSqlRecord& r, const QString& column) {
        const QString name = r.value(column).toString();
        if (!name.isEmpty())
            return name;
        const QString idColumn = column.chopped(4);
        const qint64 id = r.value(idColumn).toLongLong();
        if (idColumn == QLatin1String("onOffDelayId"))
            return m_delayNames.value(id);
        return m_symbolNames.value(id);
    }

    void forEachRow(const QString& sql, const std::function<void(const QSqlRecord&)>& each) {
        QSqlQuery query(m_db.connection());
        if (!query.exec(sql)) {
            m_problems << sql + QStringLiteral(": ") + query.lastError().text();
            return;
        }
        while (query.next())
            each(query.record());
    }

    pxu::db::Database& m_db;
    QHash<qint64, QString> m_symbolNames;
    QHash<qint64, QString> m_delayNames;
    QStringList m_listed;
    QStringList m_problems;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: pxu-make-signal-list <database> <workbook>\n";
        return 2;
    }
    pxu::db::Database db;
    if (!db.open(args[0], true)) {
        err << "cannot open " << args[0] << ": " << db.lastError() << "\n";
        return 1;
    }
    WorkbookWriter workbook;
    workbook.addSheet(QStringLiteral("Revisions"))
        .text(1, 1, QStringLiteral("Revision"))
        .text(1, 2, QStringLiteral("Date"))
        .text(1, 3, QStringLiteral("Change"))
        .text(2, 1, QStringLiteral("A"))
        .text(2, 2, QStringLiteral("2025-11-03"))
        .text(2, 3, QStringLiteral("First issue"))
        .text(3, 1, QStringLiteral("B"))
        .text(3, 2, QStringLiteral("2026-01-05"))
        .text(3, 3, QStringLiteral("Commissioning values"));
    ListWriter list(db);
    list.loadNames();
    list.writeSheet(workbook.addSheet(QStringLiteral("dcEnums")),
                    QStringLiteral("SELECT * FROM dcEnums WHERE id >= 0 ORDER BY id"), kDcColumns,
                    true);
    list.writeSheet(workbook.addSheet(QStringLiteral("alarmEnums")),
                    QStringLiteral("SELECT * FROM alarmEnums WHERE id >= 0 ORDER BY id"),
                    kAlarmColumns, false);
    list.checkNamesExist();
    if (!list.ok()) {
        err << list.problems().join(QLatin1Char('\n')) << "\n";
        return 1;
    }
    const QString target = args[1];
    const QString temporary = target + QStringLiteral(".part");
    QString error;
    if (!workbook.save(temporary, &error)) {
        err << "cannot write " << temporary << ": " << error << "\n";
        return 1;
    }
    std::error_code renamed;
    std::filesystem::rename(temporary.toStdString(), target.toStdString(), renamed);
    if (renamed) {
        err << "cannot rename " << temporary << " to " << target << "\n";
        QFile::remove(temporary);
        return 1;
    }
    return 0;
}
