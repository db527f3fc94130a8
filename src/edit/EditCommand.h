#pragma once

// The command numbers the editing core answers to. They are the numbers the
// menus, toolbars and accelerators of the window use for the same commands.
namespace edit {

enum CommandId : int {
    // rhythm
    kWhole = 32772,
    kHalf = 32773,
    kQuarter = 32774,
    kEighth = 32775,
    kSixteenth = 32776,
    kThirtySecond = 32777,
    kSixtyFourth = 32778,
    kDotted = 32781,
    kTriplet = 32811,

    // note and beat attributes
    kDeadNote = 32782,
    kRest = 32783,
    kHammerOn = 32784,
    kPullOff = 32785,
    kSlideUp = 32786,
    kSlideDown = 32787,
    kBend = 32788,
    kHeldBend = 32789,
    kRelease = 32790,
    kBendRelease = 32791,
    kVibrato = 32792,
    kTremoloBar = 32793,
    kBarDip = 32794,
    kTapping = 32795,
    kLeftHandTapping = 32796,
    kNaturalHarmonic = 32797,
    kArtificialHarmonic = 32798,
    kTie = 32799,
    kPalmMute = 32800,
    kArpeggio = 32858,
    kSlap = 32863,
    kPop = 32865,

    // beats and measures
    kInsertBeat = 32820,
    kDeleteBeat = 32821,
    kInsertMeasure = 32860,
};

// True for the commands of the rhythm toolbar, the attributes toolbar and
// the "Effe&ts" menu.
bool isNoteCommand(int id);

} // namespace edit
