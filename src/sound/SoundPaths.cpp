#include "SoundPaths.h"

#include <filesystem>
#include <system_error>

#ifndef FRETLARK_DATA_DIR
#define FRETLARK_DATA_DIR "/usr/local/share/fretlark"
#endif

namespace sound {

namespace fs = std::filesystem;

std::string withTrailingSlash(std::string directory)
{
    if (directory.empty())
        return "./";
    if (directory.back() != '/')
        directory += '/';
    return directory;
}

std::vector<std::string> defaultFallbackRoots()
{
    std::vector<std::string> roots;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) {
        roots.push_back(exe.parent_path().string());
        roots.push_back((exe.parent_path().parent_path() / "share" / "fretlark").string());
    }
    roots.emplace_back(FRETLARK_DATA_DIR);
    return roots;
}

std::string resolveResourceRoot(const std::string& base, const std::vector<std::string>& fallbacks)
{
    auto holdsBank = [](const std::string& root) {
        std::error_code ec;
        const fs::path res = fs::path(root) / "res";
        return fs::is_regular_file(res / "empty.wav", ec) && fs::is_directory(res / "guitare acoustique", ec);
    };
    if (holdsBank(base))
        return withTrailingSlash(base);
    for (const std::string& root : fallbacks)
        if (holdsBank(root))
            return withTrailingSlash(root);
    return withTrailingSlash(base);
}

} // namespace sound
