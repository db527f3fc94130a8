#include "AppPaths.h"

#include <filesystem>

std::string AppPaths::withSlash(const std::string& dir)
{
    if (dir.empty())
        return dir;
    std::string out = dir;
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    if (out != "/")
        out += '/';
    return out;
}

std::string AppPaths::baseDirectory(bool fileOnCommandLine, const std::string& executableDir,
                                    const std::string& currentDir)
{
    return withSlash(fileOnCommandLine ? executableDir : currentDir);
}

std::string AppPaths::findHelpPage(const std::vector<std::string>& folders)
{
    std::error_code ec;
    for (const std::string& folder : folders) {
        const std::string page = withSlash(folder) + kHelpPage;
        if (!folder.empty() && std::filesystem::is_regular_file(page, ec))
            return page;
    }
    return folders.empty() ? std::string(kHelpPage) : withSlash(folders.front()) + kHelpPage;
}
