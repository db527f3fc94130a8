#pragma once

#include <string>
#include <string_view>

// Texts live as UTF-8 in the program and as Windows-1252 in score files.
namespace cp1252 {

// Every byte maps to a character (the five unassigned ones to their C1 code points).
std::string toUtf8(std::string_view cp1252Bytes);

// Characters Windows-1252 cannot hold, and malformed UTF-8, become '?'.
std::string fromUtf8(std::string_view utf8);

// UTF-16LE bytes (as found in the 16-bit string form) to UTF-8, keeping only
// what Windows-1252 can hold ('?' for the rest).
std::string utf16leToUtf8ViaCp1252(std::string_view utf16le);

// Length in Windows-1252 bytes of a UTF-8 text.
std::size_t encodedLength(std::string_view utf8);

} // namespace cp1252
