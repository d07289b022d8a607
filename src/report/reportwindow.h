#pragma once

#include "print/imagelist.h"
#include "print/printablelist.h"

#include <QDialog>
#include <QVector>
#include <functional>
#include <memory>

class AppContext;
class PrintSurface;
class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QTableView;
class ReportModel;
class ReportTable;

// What the two report windows share: the report list (lstReport) over the
// report's rows, "Show Gridlines", and the buttons that print, preview, save
// as PDF, export to CSV and close. Column widths are kept in twips, as the
// printer takes them.
class ReportWindow : public QDialog
{
    Q_OBJECT

public:
    ReportWindow(AppContext& context, const QString& name, const QString& caption, QWidget* parent);
    ~ReportWindow() override;

    QTableView* lstReport = nullptr;
    QCheckBox* chkGridlines = nullptr;
    QPushButton* cmdPreview = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdSavePdf = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdQuit = nullptr;

    ReportModel& model() { return *m_model; }
    const ImageList& images() const { return m_images; }

    // The column widths in twips, as the list shows them.
    QVector<double> columnWidths() const { return m_widths; }
    void setColumnWidths(const QVector<double>& twips);
    // The screen's twips per pixel.
    double twipsPerPixel() const;
    // The list as the printer takes it.
    PrintableList printableList() const;

    // Lays the report out on a surface: the printing steps of the report
    // (widths, page, footer, title, header font) and the list printer.
    bool layOut(PrintSurface& surface, bool selectionOnly);

    // The buttons' work; the file ones with the file already chosen.
    void printReport();
    void previewReport();
    bool saveAsPdf(const QString& path);
    bool exportCsv(const QString& path);

    // Asks for the name of a file to write (caption, suggested name, filter);
    // "" when the user cancelled. A save dialog unless replaced.
    std::function<QString(const QString&, const QString&, const QString&)> chooseFile;

protected:
    // Called once the report's rows are in place.
    void setReport(const ReportTable& report);
    // The steps before a printout (the diet report widens its columns).
    virtual void beforePrinting() {}
    virtual bool printLandscape() const = 0;
    // Puts a control before "Show Gridlines".
    void addOption(QWidget* option);
    void enableOutput(bool enabled);

    AppContext& m_context;
    // The rows' pictures (none unless a report adds them).
    ImageList m_images;

private:
    void sectionResized(int column, int oldSize, int newSize);
    QString suggestedFileName(const QString& suffix) const;
    QString documentName() const;

    std::unique_ptr<ReportModel> m_model;
    QVector<double> m_widths;
    QHBoxLayout* m_options = nullptr;
    bool m_settingWidths = false;
};
