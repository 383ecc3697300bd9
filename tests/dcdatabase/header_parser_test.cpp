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
    HeaderParser parser(rows, sink);
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
    void definesGiveConstants_data();
    void definesGiveConstants();
    void enumerationsGiveMembers_data();
    void enumerationsGiveMembers();
    void membersTakeTheCommentThatDescribesThem_data();
    void membersTakeTheCommentThatDescribesThem();
    void sectionsChooseTheScanner_data();
    void sectionsChooseTheScanner();
    void sectionTextsAreComparedWithoutSurroundingBlanks_data();
    void sectionTextsAreComparedWithoutSurroundingBlanks();
    void blockCommentsAreCommentsWhereverTheyEnd_data();
    void blockCommentsAreCommentsWhereverTheyEnd();
    void conditionalsInsideAScannedSectionFail_data();
    void conditionalsInsideAScannedSectionFail();
    void whatTheDataContainerCannotTakeIsWarned_data();
    void whatTheDataContainerCannotTakeIsWarned();
    void inputTheScanCannotTakeFailsWithFileAndLine_data();
    void inputTheScanCannotTakeFailsWithFileAndLine();
    void lineCounterStartsFromThePreset();
    void linesEndInCrLfOrLfAndReadAsLatin1();
    void emptyFileIsToldAndScanned();
    void missingFileIsNotOpened();
};

