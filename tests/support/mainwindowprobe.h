#pragma once

#include "shell/mainwindow.h"

// The main window with its parts in reach of the tests (and the benchmark),
// which drive it as a user would and then look inside.
class MainWindowProbe : public MainWindow
{
public:
    using MainWindow::MainWindow;

    using MainWindow::cmbMeal;
    using MainWindow::cmbMealAction;
    using MainWindow::dietTree;
    using MainWindow::dtDatePick;
    using MainWindow::finder;
    using MainWindow::foodBuilder;
    using MainWindow::foodEditor;
    using MainWindow::foodTree;
    using MainWindow::frameFood;
    using MainWindow::mnuFileBackUp;
    using MainWindow::mnuFileRestore;
    using MainWindow::mnuPop_RTB;
    using MainWindow::statusPanel1;
    using MainWindow::statusPanel2;
    using MainWindow::tvwDiet;
    using MainWindow::tvwFood;
    using MainWindow::txtActivity;
};
