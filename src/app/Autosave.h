#pragma once

#include "RecoveryStore.h"

#include <cstdint>
#include <memory>
#include <string>

class CTabDoc;

// Keeps the document's recovery copy in step with its modified state: a copy
// is written once the score has had unsaved changes for the schedule's
// interval and then at most once per interval while they go on; it goes as
// soon as the score is saved, replaced or closed. Plain code driven by the
// window's timer with a clock in milliseconds.
class Autosave {
public:
    Autosave(CTabDoc& doc, recovery::Store& store, std::int64_t intervalMs, std::string version);
    ~Autosave();

    // Looks at the document at time now: writes a copy when one is due,
    // removes it when the score has no unsaved changes any more.
    void tick(std::int64_t now);
    // The score was closed after the user's answer: whatever its state, the
    // copy goes.
    void discard();
    // A recovered copy became this editor's own.
    void adopted();

    // Waits for the copies asked for so far to be on disk (tests, exit).
    void flush();
    bool hasCopy() const { return copyAsked_; }
    const std::string& lastError() const { return lastError_; }
    std::int64_t interval() const { return schedule_.interval(); }
    // The document's modified state as the window sees it.
    bool modified() const;

private:
    CTabDoc& doc_;
    recovery::Store& store_;
    recovery::Schedule schedule_;
    std::string version_;
    std::unique_ptr<recovery::BackgroundWriter> writer_;
    std::string lastBytes_; // what the last copy holds: unchanged scores are not written again
    bool copyAsked_ = false;
    std::string lastError_;
};
