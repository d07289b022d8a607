#include "print/printjob.h"

#include "app/appcontext.h"
#include "data/savedfile.h"
#include "print/paintersurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace PrintJob {

namespace {

void prepare(QPrinter& printer, const Settings& settings)
{
    printer.setDocName(settings.documentName);
    printer.setFullPage(true);
    printer.setPageOrientation(settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

QString fileFailure(const QString& path, const QString& reason)
{
    QString text = QStringLiteral("The file \"%1\" could not be written").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text + QLatin1Char('.');
}

bool layOutOn(QPagedPaintDevice& device, const Layout& layout, bool selectionOnly, const QString& failure,
              const std::function<void()>& onCancel, const std::function<QString()>& outputFailure)
{
    PainterSurface surface(device);
    if (!failure.isEmpty()) {
        surface.startFailure = failure;
        surface.startFailureNumber = PrintError::kFileAccess;
    }
    surface.onCancel = onCancel;
    surface.outputFailure = outputFailure;
    return layout(surface, selectionOnly);
}

bool layOutOn(QPrinter& printer, const Layout& layout, bool selectionOnly)
{
    return layOutOn(printer, layout, selectionOnly, QString(), [&printer] { printer.abort(); }, {});
}

} // namespace

bool printOn(QPrinter& printer, AppContext& context, const Layout& layout, bool selectionOnly)
{
    if (printer.outputFormat() != QPrinter::PdfFormat)
        return layOutOn(printer, layout, selectionOnly);

    const QString target = printer.outputFileName();
    if (target.isEmpty()) {
        context.exclaim(QStringLiteral("No file was chosen for the PDF document."));
        return false;
    }
    // The pages go to a file that takes the target's name only when every
    // byte of it, to the trailer, is on the disk: a failed printout leaves an
    // older file alone, and says why.
    SavedFile file(target);
    if (!file.open()) {
        context.exclaim(fileFailure(target, file.failure()));
        return false;
    }
    QPdfWriter writer(&file);
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    writer.setPdfVersion(printer.pdfVersion());
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    const bool laidOut =
        layOutOn(writer, layout, selectionOnly, fileFailure(target, QString()), {}, [&file, &target] {
            return file.failed() ? fileFailure(target, file.failure()) : QString();
        });
    if (!laidOut) {
        file.cancel(); // the layout has said why
        return false;
    }
    if (!file.commit("%%EOF")) {
        context.exclaim(fileFailure(target, file.failure()));
        return false;
    }
    return true;
}

bool print(QWidget* parent, AppContext& context, const Settings& settings, const Layout& layout)
{
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, settings);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print ") + settings.documentName);
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
    if (settings.hasSelection)
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return printOn(printer, context, layout, printer.printRange() == QPrinter::Selection);
}

void preview(QWidget* parent, AppContext& context, const Settings& settings, const Layout& layout)
{
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, settings);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Preview - ") + settings.documentName);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        // The preview's own pages are pictures; its print button
        // hands over the printer (or PDF file) the user chose.
        const bool previewing = target->paintEngine()->type() == QPaintEngine::Picture;
        if (previewing)
            layOutOn(*target, layout, false);
        else
            printOn(*target, context, layout, false);
    });
    dialog.exec();
}

bool savePdf(const QString& path, AppContext& context, const Settings& settings, const Layout& layout)
{
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, settings);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return printOn(printer, context, layout, false);
}

} // namespace PrintJob
