#include "print/printjob.h"

#include "app/appcontext.h"
#include "print/paintersurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool layOutOn(QPrinter& printer, const Layout& layout, bool selectionOnly, const QString& failure)
{
    PainterSurface surface(printer);
    if (!failure.isEmpty()) {
        surface.startFailure = failure;
        surface.startFailureNumber = PrintError::kFileAccess;
    }
    surface.onCancel = [&printer] { printer.abort(); };
    return layout(surface, selectionOnly);
}

} // namespace

bool printOn(QPrinter& printer, AppContext& context, const Layout& layout, bool selectionOnly)
{
    if (printer.outputFormat() != QPrinter::PdfFormat)
        return layOutOn(printer, layout, selectionOnly, QString());

    const QString target = printer.outputFileName();
    if (target.isEmpty()) {
        context.exclaim(QStringLiteral("No file was chosen for the PDF document."));
        return false;
    }
    // The pages go to a file of their own beside the target, which takes its
    // place only when complete: a failed printout leaves an older file alone.
    const QFileInfo info(target);
    QTemporaryFile part(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!part.open()) {
        context.exclaim(fileFailure(target, part.errorString()));
        return false;
    }
    part.close();
    printer.setOutputFileName(part.fileName());
    bool ok = layOutOn(printer, layout, selectionOnly, fileFailure(target, QString()));
    printer.setOutputFileName(target);
    if (!ok)
        return false;
    if (QFileInfo(part.fileName()).size() == 0) {
        context.exclaim(fileFailure(target, QString()));
        return false;
    }
    // rename() replaces the target in one step.
    const QByteArray from = QFile::encodeName(part.fileName());
    if (std::rename(from.constData(), QFile::encodeName(target).constData()) != 0) {
        context.exclaim(fileFailure(target, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    part.setAutoRemove(false);
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
            layOutOn(*target, layout, false, QString());
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
