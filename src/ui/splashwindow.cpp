#include "ui/splashwindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QVBoxLayout>

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      fraMainFrame(new QFrame(this)), picLogo(new QLabel(fraMainFrame))
{
    setObjectName(QStringLiteral("frmSplash"));
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    picLogo->setObjectName(QStringLiteral("picLogo"));
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setLineWidth(1);

    const qreal ratio = screen() ? screen()->devicePixelRatio() : 1.0;
    picLogo->setPixmap(picture(ratio));

    auto* frameLayout = new QVBoxLayout(fraMainFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(picLogo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraMainFrame);
    setFocusPolicy(Qt::StrongFocus);
    adjustSize();

    if (const QScreen* shownOn = screen()) {
        QRect area(QPoint(), size());
        area.moveCenter(shownOn->availableGeometry().center());
        move(area.topLeft());
    }
}

QPixmap SplashWindow::picture(qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/images/splash.svg"));
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(), QSizeF(size)));
    return pixmap;
}

void SplashWindow::mousePressEvent(QMouseEvent*)
{
    close();
}

void SplashWindow::keyPressEvent(QKeyEvent*)
{
    close();
}
