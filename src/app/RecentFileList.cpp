#include "RecentFileList.h"

#include <algorithm>

void RecentFileList::add(const std::string& path)
{
    if (path.empty())
        return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    entries_.insert(entries_.begin(), path);
    if (static_cast<int>(entries_.size()) > size_)
        entries_.resize(static_cast<std::size_t>(size_));
}

void RecentFileList::remove(int index)
{
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        entries_.erase(entries_.begin() + index);
}

void RecentFileList::setEntries(const std::vector<std::string>& stored)
{
    entries_.clear();
    for (const std::string& path : stored) {
        if (path.empty() || std::find(entries_.begin(), entries_.end(), path) != entries_.end())
            continue;
        if (static_cast<int>(entries_.size()) == size_)
            break;
        entries_.push_back(path);
    }
}

std::string RecentFileList::menuText(int index, const std::string& path, const std::string& home)
{
    std::string shown = path;
    if (!home.empty() && home != "/" && shown.rfind(home + "/", 0) == 0)
        shown = "~" + shown.substr(home.size());

    // Keep the first folder and the last two parts of a long path.
    constexpr std::size_t kLongest = 60;
    if (shown.size() > kLongest) {
        const auto firstCut = shown.find('/', 1);
        const auto lastSlash = shown.rfind('/');
        const auto tailCut = lastSlash == std::string::npos || lastSlash == 0 ? lastSlash : shown.rfind('/', lastSlash - 1);
        if (firstCut != std::string::npos && tailCut != std::string::npos && firstCut < tailCut)
            shown = shown.substr(0, firstCut + 1) + "…" + shown.substr(tailCut);
    }

    std::string escaped;
    for (char c : shown) {
        escaped += c;
        if (c == '&')
            escaped += '&';
    }
    return "&" + std::to_string(index + 1) + " " + escaped;
}
