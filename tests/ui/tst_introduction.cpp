#include "data/orvdatasource.h"
#include "mainwindowfixture.h"
#include "ui/aboutwindow.h"
#include "ui/introduction.h"
#include "ui/tipwindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

// The introduction window and its start-up switch, and the about window.
class IntroductionTest : public QObject
{
    Q_OBJECT

private slots:
    void showTheIntroductionAndStoreEveryChangeOfTheBox_data()
    {
        QTest::addColumn<bool>("stored"); // else "SHOWTIPS" is missing and stays so
        QTest::newRow("stored") << true;
        QTest::newRow("missing") << false;
    }
    void showTheIntroductionAndStoreEveryChangeOfTheBox()
    {
        QFETCH(bool, stored);
        TestContext test;
        if (!stored) {
            test.exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
            test.ctx().dataSource().cmdConfig();
        }
        TipWindow tip(test.ctx());
        tip.show();
        QCOMPARE(tip.windowTitle(), QString("Corvane's Foodlark Introduction"));
        QCOMPARE(tip.chkLoadTipsAtStartup->text() + "|" + tip.cmdOK->text(), QString("&Show at Startup|Continue"));
        QVERIFY(tip.rtbTip->isReadOnly());
        const QString text = introductionText();
        QVERIFY(text.startsWith("Do you know everything about what you are putting into your body? What is the fat"));
        QVERIFY(text.contains("the facts at hand.\r\n\r\nFortunately, with Corvane's Foodlark, "));
        QVERIFY(text.contains(" you can use Corvane 's Foodlark to help you understand"));
        QVERIFY(text.endsWith("With Corvane's Foodlark, you can take the mystery out of the food you eat. "));
        QCOMPARE(text.size(), 663);
        QCOMPARE(tip.rtbTip->toPlainText(), QString(text).replace("\r\n", "\n")); // the breaks as paragraphs

        auto showTips = [&test] {
            return test.scalar("SELECT group_concat(ConfigValue) FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        };
        QStringList seen;
        for (int click = 0; click < 3; ++click) {
            QTest::mouseClick(tip.chkLoadTipsAtStartup, Qt::LeftButton);
            seen << showTips().toString();
        }
        QTest::mouseClick(tip.cmdOK, Qt::LeftButton);
        QVERIFY(!tip.isVisible());
        QCOMPARE(seen, stored ? (QStringList{"N", "Y", "N"}) : QStringList(3, QString()));
        QVERIFY(stored || showTips().isNull());
        QCOMPARE(test.prompts.count(), 0);
    }

    void aboutShowsTheMaker()
    {
        MainWindowFixture f;
        f.load();
        bool ran = false;
        whenModal([&](QWidget* modal) {
            if (auto* about = qobject_cast<AboutWindow*>(modal)) {
                ran = true;
                QCOMPARE(about->windowTitle(), QString("About Corvane's Foodlark"));
                QVERIFY(!about->picIcon->pixmap().isNull());
                QCOMPARE(about->lblInternet->text(), "Internet:  " + f.ctx().webAddress);
                QVERIFY(about->lblEmail->text().contains(f.ctx().supportAddress));
                QVERIFY(about->lblLegal->text().contains("public domain"));
                QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            }
            if (modal->isVisible())
                modal->close();
        });
        f.main().commands().action(Command::About, Surface::Menu)->trigger();
        QVERIFY(ran);
    }
};

QTEST_MAIN(IntroductionTest)
#include "tst_introduction.moc"
