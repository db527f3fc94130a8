#pragma once

#include "CAccord.h"
#include "ScoreLayout.h"
#include "ViewState.h"

#include <array>
#include <optional>

namespace edit {

constexpr int kDrumCount = 30; // drum numbers 0..29; 27 is no drum (EMPTY)
constexpr int kMaxDrumsOnBeat = 6;

// The caption of drum n's button, nullptr for a number without a drum.
const char* drumCaption(int n);

// What the percussion palette shows and remembers: the drums of the beat
// under the cursor and the last click.
struct DrumPalette {
    std::array<bool, kDrumCount> drumSelected{};
    int selectedCount = 0;
    int lastDrum = -1;
    bool lastAdded = false;
    bool pinned = false;

    // Rebuilds the selection from a beat's notes.
    void synchronise(const CAccord& beat);
    // A click on drum n's button: false when refused (six drums already and
    // n not among them, or no such drum).
    bool click(int n);
};

// Applies a palette click to a beat: an added drum goes to the first empty
// note slot (nothing when all six hold one), a removed drum leaves every slot
// that held it; a beat left without drums becomes a rest. True when the
// beat changed.
bool applyDrum(CAccord& beat, int drum, bool added);

// Where the palette goes, in view coordinates, for the cursor beat: below its
// staff, or above it when it would leave the bottom of the view. Nothing when
// the cursor measure is not on a shown line.
struct PaletteSpot {
    int x = 0;
    int y = 0;
};
std::optional<PaletteSpot> paletteSpot(const view::ScoreLayout& layout, const view::ViewState& state,
                                       int paletteHeight, int viewHeight);

} // namespace edit
