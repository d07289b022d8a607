#include "food/findcontroller.h"

#include "ui/mainwindow.h"

FindController::FindController(MainWindow& main) : m_main(main) {}
FindController::~FindController() = default;

void FindController::findFood(bool) {}
void FindController::unload() {}
