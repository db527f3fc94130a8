#pragma once

#include <string>
#include <vector>

// Where the program looks for the files installed beside it.
class AppPaths {
public:
    // The base directory, ending in '/': the executable's folder when a file
    // was named on the command line, the current directory otherwise (a
    // shortcut started in a score folder finds that folder's aide/ and res/).
    static std::string baseDirectory(bool fileOnCommandLine, const std::string& executableDir,
                                     const std::string& currentDir);

    // dir with exactly one '/' at its end ("" stays "").
    static std::string withSlash(const std::string& dir);

    static constexpr const char* kHelpPage = "aide/Fretlark.htm";

    // The help page beneath each candidate folder, the first one that exists;
    // the first candidate's page when none does (opening it then fails, silently).
    static std::string findHelpPage(const std::vector<std::string>& folders);
};
