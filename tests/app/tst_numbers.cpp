#include "app/numbers.h"

#include <QTest>
#include <limits>

// Rounding, the number formats the windows show, and numbers as users type them.
class NumbersTest : public QObject
{
    Q_OBJECT

private slots:
    void roundsHalvesToEven()
    {
        QCOMPARE(roundHalfEven(12.25, 1), 12.2);
        QCOMPARE(roundHalfEven(12.35, 1), 12.4);
        QCOMPARE(roundHalfEven(0.15, 1), 0.2); // a half as written, though a little less in binary
        QCOMPARE(roundHalfEven(12.251, 1), 12.3);
        QCOMPARE(roundHalfEven(-12.25, 1), -12.2);
        QCOMPARE(roundHalfEven(99.96, 1), 100.0);
        QCOMPARE(roundHalfEven(2.5, 0), 2.0);
        QCOMPARE(roundHalfEven(3.5, 0), 4.0);
        QCOMPARE(roundHalfEven(28.35, 0), 28.0);
        QCOMPARE(roundHalfEven(std::numeric_limits<double>::infinity(), 1),
                 std::numeric_limits<double>::infinity());
        // Whole grams, held to the 32-bit range.
        QCOMPARE(wholeGrams(28.35), 28);
        QCOMPARE(wholeGrams(0.4), 0);
        QCOMPARE(wholeGrams(42.5), 42);
        QCOMPARE(wholeGrams(43.5), 44);
        QCOMPARE(wholeGrams(2.5000001), 3);
        QCOMPARE(wholeGrams(std::numeric_limits<double>::quiet_NaN()), 0);
        QCOMPARE(wholeGrams(1e12), std::numeric_limits<qint32>::max());
    }

    void formats()
    {
        QCOMPARE(formatOneDecimal(12.25), QString("12.2"));
        QCOMPARE(formatOneDecimal(12.0), QString("12"));
        QCOMPARE(formatOneDecimal(-0.04), QString("0"));
        QCOMPARE(formatOneDecimal(123456.78), QString("123456.8"));
        QCOMPARE(formatNutrient(0), QString("0.000"));
        QCOMPARE(formatNutrient(0.12345), QString("0.123"));
        QCOMPARE(formatNutrient(-0.0001), QString("0.000"));
        // A nutrient box shows seven digits before the point, and no more.
        for (double fits : {9999999.999, -9999999.999, 0.0})
            QVERIFY2(fitsNutrientBox(fits), qPrintable(formatNutrient(fits)));
        for (double overflows : {1e7, 9999999.9996, -1e7, 1e308, std::numeric_limits<double>::infinity()})
            QVERIFY2(!fitsNutrientBox(overflows), qPrintable(formatNutrient(overflows)));
        QCOMPARE(formatServings(0.25), QString("0.25"));
        QCOMPARE(formatServings(1), QString("1.00"));
        QCOMPARE(plainNumber(2.5), QString("2.5"));
        QCOMPARE(plainNumber(1), QString("1"));
        // A foreign or damaged file may hold values that are no numbers: they
        // show as such, never as "inf" or "nan", and never as a number.
        const double inf = std::numeric_limits<double>::infinity();
        for (const double bad : {inf, -inf, std::numeric_limits<double>::quiet_NaN(), inf - inf}) {
            QCOMPARE(formatOneDecimal(bad), QString("invalid"));
            QCOMPARE(formatNutrient(bad), QString("invalid"));
            QCOMPARE(formatServings(bad), QString("invalid"));
        }
    }

    void parsesTypedNumbers()
    {
        const QStringList accepted = {"1.00", " 2.5 ", "-1", ".5", "1e1"};
        const QList<double> values = {1, 2.5, -1, 0.5, 10};
        for (int i = 0; i < accepted.size(); ++i)
            QCOMPARE(parseNumber(accepted[i]), std::optional<double>(values[i]));
        for (const char* refused : {"", "   ", "inf", "-inf", "nan", "1,5,3", "12g", "0x10", "1e999"})
            QCOMPARE(parseNumber(refused).has_value() ? QString("accepted: ") + refused : QString(),
                     QString());
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
