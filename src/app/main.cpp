#include "Cli.h"
#include "Snapshot.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (auto code = runCommandLine(argc, argv))
        return *code;
    if (auto code = runSnapshotCommand(argc, argv))
        return *code;
    std::cerr << "L'éditeur n'est pas encore disponible dans cette version ; voir fretlark --help.\n";
    return 1;
}
