#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;

// The window shown while the main window loads: only the program's picture
// (the emblem and the title) in a frame. A click or a key closes it early.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // The splash picture at the given device pixel ratio.
    static QPixmap picture(qreal devicePixelRatio = 1.0);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFrame* fraMainFrame;
    QLabel* picLogo;
};
