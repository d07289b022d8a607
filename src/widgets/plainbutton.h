#pragma once

#include <QString>

class QPushButton;
class QWidget;

// A window's command button named name, with its caption and tool tip (none
// when tip is empty), that never becomes the default: Enter in a box of the
// window must not press a button by itself.
QPushButton* plainButton(const char* name, const QString& caption, const QString& tip = QString(),
                         QWidget* parent = nullptr);
