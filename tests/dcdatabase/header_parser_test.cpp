#include "dc_fixture.h"
#include "dcdatabase/header_parser.h"
#include "dcdatabase/job_failure.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

struct Parsed {
    QStringList rows;
    QStringList lines;
    QStringList boxes;
    QString failure;
};

// Parses the text as a header file of that name with the line counter preset.
Parsed parse(const QByteArray& text, const QString& name = QStringLiteral("dataContainer.h"),
             int preset = 0) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();

    ScriptedDialogs dialogs;
    RecordingSink sink;
    ScanRows rows;
    const script::ExpressionEvaluator evaluator;
    HeaderParser parser(rows, sink, evaluator);
    Parsed parsed;
    try {
        int counter = preset;
        if (!parser.scanSource(path, counter))
            parsed.failure = QStringLiteral("not opened");
    } catch (const JobFailure& failure) {
        parsed.failure = failure.text();
    }
    for (const ScanRow& row : rows.rows())
        parsed.rows << rowText(row);
    static const QRegularExpression counts(
        QStringLiteral("^      \\d+ enums and \\d+ defines scanned$"));
    for (const QString& line : std::as_const(sink.lines)) {
        if (!line.startsWith(QLatin1String("   Scan file ")) && !counts.match(line).hasMatch())
            parsed.lines << line;
    }
    parsed.boxes = dialogs.texts();
    return parsed;
}

// The text parses into the rows without a failure, a box or a line.
void compareQuietParse(const QByteArray& text, const QStringList& rows) {
    const Parsed parsed = parse(text);
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, rows);
    QCOMPARE(parsed.boxes, QStringList());
    QCOMPARE(parsed.lines, QStringList());
}

QByteArray section(const char* name, const char* lines) {
    return QByteArray("// scanStart: ") + name + "\n" + lines + "\n// scanEnd\n";
}

QByteArray constants(const char* lines) {
    return section("global constants", lines);
}

// An enumeration in a parameters section: "typedef enum" on line 2, "{" on line 3, the
// members from line 4 on, then "} t;".
QByteArray enumeration(const char* members) {
    return section("global parameters", QByteArray("typedef enum\n{\n") + members + "\n} t;");
}

} // namespace

class HeaderParserTest : public QObject {
    Q_OBJECT
private slots:
    void formatLineNormalises_data();
    void formatLineNormalises();
    void replaceConstantsTakesScannedIds_data();
    void replaceConstantsTakesScannedIds();
    void definesGiveConstants_data();
    void definesGiveConstants();
    void enumerationsGiveMembers_data();
    void enumerationsGiveMembers();
    void sectionsChooseTheScanner_data();
    void sectionsChooseTheScanner();
    void sectionTextsAreComparedWithoutSurroundingBlanks_data();
    void sectionTextsAreComparedWithoutSurroundingBlanks();
    void blockCommentsAreCommentsWhereverTheyEnd_data();
    void blockCommentsAreCommentsWhereverTheyEnd();
    void conditionalsInsideAScannedSectionFail_data();
    void conditionalsInsideAScannedSectionFail();
    void oddlyWrittenMembersAreWarned_data();
    void oddlyWrittenMembersAreWarned();
    void inputTheScanCannotTakeFailsWithFileAndLine_data();
    void inputTheScanCannotTakeFailsWithFileAndLine();
    void lineCounterStartsFromThePreset();
    void linesEndInCrLfOrLfAndReadAsLatin1();
    void emptyFileIsToldAndScanned();
    void missingFileIsNotOpened();
};

