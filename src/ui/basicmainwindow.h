#pragma once

#include <QMainWindow>

class AppContext;

// A main window with no content yet: it takes its place and size from the
// settings store, carries the program's caption, knows the current user, and
// stores its place again when it closes.
class BasicMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit BasicMainWindow(AppContext& context, QWidget* parent = nullptr);
    ~BasicMainWindow() override;

    void load();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& m_context;
};
