#pragma once

#include <string>

class CTabDoc;

// The score as JSON, in the key order the command line's --dump promises.
std::string scoreToJson(const CTabDoc& doc);
