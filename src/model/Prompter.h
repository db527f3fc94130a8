#pragma once

#include <optional>
#include <string>

// The questions and messages the document needs; the Qt shell shows real
// dialogs, the command line writes to standard error, tests script answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Yes/No question without Cancel; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // Save As chooser; empty when the user cancels.
    virtual std::optional<std::string> chooseSavePath(const std::string& suggestedPath) = 0;
    // A message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
};