void HeaderParserTest::formatLineNormalises_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("comment"); // "~": the line holds none

    QTest::newRow("blanks") << "   A  =   1,  "
                            << "A = 1"
                            << "~";
    QTest::newRow("line comment keeps its commas") << "A, // 1.2; x, 0x1  "
                                                   << "A"
                                                   << "1.2; x, 0x1";
    QTest::newRow("block comment becomes a line comment, its inner blanks kept") << "A, /* 3; y */"
                                                                                 << "A"
                                                                                 << "3; y ";
    QTest::newRow("comment alone") << "// only a comment"
                                   << ""
                                   << "only a comment";
    QTest::newRow("hexadecimal and shift") << "X = (0x10 << 2)"
                                           << "X = (&H10 *2^ 2)"
                                           << "~";
    QTest::newRow("upper-case X and tabs untouched") << "X\t=\t0X10"
                                                     << "X\t=\t0X10"
                                                     << "~";
}

void HeaderParserTest::formatLineNormalises() {
    QFETCH(QString, line);
    QFETCH(QString, code);
    QFETCH(QString, comment);
    const FormattedLine formatted = HeaderParser::formatLine(line);
    QCOMPARE(formatted.code, code);
    QCOMPARE(formatted.comment.value_or(QStringLiteral("~")), comment);
}

void HeaderParserTest::replaceConstantsTakesScannedIds_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<int>("firstIndex");
    QTest::addColumn<QString>("replaced");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("name between blanks") << "A + 1" << 0 << "5 + 1" << QStringList();
    QTest::newRow("letter case ignored") << "a * B" << 0 << "5 * 7" << QStringList();
    QTest::newRow("brackets stay") << "((A) + B)" << 0 << "((5) + 7)" << QStringList();
    QTest::newRow("cast removed") << "(u16)A" << 0 << "5" << QStringList();
    QTest::newRow("words before the first index stay")
        << "#define A B" << 2 << "#define A 7" << QStringList();
    QTest::newRow("name with an operator is not found")
        << "A+1" << 0 << "A+1" << QStringList{QStringLiteral("A+1 is not found in DB")};
    QTest::newRow("a quote in a name is only a name")
        << "it's" << 0 << "it's" << QStringList{QStringLiteral("it's is not found in DB")};
    QTest::newRow("underscore and digits are no names") << "_A 1B" << 0 << "_A 1B" << QStringList();
}

void HeaderParserTest::replaceConstantsTakesScannedIds() {
    QFETCH(QString, expression);
    QFETCH(int, firstIndex);
    QFETCH(QString, replaced);
    QFETCH(QStringList, boxes);
    ScriptedDialogs dialogs;
    RecordingSink sink;
    ScanRows rows;
    for (const auto& [name, id] : {std::pair{"A", 5}, {"B", 7}, {"a", 99}}) {
        ScanRow row; // of two rows of a name, the first counts
        row.name = QLatin1String(name);
        row.id = id;
        rows.add(row);
    }
    const script::ExpressionEvaluator evaluator;
    HeaderParser parser(rows, sink, evaluator);
    QCOMPARE(parser.replaceConstants(expression, firstIndex), replaced);
    QCOMPARE(dialogs.texts(), boxes);
}

void HeaderParserTest::definesGiveConstants_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("hexadecimal") << constants("#define A 0x1F")
                                 << QStringList{"A=31 CONSTANT/~ {~|~} @2"};
    QTest::newRow("hexadecimal of 16 bits is signed")
        << constants("#define A 0x8000\n#define B 0x00010000")
        << QStringList{"A=-32768 CONSTANT/~ {~|~} @2", "B=65536 CONSTANT/~ {~|~} @3"};
    QTest::newRow("shift") << constants("#define A (1 << 4)")
                           << QStringList{"A=16 CONSTANT/~ {~|~} @2"};
    QTest::newRow("sum of constants scanned before")
        << constants("#define A 2\n#define B A + A * 3")
        << QStringList{"A=2 CONSTANT/~ {~|~} @2", "B=8 CONSTANT/~ {~|~} @3"};
    QTest::newRow("cast") << constants("#define A (u16)7")
                          << QStringList{"A=7 CONSTANT/~ {~|~} @2"};
    QTest::newRow("fraction rounded half to even, exponent")
        << constants("#define A 2.5\n#define B 1.5E3")
        << QStringList{"A=2 CONSTANT/~ {~|~} @2", "B=1500 CONSTANT/~ {~|~} @3"};
    QTest::newRow("continued over two lines")
        << constants("#define A 1 + \\\n        2") << QStringList{"A=3 CONSTANT/~ {~|~} @3"};
    QTest::newRow("quoted text gives no row") << constants("#define A \"abc\"") << QStringList();
    QTest::newRow("quoted text that reads as a number")
        << constants("#define A \"12\"") << QStringList{"A=12 CONSTANT/~ {~|~} @2"};
    QTest::newRow("FIRST_ is an instruction, LAST_ a constant")
        << constants("#define FIRST_X 1\n#define LAST_X 2")
        << QStringList{"FIRST_X=1 INSTRUCTION/~ {~|~} @2", "LAST_X=2 CONSTANT/~ {~|~} @3"};
    QTest::newRow("other lines, indented defines and lines outside the markers pass")
        << QByteArray("#define OUT (1 & 2)\n") +
               constants("  #define A 1\nint x;\n// #define B 2\n#define C 3")
        << QStringList{"C=3 CONSTANT/~ {~|~} @6"};
}

