#pragma once

#include "AmountDialog.h"
#include "ArpeggioDialog.h"
#include "PlaybackControl.h"
#include "ViewState.h"

#include <mutex>

namespace edit {

// The parts of the program editing reaches through interfaces: playback and
// the two dialogs. Any of them may be missing; a missing dialog answers as
// if cancelled.
struct EditHooks {
    PlaybackControl* playback = nullptr;
    AmountDialog* amount = nullptr;
    ArpeggioDialog* arpeggio = nullptr;
    // Held while the score changes: playback reads it from the audio thread.
    std::recursive_mutex* scoreLock = nullptr;

    // Stops playback when it runs; true when it did.
    bool stopPlayback(view::ViewState& state) const
    {
        if (!state.isPlaying)
            return false;
        if (playback)
            playback->stopPlayback();
        state.isPlaying = false;
        return true;
    }
    // 0..7, or -1 when cancelled; a dialog answering out of range is held to it.
    int askAmount() const
    {
        const int a = amount ? amount->askAmount() : -1;
        return a < 0 ? -1 : (a > 7 ? 7 : a);
    }
    // 0 or 1, or -1 when cancelled.
    int askDirection() const
    {
        const int d = arpeggio ? arpeggio->askDirection() : -1;
        return d == 0 || d == 1 ? d : -1;
    }
};

} // namespace edit