void HeaderParserTest::definesGiveConstants_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("hexadecimal") << constants("#define A 0x1F")
                                 << QStringList{"A=31 CONSTANT/~ {~|~} @2"};
    QTest::newRow("hexadecimal of 16 bits and more is positive")
        << constants("#define A 0x8000\n#define B 0xFFFF\n#define C 0x00010000")
        << QStringList{"A=32768 CONSTANT/~ {~|~} @2", "B=65535 CONSTANT/~ {~|~} @3",
                       "C=65536 CONSTANT/~ {~|~} @4"};
    QTest::newRow("octal and character constants")
        << constants("#define A 017\n#define B 'A'\n#define C '\\n'\n#define D '\\xFF'")
        << QStringList{"A=15 CONSTANT/~ {~|~} @2", "B=65 CONSTANT/~ {~|~} @3",
                       "C=10 CONSTANT/~ {~|~} @4", "D=-1 CONSTANT/~ {~|~} @5"};
    QTest::newRow("unsigned and long suffixes")
        << constants("#define A 14u\n#define B 0x7FU\n#define C (1UL << 12)\n#define D 5ll")
        << QStringList{"A=14 CONSTANT/~ {~|~} @2", "B=127 CONSTANT/~ {~|~} @3",
                       "C=4096 CONSTANT/~ {~|~} @4", "D=5 CONSTANT/~ {~|~} @5"};
    QTest::newRow("division truncates toward zero")
        << constants(
               "#define A 14\n#define B ((A + 1) / 2)\n#define C (-7 / 2)\n#define D (-7 % 2)")
        << QStringList{"A=14 CONSTANT/~ {~|~} @2", "B=7 CONSTANT/~ {~|~} @3",
                       "C=-3 CONSTANT/~ {~|~} @4", "D=-1 CONSTANT/~ {~|~} @5"};
    QTest::newRow("unsigned arithmetic wraps")
        << constants("#define A (0u - 1 > 0)\n#define B (-1 / 2u)")
        << QStringList{"A=1 CONSTANT/~ {~|~} @2", "B=2147483647 CONSTANT/~ {~|~} @3"};
    QTest::newRow("bit, logical and conditional operators")
        << constants("#define A (0x0F & ~0x3 | 0x30 ^ 0x10)\n#define B (!0 && 2 || 0)\n"
                     "#define C (A > 20 ? A >> 1 : -1)")
        << QStringList{"A=44 CONSTANT/~ {~|~} @2", "B=1 CONSTANT/~ {~|~} @3",
                       "C=22 CONSTANT/~ {~|~} @4"};
    QTest::newRow("a macro is its text, as C expands it")
        << constants("#define A 1 + 2\n#define B A * 3")
        << QStringList{"A=3 CONSTANT/~ {~|~} @2", "B=7 CONSTANT/~ {~|~} @3"};
    QTest::newRow("casts to integer types")
        << constants("#define A (u16)7\n#define B (u16)0x12345\n#define C (signed char)200\n"
                     "#define D (int)2.5\n#define E (unsigned short)-1")
        << QStringList{"A=7 CONSTANT/~ {~|~} @2", "B=9029 CONSTANT/~ {~|~} @3",
                       "C=-56 CONSTANT/~ {~|~} @4", "D=2 CONSTANT/~ {~|~} @5",
                       "E=65535 CONSTANT/~ {~|~} @6"};
    QTest::newRow("tabs, blanks and a # apart from its directive")
        << constants("#define\tPARAMETER_OFFSET_1024\t0\n  #  define\tB\t(1 <<\t4)\t// b")
        << QStringList{"PARAMETER_OFFSET_1024=0 CONSTANT/~ {~|~} @2", "B=16 CONSTANT/~ {~|~} @3"};
    QTest::newRow("continued over two lines")
        << constants("#define A 1 + \\\n        2") << QStringList{"A=3 CONSTANT/~ {~|~} @3"};
    QTest::newRow("continued inside a name")
        << constants("#define LONG_NA\\\nME 5\n#define B LONG_NAME")
        << QStringList{"LONG_NAME=5 CONSTANT/~ {~|~} @3", "B=5 CONSTANT/~ {~|~} @4"};
    QTest::newRow("quoted text gives no row") << constants("#define A \"abc\"") << QStringList();
    QTest::newRow("quoted text that reads as a number gives none either")
        << constants("#define A \"12\"") << QStringList();
    QTest::newRow("FIRST_ is an instruction, LAST_ a constant")
        << constants("#define FIRST_X 1\n#define LAST_X 2")
        << QStringList{"FIRST_X=1 INSTRUCTION/~ {~|~} @2", "LAST_X=2 CONSTANT/~ {~|~} @3"};
    QTest::newRow("a macro's value follows the macros it names")
        << section("global types",
                   "enum { X = 5 };\n#define SELF (X + 1)\n#define X (X + 1)\n"
                   "enum { A = X, B = SELF };\n#define ONE 1\n#define TWO (ONE + 1)\n"
                   "enum { D = TWO };\n#undef ONE\n#define ONE 10") +
               constants("#define C TWO")
        << QStringList{"X=5 ?/~ {|} @2", "A=6 ?/~ {|} @5", "B=7 ?/~ {|} @5", "D=2 ?/~ {|} @8",
                       "C=11 CONSTANT/~ {~|~} @13"};
    QTest::newRow("the same definition again gives no second row")
        << constants("#define A (1 + 2)\n#define A  (1 +  2)")
        << QStringList{"A=3 CONSTANT/~ {~|~} @2"};
    QTest::newRow("other lines, other directives and lines outside the markers pass")
        << QByteArray("#define OUT (1 / 0)\n") +
               constants("#include \"x.h\"\n#pragma once\nint x;\n// #define B 2\n#define C 3")
        << QStringList{"C=3 CONSTANT/~ {~|~} @7"};
    QTest::newRow("a macro of another section writes no row, but is known after it")
        << section("global types", "#define BASE 0x100\nenum { A = BASE + 1 };") +
               constants("#define B BASE\n#undef BASE\n#define BASE 7\n#define C BASE")
        << QStringList{"A=257 ?/~ {|} @3", "B=256 CONSTANT/~ {~|~} @6",
                       "BASE=7 CONSTANT/~ {~|~} @8", "C=7 CONSTANT/~ {~|~} @9"};
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
    QTest::newRow("values from members, hexadecimal and shifts")
        << enumeration("A = 3,\nB = A + 1,\nC = 0x10,\nD = 1 << 3,\nE,")
        << QStringList{"A=3 ?/~ {|} @4", "B=4 ?/~ {|} @5", "C=16 ?/~ {|} @6", "D=8 ?/~ {|} @7",
                       "E=9 ?/~ {|} @8"};
    QTest::newRow("X=5 and X =5 are members as any")
        << enumeration("A=5,\nB =7,\nC= B+1,")
        << QStringList{"A=5 ?/~ {|} @4", "B=7 ?/~ {|} @5", "C=8 ?/~ {|} @6"};
    QTest::newRow("member written over two lines")
        << enumeration("A // 3; split\n   = 40,\nB,")
        << QStringList{"A=40 ?/~ {3|split} @5", "B=41 ?/~ {|} @6"};
    QTest::newRow("members indented with tabs")
        << enumeration("\tENG_GAIN_P = 1100,\t\t// 1101; Gain\n\tENG_GAIN_I\t,\t// 1102; I")
        << QStringList{"ENG_GAIN_P=1100 ?/~ {1101|Gain} @4", "ENG_GAIN_I=1101 ?/~ {1102|I} @5"};
    QTest::newRow("several members on one line")
        << enumeration("ALM_DLY_1S, ALM_DLY_2S, ALM_DLY_5S, ALM_DLY_10S,\nNEXT")
        << QStringList{"ALM_DLY_1S=0 DELAY_INST/~ {|} @4", "ALM_DLY_2S=1 DELAY_INST/~ {|} @4",
                       "ALM_DLY_5S=2 DELAY_INST/~ {|} @4", "ALM_DLY_10S=3 DELAY_INST/~ {|} @4",
                       "NEXT=4 ?/~ {|} @6"};
    QTest::newRow("brace followed by a blank or a tab")
        << section("global types", "typedef enum\n{ \nA,\n} s;\ntypedef enum\n{\t\nB,\n} t;")
        << QStringList{"A=0 ?/~ {|} @4", "B=0 ?/~ {|} @8"};
    QTest::newRow("brace on the typedef line, members on the brace lines")
        << section("global types", "typedef enum {\nA,\n} s;\ntypedef enum { B, C } t;")
        << QStringList{"A=0 ?/~ {|} @3", "B=0 ?/~ {|} @5", "C=1 ?/~ {|} @5"};
    QTest::newRow("tagged enumeration without typedef")
        << section("global types", "enum parImo_tag {\n   IMO_A = 3,\n   IMO_B\n};")
        << QStringList{"IMO_A=3 ?/~ {|} @3", "IMO_B=4 ?/~ {|} @5"};
    QTest::newRow("one line, declarator after it")
        << section("global types", "  typedef\tenum\tmode_tag\t{\tM_A\t=\t-1\t,\tM_B\t}\tmode_t ;")
        << QStringList{"M_A=-1 ?/~ {|} @2", "M_B=0 ?/~ {|} @2"};
    QTest::newRow("the name of an enumeration type is no enumeration")
        << section("global types", "typedef enum tag tag_t;\nstruct s { enum tag t; int x; };\n"
                                   "enum tag { A };")
        << QStringList{"A=0 ?/~ {|} @4"};
    QTest::newRow("an enumeration inside a structure")
        << section("global types", "struct s {\n int x;\n enum { INNER_A = 2, INNER_B } mode;\n};")
        << QStringList{"INNER_A=2 ?/~ {|} @4", "INNER_B=3 ?/~ {|} @4"};
    QTest::newRow("braces written as digraphs") << section("global types", "enum <% A, B %>;")
                                                << QStringList{"A=0 ?/~ {|} @2", "B=1 ?/~ {|} @2"};
    QTest::newRow("a new enumeration counts from 0")
        << section("global types", "typedef enum\n{\nA = 7,\n} s;\ntypedef enum\n{\nB,\n} t;")
        << QStringList{"A=7 ?/~ {|} @4", "B=0 ?/~ {|} @8"};
    QTest::newRow("values from the members of earlier enumerations and from macros")
        << section("global types", "#define STEP 0x10u\nenum { A = STEP };\nenum { B = A * "
                                   "STEP, C = (B >> 2) % 3 };")
        << QStringList{"A=16 ?/~ {|} @3", "B=256 ?/~ {|} @4", "C=1 ?/~ {|} @4"};
    QTest::newRow("a #define between members counts from its line on")
        << enumeration("A = 1,\n#define NEXT_VALUE 10\nB = NEXT_VALUE,")
        << QStringList{"A=1 ?/~ {|} @4", "B=10 ?/~ {|} @6"};
    QTest::newRow("an enumeration begun in a section is read to its end")
        << section("global types", "enum {\nA,\n// scanEnd\nB,\n};")
        << QStringList{"A=0 ?/~ {|} @3", "B=1 ?/~ {|scanEnd} @5"};
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

