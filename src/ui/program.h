#pragma once

#include "ui/startupwindows.h"

// The windows this build of the program opens at start-up.
StartupWindows programWindows();

// The program's entry: makes the application object and runs the start-up
// routine, then the event loop while the main window lives.
int runProgram(int argc, char** argv);