void HeaderParserTest::definesGiveConstants() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    compareQuietParse(text, rows);
}

void HeaderParserTest::enumerationsGiveMembers_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    const QStringList fiveSixSeven{"PAR_A=5 PARAMETER/GLB {12|First} @4",
                                   "PAR_B=6 PARAMETER/GLB {|} @5"};
    QTest::newRow("last member without comma ends at the brace")
        << enumeration("PAR_A = 5, // 12; First\nPAR_B,\nPAR_C")
        << fiveSixSeven + QStringList{"PAR_C=7 PARAMETER/GLB {|} @7"};
    QTest::newRow("trailing comma adds no member")
        << enumeration("PAR_A = 5, // 12; First\nPAR_B,\nPAR_C,")
        << fiveSixSeven + QStringList{"PAR_C=7 PARAMETER/GLB {|} @6"};
    QTest::newRow("classes by name")
        << enumeration("FIRST_X,\nLAST_X,\nA_INVALID,\nNUM_DLY_A,\nNUM_A,\nPAR_INVALID,\nOTHER,")
        << QStringList{"FIRST_X=0 INSTRUCTION/~ {|} @4",
                       "LAST_X=1 INSTRUCTION/~ {|} @5",
                       "A_INVALID=2 CONSTANT/~ {|} @6",
                       "NUM_DLY_A=3 DELAY_INST/~ {|} @7",
                       "NUM_A=4 CONSTANT/~ {|} @8",
                       "PAR_INVALID=5 CONSTANT/~ {|} @9",
                       "OTHER=6 ?/~ {|} @10"};
    QTest::newRow("comments: a number, zero, a question mark, no semicolon, too long")
        << enumeration("A, // 2.5 ; Two and a half \nB, // 0; zero\nC, // ?x; unknown\n"
                       "D, // plain, text\n"
                       "E, // 1;123456789012345678901234567890123456789012345678901234567890")
        << QStringList{"A=0 ?/~ {2.5|Two and a half} @4", "B=1 ?/~ {|0; zero} @5",
                       "C=2 ?/~ {?x|unknown} @6", "D=3 ?/~ {|plain, text} @7",
                       "E=4 ?/~ {1|12345678901234567890123456789012345678901234567890} @8"};
    QTest::newRow("comment line describes the next member")
        << enumeration("A,\n// 7; told before\n\nB,\nC, // 8; own")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {7|told before} @7", "C=2 ?/~ {8|own} @8"};
    QTest::newRow("values from members, hexadecimal and shifts")
        << enumeration("A = 3,\nB = A + 1,\nC = 0x10,\nD = 1 << 3,\nE,")
        << QStringList{"A=3 ?/~ {|} @4", "B=4 ?/~ {|} @5", "C=16 ?/~ {|} @6", "D=8 ?/~ {|} @7",
                       "E=9 ?/~ {|} @8"};
    QTest::newRow("member written over two lines")
        << enumeration("A // 3; split\n   = 40,\nB,")
        << QStringList{"A=40 ?/~ {3|split} @5", "B=41 ?/~ {|} @6"};
    QTest::newRow("a new enumeration counts from 0")
        << section("global types", "typedef enum\n{\nA = 7,\n} s;\ntypedef enum\n{\nB,\n} t;")
        << QStringList{"A=7 ?/~ {|} @4", "B=0 ?/~ {|} @8"};
    QTest::newRow("indented typedef enum is not seen")
        << section("global types", "  typedef enum\n{\nA,\n} t;") << QStringList();
    QTest::newRow("scanStart line inside an enumeration is a comment")
        << section("global types", "typedef enum\n{\nA,\n// scanStart: alarms\nB,\n} t;")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {|scanStart: alarms} @6"};
}

