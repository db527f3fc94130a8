#include "CTabApp.h"
#include "Cli.h"

int main(int argc, char** argv)
{
    // The headless modes need no window.
    if (auto code = runCommandLine(argc, argv))
        return *code;

    CTabApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments))
        return 1;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
