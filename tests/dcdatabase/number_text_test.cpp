#include "dcdatabase/number_text.h"

#include <QtTest>

using namespace pxu::dc;

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void longFromText_data();
    void longFromText();
    void formatNumber_data();
    void formatNumber();
};

void NumberTextTest::longFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "1234" << true << 1234;
    QTest::newRow("blanks and sign") << " -3 " << true << -3;
    QTest::newRow("half to even down") << "2.5" << true << 2;
    QTest::newRow("half to even up") << "3.5" << true << 4;
    QTest::newRow("exponent") << "1.5E3" << true << 1500;
    QTest::newRow("hexadecimal") << "&H10" << true << 16;
    QTest::newRow("four hex digits are 16 bits") << "&HFFFF" << true << -1;
    QTest::newRow("eight hex digits are 32 bits") << "&H0000FFFF" << true << 65535;
    QTest::newRow("text") << "abc" << false << 0;
    QTest::newRow("number with text after it") << "4a" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
}

void NumberTextTest::longFromText() {
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(int, value);
    const auto result = pxu::dc::longFromText(text);
    QCOMPARE(result.has_value(), number);
    if (number)
        QCOMPARE(*result, value);
}

void NumberTextTest::formatNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zeros") << 7.0 << "000"
                                   << "007";
    QTest::newRow("more digits than places") << 1234.0 << "00"
                                             << "1234";
    QTest::newRow("decimals") << 3.1 << "0.00"
                              << "3.10";
    QTest::newRow("negative") << -5.0 << "00"
                              << "-05";
    QTest::newRow("plain whole") << 312.0 << ""
                                 << "312";
    QTest::newRow("plain fraction") << 3.12 << ""
                                    << "3.12";
}

void NumberTextTest::formatNumber() {
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(pxu::dc::formatNumber(value, format), text);
}

QTEST_MAIN(NumberTextTest)
#include "number_text_test.moc"
