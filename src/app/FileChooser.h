#pragma once

#include "FileFilter.h"

#include <optional>
#include <string>
#include <vector>

// The Open and Save As file dialogs, behind an interface so the command
// handlers can be driven by tests.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Nothing when the user cancels.
    virtual std::optional<std::string> chooseOpenPath(const std::vector<FileFilter>& filters) = 0;
    // suggested: a full path or a bare file name to start from.
    virtual std::optional<std::string> chooseSaveAsPath(const std::vector<FileFilter>& filters,
                                                        const std::string& suggested) = 0;
    // The save dialog of an export: its title, and the suffix a bare name gets.
    virtual std::optional<std::string> chooseExportPath(const std::string& /*title*/,
                                                        const std::vector<FileFilter>& filters,
                                                        const std::string& suggested, const std::string& /*suffix*/)
    {
        return chooseSaveAsPath(filters, suggested);
    }
};
