#pragma once

#include <string>
#include <vector>

// The most recently opened or saved scores, newest first, without duplicates.
class RecentFileList {
public:
    static constexpr int kSize = 4;

    explicit RecentFileList(int size = kSize) : size_(size) {}

    const std::vector<std::string>& entries() const { return entries_; }
    int size() const { return size_; }

    // Puts path first, dropping an older copy and what no longer fits.
    void add(const std::string& path);
    void remove(int index);
    // Entries as stored: empty ones and repeats are skipped, the rest cut to size.
    void setEntries(const std::vector<std::string>& stored);

    // The menu text of entry index: "&1 " and the path, the home folder as
    // "~", long paths shortened in the middle, '&' doubled so it shows.
    static std::string menuText(int index, const std::string& path, const std::string& home);

private:
    int size_;
    std::vector<std::string> entries_;
};
