#pragma once

#include <QIcon>
#include <QPixmap>

// The program's logo (a lark on a plate) at a size in device-independent
// pixels, sharp on high-density screens.
QPixmap programLogo(int size, qreal devicePixelRatio = 1.0);
// The logo as a window icon.
QIcon programIcon();
