#include "report/reportwindow.h"

#include "app/appcontext.h"
#include "print/cprintlistview.h"
#include "print/printjob.h"
#include "report/csvexport.h"
#include "report/reportformat.h"
#include "report/reportmodel.h"
#include "report/reportprintsetup.h"
#include "widgets/plainbutton.h"
#include "widgets/waitcursor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString askForFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter)
{
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

ReportWindow::ReportWindow(AppContext& context, const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(name);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    lstReport = new QTableView;
    lstReport->setObjectName(QStringLiteral("lstReport"));
    lstReport->setAccessibleName(caption);
    lstReport->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstReport->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstReport->setShowGrid(false);
    lstReport->setWordWrap(false);
    lstReport->setCornerButtonEnabled(false);
    lstReport->setTabKeyNavigation(false);
    lstReport->setIconSize(QSize(m_images.imageWidth(), m_images.imageHeight()));
    // Every row is as high as the next, so a list of any length scrolls at once.
    lstReport->verticalHeader()->hide();
    lstReport->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstReport->verticalHeader()->setDefaultSectionSize(
        qMax(lstReport->fontMetrics().height() + 6, m_images.imageHeight() + 4));
    lstReport->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    lstReport->horizontalHeader()->setHighlightSections(false);
    lstReport->horizontalHeader()->setStretchLastSection(false);

    chkGridlines = new QCheckBox(QStringLiteral("Show Gridlines"));
    chkGridlines->setObjectName(QStringLiteral("chkGridlines"));
    connect(chkGridlines, &QCheckBox::toggled, lstReport, &QTableView::setShowGrid);

    cmdPreview = plainButton("cmdPreview", QStringLiteral("Preview"),
                             QStringLiteral("Show the pages as they will print"));
    cmdPrint = plainButton("cmdPrint", QStringLiteral("Print"), QStringLiteral("Print the report"));
    cmdSavePdf = plainButton("cmdSavePdf", QStringLiteral("Save as PDF"),
                             QStringLiteral("Save the pages as a PDF file"));
    cmdExport = plainButton("cmdExport", QStringLiteral("Export..."),
                            QStringLiteral("Save the rows as a CSV file for a spreadsheet"));
    cmdQuit = plainButton("cmdQuit", QStringLiteral("Done"), QStringLiteral("Close the report"));
    connect(cmdPreview, &QPushButton::clicked, this, &ReportWindow::previewReport);
    connect(cmdPrint, &QPushButton::clicked, this, &ReportWindow::printReport);
    connect(cmdSavePdf, &QPushButton::clicked, this, [this] {
        const QString path =
            chooseFile(QStringLiteral("Save as PDF"), suggestedFileName(QStringLiteral("pdf")),
                       QStringLiteral("PDF files (*.pdf)"));
        if (!path.isEmpty())
            saveAsPdf(path);
    });
    connect(cmdExport, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile(QStringLiteral("Export"), suggestedFileName(QStringLiteral("csv")),
                                        QStringLiteral("CSV files (*.csv)"));
        if (!path.isEmpty())
            exportCsv(path);
    });
    connect(cmdQuit, &QPushButton::clicked, this, &QDialog::accept);
    chooseFile = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return askForFile(this, caption, suggested, filter);
    };

    // The buttons, then the options with "Show Gridlines" at the right.
    m_options = new QHBoxLayout;
    for (QPushButton* b : {cmdPreview, cmdPrint, cmdSavePdf, cmdExport, cmdQuit})
        m_options->addWidget(b);
    m_options->addStretch();
    m_options->addWidget(chkGridlines);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstReport, 1);
    layout->addLayout(m_options);
    resize(980, 640);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::addOption(QWidget* option)
{
    m_options->insertWidget(m_options->indexOf(chkGridlines), option);
}

