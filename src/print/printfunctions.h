#pragma once

#include <QString>
#include <QtGlobal>

class CPage;
class CText;
class ImageList;
class PrintSurface;
struct FontSpec;
struct PrintableList;

// The measuring, font and page-number work of the list printer. Positions
// and sizes are in twips; left and right are the page's margins.
namespace PrintFunctions {

// Sets the printer's paper size and orientation from the page.
void applyPage(PrintSurface& printer, const CPage& page);
// Writes a block (nothing for an empty text) in its font at its alignment:
// left at the left margin, right against the right margin, centred on the
// whole page width; the alignment is measured on the text with a "<pag>"
// placeholder still in it. A block too wide for the space between the
// margins first has its runs of blanks shortened until it fits (or no run
// is left), and then starts no further left than the left margin, so its
// ends stay on the paper.
void printTextBlock(PrintSurface& printer, const CText& block, double left, double right);
// The column titles of the list at the current line, each over a rule,
// never cut; then moves down two screen pixels.
void printColumnHeaders(PrintSurface& printer, const PrintableList& list, double left, double right);
// One row of the list at the current line: the picture of the row, each cell
// cut to its column's width, centred in the row's height. Throws PrintError
// without an image list.
void printRow(PrintSurface& printer, int row, const PrintableList& list, const ImageList* images, double left,
              double right);
// True when a line of the given height still ends above the bottom margin
// (strictly: a line ending on the margin does not fit).
bool rowFits(const PrintSurface& printer, double height, double bottom);
void applyFont(PrintSurface& printer, const FontSpec& font);
// Replaces the first "<pag>" in text by the current page number.
void replacePageNumber(const PrintSurface& printer, QString& text);
// text without its last characters until it is no wider than width.
QString cutToWidth(const PrintSurface& printer, QString text, double width);

} // namespace PrintFunctions
