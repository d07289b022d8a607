#include "app/commandline.h"

QList<ProgramCommand> programCommands()
{
    // Each entry: {name, synopsis, summary, run}; run gets the data folder and
    // the words after the name.
    return {};
}
