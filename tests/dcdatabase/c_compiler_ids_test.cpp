// The ids the modules are built with are those a C compiler gives the enumeration members
// and #define constants. Each set of headers is scanned, and a C program generated from the
// rows the scan stored prints every symbol's value as the build's C compiler gives it.
//
// Besides the fixed sets, header sets in random layouts are generated: a few seeds run as
// the test; PXU_HEADER_SEED=n and PXU_HEADER_SEED_COUNT=k run k seeds from n by hand (a long run
// wants QTEST_FUNCTION_TIMEOUT in milliseconds too).
#include "dc_fixture.h"
#include "dcdatabase/source_scan.h"
#include "random_headers.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

constexpr const char* kHeaderNames[] = {"global.h", "library.h", "dataContainer.h"};

struct StoredRow {
    QString name;
    qint64 id = 0;
    QString cls;
    QString comment;
    int sourceLine = 0;
    bool define = false; // a #define constant, not an enumeration member
};

struct Scan {
    std::optional<QString> failure;
    QStringList boxes;
    std::vector<StoredRow> symbols; // in the order of the headers
    QStringList copies;             // of the arrays: "sourceLine:id", sorted
};

// The header files' symbols in their order, then the arrays' numbered copies, which the
// scan adds after them.
Scan scanned(DcFixture& fixture, const QString& databaseName) {
    const QString db = fixture.database(databaseName, scanSchema());
    ScriptedDialogs dialogs;
    RecordingSink sink;
    Scan scan;
    scan.failure = DcJob::run(db, [&](DcJob& job) { g_scanHeaderFiles(job, sink); });
    scan.boxes = dialogs.texts();
    if (scan.failure)
        return scan;
    int parsed = 0;
    static const QRegularExpression counts(QStringLiteral("^ +(\\d+) enums and (\\d+) defines"));
    for (const QString& line : std::as_const(sink.lines)) {
        if (const auto match = counts.match(line); match.hasMatch())
            parsed += match.captured(1).toInt() + match.captured(2).toInt();
    }
    const QVariantList rows = queryColumn(
        db,
        "SELECT name || char(9) || id || char(9) || class || char(9) || coalesce(comment, '') "
        "|| char(9) || sourceLine || char(9) || (fupId IS NULL) FROM sourceScan ORDER BY rowid");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList c = rows[i].toString().split(u'\t');
        if (i < parsed)
            scan.symbols.push_back(
                {c[0], c[1].toLongLong(), c[2], c[3], c[4].toInt(), c[5] == "1"});
        else
            scan.copies << c[4] + u':' + c[1];
    }
    scan.copies.sort();
    return scan;
}

