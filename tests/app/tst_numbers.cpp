#include "app/numbers.h"

#include <QTest>
#include <limits>

// Rounding, the number formats the windows show, and numbers as users type them.
class NumbersTest : public QObject
{
    Q_OBJECT

    static constexpr double inf = std::numeric_limits<double>::infinity();
    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();

    // What a function makes of each value, as one row.
    template <typename F> static QStringList each(F f, const QList<double>& values)
    {
        QStringList row;
        for (double value : values)
            row << QVariant(f(value)).toString();
        return row;
    }

private slots:
    void roundsHalvesToEven()
    {
        // 0.15 is a half as written, though a little less in binary.
        QCOMPARE(each([](double v) { return roundHalfEven(v, 1); },
                      {12.25, 12.35, 0.15, 12.251, -12.25, 99.96, inf}),
                 QStringList({"12.2", "12.4", "0.2", "12.3", "-12.2", "100", "inf"}));
        QCOMPARE(each([](double v) { return roundHalfEven(v, 0); }, {2.5, 3.5, 28.35}),
                 QStringList({"2", "4", "28"}));
        // Whole grams, held to the 32-bit range.
        QCOMPARE(each(wholeGrams, {28.35, 0.4, 42.5, 43.5, 2.5000001, nan, 1e12}),
                 QStringList({"28", "0", "42", "44", "3", "0", "2147483647"}));
    }

    void formats()
    {
        // A foreign or damaged file may hold values that are no numbers: they
        // show as such, never as "inf" or "nan", and never as a number.
        const QList<double> bad = {inf, -inf, nan, inf - inf};
        QCOMPARE(each(formatOneDecimal, QList<double>{12.25, 12.0, -0.04, 123456.78} + bad),
                 QStringList({"12.2", "12", "0", "123456.8"}) + QStringList(4, "invalid"));
        QCOMPARE(each(formatNutrient, QList<double>{0, 0.12345, -0.0001} + bad),
                 QStringList({"0.000", "0.123", "0.000"}) + QStringList(4, "invalid"));
        QCOMPARE(each(formatServings, QList<double>{0.25, 1} + bad),
                 QStringList({"0.25", "1.00"}) + QStringList(4, "invalid"));
        QCOMPARE(each(plainNumber, {2.5, 1}), QStringList({"2.5", "1"}));
        // A nutrient box shows seven digits before the point, and no more.
        QCOMPARE(each(fitsNutrientBox, {9999999.999, -9999999.999, 0.0, 1e7, 9999999.9996, -1e7, 1e308, inf}),
                 QStringList({"true", "true", "true", "false", "false", "false", "false", "false"}));
    }

    void parsesTypedNumbers()
    {
        const auto parsed = [](const QString& text) {
            const std::optional<double> value = parseNumber(text);
            return value ? QString::number(*value) : QString("refused");
        };
        QStringList texts = {"1.00", " 2.5 ", "-1",  ".5",    "1e1", "",     "   ",
                             "inf",  "-inf",  "nan", "1,5,3", "12g", "0x10", "1e999"};
        QStringList results;
        for (const QString& text : texts)
            results << parsed(text);
        QCOMPARE(results, QStringList({"1", "2.5", "-1", "0.5", "10"}) + QStringList(9, "refused"));
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
