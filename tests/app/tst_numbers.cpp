#include "app/numbers.h"

#include <QTest>
#include <limits>

// Rounding, the number formats the windows show, and numbers as users type them.
class NumbersTest : public QObject
{
    Q_OBJECT

private slots:
    void roundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");
        QTest::newRow("12.25 -> 12.2") << 12.25 << 1 << 12.2;
        QTest::newRow("12.35 -> 12.4") << 12.35 << 1 << 12.4;
        QTest::newRow("0.15 -> 0.2 (decimal half)") << 0.15 << 1 << 0.2;
        QTest::newRow("0.05 -> 0") << 0.05 << 1 << 0.0;
        QTest::newRow("12.251 -> 12.3") << 12.251 << 1 << 12.3;
        QTest::newRow("12.2499 -> 12.2") << 12.2499 << 1 << 12.2;
        QTest::newRow("9.95 -> 10") << 9.95 << 1 << 10.0;
        QTest::newRow("99.96 -> 100") << 99.96 << 1 << 100.0;
        QTest::newRow("-12.25 -> -12.2") << -12.25 << 1 << -12.2;
        QTest::newRow("-12.26 -> -12.3") << -12.26 << 1 << -12.3;
        QTest::newRow("0.1+0.2 -> 0.3") << 0.1 + 0.2 << 1 << 0.3;
        QTest::newRow("2.5 -> 2") << 2.5 << 0 << 2.0;
        QTest::newRow("3.5 -> 4") << 3.5 << 0 << 4.0;
        QTest::newRow("28.35 -> 28") << 28.35 << 0 << 28.0;
        QTest::newRow("whole stays") << 7.0 << 1 << 7.0;
        QTest::newRow("short stays") << 1.5 << 2 << 1.5;
        QTest::newRow("1e20 stays") << 1e20 << 1 << 1e20;
    }
    void roundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(roundHalfEven(value, decimals), expected);
    }

    void leavesNonFiniteValuesAlone()
    {
        QVERIFY(std::isnan(roundHalfEven(std::numeric_limits<double>::quiet_NaN(), 1)));
        QCOMPARE(roundHalfEven(std::numeric_limits<double>::infinity(), 1), std::numeric_limits<double>::infinity());
    }

    void roundsToWholeGrams_data()
    {
        QTest::addColumn<double>("grams");
        QTest::addColumn<int>("expected");
        QTest::newRow("28.35") << 28.35 << 28;
        QTest::newRow("0.4 counts as 0") << 0.4 << 0;
        QTest::newRow("0.5 to even 0") << 0.5 << 0;
        QTest::newRow("1.5 to even 2") << 1.5 << 2;
        QTest::newRow("2.5 to even 2") << 2.5 << 2;
        QTest::newRow("14.2") << 14.2 << 14;
        QTest::newRow("240") << 240.0 << 240;
        QTest::newRow("226.8") << 226.8 << 227;
        QTest::newRow("42.5 to the even 42") << 42.5 << 42;
        QTest::newRow("43.5 to the even 44") << 43.5 << 44;
        QTest::newRow("just over a half") << 2.5000001 << 3;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("negative odd half") << -3.5 << -4;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("huge") << 1e12 << std::numeric_limits<qint32>::max();
    }
    void roundsToWholeGrams()
    {
        QFETCH(double, grams);
        QFETCH(int, expected);
        QCOMPARE(wholeGrams(grams), expected);
    }

    void formatsTotalsWithOneDecimalAtMost_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("12.25") << 12.25 << "12.2";
        QTest::newRow("12.0") << 12.0 << "12";
        QTest::newRow("12.4") << 12.4 << "12.4";
        QTest::newRow("0.5") << 0.5 << "0.5";
        QTest::newRow("0.04") << 0.04 << "0";
        QTest::newRow("-0.04 is not -0") << -0.04 << "0";
        QTest::newRow("no separators") << 123456.78 << "123456.8";
        QTest::newRow("sum of thirds") << (1.0 / 3 + 1.0 / 3 + 1.0 / 3) << "1";
    }
    void formatsTotalsWithOneDecimalAtMost()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatOneDecimal(value), expected);
    }

    void nutrientFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0.000";
        QTest::newRow("three places") << 2.835 << "2.835";
        QTest::newRow("padded") << 24.0 << "24.000";
        QTest::newRow("rounded") << 0.12345 << "0.123";
        QTest::newRow("leading zero") << 0.5 << "0.500";
        QTest::newRow("negative") << -1.5 << "-1.500";
        QTest::newRow("tiny negative shows no sign") << -0.0001 << "0.000";
        QTest::newRow("large") << 1000.0 << "1000.000";
    }
    void nutrientFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatNutrient(value), text);
    }

    void formatsServings()
    {
        QCOMPARE(formatServings(0.25), QString("0.25"));
        QCOMPARE(formatServings(1), QString("1.00"));
        QCOMPARE(formatServings(9.75), QString("9.75"));
        QCOMPARE(plainNumber(2.5), QString("2.5"));
        QCOMPARE(plainNumber(1), QString("1"));
        QCOMPARE(plainNumber(0.333), QString("0.333"));
    }

    void parsesTypedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("list entry") << "1.00" << true << 1.0;
        QTest::newRow("typed") << "2.5" << true << 2.5;
        QTest::newRow("blanks around") << " 3 " << true << 3.0;
        QTest::newRow("zero passes") << "0" << true << 0.0;
        QTest::newRow("negative passes") << "-1" << true << -1.0;
        QTest::newRow("exponent") << "1e1" << true << 10.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blanks") << "   " << false << 0.0;
        QTest::newRow("inf") << "inf" << false << 0.0;
        QTest::newRow("nan") << "nan" << false << 0.0;
        QTest::newRow("separators") << "1,5,3" << false << 0.0;
        QTest::newRow("thousands") << "1,000" << false << 0.0;
        QTest::newRow("words") << "two" << false << 0.0;
        QTest::newRow("number then letters") << "12g" << false << 0.0;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("hexadecimal") << "0x10" << false << 0.0;
        QTest::newRow("negative infinity") << "-inf" << false << 0.0;
        QTest::newRow("overflow") << "1e999" << false << 0.0;
    }
    void parsesTypedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> parsed = parseNumber(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
