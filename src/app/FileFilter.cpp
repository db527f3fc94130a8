#include "FileFilter.h"

#include <cctype>

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool wildcardMatch(const char* pattern, const char* name)
{
    // Iterative matcher with single-star backtracking: linear in practice.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && lower(*pattern) == lower(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace

const std::vector<FileFilter>& FileFilter::documentFilters()
{
    static const std::vector<FileFilter> filters = [] {
        std::vector<FileFilter> v;
        for (const char* text : {"Tablatures (*.tbf;*.gp3;*.gp4;*.gp5)", "Fichier Fretlark(*.tbf)",
                                 "Fichier Gp3(*.gp3)", "Fichier Gp4(*.gp4)", "Guitar Pro 5 (*.gp5)"})
            v.push_back({text, patternsOf(text)});
        return v;
    }();
    return filters;
}

std::vector<std::string> FileFilter::patternsOf(const std::string& text)
{
    std::vector<std::string> out;
    const auto open = text.rfind('(');
    const auto close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return out;
    std::string current;
    for (std::size_t i = open + 1; i < close; ++i) {
        const char c = text[i];
        if (c == ';' || c == ' ') {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}

bool FileFilter::matches(const std::string& fileName) const
{
    for (const std::string& p : patterns)
        if (wildcardMatch(p.c_str(), fileName.c_str()))
            return true;
    return false;
}
