#pragma once

#include <charconv>
#include <string>

// A whole number given on the command line: the entire text, nothing else.
inline bool parseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}
