#pragma once

#include "Prompter.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Answers questions from a script and records everything it was shown.
class ScriptedPrompter : public Prompter {
public:
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> savePaths;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    int saveDialogs = 0;

    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (yesNoAnswers.empty())
            return false;
        const bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    std::optional<std::string> chooseSavePath(const std::string&) override
    {
        ++saveDialogs;
        if (savePaths.empty())
            return std::nullopt;
        auto p = savePaths.front();
        savePaths.pop_front();
        return p;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
};