// Every name's value as the C compiler gives it, as the 32-bit id column holds it; empty
// after a failure, which the text tells.
QHash<QString, qint64> compilerValues(const QString& headers, const QStringList& names,
                                      const QString& folder, bool strict, QString& failure) {
    // No system header: the fixtures' own types (a mode_t) may clash with them. The
    // fixed-width types the headers cast to are declared as the build's compiler has them.
    QString program = QStringLiteral(
        "typedef unsigned char u8, uint8_t;\ntypedef unsigned short u16, uint16_t;\n"
        "typedef short int16_t;\ntypedef unsigned int u32, uint32_t;\ntypedef int s32;\n");
    for (const char* header : kHeaderNames)
        program += QStringLiteral("#include \"%1\"\n").arg(QLatin1String(header));
    program += QStringLiteral("int printf(const char *, ...);\nint main(void) {\n");
    for (const QString& name : names)
        program +=
            QStringLiteral("    printf(\"%s %lld\\n\", \"%1\", (long long)(int)(%1));\n").arg(name);
    program += QStringLiteral("    return 0;\n}\n");
    const QString source = QDir(folder).filePath(QStringLiteral("symbols.c"));
    const QString binary = QDir(folder).filePath(QStringLiteral("symbols"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(program.toLatin1()) < 0)
        return {};
    file.close();

    QStringList arguments{QStringLiteral("-std=c11"),
                          QStringLiteral("-I"),
                          headers,
                          QStringLiteral("-o"),
                          binary,
                          source};
    if (strict)
        arguments.prepend(QStringLiteral("-Werror"));
    QProcess compiler;
    compiler.start(QStringLiteral(PXU_C_COMPILER), arguments);
    if (!compiler.waitForFinished(60000) || compiler.exitCode() != 0) {
        failure = QString::fromLocal8Bit(compiler.readAllStandardError());
        return {};
    }
    QProcess run;
    run.start(binary, {});
    if (!run.waitForFinished(10000) || run.exitCode() != 0) {
        failure = QStringLiteral("the program of the symbols does not run");
        return {};
    }
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
    return !row.define && !sameClass(row.cls, cls::alarm) &&
           (row.comment.contains(QLatin1String("* n")) ||
            row.comment.contains(QLatin1String("* x")));
}

// What differs between the scan of the headers in the folder and the C compiler; empty
// when nothing does.
QString differences(const QString& headers, bool strict) {
    DcFixture fixture;
    for (const char* name : kHeaderNames) {
        if (!QFile::copy(QDir(headers).filePath(QLatin1String(name)),
                         fixture.path(QLatin1String(name))))
            return QStringLiteral("cannot copy ") + QLatin1String(name);
    }
    const Scan scan = scanned(fixture, QStringLiteral("dc.mdb"));
    if (scan.failure)
        return QStringLiteral("the scan failed: ") + *scan.failure;
    if (!scan.boxes.isEmpty())
        return QStringLiteral("boxes: ") + scan.boxes.join(u'|');
    QStringList names;
    for (const StoredRow& row : scan.symbols)
        names << row.name;
    const bool moves = std::count_if(scan.symbols.begin(), scan.symbols.end(), [](const auto& r) {
                           return isNamed(r, QLatin1String("PARAMETER_OFFSET_1024")) ||
                                  isNamed(r, QLatin1String("PARA_FIRST_ENUM"));
                       }) == 2;
    QString failure;
    const QHash<QString, qint64> c =
        compilerValues(headers, names, fixture.folder(), strict, failure);
    if (c.isEmpty())
        return QStringLiteral("the C program of the symbols fails: ") + failure;
    const qint64 offset = moves ? 1024 - c.value(QStringLiteral("PARAMETER_OFFSET_1024")) -
                                      c.value(QStringLiteral("PARA_FIRST_ENUM"))
                                : 0;

    QStringList differing;
    QStringList copies;
    for (size_t i = 0; i < scan.symbols.size(); ++i) {
        const StoredRow& row = scan.symbols[i];
        const qint64 id = c.value(row.name) + (movedByTheScan(row) ? offset : 0);
        if (row.id != id)
            differing << QStringLiteral("%1: scan %2, C %3").arg(row.name).arg(row.id).arg(id);
        if (!isArray(row))
            continue;
        // An array takes every id up to the next member; a LAST_ marker's id is its last.
        size_t next = i + 1;
        while (next < scan.symbols.size() && scan.symbols[next].define)
            ++next;
        if (next == scan.symbols.size())
            return row.name + QStringLiteral(": an array without a member after it");
        const StoredRow& following = scan.symbols[next];
        const qint64 end =
            c.value(following.name) + (following.name.startsWith(QLatin1String("LAST_")));
        for (qint64 k = 1; k < end - c.value(row.name); ++k)
            copies << QStringLiteral("%1:%2").arg(row.sourceLine).arg(row.id + k);
    }
    copies.sort();
    if (copies != scan.copies)
        differing << QStringLiteral("array elements: scan %1, C %2")
                         .arg(scan.copies.join(u' '), copies.join(u' '));
    if (scan.symbols.empty())
        differing << QStringLiteral("no symbols scanned");
    return differing.join(QLatin1String("; "));
}

quint64 environmentNumber(const char* name, quint64 otherwise) {
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : otherwise;
}

} // namespace

class CCompilerIdsTest : public QObject {
    Q_OBJECT
private slots:
    void scannedIdsAreTheCompilersIds_data();
    void scannedIdsAreTheCompilersIds();
    void randomHeaderSetsGiveTheCompilersIds();
};

void CCompilerIdsTest::scannedIdsAreTheCompilersIds_data() {
    QTest::addColumn<QString>("headers");
    QTest::newRow("sample plant") << QStringLiteral(PXU_SAMPLE_HEADERS);
    QTest::newRow("test headers") << QStringLiteral(PXU_HEADER_FIXTURES);
    QTest::newRow("headers written freely") << QStringLiteral(PXU_CONSTRUCT_HEADERS);
    QTest::newRow("headers written as control software is written")
        << QStringLiteral(PXU_C_FORM_HEADERS);
}

void CCompilerIdsTest::scannedIdsAreTheCompilersIds() {
    QFETCH(QString, headers);
    const QString differing = differences(headers, false);
    QVERIFY2(differing.isEmpty(), qPrintable(differing));
}

void CCompilerIdsTest::randomHeaderSetsGiveTheCompilersIds() {
    const quint64 first = environmentNumber("PXU_HEADER_SEED", 1);
    const quint64 count = environmentNumber("PXU_HEADER_SEED_COUNT", 12);
    for (quint64 seed = first; seed < first + count; ++seed) {
        QTemporaryDir folder;
        const RandomHeaders headers = randomHeaders(seed);
        for (const auto& [name, text] : {std::pair{"global.h", &headers.global},
                                         {"library.h", &headers.library},
                                         {"dataContainer.h", &headers.dataContainer}}) {
            QFile file(folder.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(*text) == text->size());
        }
        const QString differing = differences(folder.path(), true);
        if (!differing.isEmpty()) {
            folder.setAutoRemove(false);
            QFAIL(qPrintable(QStringLiteral("seed %1 (headers in %2): %3")
                                 .arg(seed)
                                 .arg(folder.path(), differing)));
        }
    }
    qInfo("%llu seeds from %llu", count, first);
}

QTEST_GUILESS_MAIN(CCompilerIdsTest)
#include "c_compiler_ids_test.moc"
