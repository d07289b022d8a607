#pragma once

#include "print/printsurface.h"

#include <QString>

// A block of text the list printer writes: a page header or footer, or the
// title of the first page.
class CText
{
public:
    static constexpr int kLeft = 0;
    static constexpr int kRight = 1;
    static constexpr int kCentre = 2;

    QString text;
    // A copy of the font given: changing the caller's font afterwards does not
    // change the block.
    FontSpec font;
    int alignment = kLeft;
};
