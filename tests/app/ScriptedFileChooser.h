#pragma once

#include "FileChooser.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Answers the Open and Save As dialogs from a script and records what they offered.
class ScriptedFileChooser : public FileChooser {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::vector<std::string>> offeredFilters;
    std::vector<std::string> suggestions;
    std::vector<std::string> exportTitles;

    std::optional<std::string> chooseOpenPath(const std::vector<FileFilter>& filters) override
    {
        return answer(filters);
    }
    std::optional<std::string> chooseSaveAsPath(const std::vector<FileFilter>& filters,
                                                const std::string& suggested) override
    {
        suggestions.push_back(suggested);
        return answer(filters);
    }

    std::optional<std::string> chooseExportPath(const std::string& title, const std::vector<FileFilter>& filters,
                                                const std::string& suggested, const std::string& /*suffix*/) override
    {
        exportTitles.push_back(title);
        return chooseSaveAsPath(filters, suggested);
    }

private:
    std::optional<std::string> answer(const std::vector<FileFilter>& filters)
    {
        std::vector<std::string> texts;
        for (const FileFilter& f : filters)
            texts.push_back(f.text);
        offeredFilters.push_back(texts);
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};
