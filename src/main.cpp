#include "app/commandline.h"
#include "shell/program.h"

int main(int argc, char** argv)
{
    // --help, --version, a wrong word and the commands end without a window.
    return CommandLine::run(argc, argv, programCommands(), runProgram);
}