void HeaderParserTest::membersTakeTheCommentThatDescribesThem_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("comments: a number, zero, a question mark, no semicolon, too long")
        << enumeration("A, // 2.5 ; Two and a half \nB, // 0; zero\nC, // ?x; unknown\n"
                       "D, // plain, text\n"
                       "E, // 1;123456789012345678901234567890123456789012345678901234567890")
        << QStringList{"A=0 ?/~ {2.5|Two and a half} @4", "B=1 ?/~ {|0; zero} @5",
                       "C=2 ?/~ {?x|unknown} @6", "D=3 ?/~ {|plain, text} @7",
                       "E=4 ?/~ {1|12345678901234567890123456789012345678901234567890} @8"};
    QTest::newRow("tabs around the parts are white space")
        << enumeration("A, //\t1101;\tGain\t") << QStringList{"A=0 ?/~ {1101|Gain} @4"};
    QTest::newRow("comment line describes the next member")
        << enumeration("A,\n// 7; told before\n\nB,\nC, // 8; own")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {7|told before} @7", "C=2 ?/~ {8|own} @8"};
    QTest::newRow("a line holding several members: the last before the comment")
        << enumeration("// 1; first\nA, B, C, // 3; third\nD")
        << QStringList{"A=0 ?/~ {1|first} @5", "B=1 ?/~ {|} @5", "C=2 ?/~ {3|third} @5",
                       "D=3 ?/~ {|} @7"};
    QTest::newRow("comment between name and comma")
        << enumeration("A /* 4; a */ ,\nB // 5; b\n,\nC")
        << QStringList{"A=0 ?/~ {4|a} @4", "B=1 ?/~ {5|b} @6", "C=2 ?/~ {|} @8"};
    QTest::newRow("a comment before the member on its line")
        << enumeration("/* 100002; Oil low */ A,\n/* x */ /* y */ B,")
        << QStringList{"A=0 ?/~ {100002|Oil low} @4", "B=1 ?/~ {|x   y} @5"};
    QTest::newRow("its own comment over the line before")
        << enumeration("A,\n// 1; before\nB, // 2; own")
        << QStringList{"A=0 ?/~ {|} @4", "B=1 ?/~ {2|own} @6"};
    QTest::newRow("comments of the brace lines describe no member")
        << section("global types", "enum { // 9; all\nA,\nB } t; // 8; none")
        << QStringList{"A=0 ?/~ {|} @3", "B=1 ?/~ {|} @4"};
}

