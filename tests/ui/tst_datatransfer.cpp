#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "transfer/exportdialog.h"
#include "uitestsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QRadioButton>
#include <QTemporaryDir>

// File > Export Data... and File > Import Data... as a user meets them: the
// choices, the file dialog, the preview to confirm, the trees read again; a
// bad file refused with nothing changed.
class DataTransferTest : public MainWindowTest
{
    Q_OBJECT

    QTemporaryDir elsewhere; // the user's own folder

    QStringList days()
    {
        QStringList captions;
        const DietTreeModel& model = w().dietTree().model();
        for (int i = 0; i < model.rowCount(); ++i)
            captions << DietTreeModel::caption(model.index(i, 0));
        return captions;
    }
    // Picks path in the file dialog that command opens, after steps on the
    // dialog of choices before it, if any.
    void choose(const QString& menu, const QString& path, const std::function<void(ExportDialog&)>& choices = {})
    {
        ModalGuard::Expecting expecting;
        auto pickFile = [path](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        };
        whenModal([&, pickFile](QWidget* modal) {
            auto* dialog = qobject_cast<ExportDialog*>(modal);
            if (!dialog)
                return pickFile(modal);
            if (choices)
                choices(*dialog);
            whenModal(pickFile);
            dialog->OKButton->click();
        });
        action(menu)->trigger();
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void exportedAndImportedAsANewUserWould()
    {
        f->test.addDietRow("USER1", QDate(2026, 3, 2), "MEAL0", "Porridge");
        f->test.addDietRow("USER1", QDate(2026, 3, 3), "MEAL1", "Soup, \"hot\"");
        f->test.addDietRow("USER2", QDate(2026, 3, 3), "MEAL1", "Someone else's");
        start();
        const QString path = elsewhere.filePath("mine.json");
        choose("mnuFileExport", path, [](ExportDialog& dialog) {
            QCOMPARE(dialog.cmbUser->itemText(1), "User 1");
            dialog.cmbUser->setCurrentIndex(1);
        });
        QCOMPARE(f->prompts().texts(),
                 QStringList{"The diet log has been exported to '" + path +
                             "': 2 diet entries, 0 snapshots, 2 foods and 1 food group."});

        // On another computer: a new database, the file imported.
        f = std::make_unique<MainWindowFixture>();
        start();
        QCOMPARE(days(), QStringList());
        f->prompts().queueYes();
        choose("mnuFileImport", path);
        const QStringList boxes = f->prompts().texts();
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[0].contains("  User 1 (USER1): 2 diet entries, 0 snapshots\n  days from 2026-03-02 to 2026-03-03\n") &&
                     boxes[0].endsWith("To be added: 2 diet entries, 0 snapshots, 0 foods and 0 food groups.\n\n"
                                       "Import it?  The database is backed up first."),
                 qPrintable(boxes[0]));
        QCOMPARE(f->prompts().shown()[0].title, "Import Data");
        QVERIFY(boxes[1].startsWith("The file '" + path + "' has been imported: 2 diet entries,"));
        QCOMPARE(days(), (QStringList{"2026-03-02", "2026-03-03"}));
        QCOMPARE(QDir(f->ctx().backupFolder()).entryList({"*-before-import.mdb"}).size(), 1);
        QCOMPARE(f->test.shutDowns, 0);
    }

    void aBadFileChangesNothing()
    {
        f->test.addDietRow("USER1", QDate(2026, 3, 2), "MEAL0", "Porridge");
        start();
        const QString path = elsewhere.filePath("broken.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write("{\"format\": \"foodlark-log\", \"version\": 1,\n\"entries\": [{\"user\": \"USER1\"}]}") > 0);
        file.close();
        const auto rows = f->test.rows("SELECT * FROM DietActivity");
        choose("mnuFileImport", path);
        QCOMPARE(f->prompts().shown().size(), 1);
        QCOMPARE(f->prompts().last().icon, PromptIcon::Exclamation);
        QCOMPARE(f->prompts().last().text, "The file '" + path + "' can not be imported: entries[0] (line 2): \"date\" is "
                                           "missing.  Nothing has been imported.");
        QCOMPARE(f->test.rows("SELECT * FROM DietActivity"), rows);
        QCOMPARE(days(), QStringList{"2026-03-02"});
        QVERIFY(!QDir(f->ctx().backupFolder()).exists());
    }

    void exportChoices()
    {
        f->load();
        ExportDialog dialog(f->ctx(), &w());
        QVERIFY(!dialog.dtFrom->isEnabled());
        dialog.chkDays->setChecked(true);
        QVERIFY(dialog.dtFrom->isEnabled() && dialog.dtTo->isEnabled());
        dialog.dtFrom->setDate(QDate(2026, 3, 5));
        dialog.dtTo->setDate(QDate(2026, 3, 4));
        dialog.optCsv->setChecked(true);
        dialog.cmbUser->setCurrentIndex(2);
        dialog.OKButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(f->prompts().texts(), QStringList{"The first day must not be after the last day."});
        dialog.dtTo->setDate(QDate(2026, 3, 5));
        dialog.OKButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const LogExport::Options options = dialog.options();
        QVERIFY(options.format == LogExport::Format::Csv);
        QCOMPARE(options.user + " " + options.from.toString(Qt::ISODate) + " " + options.to.toString(Qt::ISODate),
                 "USER2 2026-03-05 2026-03-05");
    }
};

QTEST_MAIN(DataTransferTest)
#include "tst_datatransfer.moc"
