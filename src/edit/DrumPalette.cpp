#include "DrumPalette.h"

#include "ModelConstants.h"

#include <algorithm>

namespace edit {

namespace {
constexpr int kLeftOfBeat = 96;
constexpr int kBelowStaff = 50;
constexpr int kAboveStaff = 30;
} // namespace

const char* drumCaption(int n)
{
    static constexpr std::array<const char*, kDrumCount> kCaptions = {
        "Bass Drum 1", "Bass Drum 2",  "Bell",          "Bongo 1",     "Bongo 2",      "Chinese Cymbal",
        "Closed Hi-Hat", "Conga 1",    "Conga 2",       "Conga 3",     "Conga 4",      "Crash 1",
        "Crash 2",     "Gong",         "Kick Drum 1",   "Kick Drum 2", "Pedal Hi-Hat", "Open Hi-Hat",
        "Ride Cymbal", "Rim",          "Snare",         "Splash Cymbal", "Tom Bass 1", "Tom Bass 2",
        "Tom Med 1",   "Tom Med 2",    "Tom Alto 1",    nullptr,       "Tom Alto 2",   "Tambourine"};
    return n >= 0 && n < kDrumCount ? kCaptions[static_cast<std::size_t>(n)] : nullptr;
}

void DrumPalette::synchronise(const CAccord& beat)
{
    drumSelected.fill(false);
    selectedCount = 0;
    for (const CNote& note : beat.notes) {
        const int n = note.fret;
        if (n == model::kEmptyFret || n < 0 || n >= kDrumCount)
            continue;
        if (!drumSelected[static_cast<std::size_t>(n)])
            ++selectedCount;
        drumSelected[static_cast<std::size_t>(n)] = true;
    }
}

bool DrumPalette::click(int n)
{
    if (!drumCaption(n))
        return false;
    auto& on = drumSelected[static_cast<std::size_t>(n)];
    if (!on && selectedCount >= kMaxDrumsOnBeat)
        return false;
    on = !on;
    lastAdded = on;
    selectedCount += on ? 1 : -1;
    lastDrum = n;
    return true;
}

bool applyDrum(CAccord& beat, int drum, bool added)
{
    if (added) {
        for (CNote& note : beat.notes)
            if (note.fret == model::kEmptyFret) {
                note.fret = drum;
                beat.isRest = 0;
                return true;
            }
        return false;
    }
    bool changed = false;
    bool anyLeft = false;
    for (CNote& note : beat.notes) {
        if (note.fret == drum) {
            note.fret = model::kEmptyFret;
            changed = true;
        } else if (note.fret != model::kEmptyFret) {
            anyLeft = true;
        }
    }
    if (changed && !anyLeft)
        beat.isRest = 1;
    return changed;
}

std::optional<PaletteSpot> paletteSpot(const view::ScoreLayout& layout, const view::ViewState& state,
                                       int paletteHeight, int viewHeight)
{
    for (const view::LineRecord& record : layout.lineRecords()) {
        if (record.track != state.cursorTrack)
            continue;
        for (const view::MeasureSlot& slot : record.measureSlots) {
            if (slot.measure != state.cursorMeasure.measure)
                continue;
            int x = slot.firstBeatX;
            if (!slot.beatX.empty())
                x = slot.beatX[static_cast<std::size_t>(std::clamp(state.cursorBeat, 0, static_cast<int>(slot.beatX.size()) - 1))];
            PaletteSpot spot{std::max(x - kLeftOfBeat, 0), record.bottom() + kBelowStaff};
            if (spot.y + paletteHeight > viewHeight)
                spot.y = record.top - kAboveStaff - paletteHeight;
            return spot;
        }
    }
    return std::nullopt;
}

} // namespace edit
