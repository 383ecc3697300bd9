#include "dcdatabase/job_failure.h"
#include "dcdatabase/scan_grouping.h"
#include "scan_fixture.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

// Rows written "[#define ]NAME=id CLASS [comment]": the class "?" when left out, the
// comment after the class; "#define " for a row of a #define line. Each row was scanned
// from dataContainer.h, at the line of its place in the list, from 1.
ScanRows rowsOf(const QStringList& texts) {
    ScanRows rows;
    int line = 0;
    for (QString text : texts) {
        ScanRow row;
        row.fromDefine = text.startsWith(QLatin1String("#define "));
        if (row.fromDefine)
            text.remove(0, 8);
        const QStringList parts = text.split(u' ');
        row.name = parts[0].section(u'=', 0, 0);
        row.id = parts[0].section(u'=', 1).toLongLong();
        if (parts.size() > 1)
            row.cls = parts[1];
        row.comment = parts.size() > 2 ? parts.mid(2).join(u' ') : QString();
        row.fupId = QStringLiteral("9.9");
        row.file = QStringLiteral("dataContainer.h");
        row.line = ++line;
        row.sourceLine = line;
        rows.add(row);
    }
    return rows;
}

// Each row as "NAME=id CLASS/varGroup".
QStringList grouped(const ScanRows& rows) {
    QStringList texts;
    for (const ScanRow& row : rows.rows())
        texts << QStringLiteral("%1=%2 %3/%4")
                     .arg(row.name)
                     .arg(row.id)
                     .arg(row.cls,
                          row.varGroup.isNull() ? QStringLiteral("~") : row.varGroup.toString());
    return texts;
}

QString failureOf(ScanRows& rows) {
    try {
        buildGroup(rows);
    } catch (const JobFailure& failure) {
        return failure.text();
    }
    return {};
}

} // namespace

class ScanGroupingTest : public QObject {
    Q_OBJECT
private slots:
    void markerPairsClassifyTheRowsBetween_data();
    void markerPairsClassifyTheRowsBetween();
    void arraysGetNumberedElements_data();
    void arraysGetNumberedElements();
    void elementsCopyTheArrayRow();
    void brokenGroupsAndArraysFail_data();
    void brokenGroupsAndArraysFail();
    void twoSymbolsOfOneClassWithOneIdFail_data();
    void twoSymbolsOfOneClassWithOneIdFail();
};

void ScanGroupingTest::markerPairsClassifyTheRowsBetween_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("variable group and class from the group text")
        << QStringList{"FIRST_GLB_VARIABLE=2048 INSTRUCTION", "A=2049", "PAR_X=2050 PARAMETER",
                       "LAST_GLB_VARIABLE=2100 INSTRUCTION",  "B=2100", "OUT=2101"}
        << QStringList{"FIRST_GLB_VARIABLE=2048 INSTRUCTION/~",
                       "A=2049 VARIABLE/GLB",
                       "PAR_X=2050 PARAMETER/~",
                       "LAST_GLB_VARIABLE=2100 INSTRUCTION/~",
                       "B=2100 VARIABLE/GLB",
                       "OUT=2101 ?/~"};
    QTest::newRow("group text without underscore: the class alone")
        << QStringList{"LAST_ALARM=3 INSTRUCTION", "A=1", "FIRST_ALARM=0 INSTRUCTION"}
        << QStringList{"LAST_ALARM=3 INSTRUCTION/~", "A=1 ALARM/~", "FIRST_ALARM=0 INSTRUCTION/~"};
    QTest::newRow("class with an underscore")
        << QStringList{"FIRST_GLB_DBG_VARIABLE=10 INSTRUCTION", "A=11",
                       "LAST_GLB_DBG_VARIABLE=12 INSTRUCTION"}
        << QStringList{"FIRST_GLB_DBG_VARIABLE=10 INSTRUCTION/~", "A=11 DBG_VARIABLE/GLB",
                       "LAST_GLB_DBG_VARIABLE=12 INSTRUCTION/~"};
    QTest::newRow("pairs in the order of their ids")
        << QStringList{"FIRST_CYL_PARAMETER=20 INSTRUCTION",
                       "A=12",
                       "B=21",
                       "LAST_ENG_PARAMETER=14 INSTRUCTION",
                       "FIRST_ENG_PARAMETER=10 INSTRUCTION",
                       "LAST_CYL_PARAMETER=20 INSTRUCTION"}
        << QStringList{"FIRST_CYL_PARAMETER=20 INSTRUCTION/~",
                       "A=12 PARAMETER/ENG",
                       "B=21 ?/~",
                       "LAST_ENG_PARAMETER=14 INSTRUCTION/~",
                       "FIRST_ENG_PARAMETER=10 INSTRUCTION/~",
                       "LAST_CYL_PARAMETER=20 INSTRUCTION/~"};
    QTest::newRow("no markers: nothing changes, not even arrays")
        << QStringList{"A=1", "B=2 ? Array * n", "C=9"}
        << QStringList{"A=1 ?/~", "B=2 ?/~", "C=9 ?/~"};
}

