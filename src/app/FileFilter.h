#pragma once

#include <string>
#include <vector>

// One line of the file type list of the Open and Save As dialogs.
struct FileFilter {
    std::string text;                  // as shown, "Tablatures (*.tbf;*.gp3;*.gp4;*.gp5)"
    std::vector<std::string> patterns; // "*.tbf", ...

    // The lines of the score document's file types, in the dialogs' order.
    static const std::vector<FileFilter>& documentFilters();
    // The patterns inside the last parentheses of a line, split at ';' and spaces.
    static std::vector<std::string> patternsOf(const std::string& text);
    // Whether a file name matches one of the patterns ('*' and '?' wildcards,
    // letters compared without regard to case).
    bool matches(const std::string& fileName) const;
};
