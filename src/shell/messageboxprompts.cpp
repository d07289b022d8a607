#include "shell/messageboxprompts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

PromptAnswer MessageBoxPrompts::ask(const Prompt& prompt)
{
    // The splash stays on top of every other window; a box (a failure while
    // the main window loads, say) must not open behind it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::SplashScreen && window->isVisible())
            window->hide();
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(prompt.title);
    // Names and labels quoted in a text are shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt.text);
    switch (prompt.icon) {
    case PromptIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case PromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case PromptIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    // A box asked for while the pointer shows the hourglass must be usable.
    const bool waiting = QGuiApplication::overrideCursor() != nullptr;
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    switch (prompt.buttons) {
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case PromptButtons::YesNoCancel:
        // Esc and the close box answer Cancel.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const int result = box.exec();
    if (waiting)
        QGuiApplication::restoreOverrideCursor();
    switch (prompt.buttons) {
    case PromptButtons::YesNo:
        return result == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    case PromptButtons::YesNoCancel:
        return result == QMessageBox::Yes ? PromptAnswer::Yes
               : result == QMessageBox::No ? PromptAnswer::No
                                           : PromptAnswer::Cancel;
    case PromptButtons::Ok:
        break;
    }
    return PromptAnswer::Ok;
}
