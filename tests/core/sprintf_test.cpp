#include "core/error.h"
#include "core/sprintf.h"

#include <QDate>
#include <QtTest>

using pxu::PxuError;

namespace {
QString s(const char* text) {
    return QString::fromUtf8(text);
}
} // namespace

class SprintfTest : public QObject {
    Q_OBJECT
private slots:
    void formatsPlaceholdersAndEscapes_data();
    void formatsPlaceholdersAndEscapes();
    void raisesOnBadFormatOrMissingValue_data();
    void raisesOnBadFormatOrMissingValue();
    void variadicCallMatchesListCall();
};

void SprintfTest::formatsPlaceholdersAndEscapes_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("running arguments") << s("Modul {*}: Modbus-Addr. = {*}") << QVariantList{3, 17}
                                       << s("Modul 3: Modbus-Addr. = 17");
    QTest::newRow("zero mask pads")
        << s("DC_Template_Build_{000}.mdb") << QVariantList{42} << s("DC_Template_Build_042.mdb");
    QTest::newRow("two-digit mask") << s("{00}") << QVariantList{3} << s("03");
    QTest::newRow("mask keeps longer number") << s("{00}") << QVariantList{1234} << s("1234");
    QTest::newRow("mask on negative") << s("{000}") << QVariantList{-7} << s("-007");
    QTest::newRow("mask on numeric text") << s("{000}") << QVariantList{s("5")} << s("005");
    QTest::newRow("yes/no") << s("{yes/no} {yes/no} {Yes/No}") << QVariantList{true, false, 1}
                            << s("Yes No Yes");
    QTest::newRow("plain forms") << s("{*}|{*}|{*}|{*}")
                                 << QVariantList{true, false, 1.5, s("text")}
                                 << s("True|False|1.5|text");
    QTest::newRow("no placeholder keeps text")
        << s("plain text") << QVariantList{1} << s("plain text");
    QTest::newRow("explicit and running mixed")
        << s("{2:*}-{1:*}-{*}") << QVariantList{s("a"), s("b")} << s("b-a-a");
    QTest::newRow("explicit in order")
        << s("{1:*}{2:*}") << QVariantList{s("a"), s("b")} << s("ab");
    QTest::newRow("explicit leaves running index")
        << s("{*}{3:*}{*}") << QVariantList{s("a"), s("b"), s("c")} << s("acb");
    QTest::newRow("index beyond last takes last")
        << s("{5:*}") << QVariantList{s("a"), s("b"), s("c")} << s("c");
    QTest::newRow("explicit with format") << s("{2:000}") << QVariantList{1, 9} << s("009");
    QTest::newRow("zero index is no index") << s("{0:*}") << QVariantList{s("a")} << s("a");
    QTest::newRow("two digits are no index") << s("{12:*}") << QVariantList{s("a")} << s("a");
    QTest::newRow("empty placeholder consumes")
        << s("{}{*}") << QVariantList{s("a"), s("b")} << s("b");
    QTest::newRow("empty placeholder needs no argument") << s("a{}b") << QVariantList{} << s("ab");
    QTest::newRow("escaped brace") << s("a\\{b}") << QVariantList{} << s("a{b}");
    QTest::newRow("brace placeholder uses no argument")
        << s("{(}*}{*}") << QVariantList{s("x")} << s("{*}x");
    QTest::newRow("escaped brace uses no argument")
        << s("\\{{*}") << QVariantList{s("x")} << s("{x");
    QTest::newRow("line feed escape") << s("a\\nb") << QVariantList{} << s("a\r\nb");
    QTest::newRow("tab and return") << s("a\\tb\\rc") << QVariantList{} << s("a\tb\rc");
    QTest::newRow("doubled backslash before n") << s("a\\\\nb") << QVariantList{} << s("a\\nb");
    QTest::newRow("other backslash stays") << s("c:\\x\\y") << QVariantList{} << s("c:\\x\\y");
    QTest::newRow("backslash placeholder") << s("{\\}{*}") << QVariantList{s("x")} << s("\\x");
    QTest::newRow("inserted braces not scanned")
        << s("{*}{*}") << QVariantList{s("{*}"), s("}{")} << s("{*}}{");
    QTest::newRow("empty format") << QString() << QVariantList{} << QString();
    QTest::newRow("date format") << s("{yyyy-MM-dd}") << QVariantList{QDate(2024, 2, 29)}
                                 << s("2024-02-29");
}

void SprintfTest::formatsPlaceholdersAndEscapes() {
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(pxu::sprintf(format, args), expected);
}

void SprintfTest::raisesOnBadFormatOrMissingValue_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("description");

    const QString script = s("No script code allowed in placeholder string. Use the sprintf "
                             "COM-component instead.");
    QTest::newRow("unclosed brace") << s("abc{*") << QVariantList{1} << qint64(0x80040001)
                                    << s("printf") << s("Missing '}' after '{' at position 4!");
    QTest::newRow("position after expansion")
        << s("\\n{*}x{") << QVariantList{s("long text")} << qint64(0x80040001) << s("printf")
        << s("Missing '}' after '{' at position 13!");
    QTest::newRow("no argument left")
        << s("{*}{*}") << QVariantList{1} << qint64(0x80040002) << s("printf")
        << s("Missing value in printf-call for format string '{*}'!");
    QTest::newRow("no argument for format")
        << s("{000}") << QVariantList{} << qint64(0x80040002) << s("printf")
        << s("Missing value in printf-call for format string '{000}'!");
    QTest::newRow("explicit index without arguments")
        << s("{2:*}") << QVariantList{} << qint64(0x80040002) << s("printf")
        << s("Missing value in printf-call for format string '{*}'!");
    QTest::newRow("script code") << s("{=1+1}") << QVariantList{1} << qint64(0x80040003)
                                 << s("sprintf") << script;
    QTest::newRow("script code after index")
        << s("{1:=x}") << QVariantList{1} << qint64(0x80040003) << s("sprintf") << script;
}

void SprintfTest::raisesOnBadFormatOrMissingValue() {
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(qint64, number);
    QFETCH(QString, source);
    QFETCH(QString, description);
    try {
        pxu::sprintf(format, args);
        QFAIL("no error raised");
    } catch (const PxuError& error) {
        QCOMPARE(error.failure().number, number);
        QCOMPARE(error.failure().source, source);
        QCOMPARE(error.failure().description, description);
    }
}

void SprintfTest::variadicCallMatchesListCall() {
    QCOMPARE(
        pxu::sprintf(s("{*} {*} {*} {*} {000}"), "a", QStringLiteral("b"), 7u, true, qint64(5)),
        s("a b 7 True 005"));
    const QVariantList args{1, 2};
    QCOMPARE(pxu::sprintf(s("{*}{*}"), args), s("12"));
}

QTEST_GUILESS_MAIN(SprintfTest)
#include "sprintf_test.moc"
