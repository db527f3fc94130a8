#pragma once

#include <string>
#include <vector>

class CTabDoc;

// The text of each track in the "Pistes" menu and toolbar: the track's name
// without surrounding white space, or its instrument's name when that leaves
// nothing.
class TrackLabels {
public:
    static std::string labelOf(const CTabDoc& doc, int track);
    // One label per track in use (trackCount of them, at most ten).
    static std::vector<std::string> of(const CTabDoc& doc);
    // Leading and trailing ASCII white space removed.
    static std::string trimmed(const std::string& text);
};
