#pragma once

#include "ui/startupwindows.h"

// The windows this build of the program opens at start-up.
StartupWindows programWindows();

// The program's entry: makes the application object and runs the program
// from the folder it was started from.
int runProgram(int argc, char** argv);

// The start-up routine over a program folder (its Data folder holds the
// database), then the event loop while the main window lives; the exit code.
class PromptService;
int runProgramIn(const QString& folder, PromptService& prompts);
