#pragma once

#include "app/commandline.h"
#include "shell/startupwindows.h"

// The windows this build of the program opens at start-up.
StartupWindows programWindows();

class DataFolder;
class PromptService;

// The commands this build runs from the command line without windows.
QList<ProgramCommand> programCommands();

// The program with its windows, on the data folder the command line chose:
// makes the application object and runs the program; the exit code.
int runProgram(int& argc, char** argv, const DataFolder& folder);

// The start-up routine over a data folder, then the event loop while the main
// window lives; the exit code.
int runProgramIn(const DataFolder& folder, PromptService& prompts);
