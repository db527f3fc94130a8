#include "TbfFormat.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "CTabDoc.h"

#include <algorithm>

namespace tbf {
namespace {

constexpr int kMinMeasureBytes = 12; // flags, tempo, four bytes; no beats

void writeNote(ByteWriter& w, const CNote& n)
{
    w.u8(n.technique * 32 + n.fret);
    const int bendKind = n.bend & 15;
    const int vibratoKind = n.vibrato & 7;
    w.u8((n.vibrato * 16 + bendKind) * 2 + (n.technique >> 3));
    if (bendKind != 0)
        w.u8(n.bend >> 4);
    if (vibratoKind != 0)
        w.u8(n.vibrato >> 3);
}

void writeBeat(ByteWriter& w, const CAccord& b)
{
    w.u8(b.palmMute * 8 + b.durationCode);
    w.u8(b.isDotted + 2 * b.isTied + 4 * b.isTriplet + 8 * b.isRest);
    if (b.isRest)
        return;
    int mask = 0;
    for (int k = 0; k < model::kStrings; ++k)
        if (!b.notes[k].isEmpty())
            mask |= 1 << k;
    w.u8(mask);
    for (int k = 0; k < model::kStrings; ++k)
        if (mask & (1 << k))
            writeNote(w, b.notes[k]);
}

// One kind at a time: a kind the editor cannot set means none.
int validKind(int kind, int allowed)
{
    return (kind & (kind - 1)) == 0 && (kind & ~allowed) == 0 ? kind : 0;
}

void readNote(ByteReader& r, CNote& n, bool drums)
{
    const int b1 = r.u8();
    const int b2 = r.u8();
    const int fret = b1 & 31;
    const int technique = (b1 >> 5) + 8 * (b2 & 1);
    const int bendKind = (b2 >> 1) & 15;
    const int vibratoKind = b2 >> 5;
    const int bendAmount = bendKind != 0 ? r.u8() : 0;
    const int vibratoAmount = vibratoKind != 0 ? r.u8() : 0;

    // Values no editor command makes are brought back to ones it does, so a
    // damaged file opens as a score the editor, the drawing and playback know.
    const bool playable = drums ? fret <= model::kMaxDrum : (fret <= model::kMaxFret || fret == model::kDeadFret);
    n.fret = playable ? fret : model::kEmptyFret;
    n.technique = technique <= model::kSlap ? technique : model::kNoTechnique;
    const int bend = validKind(bendKind, model::kBendBend | model::kBendHeld | model::kBendRelease |
                                             model::kBendBendRelease);
    n.bend = bend != 0 ? bend + 16 * std::min(bendAmount, model::kMaxAmount) : 0;
    const int vibrato = validKind(vibratoKind, model::kVibratoLeftHand | model::kVibratoTremoloBar | model::kVibratoDip);
    n.vibrato = vibrato != 0 ? vibrato + 8 * std::min(vibratoAmount, model::kMaxAmount) : 0;
}

void readBeat(ByteReader& r, CAccord& b, bool drums)
{
    const int b1 = r.u8();
    const int b2 = r.u8();
    b.durationCode = b1 & 7;
    b.palmMute = std::min(b1 >> 3, model::kMaxPalmMute);
    if (b.durationCode > model::kMaxDurationCode)
        throw DamagedFile("duration code 7");
    b.isDotted = b2 & 1;
    b.isTied = (b2 >> 1) & 1;
    b.isTriplet = (b2 >> 2) & 1;
    b.isRest = (b2 >> 3) & 1;
    b.arpeggio = 0;
    if (b.isRest) {
        for (CNote& n : b.notes)
            n.clear();
        return;
    }
    const int mask = r.u8();
    for (int k = 0; k < model::kStrings; ++k) {
        if (mask & (1 << k))
            readNote(r, b.notes[k], drums);
        else
            b.notes[k].clear();
    }
}

} // namespace

std::string write(const CTabDoc& doc)
{
    if (doc.trackCount < 1 || doc.trackCount > model::kMaxTracks || doc.slotCount < 0 ||
        doc.slotCount > model::kMaxSlots || doc.measureCount < 0)
        throw CannotWrite("Les compteurs de la partition sont hors limites.");

    ByteWriter w;
    w.reserve(256 + static_cast<std::size_t>(doc.measureCount) * static_cast<std::size_t>(doc.trackCount) * 64);
    w.countedString(doc.signature);
    w.countedString(doc.title);
    w.i32(doc.measureCount);
    w.u8(doc.trackCount);
    w.u8(doc.slotCount);
    w.i32(doc.tripletFeel + 2 * doc.soloTrack);
    w.i32(doc.showAuthor);
    w.i32(doc.showTabber);
    w.countedString(doc.author);
    w.countedString(doc.tabber);
    w.countedString(doc.notes);
    for (int i = 0; i < doc.slotCount; ++i)
        w.u8(doc.slotInstrument[static_cast<std::size_t>(i)]);
    w.i32(doc.scoreTempo);
    w.u8(doc.scoreNumerator);
    w.u8(doc.scoreDenominator);

    for (int t = 0; t < doc.trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        const CArray<CMesure>& track = doc.tracks[ti];
        if (track.GetSize() < doc.measureCount)
            throw CannotWrite("Une piste contient moins de mesures que la partition.");
        w.countedString(doc.trackNames[ti]);
        w.u8(doc.pan[ti] + 128 * doc.mute[ti]);
        w.u8(doc.capo[ti]);
        w.u8(doc.volume[ti]);
        for (int s = 0; s < 6; ++s)
            w.u8(doc.tuning[ti][static_cast<std::size_t>(s)]);
        for (int m = 0; m < doc.measureCount; ++m) {
            const CMesure& measure = track[m];
            const int beats = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
            if (beats > 255)
                throw CannotWrite("Une mesure contient plus de 255 temps : le format de fichier ne peut pas l'enregistrer.");
            w.i32(measure.flags);
            w.i32(measure.tempo);
            w.u8(measure.numerator);
            w.u8(measure.denominator);
            w.u8(beats);
            w.u8(measure.instrumentSlot);
            for (int b = 0; b < beats; ++b)
                writeBeat(w, measure.beats[b]);
        }
    }
    return w.take();
}

void read(CTabDoc& doc, const std::uint8_t* data, std::size_t size)
{
    doc.DeleteContents();
    ByteReader r(data, size);

    doc.signature = r.countedString();
    doc.title = r.countedString();
    const int measureCount = r.i32();
    const int trackCount = r.u8();
    const int slotCount = r.u8();
    if (trackCount < 1 || trackCount > model::kMaxTracks)
        throw DamagedFile("track count");
    if (slotCount > model::kMaxSlots)
        throw DamagedFile("slot count");
    if (measureCount < 1)
        throw DamagedFile("measure count");
    doc.measureCount = measureCount;
    doc.trackCount = trackCount;
    doc.slotCount = slotCount;

    const int header = r.i32();
    doc.tripletFeel = header & 1;
    // A solo outside the ten tracks is no solo.
    const int solo = header >> 1;
    doc.soloTrack = solo >= 0 && solo <= model::kMaxTracks ? solo : 0;
    doc.showAuthor = r.i32() != 0;
    doc.showTabber = r.i32() != 0;
    doc.author = r.countedString();
    doc.tabber = r.countedString();
    doc.notes = r.countedString();
    for (int i = 0; i < slotCount; ++i) {
        const int code = r.u8();
        if (code > model::kPiano)
            throw DamagedFile("instrument code");
        doc.slotOrder[static_cast<std::size_t>(i)] = i;
        doc.slotInstrument[static_cast<std::size_t>(i)] = code;
    }
    doc.scoreTempo = r.i32();
    doc.scoreNumerator = r.u8();
    doc.scoreDenominator = r.u8();

    for (int t = 0; t < trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.trackNames[ti] = r.countedString();
        const int panByte = r.u8();
        doc.pan[ti] = std::min(panByte & 127, model::kMaxPan);
        doc.mute[ti] = panByte >> 7;
        doc.capo[ti] = std::min<int>(r.u8(), model::kMaxCapo);
        doc.volume[ti] = std::min<int>(r.u8(), model::kMaxVolume);
        for (int s = 0; s < 6; ++s)
            doc.tuning[ti][static_cast<std::size_t>(s)] = r.u8();
        if (trackCount == 1)
            doc.pan[0] = 50;

        // A count the remaining bytes cannot hold means the file stops early;
        // checking first keeps a damaged count from allocating absurd memory.
        if (static_cast<long long>(measureCount) * kMinMeasureBytes > static_cast<long long>(r.bytesLeft()))
            throw EndOfData();
        CArray<CMesure>& track = doc.tracks[ti];
        track.raw().assign(static_cast<std::size_t>(measureCount), CMesure(CMesure::NoBeats{}));
        for (int m = 0; m < measureCount; ++m) {
            CMesure& measure = track[m];
            measure.index = m;
            // Bits 0..4 are marks; the repeat count above them is kept to
            // what the repeat command can set.
            const auto flags = static_cast<std::uint32_t>(r.i32());
            const auto repeats = std::min<std::uint32_t>(flags >> 5, model::kMaxRepeatCount);
            measure.flags = static_cast<int>((flags & 31u) | (repeats << 5));
            measure.tempo = std::min(r.i32(), model::kMaxTempo);
            measure.numerator = std::min<int>(r.u8(), model::kMaxNumerator);
            measure.denominator = r.u8();
            measure.beatCount = r.u8();
            measure.instrumentSlot = r.u8();
            if (measure.tempo < 1 || measure.numerator < 1 || !model::isValidDenominator(measure.denominator))
                throw DamagedFile("measure header");
            if (measure.instrumentSlot >= slotCount)
                throw DamagedFile("instrument slot");
            const bool drums = doc.slotInstrument[static_cast<std::size_t>(measure.instrumentSlot)] == model::kDrums;
            measure.beats.SetSize(measure.beatCount);
            for (int b = 0; b < measure.beatCount; ++b)
                readBeat(r, measure.beats[b], drums);
            compactMeasure(measure);
        }
        // The editor knows the end of the score by this flag.
        track[measureCount - 1].flags |= model::kFlagLast;
        const int code = doc.slotInstrument[static_cast<std::size_t>(track[0].instrumentSlot)];
        doc.arpeggioLatency[ti] = (code == model::kDrums || code == model::kPiano) ? 1 : 6;
    }
}

} // namespace tbf
