#pragma once

#include <QString>
#include <functional>

class AppContext;
class PrintSurface;
class QPrinter;
class QWidget;

// The ways a user takes a printout: printed on a printer (or to a PDF file)
// chosen in the print dialog, looked at in the print preview, or saved as a
// PDF file. Each runs the same layout on a surface that draws on the
// printer, so the preview shows exactly the pages that print.
namespace PrintJob {

// Lays the pages out on the surface (only the selected rows when asked);
// false when it failed, after saying why.
using Layout = std::function<bool(PrintSurface& surface, bool selectionOnly)>;

struct Settings
{
    QString documentName;
    bool landscape = false;
    // Rows are selected: the print dialog offers to print only those.
    bool hasSelection = false;
};

// The print dialog, then the printout on the chosen printer or PDF file.
// False when the user cancelled or the printout failed.
bool print(QWidget* parent, AppContext& context, const Settings& settings, const Layout& layout);
// The print preview; its own print button prints through the same layout.
void preview(QWidget* parent, AppContext& context, const Settings& settings, const Layout& layout);
// A PDF file at path. A file that is there already is replaced only when
// the new one is complete. Failures are shown with the file's name.
bool savePdf(const QString& path, AppContext& context, const Settings& settings, const Layout& layout);
// Runs the layout on a printer set up already (by the print dialog or a
// caller). A PDF file is written beside its final name and moved there
// once complete.
bool printOn(QPrinter& printer, AppContext& context, const Layout& layout, bool selectionOnly);

} // namespace PrintJob