void HeaderParserTest::enumerationsGiveMembers() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    const Parsed parsed = parse(text);
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, rows);
    QCOMPARE(parsed.lines, QStringList());
}

void HeaderParserTest::sectionsChooseTheScanner_data() {
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QStringList>("rows");

    const QStringList define{"D=1 CONSTANT/~ {~|~} @2"};
    const QStringList member{"M=0 ?/~ {|} @5"};
    QTest::newRow("global constants") << QByteArray("// scanStart: global constants") << define;
    for (const char* name :
         {"global types", "global variables", "alarms", "global on-off-delay", "Global Parameters"})
        QTest::newRow(name) << QByteArray("// scanStart: ") + name << member;
    QTest::newRow("unknown text at the start of a file: section 0")
        << QByteArray("// scanStart: something") << member;
    QTest::newRow("marker not in the first column")
        << QByteArray(" // scanStart: global constants") << QStringList();
    QTest::newRow("marker in other letter case")
        << QByteArray("// ScanStart: global constants") << QStringList();
}

void HeaderParserTest::sectionsChooseTheScanner() {
    QFETCH(QByteArray, marker);
    QFETCH(QStringList, rows);
    const Parsed parsed = parse(marker + "\n#define D 1\ntypedef enum\n{\nM,\n} t;\n// scanEnd\n");
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, rows);
}

void HeaderParserTest::sectionTextsAreComparedWithoutSurroundingBlanks_data() {
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("lines");

    // After the marker line: a #define, then an enumeration.
    const QStringList define{"D=1 CONSTANT/~ {~|~} @3"};
    const QStringList member{"M=0 ?/~ {|} @6"};
    QTest::newRow("trailing blank")
        << QByteArray("// scanStart: global constants ") << define << QStringList();
    QTest::newRow("blanks and tabs around")
        << QByteArray("// scanStart:   global constants \t") << define << QStringList();
    QTest::newRow("no blank after the colon")
        << QByteArray("// scanStart:global constants") << define << QStringList();
    QTest::newRow("letter case and trailing blank of an enumeration section")
        << QByteArray("// scanStart: Global Variables  ") << member << QStringList();
    const QString known = QStringLiteral(
        "global constants, global types, global variables, alarms, global on-off-delay, global "
        "parameters");
    QTest::newRow("unknown text: warned, the section before goes on")
        << QByteArray("// scanStart: global constant") << member
        << QStringList{"      Warning: dataContainer.h, line 2: \"global constant\" names no "
                       "section of the scan (" +
                       known + "): the section before goes on"};
    QTest::newRow("no text at all")
        << QByteArray("// scanStart") << member
        << QStringList{
               "      Warning: dataContainer.h, line 2: \"\" names no section of the scan (" +
               known + "): the section before goes on"};
}

void HeaderParserTest::sectionTextsAreComparedWithoutSurroundingBlanks() {
    QFETCH(QByteArray, marker);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, lines);
    // An enumeration section first: "the section before".
    const Parsed parsed = parse("// scanStart: global types\n" + marker +
                                "\n#define D 1\ntypedef enum\n{\nM,\n} t;\n// scanEnd\n");
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, rows);
    QCOMPARE(parsed.lines, lines);
    QCOMPARE(parsed.boxes, QStringList());
}

