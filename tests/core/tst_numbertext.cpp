#include "core/Failure.h"
#include "core/NumberText.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class tst_NumberText : public QObject
{
    Q_OBJECT

private slots:
    void parseNumber_data();
    void parseNumber();
    void roundToInt32_data();
    void roundToInt32();
};

void tst_NumberText::parseNumber_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("whole") << u"3"_s << true << 3.0;
    QTest::newRow("half") << u"2.5"_s << true << 2.5;
    QTest::newRow("blanks and sign") << u" -7 "_s << true << -7.0;
    QTest::newRow("tab and plus") << u"\t+12\t"_s << true << 12.0;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000.0;
    QTest::newRow("negative exponent") << u"25E-1"_s << true << 2.5;
    QTest::newRow("leading point") << u".5"_s << true << 0.5;
    QTest::newRow("trailing point") << u"4."_s << true << 4.0;
    QTest::newRow("huge") << u"1e400"_s << true << qInf();
    QTest::newRow("tiny") << u"1e-400"_s << true << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blanks only") << u"   "_s << false << 0.0;
    QTest::newRow("point only") << u"."_s << false << 0.0;
    QTest::newRow("sign only") << u"-"_s << false << 0.0;
    QTest::newRow("comma") << u"2,5"_s << false << 0.0;
    QTest::newRow("inner blank") << u"1 2"_s << false << 0.0;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0;
    QTest::newRow("trailing letters") << u"12abc"_s << false << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_s << false << 0.0;
    QTest::newRow("infinity word") << u"inf"_s << false << 0.0;
    QTest::newRow("fullwidth digit") << u"\uFF11"_s << false << 0.0;
}

void tst_NumberText::parseNumber()
{
    QFETCH(QString, answer);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> number = ::parseNumber(answer);
    QCOMPARE(number.has_value(), isNumber);
    if (number)
        QCOMPARE(*number, value);
}

void tst_NumberText::roundToInt32_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("overflows");
    QTest::addColumn<qint32>("result");

    QTest::newRow("2.5 to even 2") << u"2.5"_s << false << 2;
    QTest::newRow("3.5 to even 4") << u"3.5"_s << false << 4;
    QTest::newRow("-2.5 to even -2") << u"-2.5"_s << false << -2;
    QTest::newRow("2.51 up") << u"2.51"_s << false << 3;
    QTest::newRow("-7") << u" -7 "_s << false << -7;
    QTest::newRow("1e3") << u"1e3"_s << false << 1000;
    QTest::newRow("largest, rounded down") << u"2147483647.4"_s << false << 2147483647;
    QTest::newRow("past the largest") << u"2147483647.5"_s << true << 0;
    QTest::newRow("2147483648") << u"2147483648"_s << true << 0;
    QTest::newRow("smallest") << u"-2147483648"_s << false << std::numeric_limits<qint32>::min();
    QTest::newRow("smallest half to even")
        << u"-2147483648.5"_s << false << std::numeric_limits<qint32>::min();
    QTest::newRow("below the smallest") << u"-2147483649"_s << true << 0;
    QTest::newRow("huge") << u"1e400"_s << true << 0;
}

void tst_NumberText::roundToInt32()
{
    QFETCH(QString, answer);
    QFETCH(bool, overflows);
    QFETCH(qint32, result);

    const std::optional<double> number = ::parseNumber(answer);
    QVERIFY(number);
    try {
        QCOMPARE(::roundToInt32(*number), result);
        QVERIFY(!overflows);
    } catch (const Failure &failure) {
        QVERIFY(overflows);
        QCOMPARE(failure.description(), u"Overflow"_s);
    }
}

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
