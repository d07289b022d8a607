#include "shell/splashwindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
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
    // Drawn from splash.svg when the program was built, at one and at two
    // device pixels per pixel; the sharper one serves every high-density screen.
    const bool sharp = devicePixelRatio > 1.0;
    QPixmap pixmap(sharp ? QStringLiteral(":/images/splash@2x.png") : QStringLiteral(":/images/splash.png"));
    pixmap.setDevicePixelRatio(sharp ? 2.0 : 1.0);
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