void ReportWindow::setReport(const ReportTable& report)
{
    m_model = std::make_unique<ReportModel>(report, &m_images);
    lstReport->setModel(m_model.get());
    connect(lstReport->horizontalHeader(), &QHeaderView::sectionResized, this, &ReportWindow::sectionResized);
}

void ReportWindow::enableOutput(bool enabled)
{
    for (QPushButton* b : {cmdPreview, cmdPrint, cmdSavePdf, cmdExport})
        b->setEnabled(enabled);
}

double ReportWindow::twipsPerPixel() const
{
    return 1440.0 / lstReport->logicalDpiX();
}

void ReportWindow::setColumnWidths(const QVector<double>& twips)
{
    m_widths = twips;
    m_settingWidths = true;
    for (int column = 0; column < twips.size(); ++column)
        lstReport->horizontalHeader()->resizeSection(column, qRound(twips[column] / twipsPerPixel()));
    m_settingWidths = false;
}

void ReportWindow::sectionResized(int column, int, int newSize)
{
    if (m_settingWidths)
        return;
    if (column >= m_widths.size())
        m_widths.resize(column + 1);
    m_widths[column] = newSize * twipsPerPixel();
}

PrintableList ReportWindow::printableList() const
{
    PrintableList list;
    list.model = m_model.get();
    list.selection = lstReport->selectionModel();
    list.columnWidths = m_widths;
    const double tpp = twipsPerPixel();
    list.twipsPerPixelX = tpp;
    list.twipsPerPixelY = 1440.0 / lstReport->logicalDpiY();
    list.rowHeight = lstReport->verticalHeader()->defaultSectionSize() * list.twipsPerPixelY;
    const QFont font = lstReport->font();
    list.font = FontSpec{font.family(),    font.pointSizeF() > 0 ? font.pointSizeF() : 9,
                         font.bold(),      font.italic(),
                         font.underline(), font.strikeOut()};
    return list;
}

bool ReportWindow::layOut(PrintSurface& surface, bool selectionOnly)
{
    beforePrinting();
    CPrintListView printer(surface, m_context);
    printer.setControl(printableList());
    printer.imageList = &m_images;
    ReportPrintSetup::apply(printer, m_context, windowTitle(), printLandscape());
    printer.printOnlySelectedItems = selectionOnly;
    return printer.printControl();
}

QString ReportWindow::documentName() const
{
    // The caption names the report and its days.
    return ReportFormat::documentName(windowTitle());
}

QString ReportWindow::suggestedFileName(const QString& suffix) const
{
    const QString name = documentName();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return folder + QLatin1Char('/') + name + QLatin1Char('.') + suffix;
}

void ReportWindow::printReport()
{
    PrintJob::Settings settings{documentName(), printLandscape(),
                                lstReport->selectionModel()->hasSelection()};
    PrintJob::print(this, m_context, settings, [this](PrintSurface& surface, bool selectionOnly) {
        WaitCursor wait;
        cmdPrint->setEnabled(false);
        QCoreApplication::processEvents();
        const bool ok = layOut(surface, selectionOnly);
        cmdPrint->setEnabled(true);
        return ok;
    });
}

void ReportWindow::previewReport()
{
    PrintJob::Settings settings{documentName(), printLandscape(), false};
    PrintJob::preview(this, m_context, settings, [this](PrintSurface& surface, bool selectionOnly) {
        return layOut(surface, selectionOnly);
    });
}

bool ReportWindow::saveAsPdf(const QString& path)
{
    WaitCursor wait;
    PrintJob::Settings settings{documentName(), printLandscape(), false};
    return PrintJob::savePdf(path, m_context, settings, [this](PrintSurface& surface, bool selectionOnly) {
        return layOut(surface, selectionOnly);
    });
}

bool ReportWindow::exportCsv(const QString& path)
{
    WaitCursor wait;
    QString error;
    if (CsvExport::writeFile(*m_model, path, &error))
        return true;
    m_context.exclaim(error);
    return false;
}
