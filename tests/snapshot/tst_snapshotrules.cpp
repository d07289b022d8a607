#include "snapshot/snapshotentry.h"
#include "snapshot/snapshotslots.h"

#include <QTest>

using Labels = std::array<QString, SnapshotSlots::kValues>;
Q_DECLARE_METATYPE(Labels)

// The snapshot rules that need no window: what is accepted, what a Save
// stores and how a stored snapshot reads.
class SnapshotRulesTest : public QObject
{
    Q_OBJECT

private slots:
    // Only numbers the history shows in full (or nothing) pass as numbers; the
    // texts take anything. (How numbers are read is tested with the other number formats.)
    void onlyNumbersPassAsNumbers_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("message");
        QTest::newRow("numbers, blanks, any text") << QStringList{" 70.5 ", "\t", "BP 120/80"} << "";
        QTest::newRow("nan and too large")
            << QStringList{"nan", "1e999", ""} << "Snapshot value(s) Weight, Waist must be numeric!";
        QTest::newRow("fifteen digits either side of the point")
            << QStringList{"-999999999999999", "0.000000000000001", "1e308"} << "";
        QTest::newRow("sixteen") << QStringList{"1e15", "1e-16", ""} << "Snapshot value(s) Weight, Waist must be numeric!";
    }
    void onlyNumbersPassAsNumbers()
    {
        QFETCH(QStringList, inputs);
        const SnapshotSlots layout(Labels{"Weight", "Waist", "", "", "", "", "Blood Pressure"});
        QTEST(layout.validationMessage(inputs), "message");
    }

    void saveStoresWhatTheInputsSay_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QVariantList>("values"); // SNAPVAL1..8
        QTest::addColumn<QString>("storedComment");
        QTest::addColumn<QTime>("storedTime");
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
        QTest::newRow("seconds dropped, texts cut")
            << QTime(22, 15, 59, 900) << QStringList{"0", QString(20, 'b')} << QString(250, 'c')
            << QVariantList{{}, {}, 0.0, {}, {}, {}, QString(15, 'b'), {}} << QString(199, 'c') << QTime(22, 15);
        QTest::newRow("a blank number is null, no half characters")
            << QTime(12, 0) << QStringList{" ", QString(14, 'b') + smile} << QString(198, 'c') + smile
            << QVariantList{{}, {}, {}, {}, {}, {}, QString(14, 'b'), {}} << QString(198, 'c') << QTime(12, 0);
    }
    void saveStoresWhatTheInputsSay()
    {
        QFETCH(QTime, time);
        QFETCH(QStringList, inputs);
        QFETCH(QString, comment);
        // Values 3 and 7 are shown.
        const SnapshotSlots layout(Labels{"", "", "Weight", "", "", "", "Mood"});
        const SnapshotEntry entry = SnapshotEntry::fromInputs(layout, QDate(2003, 5, 14), time, inputs, comment);
        QTEST(QVariantList(entry.values.begin(), entry.values.end()), "values");
        QTEST(entry.comment, "storedComment");
        QFETCH(QTime, storedTime);
        QCOMPARE(entry.taken, QDateTime(QDate(2003, 5, 14), storedTime, Qt::UTC));
    }

    void rowsShowTheTimeAndEveryShownValue_data()
    {
        QTest::addColumn<QString>("taken"); // as stored
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("after midnight") << "1999-12-31 00:05:00" << QVariantList{{}, 80.0, {}, {}, {}, {}, "", {}}
                                        << QStringList{"1999/12/31 12:05 AM", "80", "", "note"};
        QTest::newRow("a day without a time") << "2004-02-29" << QVariantList{{}, 1e-7, {}, {}, {}, {}, "x", {}}
                                              << QStringList{"2004/02/29 12:00 AM", "0.0000001", "x", "note"};
        // A time that a daylight-saving change skips in many places is kept as it is.
        QTest::newRow("in a clock change") << "2003-03-30 02:30:00" << QVariantList{{}, 2.0, {}, {}, {}, {}, {}, {}}
                                           << QStringList{"2003/03/30 02:30 AM", "2", " ", "note"};
        QTest::newRow("no such day, no number")
            << "2003-02-30 08:00:00" << QVariantList{{}, qInf(), {}, {}, {}, {}, {}, {}}
            << QStringList{"(invalid date)", "invalid", " ", "note"};
    }
    void rowsShowTheTimeAndEveryShownValue()
    {
        QFETCH(QString, taken);
        QFETCH(QVariantList, values);
        const SnapshotSlots layout(Labels{"", "Weight", "", "", "", "", "BP"});
        SnapshotEntry entry;
        entry.taken = SnapshotEntry::takenFrom(taken);
        entry.comment = "note";
        std::copy(values.begin(), values.end(), entry.values.begin());
        QFETCH(QStringList, texts);
        QCOMPARE(entry.historyTexts(layout), texts);
        // Edit shows the same texts in the inputs.
        QCOMPARE(entry.inputTexts(layout), texts.mid(1, 2));
    }
};

QTEST_GUILESS_MAIN(SnapshotRulesTest)
#include "tst_snapshotrules.moc"
