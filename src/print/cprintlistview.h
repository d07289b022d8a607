#pragma once

#include "print/cpage.h"
#include "print/ctext.h"
#include "print/printablelist.h"

class AppContext;
class ImageList;
class PrintSurface;

// Prints a list page by page: on every page the header block, the column
// titles and the footer block, on the first page also the title; then the
// rows, each in bold or not as the list shows it.
class CPrintListView
{
public:
    CPrintListView(PrintSurface& printer, AppContext& context);

    // The list to print; its font becomes the font of the rows and of the
    // column titles (copies: changing one leaves the other alone).
    void setControl(const PrintableList& list);
    const PrintableList& control() const { return m_control; }

    // The pictures of the rows; printing fails without them.
    const ImageList* imageList = nullptr;
    CPage page;
    // Printed once, at the top of the first page.
    CText title;
    FontSpec headerFont;
    // The rows' font; its bold flag follows each row, and keeps the last row's.
    FontSpec fontItem;
    bool printOnlySelectedItems = false;

    // Lays the list out and ends the document. A failure cancels the
    // document, is shown in an exclamation box (its number and description)
    // and gives false.
    bool printControl();
    // The rows printed by the last printControl.
    qint32 printedItems() const { return m_printedItems; }

private:
    void printPageTop();

    PrintSurface& m_printer;
    AppContext& m_context;
    PrintableList m_control;
    qint32 m_printedItems = 0;
};
