#include "platform/script/expression_evaluator.h"

#include <QtTest>

using namespace pxu::script;

Q_DECLARE_METATYPE(EvalResult::Kind)

class ExpressionEvaluatorTest : public QObject {
    Q_OBJECT
private slots:
    void numbers_data();
    void numbers();
    void textsAreNoNumbers_data();
    void textsAreNoNumbers();
    void errorsSayWhatAndWhere_data();
    void errorsSayWhatAndWhere();
    void idRoundsHalfToEven_data();
    void idRoundsHalfToEven();
};

void ExpressionEvaluatorTest::numbers_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    auto row = [](const char* name, const char* expression, const char* text, double number) {
        QTest::newRow(name) << QString::fromLatin1(expression) << QString::fromLatin1(text)
                            << number;
    };
    row("whole number", "42", "42", 42);
    row("leading zeros are decimal", "007", "7", 7);
    row("fraction", "0.5", "0.5", 0.5);
    row("fraction without leading digit", ".25", "0.25", 0.25);
    row("exponent", "1.5E3", "1500", 1500);
    row("negative exponent", "1.5e-3", "0.0015", 0.0015);
    row("at most 15 significant digits", "0.1 + 0.2", "0.3", 0.1 + 0.2);
    row("a third", "1/3", "0.333333333333333", 1.0 / 3);
    row("small fraction", "1/100000", "1E-05", 1e-5);
    row("whole number from 1E15 on", "2^50", "1.12589990684262E+15", 1125899906842624.0);

    row("hex up to FFFF is 16-bit signed", "&HFFFF", "-1", -1);
    row("hex typed by value, not by digits", "&H0000FFFF", "-1", -1);
    row("hex 8000", "&H8000", "-32768", -32768);
    row("hex 7FFF", "&H7FFF", "32767", 32767);
    row("hex from 10000 is 32-bit signed", "&H10000", "65536", 65536);
    row("hex FFFFFFFF", "&HFFFFFFFF", "-1", -1);
    row("hex 80000000", "&H80000000", "-2147483648", -2147483648.0);
    row("hex in lower case", "&hff", "255", 255);
    row("negated hex", "-&H8000", "32768", 32768);

    row("division does not truncate", "7/2", "3.5", 3.5);
    row("power is left-associative", "2^3^2", "64", 64);
    row("power binds tighter than unary minus", "-2^2", "-4", -4);
    row("bracketed negative base", "(-2)^2", "4", 4);
    row("signed exponent", "2^-1", "0.5", 0.5);
    row("shift as rewritten", "1*2^4", "16", 16);
    row("product before sum", "1+2*3", "7", 7);
    row("parentheses", "(1+2)*3", "9", 9);
    row("difference is left-associative", "10-4-3", "3", 3);
    row("quotient is left-associative", "24/4/2", "3", 3);
    row("signed factor", "2*-3", "-6", -6);
    row("double minus", "3--2", "5", 5);
    row("unary plus", "+5", "5", 5);
    row("blanks and tabs", " \t1 +\t2 ", "3", 3);
    row("nested parentheses", "((&H10 + 2) * (3))", "54", 54);

    row("16-bit sum grows", "&H7FFF + 1", "32768", 32768);
    row("32-bit sum grows", "&H7FFFFFFF + 1", "2147483648", 2147483648.0);
    row("32-bit product grows", "65536 * 65536", "4294967296", 4294967296.0);
    row("minus zero reads 0", "-0", "0", 0);
    QTest::newRow("200 brackets deep")
        << QString(200, u'(') + u'1' + QString(200, u')') << QStringLiteral("1") << 1.0;
}

void ExpressionEvaluatorTest::numbers() {
    QFETCH(QString, expression);
    QFETCH(QString, text);
    QFETCH(double, number);

    const EvalResult result = ExpressionEvaluator().evaluate(expression);
    QCOMPARE(result.error, QString());
    QVERIFY(result.isNumber());
    QCOMPARE(result.text, text);
    QCOMPARE(result.number, number);
}

void ExpressionEvaluatorTest::textsAreNoNumbers_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("text");

    QTest::newRow("quoted text") << QStringLiteral("\"V1.2 beta\"") << QStringLiteral("V1.2 beta");
    QTest::newRow("digits in quotes") << QStringLiteral("\"12\"") << QStringLiteral("12");
    QTest::newRow("doubled quote")
        << QStringLiteral("\"say \"\"hi\"\"\"") << QStringLiteral("say \"hi\"");
    QTest::newRow("in parentheses") << QStringLiteral("( \"x\" )") << QStringLiteral("x");
}

