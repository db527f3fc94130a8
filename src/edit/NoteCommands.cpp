#include "NoteCommands.h"

#include "EditCommand.h"

namespace edit {

namespace {

bool hasBendKind(int bend, int kind)
{
    return (bend & 0xF & kind) != 0;
}

bool hasVibratoKind(int vibrato, int kind)
{
    return (vibrato & 0x7 & kind) != 0;
}

// Technique toggled by each technique command.
int techniqueOf(int id)
{
    switch (id) {
    case kHammerOn: return model::kHammerOn;
    case kPullOff: return model::kPullOff;
    case kSlideUp: return model::kSlideUp;
    case kSlideDown: return model::kSlideDown;
    case kLeftHandTapping: return model::kLeftHandTapping;
    case kTapping: return model::kTapping;
    case kNaturalHarmonic: return model::kNaturalHarmonic;
    case kArtificialHarmonic: return model::kArtificialHarmonic;
    case kPop: return model::kPop;
    case kSlap: return model::kSlap;
    default: return -1;
    }
}

int bendKindOf(int id)
{
    switch (id) {
    case kBend: return model::kBendBend;
    case kHeldBend: return model::kBendHeld;
    case kRelease: return model::kBendRelease;
    case kBendRelease: return model::kBendBendRelease;
    default: return 0;
    }
}

bool isRhythmCommand(int id)
{
    return (id >= kWhole && id <= kSixtyFourth) || id == kDotted || id == kTriplet;
}

bool isBeatCommand(int id)
{
    return isRhythmCommand(id) || id == kRest || id == kTie || id == kPalmMute || id == kArpeggio;
}

} // namespace

bool isNoteCommand(int id)
{
    return isBeatCommand(id) || techniqueOf(id) >= 0 || bendKindOf(id) != 0 || id == kDeadNote || id == kVibrato ||
           id == kTremoloBar || id == kBarDip;
}

NoteCommands::NoteCommands(CTabDoc& doc, view::ViewState& state, const EditHooks& hooks)
    : doc_(doc), state_(state), hooks_(hooks)
{
}

EditOutcome NoteCommands::run(int id)
{
    EditOutcome out;
    if (!isNoteCommand(id))
        return out;
    hooks_.stopPlayback(state_);
    EditCursor cursor(doc_, state_);
    if (!cursor.settle())
        return out;
    // The beat shown under the cursor is the one acted on: an index past the
    // beats in use shows, and so edits, beat 0.
    cursor.normaliseBeat();
    CAccord& beat = cursor.beat();
    const bool repaint = isBeatCommand(id) ? changeBeat(id, beat) : changeNote(id, cursor.note());
    if (id == kDeadNote)
        beat.isRest = 0;
    out.scoreChanged = true;
    if (repaint) {
        state_.redrawLevel = id == kDeadNote ? view::kRedrawAll : view::kRedrawLayout;
        out.repaint = true;
    }
    return out;
}

bool NoteCommands::changeBeat(int id, CAccord& beat)
{
    if (id >= kWhole && id <= kSixtyFourth) {
        beat.durationCode = kSixtyFourth - id;
        return true;
    }
    switch (id) {
    case kDotted:
        beat.isDotted = !beat.isDotted;
        break;
    case kTriplet:
        beat.isTriplet = !beat.isTriplet;
        break;
    case kTie:
        beat.isTied = !beat.isTied;
        break;
    case kRest:
        beat.isRest = !beat.isRest;
        if (beat.isRest)
            for (CNote& n : beat.notes)
                n.clear();
        break;
    case kPalmMute:
        if (beat.palmMute != 0) {
            beat.palmMute = 0;
        } else {
            const CMesure& m = doc_.tracks[static_cast<std::size_t>(state_.cursorMeasure.track)]
                                   [state_.cursorMeasure.measure];
            const bool runGoesOn = state_.cursorBeat > 0 && m.beats[state_.cursorBeat - 1].palmMute != 0;
            beat.palmMute = runGoesOn ? 2 : 1;
        }
        break;
    case kArpeggio:
        if (beat.arpeggio != 0) {
            beat.arpeggio = 0;
        } else {
            const int direction = hooks_.askDirection();
            if (direction < 0)
                return false;
            beat.arpeggio = direction + 1;
        }
        break;
    default:
        break;
    }
    return true;
}

int NoteCommands::carriedOrAskedAmount()
{
    if (state_.cursorBeat > 0) {
        EditCursor cursor(doc_, state_);
        const CNote& previous = cursor.measure().beats[state_.cursorBeat - 1].notes[cursor.noteIndex()];
        if (hasBendKind(previous.bend, model::kBendBend) || hasBendKind(previous.bend, model::kBendHeld))
            return previous.bend >> 4;
    }
    return hooks_.askAmount();
}

bool NoteCommands::changeNote(int id, CNote& note)
{
    if (id == kDeadNote) {
        note.fret = model::kDeadFret;
        return true;
    }
    if (const int technique = techniqueOf(id); technique >= 0) {
        if (note.technique == technique) {
            note.technique = model::kNoTechnique;
        } else {
            // Slap and pop belong to the bass; elsewhere they only clear themselves.
            const bool bassOnly = id == kSlap || id == kPop;
            if (!bassOnly || EditCursor(doc_, state_).isBass())
                note.technique = technique;
        }
        return true;
    }
    if (const int kind = bendKindOf(id); kind != 0) {
        if (hasBendKind(note.bend, kind)) {
            note.bend = 0;
            return true;
        }
        const bool carried = id == kHeldBend || id == kRelease;
        const int amount = carried ? carriedOrAskedAmount() : hooks_.askAmount();
        if (amount >= 0)
            note.bend = amount * 16 + kind;
        return true;
    }
    switch (id) {
    case kVibrato:
        note.vibrato = note.vibrato == model::kVibratoLeftHand ? 0 : model::kVibratoLeftHand;
        break;
    case kTremoloBar:
        note.vibrato = note.vibrato == model::kVibratoTremoloBar ? 0 : model::kVibratoTremoloBar;
        break;
    case kBarDip:
        if (hasVibratoKind(note.vibrato, model::kVibratoDip)) {
            note.vibrato = 0;
        } else if (const int amount = hooks_.askAmount(); amount >= 0) {
            note.vibrato = amount * 8 + model::kVibratoDip;
        }
        break;
    default:
        break;
    }
    return true;
}

std::optional<bool> NoteCommands::checked(int id) const
{
    if (!isNoteCommand(id) || id == kDeadNote)
        return std::nullopt;
    const EditCursor cursor(doc_, state_);
    const CAccord* beat = cursor.shownBeat();
    if (!beat)
        return false;
    if (id >= kWhole && id <= kSixtyFourth)
        return beat->durationCode == kSixtyFourth - id;
    const CNote& note = beat->notes[cursor.noteIndex()];
    if (const int technique = techniqueOf(id); technique >= 0)
        return note.technique == technique;
    if (const int kind = bendKindOf(id); kind != 0)
        return hasBendKind(note.bend, kind);
    switch (id) {
    case kDotted: return beat->isDotted != 0;
    case kTriplet: return beat->isTriplet != 0;
    case kTie: return beat->isTied != 0;
    case kRest: return beat->isRest != 0;
    case kPalmMute: return beat->palmMute != 0;
    case kArpeggio: return beat->arpeggio != 0;
    case kVibrato: return note.vibrato == model::kVibratoLeftHand;
    case kTremoloBar: return note.vibrato == model::kVibratoTremoloBar;
    case kBarDip: return hasVibratoKind(note.vibrato, model::kVibratoDip);
    default: return false;
    }
}

} // namespace edit
