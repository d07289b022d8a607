#include "app/configstore.h"
#include "app/startup.h"
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

namespace {

QVariant storedShowTips(TestContext& test)
{
    return test.scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
}

// Sets "SHOWTIPS" directly in the database, or removes it for a null value.
void putShowTips(TestContext& test, const QVariant& value)
{
    test.exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
    if (!value.isNull())
        test.exec("INSERT INTO CONFIG (ConfigItem, ConfigValue, SelectedConfig) VALUES ('SHOWTIPS', ?, 0)",
                  {value});
    test.ctx().dataSource().cmdConfig();
}

} // namespace

// The introduction window and its start-up switch, and the about window.
class IntroductionTest : public QObject
{
    Q_OBJECT

private slots:
    void windowShowsTheIntroduction()
    {
        TestContext test;
        TipWindow tip(test.ctx());
        QCOMPARE(tip.windowTitle(), QString("Corvane's Foodlark Introduction"));
        QCOMPARE(tip.chkLoadTipsAtStartup->text(), QString("&Show at Startup"));
        QVERIFY(tip.chkLoadTipsAtStartup->isChecked());
        QCOMPARE(tip.cmdOK->text(), QString("Continue"));
        QVERIFY(tip.rtbTip->isReadOnly());

        const QString text = introductionText();
        QVERIFY(text.startsWith(
            "Do you know everything about what you are putting into your body? What is the fat"));
        QVERIFY(text.contains(
            "if you don't have all the facts at hand.\r\n\r\nFortunately, with Corvane's Foodlark, "));
        QVERIFY(text.contains(" you can use Corvane 's Foodlark to help you understand"));
        QVERIFY(text.endsWith("With Corvane's Foodlark, you can take the mystery out of the food you eat. "));
        QCOMPARE(text.size(), 663);
        // Shown with the two line breaks as paragraphs.
        QCOMPARE(tip.rtbTip->toPlainText(), QString(text).replace("\r\n", "\n"));
    }

    void boxStoresEveryChange()
    {
        TestContext test;
        putShowTips(test, "Y");
        TipWindow tip(test.ctx());
        tip.show();
        QCOMPARE(storedShowTips(test).toString(), QString("Y"));
        QTest::mouseClick(tip.chkLoadTipsAtStartup, Qt::LeftButton);
        QCOMPARE(storedShowTips(test).toString(), QString("N"));
        QCOMPARE(Startup::introductionEnabled(test.ctx().config()), false);
        QTest::mouseClick(tip.chkLoadTipsAtStartup, Qt::LeftButton);
        QCOMPARE(storedShowTips(test).toString(), QString("Y"));
        QTest::mouseClick(tip.chkLoadTipsAtStartup, Qt::LeftButton);
        QTest::mouseClick(tip.cmdOK, Qt::LeftButton);
        QVERIFY(!tip.isVisible());
        QCOMPARE(tip.result(), int(QDialog::Accepted));
        QCOMPARE(storedShowTips(test).toString(), QString("N"));
    }

    void missingSwitchIsNeverCreated()
    {
        TestContext test;
        putShowTips(test, QVariant());
        TipWindow tip(test.ctx());
        tip.show();
        QTest::mouseClick(tip.chkLoadTipsAtStartup, Qt::LeftButton);
        QVERIFY(!tip.chkLoadTipsAtStartup->isChecked());
        QCOMPARE(test.scalar("SELECT count(*) FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'").toInt(), 0);
        QCOMPARE(test.prompts.count(), 0);
    }

    void aboutShowsTheMaker()
    {
        MainWindowFixture f;
        f.load();
        bool ran = false;
        whenModal([&](QWidget* modal) {
            auto* about = qobject_cast<AboutWindow*>(modal);
            if (about) {
                ran = true;
                QCOMPARE(about->windowTitle(), QString("About Corvane's Foodlark"));
                QVERIFY(!about->picIcon->pixmap().isNull());
                auto* contact = about->findChild<QLabel*>("lblContact");
                QVERIFY(contact);
                QCOMPARE(contact->text(), QString("How to contact us:"));
                QCOMPARE(about->lblInternet->text(), "Internet:  " + f.ctx().webAddress);
                QVERIFY(about->lblEmail->text().contains(f.ctx().supportAddress));
                QVERIFY(about->lblAddress->text().contains("Corvane Corporation"));
                QVERIFY(about->lblLegal->text().contains("public domain"));
                QTest::mouseClick(about->cmdOK, Qt::LeftButton);
                QVERIFY(!about->isVisible());
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
