#include "CTabApp.h"
#include "Cli.h"
#include "DisplayCheck.h"
#include "PrintJob.h"
#include "RenderCommand.h"
#include "Snapshot.h"

#include <iostream>

int main(int argc, char** argv)
{
    // The headless modes need no window.
    if (auto code = runCommandLine(argc, argv))
        return *code;
    if (auto code = runSnapshotCommand(argc, argv))
        return *code;
    if (auto code = runRenderCommand(argc, argv))
        return *code;
    if (auto code = printing::runPrintCommand(argc, argv))
        return *code;

    if (!DisplayCheck::reachable(argc, argv)) {
        std::cerr << "Aucun écran n'est disponible : la fenêtre de Fretlark ne peut pas s'ouvrir.\n"
                     "Les modes sans fenêtre sont décrits par fretlark --help.\n";
        return 1;
    }
    CTabApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