void HeaderParserTest::blockCommentsAreCommentsWhereverTheyEnd_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("over two lines between members")
        << enumeration("A,\n/* 7; told before\n   over two lines */\nB,\nC,")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {7|told before} @7", "C=2 ?/~ {|} @8"};
    QTest::newRow("opened after a member, closed on the next line")
        << enumeration("A, /* 5; first\n     and more */\nB,")
        << QStringList{"A=0 ?/~ {5|first} @4", "B=1 ?/~ {|} @6"};
    QTest::newRow("over three lines, its middle line starred as an array mark")
        << enumeration("A,\n/*\n * n cylinders\n */\nB,")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {|} @8"};
    QTest::newRow("inside a member written over several lines")
        << enumeration("A /* 3; split\n     and told */\n   = 40,\nB,")
        << QStringList{"A=40 ?/~ {3|split} @6", "B=41 ?/~ {|} @7"};
    QTest::newRow("code after its end") << enumeration("/* a,\n b, */ A = 5,\nB,")
                                        << QStringList{"A=5 ?/~ {|a,} @5", "B=6 ?/~ {|} @6"};
    QTest::newRow("between name and value on one line")
        << enumeration("A /* 2; c */ = 5,\nB,")
        << QStringList{"A=5 ?/~ {2|c} @4", "B=6 ?/~ {|} @5"};
    QTest::newRow("around the closing brace")
        << section("global types",
                   "typedef enum\n{\nA,\n/* last\n*/\n} t;\ntypedef enum\n{\nB,\n} u;")
        << QStringList{"A=0 ?/~ {|} @4", "B=0 ?/~ {|} @10"};
    QTest::newRow("around defines")
        << constants("#define A 1 /* one\n#define B 2 */\n#define C 3 /* x */ + 1")
        << QStringList{"A=1 CONSTANT/~ {~|~} @2", "C=4 CONSTANT/~ {~|~} @4"};
    QTest::newRow("opener in a string or a line comment opens none")
        << constants("#define T \"a/*b\"\n#define A 1 // x /* y\n#define B 2")
        << QStringList{"A=1 CONSTANT/~ {~|~} @3", "B=2 CONSTANT/~ {~|~} @4"};
    QTest::newRow("markers inside a block comment are comment")
        << QByteArray("/*\n// scanStart: global constants\n#define A 1\n// scanEnd\n*/\n") +
               constants("#define B 2")
        << QStringList{"B=2 CONSTANT/~ {~|~} @7"};
}

void HeaderParserTest::blockCommentsAreCommentsWhereverTheyEnd() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    compareQuietParse(text, rows);
}

void HeaderParserTest::conditionalsInsideAScannedSectionFail_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("rows");

    const QString why = QStringLiteral(
        " lies in a scanned section: the scan cannot know which branch the control software "
        "is built with");
    for (const char* directive : {"#if SIM", "#ifdef SIM", "#ifndef SIM", "#elif SIM", "#else",
                                  "#endif", "# if SIM", "  #\tifdef SIM // x"}) {
        QTest::newRow(QByteArray("in an enumeration: ").append(directive).constData())
            << enumeration(QByteArray("A,\n").append(directive).append("\nB,").constData())
            << "dataContainer.h, line 5: the conditional \"" +
                   QString::fromLatin1(directive).trimmed() + u'"' + why
            << QStringList();
    }
    QTest::newRow("among defines")
        << constants("#define A 1\n#ifdef SIM\n#define B 2\n#else\n#define B 3\n#endif")
        << "dataContainer.h, line 3: the conditional \"#ifdef SIM\"" + why << QStringList();
    QTest::newRow("outside the sections nothing changes")
        << QByteArray("#ifndef H\n#define H\n#if SIM\n") + enumeration("A,\nB,") + "#else\n" +
               constants("#define C 1") + "#endif\n#endif\n"
        << QString() << QStringList{"A=0 ?/~ {|} @7", "B=1 ?/~ {|} @8", "C=1 CONSTANT/~ {~|~} @13"};
    QTest::newRow("in a comment nothing changes")
        << enumeration("A,\n// #ifdef SIM\n/*\n#else\n*/\nB, /* #endif */") << QString()
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {|#endif} @9"};
    QTest::newRow("other directives and names that begin alike pass")
        << enumeration("A,\n#iffy\n= 7,") << QString()
        << QStringList{"A=0 ?/~ {|} @4", "#iffy=7 ?/~ {|} @6"};
}

