#pragma once

#include <array>
#include <cstdio>
#include <string>

// One line of what pdfinfo (poppler-utils) says of a PDF file, by key
// ("Pages", "Page size", ...); empty when it says nothing of it.
inline std::string pdfInfo(const std::string& pdf, const std::string& key)
{
    FILE* p = ::popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r");
    if (!p)
        return "";
    std::string out;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    ::pclose(p);
    const auto at = out.find(key + ":");
    if (at == std::string::npos)
        return "";
    const auto start = out.find_first_not_of(' ', at + key.size() + 1);
    return out.substr(start, out.find('\n', start) - start);
}
