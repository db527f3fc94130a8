#include "GpImporter.h"

#include "ByteReader.h"
#include "CTabDoc.h"
#include "Cp1252.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace gp {
namespace {

constexpr int kVersionFieldSize = 31; // length byte + 30 characters
constexpr int kChannelCount = 64;     // 4 ports x 16 channels
constexpr int kTrackBlockSize = 98;
constexpr int kFileStrings = 7;
using model::kMaxAmount;
using model::kMaxBeatsPerMeasure;
using model::kMaxCapo;
using model::kMaxNumerator;
using model::kMaxTempo;
constexpr int kMinBeatBytes = 3; // flags, duration, strings

// Drum sample for MIDI keys 27..87; keys from 88 wrap round.
constexpr std::array<int, 61> kDrumMap = {
    9,  12, 11, 12, 19, 9,  10, 29, 1,  0,  19, 20, 6,  20, 23, 6,  //
    22, 16, 24, 17, 25, 26, 12, 28, 18, 5,  2,  19, 21, 10, 11, 10, //
    18, 4,  3,  10, 15, 18, 18, 17, 29, 29, 6,  6,  29, 29, 9,  7,  //
    29, 15, 17, 29, 29, 29, 2,  6,  29, 29, 6,  23, 22,
};

// Beat flags.
constexpr int kBeatDotted = 0x01;
constexpr int kBeatChord = 0x02;
constexpr int kBeatText = 0x04;
constexpr int kBeatEffects = 0x08;
constexpr int kBeatMixTable = 0x10;
constexpr int kBeatTuplet = 0x20;
constexpr int kBeatStatus = 0x40;

// Note flags.
constexpr int kNoteOwnDuration = 0x01; // version 5: a duration percentage
constexpr int kNoteEffects = 0x08;
constexpr int kNoteDynamic = 0x10;
constexpr int kNoteTypeAndFret = 0x20;
constexpr int kNoteFingering = 0x80;

constexpr int kNoteTie = 2;
constexpr int kNoteDead = 3;

// Pending marks carried to the next note on a string.
constexpr int kPendingLegato = 1;
constexpr int kPendingSlide = 3;

struct MeasureHeader {
    int numerator = 4;
    int denominator = 4;
    int repeatFlags = 0;
    int tripletFeel = 0; // version 5 keeps it per measure
};

struct Channel {
    int instrument = model::kFolkGuitar;
    int volume = 100;
};

// What the beat effects give every note of the beat.
struct BeatEffects {
    int technique = 0;
    int vibrato = 0;
    int arpeggio = 0;
};

// What a note's own effects say.
struct NoteEffects {
    int bend = 0;
    bool legatoToNext = false;
    bool slideToNext = false;
    int slideIn = 0; // technique of a slide coming into this note
    bool grace = false;
    int harmonic = 0;
    bool vibrato = false;
    bool palmMute = false;
};

struct FileTrack {
    int dest = -1; // score track, or -1 when a later file track replaces it
    int strings = 6;
    bool drums = false;
    int tripletLeft = 0;
    std::array<int, kFileStrings> pending{};
    std::array<int, kFileStrings> lastFret{};
    std::array<bool, kFileStrings> hasLast{};
};

class Importer {
public:
    Importer(CTabDoc& doc, const std::uint8_t* data, std::size_t length) : doc_(doc), r_(data, length) {}

    bool run(ImportInfo* info);

private:
    bool v5() const { return version_ == Version::V5_00 || version_ == Version::V5_10; }
    std::string intSizeString();
    void skipIntSizeString() { (void)intSizeString(); }
    void skipIntSizeStrings(int n)
    {
        for (int i = 0; i < n; ++i)
            skipIntSizeString();
    }
    void readSongInfo();
    void readSongSettings5();
    void readChannels();
    void readMeasureHeaders(int count);
    void readTrack(FileTrack& ft);
    void readMeasure(int m, FileTrack& ft);
    bool readVoice(int m, FileTrack& ft, CMesure& measure, bool live);
    struct VoiceCounts {
        int status = 0; // beats with a status: rests and empty beats
        int empty = 0;  // empty beats
    };
    void readBeat(int m, FileTrack& ft, CMesure& measure, int b, int kept, bool live, VoiceCounts& counts);
    void readNote(int m, FileTrack& ft, CMesure& measure, int b, int kept, CAccord& beat, int j, bool live,
                  const BeatEffects& fx);
    BeatEffects readBeatEffects();
    NoteEffects readNoteEffects();
    struct Bend {
        int type = 0;
        std::int32_t height = 0;
    };
    Bend readBend();
    void skipChord();
    void readMixTable();
    void fillWithRests(CMesure& measure);
    void spendBeats(long long n);
    void finish(int measuresRead);

