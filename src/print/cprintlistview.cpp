#include "print/cprintlistview.h"

#include "app/appcontext.h"
#include "print/printfunctions.h"
#include "print/printsurface.h"

using namespace PrintFunctions;

CPrintListView::CPrintListView(PrintSurface& printer, AppContext& context)
    : page(printer), m_printer(printer), m_context(context)
{
}

void CPrintListView::setControl(const PrintableList& list)
{
    m_control = list;
    fontItem = list.font;
    headerFont = list.font;
}

void CPrintListView::printPageTop()
{
    applyFont(m_printer, headerFont);
    printColumnHeaders(m_printer, m_control, page.leftTwips(), page.rightTwips());
    applyFont(m_printer, fontItem);
}

bool CPrintListView::printControl()
{
    const double left = page.leftTwips();
    const double right = page.rightTwips();
    const double top = page.topTwips();
    const double bottom = page.bottomTwips();
    try {
        if (!m_control.model)
            throw PrintError(PrintError::kNotSet, QStringLiteral("There is no list to print."));
        applyPage(m_printer, page);
        // A blank opens the document.
        m_printer.print(QStringLiteral(" "));
        m_printer.setCurrentY(0);
        printTextBlock(m_printer, page.header, left, right);
        m_printer.setCurrentX(left);
        m_printer.setCurrentY(top);
        printTextBlock(m_printer, title, left, right);
        m_printer.setCurrentY(m_printer.currentY() + 283.5);
        printPageTop();
        m_printedItems = 0;
        const int rows = m_control.rowCount();
        for (int row = 0; row < rows; ++row) {
            if (printOnlySelectedItems && !m_control.isSelected(row))
                continue;
            if (!rowFits(m_printer, m_control.rowHeight, bottom)) {
                m_printer.setCurrentY(m_printer.currentY() + m_control.rowHeight);
                printTextBlock(m_printer, page.footer, left, right);
                m_printer.newPage();
                printTextBlock(m_printer, page.header, left, right);
                m_printer.setCurrentY(top);
                printPageTop();
            }
            fontItem.bold = m_control.isBold(row);
            applyFont(m_printer, fontItem);
            printRow(m_printer, row, m_control, imageList, left, right);
            ++m_printedItems;
        }
        m_printer.setCurrentY(m_printer.scaleHeight() - bottom);
        printTextBlock(m_printer, page.footer, left, right);
        m_printer.endDoc();
        return true;
    } catch (const PrintError& error) {
        m_printer.killDoc();
        m_context.exclaim(QString::number(error.number) + QLatin1Char(' ') + error.description);
    } catch (const std::exception& error) {
        m_printer.killDoc();
        m_context.exclaim(QString::number(PrintError::kPrinterFault) + QLatin1Char(' ') +
                          QString::fromLocal8Bit(error.what()));
    }
    return false;
}
