#include "transfer/datatransfer.h"

#include "app/appcontext.h"
#include "transfer/exportdialog.h"
#include "transfer/logimport.h"
#include "widgets/waitcursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>

namespace DataTransfer {

namespace {

const QString kImportTitle = QStringLiteral("Import Data");

} // namespace

void exportData(AppContext& context, QWidget* parent)
{
    ExportDialog choice(context, parent);
    if (choice.exec() != QDialog::Accepted)
        return;
    const LogExport::Options options = choice.options();
    const bool csv = options.format == LogExport::Format::Csv;
    QFileDialog dialog(parent, QStringLiteral("Export Data"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString name = QStringLiteral("Foodlark-%1").arg(QDate::currentDate().toString(Qt::ISODate));
    if (csv) {
        // The name of a new folder (or of an earlier export's) that the files go into.
        dialog.setNameFilter(QStringLiteral("Folders (*)"));
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Folder name:"));
        dialog.selectFile(name);
    } else {
        dialog.setNameFilter(QStringLiteral("JSON documents (*.json)"));
        dialog.setDefaultSuffix(QStringLiteral("json"));
        dialog.selectFile(name + QStringLiteral(".json"));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QCoreApplication::processEvents(); // the windows below repaint before the work starts
    LogExport exporter(context, options);
    QString error;
    bool written = false;
    {
        WaitCursor wait;
        written = exporter.write(path, &error);
    }
    if (!written) {
        context.exclaim(error);
        return;
    }
    context.inform(QStringLiteral("The diet log has been exported to '%1': %2.")
                       .arg(QDir::toNativeSeparators(path), exporter.countsText()),
                   QStringLiteral("Export Data"));
}

void importData(AppContext& context, QWidget* parent, const std::function<bool()>& reload)
{
    QFileDialog dialog(parent, kImportTitle, QDir::homePath());
    dialog.setObjectName(QStringLiteral("dlgImport"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Foodlark exports (*.json *.csv)"), QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QCoreApplication::processEvents();
    importFrom(context, dialog.selectedFiles().constFirst(), reload);
}

void importFrom(AppContext& context, const QString& path, const std::function<bool()>& reload)
{
    LogImport import(context, path);
    auto refused = [&] {
        if (!import.refusal().isEmpty())
            context.exclaim(import.refusal());
    };
    bool ok = false;
    {
        WaitCursor wait;
        ok = import.preview();
    }
    if (!ok)
        return refused();
    if (import.summary().nothingNew()) {
        context.inform(import.previewText(), kImportTitle);
        return;
    }
    if (!context.askYesNo(import.previewText() + QStringLiteral("\n\nImport it?  The database is backed up first."),
                          kImportTitle))
        return;
    {
        WaitCursor wait;
        ok = import.run() && (!reload || reload());
    }
    if (!ok)
        return refused();
    context.inform(import.doneText(), kImportTitle);
}

} // namespace DataTransfer