void HeaderParserTest::membersTakeTheCommentThatDescribesThem() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    compareQuietParse(text, rows);
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
    QTest::newRow("a directive C does not know")
        << enumeration("A,\n#iffy\nB,")
        << QStringLiteral("dataContainer.h, line 5: \"#iffy\" is no preprocessing directive")
        << QStringList();
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

void HeaderParserTest::whatTheDataContainerCannotTakeIsWarned_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("lines");

    const QString warning = QStringLiteral("      Warning: dataContainer.h, line %1: %2");
    QTest::newRow("a value beyond the 32 bits of an id: its low 32 bits")
        << constants("#define A 0xFFFFFFFF\n#define B (1LL << 40 | 5)")
        << QStringList{"A=-1 CONSTANT/~ {~|~} @2", "B=5 CONSTANT/~ {~|~} @3"}
        << QStringList{warning.arg(2).arg("the value 4294967295 of A lies outside the 32 bits "
                                          "of an id: it is stored with its low 32 bits, as -1"),
                       warning.arg(3).arg("the value 1099511627781 of B lies outside the 32 "
                                          "bits of an id: it is stored with its low 32 bits, "
                                          "as 5")};
    QTest::newRow("a member beyond them")
        << enumeration("A = 0x80000000,") << QStringList{"A=-2147483648 ?/~ {|} @4"}
        << QStringList{warning.arg(4).arg("the value 2147483648 of A lies outside the 32 bits "
                                          "of an id: it is stored with its low 32 bits, as "
                                          "-2147483648")};
    QTest::newRow("a macro with parameters")
        << constants("#define MAX(a, b) ((a) > (b) ? (a) : (b))\n#define B 1")
        << QStringList{"B=1 CONSTANT/~ {~|~} @3"}
        << QStringList{warning.arg(2).arg("the macro MAX has parameters: it is no constant and "
                                          "gives no row")};
    QTest::newRow("names the database does not tell apart")
        << section("global types", "enum { Mode, MODE };")
        << QStringList{"Mode=0 ?/~ {|} @2", "MODE=1 ?/~ {|} @2"}
        << QStringList{warning.arg(2).arg("MODE has the name of Mode (dataContainer.h, line 2) "
                                          "to the database, which compares names without "
                                          "their letter case")};
}