    CTabDoc& doc_;
    ByteReader r_;
    Version version_ = Version::V3;
    std::array<Channel, kChannelCount> channels_{};
    std::vector<MeasureHeader> headers_;
    std::vector<FileTrack> fileTracks_;
    CMesure scratch_{CMesure::NoBeats{}};
    CMesure secondVoice_{CMesure::NoBeats{}};
    CAccord scratchBeat_;
    int tempo_ = 120;
    long long notesRead_ = 0; // notes that reached a score beat
    int pendingTempo_ = 0;    // tempo a mix table set in the current measure
    long long beatsLeft_ = kMaxImportedBeats;
};

std::string Importer::intSizeString()
{
    const std::int32_t size = r_.i32();
    const int length = r_.u8();
    if (size != length + 1)
        throw GpDamaged("string sizes disagree");
    return cp1252::toUtf8(r_.bytes(static_cast<std::size_t>(length)));
}

void Importer::readSongInfo()
{
    const int versionLength = std::min<int>(r_.u8(), kVersionFieldSize - 1);
    const std::string_view versionText = r_.bytes(kVersionFieldSize - 1).substr(0, static_cast<std::size_t>(versionLength));
    const std::optional<Version> v = versionFromText(versionText);
    if (!v)
        throw GpDamaged("not a version 3, 4 or 5 file");
    version_ = *v;

    const std::string title = intSizeString();
    skipIntSizeString(); // subtitle
    skipIntSizeString(); // artist
    skipIntSizeString(); // album
    std::string words = intSizeString();
    if (v5()) {
        // The composer stands in when no lyricist is named.
        std::string music = intSizeString();
        if (words.empty())
            words = std::move(music);
    }
    skipIntSizeString(); // copyright
    const std::string tabber = intSizeString();
    skipIntSizeString(); // instructions

    const std::int32_t lines = r_.i32();
    if (lines < 0)
        throw GpDamaged("negative notice count");
    std::string notice;
    for (std::int32_t i = 0; i < lines; ++i) {
        if (i > 0)
            notice += "\r\n";
        notice += intSizeString();
    }

    const int tripletFeel = v5() ? 0 : r_.u8(); // version 5 keeps it per measure
    if (version_ != Version::V3) {
        r_.skip(4); // lyrics track
        for (int line = 0; line < 5; ++line) {
            r_.skip(4); // starting measure
            const std::int32_t length = r_.i32();
            if (length < 0)
                throw GpDamaged("negative lyrics length");
            r_.skip(static_cast<std::size_t>(length));
        }
    }
    if (v5()) {
        readSongSettings5();
    } else {
        tempo_ = std::clamp<std::int32_t>(r_.i32(), 1, kMaxTempo);
        r_.skip(4); // key
        if (version_ == Version::V4)
            r_.skip(1); // octave
    }

    doc_.title = title.empty() ? std::string(CTabDoc::kUntitled) : title;
    doc_.author = words;
    doc_.tabber = tabber;
    doc_.notes = notice;
    doc_.showAuthor = 1;
    doc_.showTabber = 1;
    doc_.tripletFeel = tripletFeel != 0;
    doc_.scoreTempo = tempo_;
}

void Importer::readSongSettings5()
{
    if (version_ == Version::V5_10)
        r_.skip(19); // master volume and equalizer of the sound engine
    r_.skip(30);     // page size, margins, score size, header and footer choice
    skipIntSizeStrings(10); // header and footer templates
    skipIntSizeString();    // tempo name
    tempo_ = std::clamp<std::int32_t>(r_.i32(), 1, kMaxTempo);
    if (version_ == Version::V5_10)
        r_.skip(1); // tempo hidden
    r_.skip(5);     // key, octave
}

void Importer::readChannels()
{
    for (Channel& c : channels_) {
        const int program = r_.i32();
        const int volume = r_.u8();
        r_.skip(7); // balance, chorus, reverb, phaser, tremolo, padding
        c.instrument = instrumentFromProgram(static_cast<std::int8_t>(program & 0xFF));
        c.volume = volumeFromChannel(volume);
    }
    if (v5())
        r_.skip(38 + 4); // the measures of the 19 musical directions, master reverb
}

void Importer::readMeasureHeaders(int count)
{
    int numerator = 4;
    int denominator = 4;
    headers_.resize(static_cast<std::size_t>(count));
    for (MeasureHeader& h : headers_) {
        const int flags = r_.u8();
        if (flags & 0x01) {
            const int n = r_.u8();
            if (n != 0)
                numerator = std::min(n, kMaxNumerator);
        }
        if (flags & 0x02) {
            // A value the model cannot hold keeps the running denominator.
            const int d = r_.u8();
            if (model::isValidDenominator(d))
                denominator = d;
        }
        h.numerator = numerator;
        h.denominator = denominator;
        if (flags & 0x04)
            h.repeatFlags |= model::kFlagRepeatStart;
        if (flags & 0x08) {
            // Version 5 counts the times the section is played, not the repeats.
            const int stored = r_.u8();
            const int repeats = std::max(1, v5() ? stored - 1 : stored);
            h.repeatFlags |= repeats * 32 + model::kFlagRepeatEnd;
        }
        if ((flags & 0x10) && !v5())
            r_.skip(1); // alternate ending
        if (flags & 0x20) {
            skipIntSizeString(); // marker
            r_.skip(4);          // its colour
        }
        if (flags & 0x40)
            r_.skip(2); // key and mode
        if (v5()) {
            if (flags & 0x03)
                r_.skip(4); // beam groups of the new time signature
            r_.skip(1);     // alternate endings
            h.tripletFeel = r_.u8();
            r_.skip(1);
        }
    }
}

void Importer::readTrack(FileTrack& ft)
{
    const int flags = r_.u8();
    const int nameLength = std::min<int>(r_.u8(), 40);
    const std::string name = cp1252::toUtf8(r_.bytes(40).substr(0, static_cast<std::size_t>(nameLength)));
    const std::int32_t strings = r_.i32();
    if (strings < 0 || strings > kFileStrings)
        throw GpDamaged("string count");
    std::array<std::int32_t, kFileStrings> midi{};
    for (std::int32_t& v : midi)
        v = r_.i32();
    const std::int32_t port = r_.i32();
    const std::int32_t channel = r_.i32();
    r_.skip(8); // effects channel, fret count
    const std::int32_t capo = r_.i32();
    r_.skip(4); // colour
    if (v5()) {
        // Display bits, sound-engine settings and equalizer.
        r_.skip(41 + 4);
        if (version_ == Version::V5_10) {
            r_.skip(4);
            skipIntSizeStrings(2); // effect name and category
        }
    }

    // The model has six strings: a seventh (lowest) string is dropped.
    const int kept = std::min(strings, model::kStrings);
    bool allZero = strings > 0;
    for (int i = 0; i < strings; ++i)
        allZero = allZero && midi[static_cast<std::size_t>(i)] == 0;

    int code = model::kFolkGuitar;
    if (strings < 6)
        code = model::kBass;
    if (strings < 1 || allZero || (flags & 0x01) || channel == 10)
        code = model::kDrums;

    const bool channelValid = port >= 1 && port <= 4 && channel >= 1 && channel <= 16;
    const Channel entry = channelValid ? channels_[static_cast<std::size_t>((port - 1) * 16 + (channel - 1))] : Channel{};
    if (code != model::kDrums && strings >= 6)
        code = entry.instrument;

    ft.strings = kept;
    ft.drums = code == model::kDrums;
    if (ft.dest < 0)
        return;

    const auto t = static_cast<std::size_t>(ft.dest);
    doc_.trackNames[t] = name;
    doc_.tuning[t] = {2, 7, 12, 17, 21, 26};
    for (int i = 0; i < kept; ++i) {
        const int pitch = foldTuning(midi[static_cast<std::size_t>(i)], code == model::kBass);
        doc_.tuning[t][static_cast<std::size_t>(kept - 1 - i)] = pitch;
    }
    doc_.volume[t] = entry.volume;
    doc_.capo[t] = std::clamp<std::int32_t>(capo, 0, kMaxCapo);
    doc_.slotInstrument[t] = code;
    // The native reader derives the same latency, so it survives a save.
    doc_.arpeggioLatency[t] = (code == model::kDrums || code == model::kPiano) ? 1 : 6;
    if (v5()) {
        doc_.mute[t] = (flags & 0x20) ? 1 : 0;
        if (flags & 0x10)
            doc_.soloTrack = ft.dest + 1;
    }
}

void Importer::spendBeats(long long n)
{
    beatsLeft_ -= n;
    if (beatsLeft_ < 0)
        throw GpDamaged("too many beats");
}

void Importer::fillWithRests(CMesure& measure)
{
    int length = measure.numerator * 64 / measure.denominator;
    std::vector<CAccord>& beats = measure.beats.raw();
    beats.clear();
    CAccord rest;
    rest.isRest = 1;
    if (length > 64) {
        const int wholes = (length - 65) / 64 + 1;
        rest.durationCode = 6;
        beats.insert(beats.end(), static_cast<std::size_t>(wholes), rest);
        length -= wholes * 64;
    }
    for (int i = 0; i <= 6; ++i) {
        if (length & (1 << i)) {
            rest.durationCode = i;
            beats.push_back(rest);
        }
    }
    measure.beatCount = static_cast<int>(beats.size());
    measure.isCompacted = 1;
    spendBeats(measure.beatCount);
}

void Importer::readMeasure(int m, FileTrack& ft)
{
    const bool live = ft.dest >= 0;
    CMesure* measure = &scratch_;
    if (live) {
        std::vector<CMesure>& track = doc_.tracks[static_cast<std::size_t>(ft.dest)].raw();
        track.emplace_back(CMesure::NoBeats{});
        measure = &track.back();
    }
    const MeasureHeader& h = headers_[static_cast<std::size_t>(m)];
    measure->index = m;
    measure->tempo = tempo_;
    measure->numerator = h.numerator;
    measure->denominator = h.denominator;
    measure->instrumentSlot = std::max(ft.dest, 0);
    if (!v5()) {
        readVoice(m, ft, *measure, live);
        return;
    }
    r_.skip(1); // layout mark
    // The model has one voice per track: the second voice is taken only when
    // the first has no note, as for a bass line written in voice 2.
    if (readVoice(m, ft, *measure, live) || !live) {
        readVoice(m, ft, scratch_, false);
        return;
    }
    secondVoice_.numerator = h.numerator;
    secondVoice_.denominator = h.denominator;
    if (readVoice(m, ft, secondVoice_, true)) {
        std::swap(measure->beats.raw(), secondVoice_.beats.raw());
        measure->beatCount = secondVoice_.beatCount;
    }
}

bool Importer::readVoice(int m, FileTrack& ft, CMesure& measure, bool live)
{
    measure.isCompacted = 1;
    measure.beats.raw().clear();
    measure.beatCount = 0;
    const long long notesBefore = notesRead_;

    const std::int32_t count = r_.i32();
    if (count < 0)
        throw GpDamaged("negative beat count");
    if (count > static_cast<long long>(r_.bytesLeft() / kMinBeatBytes))
        throw EndOfData();
    ft.tripletLeft = 0;
    // Beats past what the native format can store are read and dropped.
    const int kept = live ? std::min<int>(count, kMaxBeatsPerMeasure) : 0;
    if (kept > 0)
        spendBeats(kept);
    measure.beats.raw().assign(static_cast<std::size_t>(kept), CAccord());
    measure.beatCount = kept;
    VoiceCounts counts;
    for (int b = 0; b < count; ++b)
        readBeat(m, ft, measure, b, kept, live, counts);
    // A bar never filled in, or one whole-bar rest: the bar's rest pattern.
    if (live && (count == 0 || (counts.status == count && (count == 1 || counts.empty == count))))
        fillWithRests(measure);
    return notesRead_ != notesBefore;
}

void Importer::readBeat(int m, FileTrack& ft, CMesure& measure, int b, int kept, bool live, VoiceCounts& counts)
{
    CAccord& beat = b < kept ? measure.beats[b] : scratchBeat_;
    if (b >= kept)
        beat = CAccord();

    const int flags = r_.u8();
    const bool hasStatus = flags & kBeatStatus;
    if (hasStatus) {
        ++counts.status;
        if (r_.u8() == 0)
            ++counts.empty; // empty and rest beats both read as rests
    }
    const int d = r_.i8();
    beat.durationCode = 4 - d;
    if (beat.durationCode < 0 || beat.durationCode > 6)
        beat.durationCode = 6;
    const std::int32_t tuplet = (flags & kBeatTuplet) ? r_.i32() : 0;
    if (v5() && tuplet != 0 && tuplet != 3 && tuplet != 6 && tuplet != 12) {
        // Only tuplets of two thirds are triplet groups; others keep their
        // written values rather than pull the beats after them into a group.
        ft.tripletLeft = 0;
    } else if (tuplet != 0 || ft.tripletLeft > 0) {
        if (ft.tripletLeft == 0) {
            beat.isTriplet = 1;
            ft.tripletLeft = 2;
        } else {
            --ft.tripletLeft;
        }
    }
    if (hasStatus)
        beat.isRest = 1;
    beat.isDotted = (flags & kBeatDotted) ? 1 : 0;
    if (flags & kBeatChord)
        skipChord();
    if (flags & kBeatText)
        skipIntSizeString();
    BeatEffects fx;
    if (flags & kBeatEffects)
        fx = readBeatEffects();
    if (flags & kBeatMixTable)
        readMixTable();
    if (!beat.isRest)
        beat.arpeggio = fx.arpeggio;

    const bool liveBeat = live && b < kept && !hasStatus;
    const int stringBits = r_.u8();
    for (int j = 0; j < kFileStrings; ++j)
        if (stringBits & (1 << (6 - j)))
            readNote(m, ft, measure, b, kept, beat, j, liveBeat, fx);
    if (v5() && (r_.u16() & 0x0800))
        r_.skip(1); // how far secondary beams are broken
}

void Importer::readNote(int m, FileTrack& ft, CMesure& measure, int b, int kept, CAccord& beat, int j, bool live,
                        const BeatEffects& fx)
{
    const int flags = r_.u8();
    int type = 1;
    if (flags & kNoteTypeAndFret)
        type = r_.u8();
    if ((flags & kNoteOwnDuration) && !v5())
        r_.skip(2);
    if (flags & kNoteDynamic)
        r_.skip(1);
    const bool hasFret = flags & kNoteTypeAndFret;
    const int stored = hasFret ? r_.i8() : 0;
    if (version_ != Version::V3 && (flags & kNoteFingering))
        r_.skip(2);
    if (v5())
        r_.skip((flags & kNoteOwnDuration) ? 9 : 1); // duration percentage, second flags
    NoteEffects nfx;
    if (flags & kNoteEffects)
        nfx = readNoteEffects();

    // Strings beyond the model's six (and bits for strings the track lacks) are dropped.
    const int k = j - ft.strings + model::kStrings;
    if (!live || j >= ft.strings || k < 0 || k >= model::kStrings)
        return;
    ++notesRead_;
    const auto js = static_cast<std::size_t>(j);

    bool fromTie = false;
    if (type == kNoteTie) {
        CAccord* previous = nullptr;
        if (b > 0) {
            if (b - 1 < kept)
                previous = &measure.beats[b - 1];
        } else if (m > 0) {
            CMesure& before = doc_.tracks[static_cast<std::size_t>(ft.dest)][m - 1];
            previous = &before.beats[before.beatCount - 1];
        }
        if (previous && !previous->isRest) {
            // The tie belongs to the beat it leaves; this note stays EMPTY.
            previous->isTied = 1;
            return;
        }
        // Nothing to tie to: play the note, at the pitch the string last had.
        fromTie = true;
    }

    int fret;
    if (fromTie && ft.hasLast[js]) {
        fret = ft.lastFret[js];
    } else if (ft.drums) {
        fret = hasFret ? drumFret(stored) : model::kEmptyFret;
    } else if (type == kNoteDead || !hasFret || stored < 0) {
        fret = model::kDeadFret; // no pitch stored
    } else {
        fret = foldFret(stored);
    }
    if (fret == model::kEmptyFret)
        return; // a drum key below the map

    // One technique per note: the mark leading into the note matters most.
    int technique = 0;
    if (nfx.grace)
        technique = model::kHammerOn;
    if (fx.technique)
        technique = fx.technique;
    if (nfx.harmonic)
        technique = nfx.harmonic;
    if (nfx.slideIn)
        technique = nfx.slideIn;
    if (ft.pending[js] && ft.hasLast[js]) {
        const int before = ft.lastFret[js];
        if (ft.pending[js] == kPendingSlide)
            technique = (fret != model::kDeadFret && fret < before) ? model::kSlideDown : model::kSlideUp;
        else
            technique = fret < before ? model::kPullOff : model::kHammerOn;
    }
    ft.pending[js] = 0;

    CNote& note = beat.notes[k];
    note.fret = fret;
    note.technique = technique;
    note.bend = nfx.bend;
    note.vibrato = fx.vibrato != 0 ? fx.vibrato : (nfx.vibrato ? model::kVibratoLeftHand : 0);
    if (nfx.palmMute)
        beat.palmMute = (b > 0 && b - 1 < kept && measure.beats[b - 1].palmMute) ? 2 : 1;

    ft.lastFret[js] = fret;
    ft.hasLast[js] = true;
    if (nfx.slideToNext)
        ft.pending[js] = kPendingSlide;
    else if (nfx.legatoToNext)
        ft.pending[js] = kPendingLegato;
}

BeatEffects Importer::readBeatEffects()
{
    BeatEffects fx;
    const int f1 = r_.u8();
    const int f2 = version_ != Version::V3 ? r_.u8() : 0;
    if (f1 & 0x01)
        fx.vibrato = model::kVibratoLeftHand;
    if (f1 & 0x02)
        fx.vibrato = model::kVibratoTremoloBar;
    int harmonic = 0;
    if (f1 & 0x04)
        harmonic = model::kNaturalHarmonic;
    if (f1 & 0x08)
        harmonic = model::kArtificialHarmonic;
    if (f1 & 0x20) {
        const int kind = r_.u8();
        if (version_ == Version::V3) {
            const std::int32_t dive = r_.i32();
            if (kind == 0)
                fx.vibrato = bendAmount(dive) * 8 + model::kVibratoDip;
        }
        if (kind == 1)
            fx.technique = model::kTapping;
        else if (kind == 2)
            fx.technique = model::kSlap;
        else if (kind == 3)
            fx.technique = model::kPop;
    }
    if (f2 & 0x04)
        fx.vibrato = bendAmount(readBend().height) * 8 + model::kVibratoDip;
    if (f1 & 0x40) {
        // Only one of the two speeds is set; which one gives the direction.
        // Version 5 stores the up-stroke first.
        int down = r_.i8();
        int up = r_.i8();
        if (v5())
            std::swap(down, up);
        if (version_ == Version::V3)
            fx.arpeggio = up == 0 ? 1 : 2;
        else
            fx.arpeggio = down != 0 ? 1 : (up != 0 ? 2 : 0);
    }
    if (f2 & 0x02)
        r_.skip(1); // pick stroke
    if (harmonic)
        fx.technique = harmonic;
    return fx;
}

Importer::Bend Importer::readBend()
{
    Bend bend;
    bend.type = r_.i8();
    bend.height = r_.i32();
    const std::int32_t points = r_.i32();
    if (points < 0)
        throw GpDamaged("negative bend point count");
    if (static_cast<unsigned long long>(points) * 9 > r_.bytesLeft())
        throw EndOfData();
    r_.skip(static_cast<std::size_t>(points) * 9);
    return bend;
}

NoteEffects Importer::readNoteEffects()
{
    NoteEffects fx;
    const int f1 = r_.u8();
    const int f2 = version_ != Version::V3 ? r_.u8() : 0;
    if (f1 & 0x01) {
        const Bend bend = readBend();
        int kind = 0;
        switch (bend.type) {
        case 1: kind = model::kBendBend; break;
        case 2:
        case 3: kind = model::kBendBendRelease; break;
        case 4: kind = model::kBendHeld; break;
        case 5: kind = model::kBendRelease; break;
        default: break;
        }
        fx.bend = kind ? bendAmount(bend.height) * 16 + kind : 0;
    }
    if (f1 & 0x10) {
        r_.skip(v5() ? 5 : 4); // grace fret, dynamic, transition, duration (, flags)
        fx.grace = true;
    }
    fx.legatoToNext = f1 & 0x02;
    if (version_ == Version::V3) {
        fx.slideToNext = f1 & 0x04;
        return fx;
    }
    if (f2 & 0x04)
        r_.skip(1); // tremolo picking speed
    if ((f2 & 0x08) && v5()) {
        const int slide = r_.u8();
        fx.slideToNext = slide & 0x03; // shift or legato slide to the next note
        if (slide & 0x10)
            fx.slideIn = model::kSlideUp; // in from below
        else if (slide & 0x20)
            fx.slideIn = model::kSlideDown; // in from above
    } else if (f2 & 0x08) {
        switch (r_.i8()) {
        case 1:
        case 2: fx.slideToNext = true; break;
        case -1: fx.slideIn = model::kSlideUp; break;   // in from below
        case -2: fx.slideIn = model::kSlideDown; break; // in from above
        default: break; // slides out of the note have no model code
        }
    } else if (f1 & 0x04) {
        fx.slideToNext = true;
    }
    if (f2 & 0x10) {
        const int type = r_.u8();
        fx.harmonic = type == 1 ? model::kNaturalHarmonic : model::kArtificialHarmonic;
        if (v5() && type == 2)
            r_.skip(3); // the harmonic's pitch class, accidental and octave
        else if (v5() && type == 3)
            r_.skip(1); // the fret where the string is touched
    }
    if (f2 & 0x20)
        r_.skip(2); // trill
    fx.vibrato = f2 & 0x40;
    fx.palmMute = f2 & 0x02;
    return fx;
}

void Importer::skipChord()
{
    if (r_.u8() != 0) {
        r_.skip(version_ == Version::V3 ? 124 : 106); // version 5 keeps the version-4 diagram
        return;
    }
    skipIntSizeString(); // name
    if (r_.i32() != 0)
        r_.skip(24); // six frets
}

void Importer::readMixTable()
{
    r_.skip(1); // instrument: no transition
    if (v5())
        r_.skip(16); // sound-engine instrument, variation, bank, effect
    int timed = 0;
    for (int i = 0; i < 6; ++i)
        timed += r_.i8() != -1;
    if (v5())
        skipIntSizeString(); // tempo name
    const std::int32_t tempo = r_.i32();
    timed += tempo != -1;
    if (!v5()) {
        r_.skip(static_cast<std::size_t>(timed) + (version_ == Version::V4 ? 1 : 0));
        return;
    }
    const bool hideTempo = version_ == Version::V5_10 && tempo != -1;
    r_.skip(static_cast<std::size_t>(timed) + (hideTempo ? 1 : 0) + 2); // durations, flags, wah
    if (version_ == Version::V5_10)
        skipIntSizeStrings(2); // effect name and category
    if (tempo > 0)
        pendingTempo_ = std::min<std::int32_t>(tempo, kMaxTempo);
}

void Importer::finish(int measuresRead)
{
    doc_.measureCount = measuresRead;
    doc_.scoreNumerator = headers_[0].numerator;
    doc_.scoreDenominator = headers_[0].denominator;
    doc_.scoreTempo = doc_.tracks[0][0].tempo;
    if (v5())
        doc_.tripletFeel = headers_[0].tripletFeel == 1; // eighths: the only feel the model plays
    const int last = measuresRead - 1;
    for (int t = 0; t < doc_.trackCount; ++t) {
        CArray<CMesure>& track = doc_.tracks[static_cast<std::size_t>(t)];
        for (int m = 0; m < measuresRead; ++m) {
            int flags = 0;
            if (m == 0)
                flags |= model::kFlagFirst;
            if (m == last)
                flags |= model::kFlagLast;
            if (flags == 0)
                flags = model::kFlagMiddle;
            track[m].flags = flags | headers_[static_cast<std::size_t>(m)].repeatFlags;
        }
    }
}

bool Importer::run(ImportInfo* info)
{
    doc_.DeleteContents();
    readSongInfo();
    if (info)
        info->version = version_;
    readChannels();

    const std::int32_t measureCount = r_.i32();
    const std::int32_t trackCount = r_.i32();
    if (measureCount < 1 || trackCount < 1)
        throw GpDamaged("measure or track count");
    if (info) {
        info->fileMeasureCount = measureCount;
        info->fileTrackCount = trackCount;
    }
    // Every header takes a byte and every track block 98: check before allocating.
    if (static_cast<unsigned long long>(measureCount) +
            static_cast<unsigned long long>(trackCount) * kTrackBlockSize > r_.bytesLeft())
        throw EndOfData();

    const int scoreTracks = std::min<int>(trackCount, model::kMaxTracks);
    doc_.trackCount = scoreTracks;
    doc_.slotCount = scoreTracks;
    doc_.soloTrack = 0;
    for (int i = 0; i < model::kMaxTracks; ++i) {
        const auto ti = static_cast<std::size_t>(i);
        doc_.slotOrder[ti] = i;
        doc_.slotInstrument[ti] = model::kFolkGuitar;
        doc_.capo[ti] = 0;
        doc_.volume[ti] = 100;
        doc_.mute[ti] = 0;
    }

    readMeasureHeaders(measureCount);

    // Tracks past the tenth all land on the tenth: only the last one is kept.
    fileTracks_.resize(static_cast<std::size_t>(trackCount));
    for (int k = 0; k < trackCount; ++k) {
        FileTrack& ft = fileTracks_[static_cast<std::size_t>(k)];
        if (trackCount <= model::kMaxTracks || k < model::kMaxTracks - 1)
            ft.dest = k;
        else
            ft.dest = k == trackCount - 1 ? model::kMaxTracks - 1 : -1;
        readTrack(ft);
    }

    const std::size_t reserve = std::min<std::size_t>(static_cast<std::size_t>(measureCount), r_.bytesLeft() / 4 + 1);
    for (int t = 0; t < scoreTracks; ++t)
        doc_.tracks[static_cast<std::size_t>(t)].raw().reserve(reserve);

    int measuresRead = 0;
    bool complete = true;
    for (int m = 0; m < measureCount; ++m) {
        if (r_.atEnd()) {
            // Files may stop after any complete measure; a file with none is not a score.
            complete = m > 0;
            break;
        }
        try {
            for (FileTrack& ft : fileTracks_) {
                if (r_.atEnd())
                    throw EndOfData();
                readMeasure(m, ft);
            }
        } catch (const EndOfData&) {
            complete = false;
        }
        if (!complete)
            break;
        if (pendingTempo_ > 0) {
            // The model keeps one tempo per measure, the same in every track.
            tempo_ = pendingTempo_;
            pendingTempo_ = 0;
            for (int t = 0; t < scoreTracks; ++t)
                doc_.tracks[static_cast<std::size_t>(t)][m].tempo = tempo_;
        }
        measuresRead = m + 1;
    }
    if (info)
        info->endPosition = r_.position();
    if (!complete)
        return false;
    finish(measuresRead);
    return true;
}

} // namespace

