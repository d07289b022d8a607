#include "print/printfunctions.h"

#include "app/configstore.h"
#include "print/cpage.h"
#include "print/imagelist.h"
#include "print/printablelist.h"
#include "print/printsurface.h"

#include <cmath>

namespace PrintFunctions {

namespace {

double alignedX(Qt::Alignment alignment, double start, double width, double textWidth)
{
    if (alignment == Qt::AlignRight)
        return start + width - textWidth;
    if (alignment == Qt::AlignHCenter)
        return start + (width - textWidth) / 2;
    return start;
}

// Calls cell(column, x, width) for each column that is printed (one with a
// width), x being its left edge; the columns stand side by side from left.
template <typename Cell> void forEachColumn(const PrintableList& list, double left, Cell cell)
{
    double x = left;
    const int columns = list.columnCount();
    for (int column = 0; column < columns; ++column) {
        const double w = list.columnWidth(column);
        if (w <= 0)
            continue;
        cell(column, x, w);
        x += w;
    }
}

// Shortens the longest run of two or more blanks by one; false when there is none.
bool shortenLongestBlankRun(QString& text)
{
    qsizetype bestStart = -1;
    qsizetype bestLength = 1;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != QLatin1Char(' ')) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end] == QLatin1Char(' '))
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    if (bestStart < 0)
        return false;
    text.remove(bestStart, 1);
    return true;
}

} // namespace

void applyPage(PrintSurface& printer, const CPage& page)
{
    printer.setPaperSize(page.paperSize);
    printer.setOrientation(page.orientation);
}

void printTextBlock(PrintSurface& printer, const CText& block, double left, double right)
{
    if (block.text.isEmpty())
        return;
    applyFont(printer, block.font);
    QString text = block.text;
    double width = printer.textWidth(text);
    const double room = printer.scaleWidth() - left - right;
    const bool tooWide = width > room;
    if (tooWide) {
        while (width > room && shortenLongestBlankRun(text))
            width = printer.textWidth(text);
    }
    switch (block.alignment) {
    case CText::kLeft:
        printer.setCurrentX(left);
        break;
    case CText::kRight:
        printer.setCurrentX(printer.scaleWidth() - right - width);
        break;
    case CText::kCentre:
        printer.setCurrentX((printer.scaleWidth() - width) / 2);
        break;
    default:
        break;
    }
    if (tooWide && printer.currentX() < left)
        printer.setCurrentX(left);
    replacePageNumber(printer, text);
    printer.print(text);
}

void printColumnHeaders(PrintSurface& printer, const PrintableList& list, double left, double)
{
    const double y0 = std::nearbyint(printer.currentY());
    const double h = printer.textHeight(QStringLiteral("A"));
    forEachColumn(list, left, [&](int column, double x, double w) {
        printer.line(x, y0 + h, x + w, y0 + h);
        const QString text = list.headerText(column);
        printer.setCurrentX(alignedX(list.alignment(column), x, w, printer.textWidth(text)));
        printer.setCurrentY(y0);
        printer.print(text);
    });
    printer.setCurrentY(printer.currentY() + 2 * list.twipsPerPixelY);
}

void printRow(PrintSurface& printer, int row, const PrintableList& list, const ImageList* images, double left,
              double)
{
    const double h = list.rowHeight;
    const double t = printer.textHeight(list.text(row, 0));
    const double y0 = printer.currentY();
    forEachColumn(list, left, [&](int column, double x, double w) {
        double start = x;
        if (column == 0) {
            if (!images)
                throw PrintError(PrintError::kNotSet,
                                 QStringLiteral("The list's pictures are missing: no image list was given."));
            // The text starts one pixel after the picture, whether the row has one or not.
            start = left + (images->imageWidth() + 1) * list.twipsPerPixelX;
            const QString key = list.imageKey(row);
            if (!key.isEmpty()) {
                if (!images->contains(key))
                    throw PrintError(35601, QStringLiteral("Element not found: the picture '%1'.").arg(key));
                const double imageWidth = images->imageWidth() * list.twipsPerPixelX;
                const double imageHeight = images->imageHeight() * list.twipsPerPixelY;
                printer.paintPicture(images->image(key), left, y0 + (h - imageHeight) / 2, imageWidth,
                                     imageHeight);
            }
        }
        const QString text = cutToWidth(printer, ConfigStore::trimSpaces(list.text(row, column)), w);
        printer.setCurrentX(alignedX(list.alignment(column), start, w, printer.textWidth(text)));
        printer.setCurrentY(y0 + (h - t) / 2);
        printer.print(text);
        printer.setCurrentY(y0 + h);
    });
}

bool rowFits(const PrintSurface& printer, double height, double bottom)
{
    return printer.scaleHeight() - bottom > printer.currentY() + height;
}

void applyFont(PrintSurface& printer, const FontSpec& font)
{
    printer.setFont(font);
}

void replacePageNumber(const PrintSurface& printer, QString& text)
{
    const qsizetype at = text.indexOf(QLatin1String("<pag>"));
    if (at >= 0)
        text.replace(at, 5, QString::number(printer.page()));
}

QString cutToWidth(const PrintSurface& printer, QString text, double width)
{
    const double full = printer.textWidth(text);
    if (full <= width)
        return text;
    // A long text in a narrow column: the widths of its prefixes grow with
    // their length, so the cutting may start from a prefix a little longer
    // than the share of the width suggests, when that one is still too wide.
    const qsizetype estimate = qsizetype(text.size() * std::max(0.0, width) / full) + 8;
    if (estimate < text.size() && printer.textWidth(text.left(estimate)) > width)
        text.truncate(estimate);
    while (!text.isEmpty() && printer.textWidth(text) > width) {
        // A character outside the basic plane goes whole.
        const bool pair =
            text.size() >= 2 && text.back().isLowSurrogate() && text[text.size() - 2].isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
    return text;
}

} // namespace PrintFunctions