void ScanGroupingTest::markerPairsClassifyTheRowsBetween() {
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    ScanRows scan = rowsOf(rows);
    QCOMPARE(failureOf(scan), QString());
    QCOMPARE(grouped(scan), expected);
}

void ScanGroupingTest::arraysGetNumberedElements_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("added");

    // A group far from the arrays, so that their rows stay unclassified.
    const QString first = QStringLiteral("FIRST_X=5000 INSTRUCTION");
    const QString last = QStringLiteral("LAST_X=5001 INSTRUCTION");
    QTest::newRow("name ending in _N") << QStringList{first, "TEMP_N=100 ? * n", "B=103", last}
                                       << QStringList{"TEMP_01=101 ?/~", "TEMP_02=102 ?/~"};
    QTest::newRow("name holding _N_") << QStringList{first, "SIG_N_RAW=100 ? * x", "B=103", last}
                                      << QStringList{"SIG_01_RAW=101 ?/~", "SIG_02_RAW=102 ?/~"};
    QTest::newRow("name ending in _00")
        << QStringList{first, "CYL_00=300 ? a * n", "B=304", last}
        << QStringList{"CYL_01=301 ?/~", "CYL_02=302 ?/~", "CYL_03=303 ?/~"};
    QTest::newRow("name holding _00_") << QStringList{first, "P_00_LIM=100 ? * n", "B=102", last}
                                       << QStringList{"P_01_LIM=101 ?/~"};
    QTest::newRow("any other name")
        << QStringList{first, "SPEED=100 ? * n", "B=102", last} << QStringList{"SPEED_01=101 ?/~"};
    QTest::newRow("up to a LAST_ marker: its id too")
        << QStringList{"FIRST_X=99 INSTRUCTION", "A=100 ? * n", "LAST_X=102 INSTRUCTION"}
        << QStringList{"A_01=101 X/~", "A_02=102 X/~"};
    QTest::newRow("constants of #define lines near the array are no end of it")
        << QStringList{first, "A=100 ? * n", "#define K=101 CONSTANT", "B=103", last}
        << QStringList{"A_01=101 ?/~", "A_02=102 ?/~"};
    QTest::newRow("a count member ends the array")
        << QStringList{"FIRST_GLB_VARIABLE=2048 INSTRUCTION", "VAR_SPEED=2049",
                       "VAR_CYL_TEMP_00=2050 ? t * n", "NUM_GLB_VARIABLE=2062 CONSTANT",
                       "LAST_GLB_VARIABLE=2063 INSTRUCTION"}
        << QStringList{"VAR_CYL_TEMP_01=2051 VARIABLE/GLB", "VAR_CYL_TEMP_02=2052 VARIABLE/GLB",
                       "VAR_CYL_TEMP_03=2053 VARIABLE/GLB", "VAR_CYL_TEMP_04=2054 VARIABLE/GLB",
                       "VAR_CYL_TEMP_05=2055 VARIABLE/GLB", "VAR_CYL_TEMP_06=2056 VARIABLE/GLB",
                       "VAR_CYL_TEMP_07=2057 VARIABLE/GLB", "VAR_CYL_TEMP_08=2058 VARIABLE/GLB",
                       "VAR_CYL_TEMP_09=2059 VARIABLE/GLB", "VAR_CYL_TEMP_10=2060 VARIABLE/GLB",
                       "VAR_CYL_TEMP_11=2061 VARIABLE/GLB"};
    QTest::newRow("an invalid member ends the array")
        << QStringList{first, "A=100 ? * n", "A_INVALID=103 CONSTANT", "B=110", last}
        << QStringList{"A_01=101 ?/~", "A_02=102 ?/~"};
    QTest::newRow("next row one above: no element")
        << QStringList{first, "A=100 ? * n", "B=101", last} << QStringList();
    QTest::newRow("alarms are no arrays")
        << QStringList{first, "A=100 ALARM * n", "B=103", last} << QStringList();
    QTest::newRow("mark in other letter case is no mark")
        << QStringList{first, "A=100 ? * N", "B=103", last} << QStringList();
}

void ScanGroupingTest::arraysGetNumberedElements() {
    QFETCH(QStringList, rows);
    QFETCH(QStringList, added);
    ScanRows scan = rowsOf(rows);
    QCOMPARE(failureOf(scan), QString());
    QCOMPARE(grouped(scan).mid(rows.size()), added);
}