void ExpressionEvaluatorTest::textsAreNoNumbers() {
    QFETCH(QString, expression);
    QFETCH(QString, text);

    const EvalResult result = ExpressionEvaluator().evaluate(expression);
    QCOMPARE(result.kind, EvalResult::Kind::Text);
    QVERIFY(!result.isNumber());
    QCOMPARE(result.text, text);
    QCOMPARE(result.error, QString());
    QVERIFY(!result.id());
}

void ExpressionEvaluatorTest::errorsSayWhatAndWhere_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("error");

    auto row = [](const char* expression, const char* error) {
        QTest::newRow(expression) << QString::fromLatin1(expression) << QString::fromLatin1(error);
    };
    row("", "empty expression");
    row(" \t ", "empty expression");
    row("1 & 2", "invalid character \"&\" at position 3");
    row("1 | 2", "invalid character \"|\" at position 3");
    row("7 % 2", "invalid character \"%\" at position 3");
    row("256 >> 4", "invalid character \">\" at position 5");
    row("~1", "invalid character \"~\" at position 1");
    row("(1 & 2)", "invalid character \"&\" at position 4");
    row("&H000000001", "hexadecimal number of more than eight digits at position 1");
    row("&H100000000", "hexadecimal number of more than eight digits at position 1");
    row("&H", "\"&H\" without hexadecimal digits at position 1");
    row("&O17", "invalid character \"&\" at position 1");
    row("FOO + 1", "unknown name \"FOO\" at position 1");
    row("10u", "unknown name \"u\" at position 3");
    row("1.5E", "malformed number at position 1");
    row("1E400", "number out of range at position 1");
    row("(1 + 2", "expected \")\" at the end");
    row("1 + 2)", "unexpected \")\" at position 6");
    row("1 2", "unexpected \"2\" at position 3");
    row("2 *", "expected a number at the end");
    row("2 * / 3", "expected a number at position 5");
    row("1/0", "division by zero at position 2");
    row("10^400", "overflow at position 3");
    row("(-8)^(1/3)", "no real result of \"^\" at position 5");
    row("\"abc\" + 1", "a text cannot be calculated with \"+\" at position 7");
    row("-\"abc\"", "a text cannot be calculated with \"-\" at position 1");
    row("\"abc", "unterminated text at position 1");
    QTest::newRow("201 brackets deep") << QString(201, u'(') + u'1' + QString(201, u')')
                                       << QStringLiteral("nested too deeply at position 201");
    QTest::newRow("201 signs deep")
        << QString(201, u'-') + u'1' << QStringLiteral("nested too deeply at position 201");
}

void ExpressionEvaluatorTest::errorsSayWhatAndWhere() {
    QFETCH(QString, expression);
    QFETCH(QString, error);

    const EvalResult result = ExpressionEvaluator().evaluate(expression);
    QCOMPARE(result.kind, EvalResult::Kind::Error);
    QCOMPARE(result.error, error);
    QVERIFY(!result.isNumber());
    QVERIFY(!result.id());
}

void ExpressionEvaluatorTest::idRoundsHalfToEven_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("id"); // invalid: no id

    auto row = [](const char* expression, const QVariant& id) {
        QTest::newRow(expression) << QString::fromLatin1(expression) << id;
    };
    row("5", 5);
    row("2.5", 2);
    row("3.5", 4);
    row("0.5", 0);
    row("2.4999", 2);
    row("2.5001", 3);
    row("-2.5", -2);
    row("-3.5", -4);
    row("&HFFFF", -1);
    row("2147483647", 2147483647);
    row("2147483647.4", 2147483647);
    row("2147483647.5", QVariant());
    row("-2147483648.5", qint32(-2147483648));
    row("-2147483649", QVariant());
    row("&HFFFFFFFF + 1", 0);
    row("\"5\"", QVariant());
}

void ExpressionEvaluatorTest::idRoundsHalfToEven() {
    QFETCH(QString, expression);
    QFETCH(QVariant, id);

    const std::optional<qint32> actual = ExpressionEvaluator().evaluate(expression).id();
    QCOMPARE(actual.has_value(), id.isValid());
    if (actual)
        QCOMPARE(*actual, id.toInt());
}

QTEST_GUILESS_MAIN(ExpressionEvaluatorTest)
#include "expression_evaluator_test.moc"