std::optional<Version> versionFromText(std::string_view text)
{
    if (text == "FICHIER GUITAR PRO v3.00")
        return Version::V3;
    if (text == "FICHIER GUITAR PRO v4.00" || text == "FICHIER GUITAR PRO v4.06" || text == "FICHIER GUITAR PRO L4.06")
        return Version::V4;
    if (text == "FICHIER GUITAR PRO v5.00")
        return Version::V5_00;
    if (text == "FICHIER GUITAR PRO v5.10")
        return Version::V5_10;
    return std::nullopt;
}

int instrumentFromProgram(int p)
{
    if (p < 6 || (p > 51 && p < 104))
        return model::kPiano;
    if (p == 8 || p == 22 || p == 26 || p == 27 || p == 28 || p == 31 || p == 40)
        return model::kCleanGuitar;
    if (p == 29 || p == 30)
        return model::kDistortedGuitar;
    if (p < 32 || p > 39)
        return (p == 25 || p > 103) ? model::kFolkGuitar : model::kClassicalGuitar;
    return model::kBass;
}

int volumeFromChannel(int v)
{
    return 50 + std::clamp(v, 0, 16) * 50 / 16;
}

int drumFret(int key)
{
    if (key < 27)
        return model::kEmptyFret;
    return kDrumMap[static_cast<std::size_t>((key - 27) % 61)];
}