void HeaderParserTest::whatTheDataContainerCannotTakeIsWarned() {
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

    const QStringList none;
    QTest::newRow("name not scanned before")
        << constants("#define B C + 1") << 0
        << "library.h, line 2: 'C + 1' cannot be evaluated: C is not defined before it"
        << QStringList{QStringLiteral("C is not found in DB")};
    QTest::newRow("name in other letter case")
        << constants("#define MAX_CYL 14\n#define B max_cyl") << 0
        << "library.h, line 3: 'max_cyl' cannot be evaluated: max_cyl is not defined before it"
        << QStringList{QStringLiteral("max_cyl is not found in DB")};
    QTest::newRow("name used before it is defined")
        << section("alarms", "enum {\nA = B,\nB\n};") << 0
        << "library.h, line 3: the value of A cannot be evaluated: B is not defined before it"
        << QStringList{QStringLiteral("B is not found in DB")};
    QTest::newRow("division by zero")
        << constants("#define A 0\n#define B (7 / A)") << 0
        << "library.h, line 3: '(7 / A)' cannot be evaluated: 7 / 0 divides by zero" << none;
    QTest::newRow("signed overflow")
        << constants("#define A (0x7FFFFFFF + 1)") << 0
        << "library.h, line 2: '(0x7FFFFFFF + 1)' cannot be evaluated: 2147483647 + 1 "
           "overflows int"
        << none;
    QTest::newRow("shift by the width")
        << constants("#define A (1u << 32)") << 0
        << "library.h, line 2: '(1u << 32)' cannot be evaluated: the shift count 32 is not "
           "below the 32 bits of unsigned int"
        << none;
    QTest::newRow("floating constant")
        << constants("#define A 1.5E3") << 0
        << "library.h, line 2: '1.5E3' cannot be evaluated: \"1.5E3\" is a floating constant, "
           "no integer"
        << none;
    QTest::newRow("suffix C does not know")
        << constants("#define A 14uu") << 0
        << "library.h, line 2: '14uu' cannot be evaluated: \"14uu\" ends in no integer suffix "
           "of C"
        << none;
    QTest::newRow("define without value")
        << constants("#define A") << 0 << "library.h, line 2: \"#define A\" defines no value"
        << none;
    QTest::newRow("define again with another value")
        << constants("#define A 1\n#define A 2") << 0
        << "library.h, line 3: A is defined again with another value (first at library.h, "
           "line 2)"
        << none;
    QTest::newRow("member value overflowing int")
        << section("alarms", "typedef enum\n{\nA = 0x7FFFFFFF,\nB,\n} t;") << 0
        << "library.h, line 5: the value of B overflows int: it follows A = 2147483647" << none;
    QTest::newRow("member value a text")
        << section("alarms", "typedef enum\n{\nA = \"x\",\n} t;") << 0
        << "library.h, line 4: the value of A cannot be evaluated: the string \"x\" is no "
           "integer"
        << none;
    QTest::newRow("two members of one name")
        << section("alarms", "enum { A };\nenum { A };") << 0
        << "library.h, line 3: the member A is a member already (library.h, line 2)" << none;
    QTest::newRow("member named as a macro")
        << section("alarms", "#define A 1\nenum { A };") << 0
        << "library.h, line 3: the member A has the name of the macro defined at library.h, "
           "line 2, whose value C puts in its place"
        << none;
    QTest::newRow("members without a comma between them")
        << section("alarms", "enum {\nA\nB\n};") << 0
        << "library.h, line 4: \",\" or \"}\" expected after the member A, not \"B\"" << none;
    QTest::newRow("enumeration without members")
        << section("alarms", "enum { };") << 0
        << "library.h, line 2: the enumeration has no members" << none;
    QTest::newRow("#error inside a section")
        << constants("#error not for this build") << 0
        << "library.h, line 2: \"#error not for this build\" stops the C compiler" << none;
    QTest::newRow("enumeration open at the end of the file")
        << QByteArray("// scanStart: alarms\n\ntypedef enum\n{\nA,\n// scanEnd\n") << 0
        << "library.h, line 3: the enumeration that begins here is not closed at the end of the "
           "file"
        << none;
    QTest::newRow("continuation open at the end of the file")
        << QByteArray("// scanStart: global constants\n#define A 1 + \\\n") << 0
        << "library.h, line 2: the #define continued here with \"\\\" is not complete at the end "
           "of the file"
        << none;
    QTest::newRow("block comment open at the end of the file")
        << QByteArray("// scanStart: alarms\n\n/* one\ntwo\n// scanEnd\n") << 0
        << "library.h, line 3: the block comment that begins here is not closed at the end of "
           "the file"
        << none;
    QTest::newRow("more lines than the line counter holds")
        << QByteArray("a\nb\nc\nd\n") << 32765
        << "library.h, line 3: more lines than the scan can number: with its line numbers "
           "counted on from 32765, library.h may have at most 2 lines"
        << none;
    QTest::newRow("more lines than the line counter holds, counted on from 20000")
        << QByteArray(12768, '\n') << 20000
        << "library.h, line 12768: more lines than the scan can number: with its line numbers "
           "counted on from 20000, library.h may have at most 12767 lines"
        << none;
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
                                           "A, // 1; Temp\xE9rature\r\nB,\n}\r\n// scanEnd\n"
                                           "// scanStart: global constants\r\n"
                                           "#define C 1 + \\\r\n 2\r\n"));
    QCOMPARE(parsed.failure, QString());
    QCOMPARE(parsed.rows, (QStringList{QStringLiteral("A=0 ?/~ {1|Temp\u00E9rature} @4"),
                                       QStringLiteral("B=1 ?/~ {|} @5"),
                                       QStringLiteral("C=3 CONSTANT/~ {~|~} @10")}));
}

void HeaderParserTest::emptyFileIsToldAndScanned() {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("global.h"));
    QFile(path).open(QIODevice::WriteOnly);
    RecordingSink sink;
    ScanRows rows;
    int counter = 10000;
    QVERIFY(HeaderParser(rows, sink).scanSource(path, counter));
    QCOMPARE(sink.lines, (QStringList{"   Scan file " + path, "      " + path + " is empty",
                                      "      0 enums and 0 defines scanned"}));
    QCOMPARE(counter, 10000);
}

void HeaderParserTest::missingFileIsNotOpened() {
    RecordingSink sink;
    ScanRows rows;
    int counter = 0;
    QVERIFY(!HeaderParser(rows, sink).scanSource(QStringLiteral("/nonexistent/x.h"), counter));
    QCOMPARE(sink.lines, QStringList{"   Scan file /nonexistent/x.h"});
}

QTEST_GUILESS_MAIN(HeaderParserTest)
#include "header_parser_test.moc"
