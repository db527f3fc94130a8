#pragma once

// Values that give meaning to the plain integers of the score model.
namespace model {

constexpr int kEmptyFret = 27;      // nothing played on this string
constexpr int kDeadFret = 25;       // dead (muted) note, drawn as a cross
constexpr int kMaxTracks = 10;
constexpr int kMaxSlots = 100;
constexpr int kStrings = 6;
constexpr int kFreeSlot = 255;
constexpr int kMeasureAux = 280877; // 0x4492D: tag of a live measure
constexpr int kDefaultBeats = 64;   // beats a new measure is created with
constexpr int kNewScoreMeasures = 300;

// Instrument codes (values of slotInstrument).
enum Instrument : int {
    kFolkGuitar = 0,
    kCleanGuitar = 1,
    kBass = 2,
    kDrums = 3,
    kDistortedGuitar = 4,
    kClassicalGuitar = 5,
    kPiano = 6,
};

// Measure flag bits.
constexpr int kFlagFirst = 1;
constexpr int kFlagLast = 2;
constexpr int kFlagRepeatStart = 4;
constexpr int kFlagMiddle = 8;
constexpr int kFlagRepeatEnd = 16;

// Technique codes of CNote::technique.
enum Technique : int {
    kNoTechnique = 0,
    kHammerOn = 1,
    kPullOff = 2,
    kSlideUp = 3,
    kSlideDown = 4,
    kLeftHandTapping = 5,
    kTapping = 6,
    kNaturalHarmonic = 7,
    kArtificialHarmonic = 8,
    kPop = 9,
    kSlap = 10,
};

// Bend kinds (low 4 bits of CNote::bend).
constexpr int kBendBend = 1;
constexpr int kBendHeld = 2;
constexpr int kBendRelease = 4;
constexpr int kBendBendRelease = 8;

// Vibrato kinds (low 3 bits of CNote::vibrato).
constexpr int kVibratoLeftHand = 1;
constexpr int kVibratoTremoloBar = 2;
constexpr int kVibratoDip = 4;

// Ranges the editor, the drawing and playback work within; the file readers
// bring what a file says into them.
constexpr int kMaxBeatsPerMeasure = 255; // what the native format can store
constexpr int kMaxNumerator = 32;
constexpr int kMaxTempo = 500;
constexpr int kMaxCapo = 12;
constexpr int kMaxAmount = 7; // bend and tremolo-bar amounts, in half tones
constexpr int kMaxPan = 100;
constexpr int kMaxVolume = 100;
constexpr int kMaxFret = 24;
constexpr int kMaxDrum = 29;         // highest drum number
constexpr int kMaxPalmMute = 2;      // 1 starts a run, 2 carries it on
constexpr int kMaxRepeatCount = 255; // flags bits 5 and up
constexpr int kMaxDurationCode = 6;

inline bool isValidDenominator(int d)
{
    return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32 || d == 64;
}

} // namespace model
