// Builds the seed database of a new installation from the catalogue files in
// data/: foodlark-makeseed DATA_DIR OUTPUT_FILE VERSION
#include "data/recordset.h"
#include "data/seedcatalogue.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: foodlark-makeseed DATA_DIR OUTPUT_FILE VERSION\n");
        return 2;
    }
    try {
        SeedCatalogue::createDatabase(args[2], args[1], args[3]);
    } catch (const DataError& error) {
        std::fprintf(stderr, "foodlark-makeseed: %s\n", error.what());
        return 1;
    }
    return 0;
}
