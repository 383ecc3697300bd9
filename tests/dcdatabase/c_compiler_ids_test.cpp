// The ids the modules are built with are those a C compiler gives the enumeration members.
// Each set of header fixtures is scanned, and a C program generated from the rows the scan
// stored prints every member's value as the build's C compiler gives it.
#include "dc_fixture.h"
#include "dcdatabase/source_scan.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QProcess>
#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

struct StoredRow {
    QString name;
    qint64 id = 0;
    QString cls;
    QString comment;
    int sourceLine = 0;
    QList<qint64> elements; // of an array: the ids of its numbered copies
};

// The enumeration members as the scan stored them, in the order of the headers. A #define
// writes no fupId; an array's copies are written after every member, from its line.
std::vector<StoredRow> storedMembers(const QString& database) {
    std::vector<StoredRow> members;
    QHash<int, size_t> byLine;
    const QVariantList rows =
        queryColumn(database, "SELECT name || char(9) || id || char(9) || class || char(9) || "
                              "coalesce(comment, '') || char(9) || sourceLine FROM sourceScan "
                              "WHERE fupId IS NOT NULL ORDER BY rowid");
    for (const QVariant& text : rows) {
        const QStringList c = text.toString().split(u'\t');
        StoredRow row{c[0], c[1].toLongLong(), c[2], c[3], c[4].toInt(), {}};
        if (const auto it = byLine.constFind(row.sourceLine); it != byLine.cend()) {
            members[*it].elements << row.id;
            continue;
        }
        byLine.insert(row.sourceLine, members.size());
        members.push_back(row);
    }
    return members;
}

// Every name's value as the C compiler gives it; empty after a failure.
QHash<QString, qint64> compilerValues(const QString& headers, const QStringList& names,
                                      const QString& folder) {
    QString program;
    for (const char* header : {"global.h", "library.h", "dataContainer.h"})
        program += QStringLiteral("#include \"%1\"\n").arg(QLatin1String(header));
    // No system header: the fixtures' own types (a mode_t) may clash with them.
    program += QStringLiteral("int printf(const char *, ...);\nint main(void) {\n");
    for (const QString& name : names)
        program +=
            QStringLiteral("    printf(\"%s %lld\\n\", \"%1\", (long long)(%1));\n").arg(name);
    program += QStringLiteral("    return 0;\n}\n");
    const QString source = QDir(folder).filePath(QStringLiteral("members.c"));
    const QString binary = QDir(folder).filePath(QStringLiteral("members"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(program.toLatin1()) < 0)
        return {};
    file.close();

    QProcess compiler;
    compiler.start(QStringLiteral(PXU_C_COMPILER),
                   {QStringLiteral("-std=c11"), QStringLiteral("-I"), headers, QStringLiteral("-o"),
                    binary, source});
    if (!compiler.waitForFinished(60000) || compiler.exitCode() != 0) {
        qWarning().noquote() << compiler.readAllStandardError();
        return {};
    }
    QProcess run;
    run.start(binary, {});
    if (!run.waitForFinished(10000) || run.exitCode() != 0)
        return {};
    QHash<QString, qint64> values;
    for (const QByteArray& line : run.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            values.insert(QString::fromLatin1(parts[0]), parts[1].toLongLong());
    }
    return values;
}

bool isNamed(const StoredRow& row, QLatin1String name) {
    return row.name.compare(name, Qt::CaseInsensitive) == 0;
}

// The scan moves the parameters that their "PAR_" prefix classes, and the two markers of
// their enumeration, so that PARA_FIRST_ENUM lands on 1024 less PARAMETER_OFFSET_1024.
bool movedByTheScan(const StoredRow& row) {
    return isNamed(row, QLatin1String("PARA_FIRST_ENUM")) ||
           isNamed(row, QLatin1String("PARA_LAST_ENUM")) ||
           (sameClass(row.cls, cls::parameter) && row.name.startsWith(QLatin1String("PAR_")));
}

// The headers' array mark, which alarms do not carry.
bool isArray(const StoredRow& row) {
    return !sameClass(row.cls, cls::alarm) && (row.comment.contains(QLatin1String("* n")) ||
                                               row.comment.contains(QLatin1String("* x")));
}

QString elementsText(const QString& name, const QList<qint64>& ids) {
    QStringList texts;
    for (qint64 id : ids)
        texts << QString::number(id);
    return name + QStringLiteral(": ") + texts.join(u' ');
}

} // namespace

