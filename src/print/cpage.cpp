#include "print/cpage.h"

#include "print/printsurface.h"

CPage::CPage(const PrintSurface& printer)
    : orientation(qint16(printer.orientation())), paperSize(qint16(printer.paperSize()))
{
}

void CPage::setMargins(qint16 centimetres)
{
    leftMargin = rightMargin = topMargin = bottomMargin = centimetres;
}
