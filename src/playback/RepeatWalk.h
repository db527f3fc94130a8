#pragma once

#include <vector>

class CTabDoc;

// The repeat marks as playback follows them: each repeat end sends the music
// back to its repeat start as many times as its count says, then lets it go
// on. One counter per repeat end, so endings sharing a start cannot loop
// forever. Shared by the playback pass and the exports, so a file plays its
// repeats exactly as the editor does.
class RepeatWalk {
public:
    // Repeat ends are read from track 0, repeat starts from `startTrack`.
    RepeatWalk(const CTabDoc& doc, int startTrack = 0);

    // Every repeat end starts afresh.
    void restart();

    bool hasRepeatEnd(int m) const;
    int repeatCount(int m) const;
    // Whether leaving measure m goes back to its repeat start.
    bool repeatsAgain(int m) const;
    // The repeat start measure m belongs to (0 when there is none).
    int repeatStartAtOrBefore(int m) const;
    // Leaving m by its repeat end: uses up one pass and returns the passes still owed.
    int takeRepeat(int m);
    // Marks the passes of the repeat end at m as owed (the music starts on it).
    void arm(int m);

    // Where the music goes after measure m (-1 after the last measure),
    // using up a repeat pass on the way.
    int advance(int m);

private:
    const CTabDoc* doc_;
    int startTrack_;
    // Passes still owed by each repeat end: -1 not reached yet, 0 done.
    std::vector<int> owed_;
};

// The measures in the order the whole score plays, from `first`, repeats unrolled.
std::vector<int> playOrder(const CTabDoc& doc, int first = 0);
