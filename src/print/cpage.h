#pragma once

#include "print/ctext.h"

#include <QtGlobal>

class PrintSurface;

// The description of the pages of a printout: the header and footer printed
// on every page, the paper and orientation, and the margins in whole
// centimetres.
class CPage
{
public:
    // Takes the printer's current paper size and orientation.
    explicit CPage(const PrintSurface& printer);

    static constexpr double kTwipsPerCentimetre = 567;

    CText header;
    CText footer;
    qint16 orientation;
    qint16 paperSize;
    qint16 leftMargin = 15;
    qint16 rightMargin = 15;
    qint16 topMargin = 15;
    qint16 bottomMargin = 15;

    // Sets all four margins.
    void setMargins(qint16 centimetres);
    double leftTwips() const { return leftMargin * kTwipsPerCentimetre; }
    double rightTwips() const { return rightMargin * kTwipsPerCentimetre; }
    double topTwips() const { return topMargin * kTwipsPerCentimetre; }
    double bottomTwips() const { return bottomMargin * kTwipsPerCentimetre; }
};
