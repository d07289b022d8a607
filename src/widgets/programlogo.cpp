#include "widgets/programlogo.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {
const QString kLogo = QStringLiteral(":/images/lark.svg");
}

QPixmap programLogo(int size, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(kLogo);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon programIcon()
{
    // Drawn from the logo when the program was built; a size is read when a
    // window asks for it.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/images/lark-%1.png").arg(size), QSize(size, size));
    return icon;
}
