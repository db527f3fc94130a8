#pragma once

#include "CTabDoc.h"
#include "Prompter.h"

#include <iostream>

// The headless modes' prompter: messages go to standard error and nothing is
// ever asked (a "No" to every question, no file chosen).
class StderrPrompter : public Prompter {
public:
    bool askYesNo(const std::string&) override { return false; }
    std::optional<std::string> chooseSavePath(const std::string&) override { return std::nullopt; }
    void showMessage(const std::string& text) override { std::cerr << text << '\n'; }
};

// Opens a score for a command-line mode as the window would, the failures
// told on standard error; false when nothing could be opened.
inline bool openScoreForCommand(CTabDoc& doc, StderrPrompter& prompter, const std::string& path)
{
    doc.setPrompter(&prompter);
    doc.OnNewDocument();
    doc.OnOpenDocument(path);
    return !doc.lastOpenFailed();
}
