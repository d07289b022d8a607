#pragma once

#include <QObject>

class MainWindow;

// Find and Find Next over the food catalogue or the current user's diet log.
class FindController : public QObject
{
    Q_OBJECT

public:
    explicit FindController(MainWindow& main);
    ~FindController() override;

    void findFood(bool next);
    // Closes the find window for good (when the main window unloads).
    void unload();

private:
    MainWindow& m_main;
};