void HeaderParserTest::conditionalsInsideAScannedSectionFail() {
    QFETCH(QByteArray, text);
    QFETCH(QString, failure);
    QFETCH(QStringList, rows);
    const Parsed parsed = parse(text);
    QCOMPARE(parsed.failure, failure);
    QCOMPARE(parsed.boxes, QStringList());
    if (failure.isEmpty())
        QCOMPARE(parsed.rows, rows);
}

void HeaderParserTest::oddlyWrittenMembersAreWarned_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("brace on the typedef line skips that enumeration")
        << section("global types", "typedef enum {\nA,\n} s;\ntypedef enum\n{\nB,\n} t;")
        << QStringList{"B=0 ?/~ {|} @7"}
        << QStringList{"      Warning: dataContainer.h, line 2: \"{\" is not alone on its line: "
                       "the enumeration is not scanned"};
    QTest::newRow("brace with a comment")
        << section("global types", "typedef enum\n{ // members\nA,\n{\nB,\n} t;")
        << QStringList{"B=0 ?/~ {|} @6"}
        << QStringList{"      Warning: dataContainer.h, line 3: \"{\" is not alone on its line: "
                       "the enumeration is not scanned"};
    QTest::newRow("member written X=5")
        << enumeration("A=5,\nB = 7,") << QStringList{"A=5=0 ?/~ {|} @4", "B=7 ?/~ {|} @5"}
        << QStringList{"      Warning: dataContainer.h, line 4: the member 'A=5' is not written as "
                       "NAME or NAME = value"};
    QTest::newRow("member written X =5")
        << enumeration("A =5,") << QStringList{"A=0 ?/~ {|} @4"}
        << QStringList{"      Warning: dataContainer.h, line 4: the member 'A =5' is not written "
                       "as NAME or NAME = value"};
}

void HeaderParserTest::oddlyWrittenMembersAreWarned() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, lines);
    const Parsed parsed = parse(text);
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, rows);
    QCOMPARE(parsed.lines, lines);
}