int foldTuning(long long midi, bool bass)
{
    long long v = midi - 38;
    const long long floor = bass ? -12 : 0;
    if (v < floor)
        v += (floor - v + 11) / 12 * 12;
    if (v > 38)
        v -= (v - 38 + 11) / 12 * 12;
    return static_cast<int>(v) + (bass ? 12 : 0);
}

int foldFret(int fret)
{
    if (fret > 24)
        fret -= (fret - 24 + 11) / 12 * 12;
    return fret;
}

int bendAmount(long long height)
{
    const long long h = height < 0 ? -height : height;
    return static_cast<int>(std::min<long long>((h + 25) / 50, kMaxAmount));
}

bool importScore(CTabDoc& doc, const std::uint8_t* data, std::size_t length, ImportInfo* info)
{
    Importer importer(doc, data, length);
    return importer.run(info);
}

} // namespace gp

bool importGp3(CTabDoc& doc, const std::uint8_t* data, std::size_t length)
{
    return gp::importScore(doc, data, length);
}

bool importGp4(CTabDoc& doc, const std::uint8_t* data, std::size_t length)
{
    return gp::importScore(doc, data, length);
}

bool importGp5(CTabDoc& doc, const std::uint8_t* data, std::size_t length)
{
    return gp::importScore(doc, data, length);
}
