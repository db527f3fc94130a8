#include "RepeatWalk.h"

#include "CTabDoc.h"

#include <algorithm>

RepeatWalk::RepeatWalk(const CTabDoc& doc, int startTrack) : doc_(&doc), startTrack_(startTrack)
{
    restart();
}

void RepeatWalk::restart()
{
    owed_.assign(static_cast<std::size_t>(std::max(doc_->measureCount, 0)), -1);
}

bool RepeatWalk::hasRepeatEnd(int m) const
{
    const int flags = doc_->tracks[0][m].flags;
    return (flags & model::kFlagRepeatEnd) != 0 && (flags >> 5) >= 1;
}

int RepeatWalk::repeatCount(int m) const
{
    return doc_->tracks[0][m].flags >> 5;
}

bool RepeatWalk::repeatsAgain(int m) const
{
    return hasRepeatEnd(m) && owed_[static_cast<std::size_t>(m)] != 0;
}

int RepeatWalk::repeatStartAtOrBefore(int m) const
{
    const auto& track = doc_->tracks[static_cast<std::size_t>(startTrack_)];
    for (int i = m; i > 0; --i)
        if (track[i].flags & model::kFlagRepeatStart)
            return i;
    return 0;
}

int RepeatWalk::takeRepeat(int m)
{
    int& owed = owed_[static_cast<std::size_t>(m)];
    if (owed == -1)
        owed = repeatCount(m);
    return --owed;
}

void RepeatWalk::arm(int m)
{
    if (hasRepeatEnd(m))
        owed_[static_cast<std::size_t>(m)] = repeatCount(m);
}

int RepeatWalk::advance(int m)
{
    if (repeatsAgain(m)) {
        takeRepeat(m);
        return repeatStartAtOrBefore(m);
    }
    return m + 1 < doc_->measureCount ? m + 1 : -1;
}

std::vector<int> playOrder(const CTabDoc& doc, int first)
{
    std::vector<int> order;
    if (doc.trackCount < 1 || first < 0 || first >= doc.measureCount)
        return order;
    for (int t = 0; t < doc.trackCount; ++t)
        if (doc.tracks[static_cast<std::size_t>(t)].GetSize() < doc.measureCount)
            return order;
    RepeatWalk walk(doc);
    walk.arm(first);
    // Repeat counts are read from the file: a huge one must not exhaust memory.
    constexpr std::size_t kLongest = 1 << 20;
    for (int m = first; m >= 0 && order.size() < kLongest; m = walk.advance(m))
        order.push_back(m);
    return order;
}