void HeaderParserTest::inputTheScanCannotTakeFailsWithFileAndLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("preset");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("operator the evaluator refuses")
        << constants("#define A 1\n#define B (A & 2)") << 0
        << "library.h, line 3: '(1 & 2)' cannot be evaluated: invalid character \"&\" at position 4"
        << QStringList();
    QTest::newRow("name not scanned before")
        << constants("#define B C + 1") << 0
        << "library.h, line 2: 'C + 1' cannot be evaluated: unknown name \"C\" at position 1"
        << QStringList{"C is not found in DB"};
    QTest::newRow("define without value")
        << constants("#define A") << 0 << "library.h, line 2: \"#define A\" defines no value"
        << QStringList();
    QTest::newRow("define value beyond 32 bits")
        << constants("#define A 2 ^ 40") << 0
        << "library.h, line 2: the value 1099511627776 of '2 ^ 40' does not fit 32 bits"
        << QStringList();
    QTest::newRow("member value beyond 32 bits")
        << section("alarms", "typedef enum\n{\nA = &H7FFFFFFF,\nB,\n} t;") << 0
        << "library.h, line 5: the value of 'B' does not fit 32 bits" << QStringList();
    QTest::newRow("member value a text")
        << section("alarms", "typedef enum\n{\nA = \"x\",\n} t;") << 0
        << "library.h, line 4: '\"x\"' is no number" << QStringList();
    QTest::newRow("enumeration open at the end of the file")
        << QByteArray("// scanStart: alarms\n\ntypedef enum\n{\nA,\n// scanEnd\n") << 0
        << "library.h, line 3: the enumeration that begins here is not closed at the end of the "
           "file"
        << QStringList();
    QTest::newRow("continuation open at the end of the file")
        << QByteArray("// scanStart: global constants\n#define A 1 + \\\n// scanEnd\n") << 0
        << "library.h, line 2: the #define continued here with \"\\\" is not complete at the end "
           "of the file"
        << QStringList();
    QTest::newRow("block comment open at the end of the file")
        << QByteArray("// scanStart: alarms\n\n/* one\ntwo\n// scanEnd\n") << 0
        << "library.h, line 3: the block comment that begins here is not closed at the end of "
           "the file"
        << QStringList();
    QTest::newRow("more lines than the line counter holds")
        << QByteArray("a\nb\nc\nd\n") << 32765
        << "library.h, line 3: more lines than the scan can number: with its line numbers "
           "counted on from 32765, library.h may have at most 2 lines"
        << QStringList();
    QTest::newRow("more lines than the line counter holds, counted on from 20000")
        << QByteArray(12768, '\n') << 20000
        << "library.h, line 12768: more lines than the scan can number: with its line numbers "
           "counted on from 20000, library.h may have at most 12767 lines"
        << QStringList();
}

void HeaderParserTest::inputTheScanCannotTakeFailsWithFileAndLine() {
    QFETCH(QByteArray, text);
    QFETCH(int, preset);
    QFETCH(QString, failure);
    QFETCH(QStringList, boxes);
    const Parsed parsed = parse(text, QStringLiteral("library.h"), preset);
    QCOMPARE(parsed.failure, failure);
    QCOMPARE(parsed.boxes, boxes);
}

void HeaderParserTest::lineCounterStartsFromThePreset() {
    const Parsed parsed = parse(enumeration("A,\nB"), QStringLiteral("library.h"), 20000);
    QCOMPARE(parsed.rows, (QStringList{"A=0 ?/~ {|} @20004", "B=1 ?/~ {|} @20006"}));
}

void HeaderParserTest::linesEndInCrLfOrLfAndReadAsLatin1() {
    const Parsed parsed = parse(QByteArray("// scanStart: alarms\r\ntypedef enum\r\n{\r\n"
                                           "A, // 1; Temp\xE9rature\r\nB,\n}\r\n// scanEnd"));
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, (QStringList{QStringLiteral("A=0 ?/~ {1|Temp\u00E9rature} @4"),
                                       QStringLiteral("B=1 ?/~ {|} @5")}));
}

void HeaderParserTest::emptyFileIsToldAndScanned() {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("global.h"));
    QFile(path).open(QIODevice::WriteOnly);
    RecordingSink sink;
    ScanRows rows;
    const script::ExpressionEvaluator evaluator;
    int counter = 10000;
    QVERIFY(HeaderParser(rows, sink, evaluator).scanSource(path, counter));
    QCOMPARE(sink.lines, (QStringList{"   Scan file " + path, "      " + path + " is empty",
                                      "      0 enums and 0 defines scanned"}));
    QCOMPARE(counter, 10000);
}

void HeaderParserTest::missingFileIsNotOpened() {
    RecordingSink sink;
    ScanRows rows;
    const script::ExpressionEvaluator evaluator;
    int counter = 0;
    QVERIFY(!HeaderParser(rows, sink, evaluator)
                 .scanSource(QStringLiteral("/nonexistent/x.h"), counter));
    QCOMPARE(sink.lines, QStringList{"   Scan file /nonexistent/x.h"});
}

QTEST_GUILESS_MAIN(HeaderParserTest)
#include "header_parser_test.moc"
