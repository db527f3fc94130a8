#include "TrackLabels.h"

#include "CTabDoc.h"

#include <algorithm>

std::string TrackLabels::trimmed(const std::string& text)
{
    const char* space = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

std::string TrackLabels::labelOf(const CTabDoc& doc, int track)
{
    if (track < 0 || track >= model::kMaxTracks)
        return {};
    const std::string name = trimmed(doc.trackNames[static_cast<std::size_t>(track)]);
    if (!name.empty())
        return name;
    const int code = doc.instrumentOfTrack(track);
    if (code < 0 || code >= model::kMaxTracks)
        return {};
    return doc.instrumentNames[static_cast<std::size_t>(code)];
}

std::vector<std::string> TrackLabels::of(const CTabDoc& doc)
{
    std::vector<std::string> labels;
    const int count = std::clamp(doc.trackCount, 0, model::kMaxTracks);
    for (int t = 0; t < count; ++t)
        labels.push_back(labelOf(doc, t));
    return labels;
}