void ScanGroupingTest::elementsCopyTheArrayRow() {
    ScanRows scan = rowsOf({"FIRST_X=0 INSTRUCTION", "A_00=100 PARAMETER Offset * n", "B=250",
                            "LAST_X=999 INSTRUCTION"});
    scan.rows()[1].varGroup = QStringLiteral("CYL");
    scan.rows()[1].upDate = upDateUnchanged;
    QCOMPARE(failureOf(scan), QString());
    QCOMPARE(scan.rows().size(), size_t(4 + 149));
    const ScanRow& element = scan.rows().back();
    QCOMPARE(rowText(element), QStringLiteral("A_149=249 PARAMETER/CYL {9.9|Offset * n} @2"));
    QCOMPARE(element.upDate, int(upDateUnchanged));
    QCOMPARE(scan.rows()[4].name, QStringLiteral("A_01"));
}

void ScanGroupingTest::brokenGroupsAndArraysFail_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("failure");

    QTest::newRow("LAST_ before its FIRST_")
        << QStringList{"FIRST_A=10 INSTRUCTION", "LAST_A=5 INSTRUCTION"}
        << "Error in grouping dc-nums \r\nLAST_A / FIRST_A (dataContainer.h, line 2 / "
           "dataContainer.h, line 1)";
    QTest::newRow("group texts differ")
        << QStringList{"FIRST_A=1 INSTRUCTION", "LAST_B=5 INSTRUCTION"}
        << "Error in grouping dc-nums \r\nFIRST_A / LAST_B (dataContainer.h, line 1 / "
           "dataContainer.h, line 2)";
    QTest::newRow("marker without partner")
        << QStringList{"FIRST_A=1 INSTRUCTION", "LAST_A=5 INSTRUCTION", "FIRST_B=9 INSTRUCTION"}
        << "FIRST_B (dataContainer.h, line 3): the marker has no partner";
    QTest::newRow("array mark on the last row")
        << QStringList{"FIRST_A=1 INSTRUCTION", "LAST_A=5 INSTRUCTION", "#define K=90 CONSTANT",
                       "B=20 ? * n", "#define C=30 CONSTANT"}
        << "B (dataContainer.h, line 4): the array is the last symbol, so its length is not known";
    QTest::newRow("array longer than 16-bit ids count")
        << QStringList{"FIRST_A=1 INSTRUCTION", "LAST_A=5 INSTRUCTION", "B=20 ? * n", "C=100000"}
        << "B (dataContainer.h, line 3): an array of 99980 elements up to C (dataContainer.h, "
           "line 4) is too long";
}

void ScanGroupingTest::brokenGroupsAndArraysFail() {
    QFETCH(QStringList, rows);
    QFETCH(QString, failure);
    ScanRows scan = rowsOf(rows);
    QCOMPARE(failureOf(scan), failure);
}

void ScanGroupingTest::twoSymbolsOfOneClassWithOneIdFail_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("failure");

    const QString why = QStringLiteral(": the modules could not tell them apart");
    QTest::newRow("a plain enumeration among the alarms")
        << QStringList{"FIRST_ALARM=0 INSTRUCTION",
                       "ALM_A=1",
                       "ALM_B=2",
                       "LAST_ALARM=3 INSTRUCTION",
                       "MODE_OFF=0",
                       "MODE_ON=1",
                       "MODE_AUTO=2"}
        << "ALM_A (dataContainer.h, line 2) and MODE_ON (dataContainer.h, line 6) are both ALARM "
           "with the id 1" +
               why;
    QTest::newRow("two parameters with one value")
        << QStringList{"PAR_A=5 PARAMETER", "PAR_B=6 PARAMETER", "PAR_C=5 parameter"}
        << "PAR_A (dataContainer.h, line 1) and PAR_C (dataContainer.h, line 3) are both "
           "PARAMETER with the id 5" +
               why;
    QTest::newRow("one id in other classes, or in no symbol class, passes")
        << QStringList{"PAR_A=5 PARAMETER",     "V=5 VARIABLE",   "L=5 ALARM", "K=5 CONSTANT",
                       "#define K2=5 CONSTANT", "D=5 DELAY_INST", "U=5",       "U2=5"}
        << QString();
}

void ScanGroupingTest::twoSymbolsOfOneClassWithOneIdFail() {
    QFETCH(QStringList, rows);
    QFETCH(QString, failure);
    ScanRows scan = rowsOf(rows);
    QString found = failureOf(scan);
    if (found.isEmpty()) {
        try {
            failOnSharedIds(scan);
        } catch (const JobFailure& f) {
            found = f.text();
        }
    }
    QCOMPARE(found, failure);
}

QTEST_GUILESS_MAIN(ScanGroupingTest)
#include "scan_grouping_test.moc"