class CCompilerIdsTest : public QObject {
    Q_OBJECT
private slots:
    void scannedIdsAreTheCompilersIds_data();
    void scannedIdsAreTheCompilersIds();
};

void CCompilerIdsTest::scannedIdsAreTheCompilersIds_data() {
    QTest::addColumn<QString>("headers");
    QTest::newRow("sample plant") << QStringLiteral(PXU_SAMPLE_HEADERS);
    QTest::newRow("test headers") << QStringLiteral(PXU_HEADER_FIXTURES);
    QTest::newRow("headers written freely") << QStringLiteral(PXU_CONSTRUCT_HEADERS);
}

void CCompilerIdsTest::scannedIdsAreTheCompilersIds() {
    QFETCH(QString, headers);
    DcFixture fixture;
    for (const char* name : {"global.h", "library.h", "dataContainer.h"})
        QVERIFY(QFile::copy(QDir(headers).filePath(QLatin1String(name)),
                            fixture.path(QLatin1String(name))));
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    ScriptedDialogs dialogs;
    RecordingSink sink;
    QCOMPARE(DcJob::run(db, [&](DcJob& job) { g_scanHeaderFiles(job, sink); }), std::nullopt);
    QCOMPARE(dialogs.texts(), QStringList());

    const std::vector<StoredRow> members = storedMembers(db);
    QVERIFY(members.size() > 10);
    QStringList names;
    for (const StoredRow& row : members)
        names << row.name;
    const bool moves = queryValue(db, "SELECT count(*) FROM sourceScan WHERE name IN "
                                      "('PARAMETER_OFFSET_1024', 'PARA_FIRST_ENUM')")
                           .toInt() == 2;
    if (moves)
        names << QStringLiteral("PARAMETER_OFFSET_1024");
    const QHash<QString, qint64> c = compilerValues(headers, names, fixture.folder());
    QVERIFY2(!c.isEmpty(), "the C program of the members does not compile or run");
    const qint64 offset = moves ? 1024 - c.value(QStringLiteral("PARAMETER_OFFSET_1024")) -
                                      c.value(QStringLiteral("PARA_FIRST_ENUM"))
                                : 0;

    QStringList stored;
    QStringList compiled;
    QStringList storedElements;
    QStringList compiledElements;
    for (size_t i = 0; i < members.size(); ++i) {
        const StoredRow& row = members[i];
        const qint64 id = c.value(row.name) + (movedByTheScan(row) ? offset : 0);
        stored << QStringLiteral("%1=%2").arg(row.name).arg(row.id);
        compiled << QStringLiteral("%1=%2").arg(row.name).arg(id);
        if (!isArray(row))
            continue;
        // An array takes every id up to the next member; a LAST_ marker's id is its last.
        QVERIFY2(i + 1 < members.size(), qPrintable(row.name));
        const StoredRow& next = members[i + 1];
        const qint64 end = c.value(next.name) + (next.name.startsWith(QLatin1String("LAST_")));
        QList<qint64> ids;
        for (qint64 k = 1; k < end - c.value(row.name); ++k)
            ids << row.id + k;
        storedElements << elementsText(row.name, row.elements);
        compiledElements << elementsText(row.name, ids);
    }
    QCOMPARE(stored, compiled);
    QCOMPARE(storedElements, compiledElements);
}

QTEST_GUILESS_MAIN(CCompilerIdsTest)
#include "c_compiler_ids_test.moc"
