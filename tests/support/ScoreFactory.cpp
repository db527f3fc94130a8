#include "ScoreFactory.h"

namespace factory {

void newScore(CTabDoc& doc)
{
    doc.OnNewDocument();
}

namespace {
int pick(std::mt19937& rng, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

std::string randomText(std::mt19937& rng, int maxLen)
{
    static const char* pieces[] = {"a", "Z", " ", "é", "è", "ç", "€", "œ", "Ÿ", "’", "…", "9", "\n", "ß", "\"", "\\"};
    std::string s;
    const int n = pick(rng, 0, maxLen);
    for (int i = 0; i < n; ++i)
        s += pieces[pick(rng, 0, 15)];
    return s;
}

CNote randomNote(std::mt19937& rng)
{
    CNote n;
    // Values the editor can make (on any instrument): frets and the dead
    // note, or EMPTY; the eleven techniques; amounts up to 7.
    n.fret = pick(rng, 0, 26);
    if (n.fret == 26)
        n.fret = model::kEmptyFret;
    n.technique = pick(rng, 0, 3) == 0 ? pick(rng, 0, model::kSlap) : 0;
    const int bendKind = pick(rng, 0, 4) == 0 ? (1 << pick(rng, 0, 3)) : 0;
    n.bend = bendKind ? pick(rng, 0, 7) * 16 + bendKind : 0;
    const int vibKind = pick(rng, 0, 4) == 0 ? (1 << pick(rng, 0, 2)) : 0;
    n.vibrato = vibKind ? pick(rng, 0, model::kMaxAmount) * 8 + vibKind : 0;
    return n;
}
} // namespace

void randomScore(CTabDoc& doc, std::mt19937& rng, int maxTracks, int maxMeasures)
{
    doc.OnNewDocument();
    doc.trackCount = pick(rng, 1, maxTracks);
    doc.measureCount = pick(rng, 1, maxMeasures);
    doc.slotCount = pick(rng, 1, 12);
    for (int i = 0; i < doc.slotCount; ++i) {
        doc.slotOrder[static_cast<std::size_t>(i)] = i;
        doc.slotInstrument[static_cast<std::size_t>(i)] = pick(rng, 0, 6);
    }
    doc.title = randomText(rng, 300);
    doc.author = randomText(rng, 20);
    doc.tabber = randomText(rng, 20);
    doc.notes = randomText(rng, 40);
    doc.tripletFeel = pick(rng, 0, 1);
    doc.soloTrack = pick(rng, 0, doc.trackCount);
    doc.showAuthor = pick(rng, 0, 1);
    doc.showTabber = pick(rng, 0, 1);
    doc.scoreTempo = pick(rng, 1, 500);
    doc.scoreNumerator = pick(rng, 1, 16);
    doc.scoreDenominator = 1 << pick(rng, 0, 6);

    std::vector<CMesure> headers(static_cast<std::size_t>(doc.measureCount));
    for (auto& h : headers) {
        h.tempo = pick(rng, 1, 500);
        h.numerator = pick(rng, 1, 16);
        h.denominator = 1 << pick(rng, 0, 6);
        h.flags = pick(rng, 0, 1) ? pick(rng, 0, 1 << 12) : 8;
    }
    headers.back().flags |= model::kFlagLast;
    for (int t = 0; t < doc.trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.trackNames[ti] = randomText(rng, 12);
        doc.pan[ti] = doc.trackCount == 1 ? 50 : pick(rng, 0, 100);
        doc.mute[ti] = pick(rng, 0, 1);
        doc.capo[ti] = pick(rng, 0, 12);
        doc.volume[ti] = pick(rng, 0, 100);
        for (auto& v : doc.tuning[ti])
            v = pick(rng, 0, 40);
        const int slot = pick(rng, 0, doc.slotCount - 1);
        auto& track = doc.tracks[ti];
        track.SetSize(doc.measureCount);
        for (int m = 0; m < doc.measureCount; ++m) {
            CMesure& measure = track[m];
            const CMesure& h = headers[static_cast<std::size_t>(m)];
            measure.index = m;
            measure.tempo = h.tempo;
            measure.numerator = h.numerator;
            measure.denominator = h.denominator;
            measure.flags = h.flags;
            measure.instrumentSlot = slot;
            const int beats = pick(rng, 1, 20);
            measure.beats.SetSize(beats);
            measure.beatCount = beats;
            for (int b = 0; b < beats; ++b) {
                CAccord& beat = measure.beats[b];
                beat.durationCode = pick(rng, 0, 6);
                beat.palmMute = pick(rng, 0, 2);
                beat.isDotted = pick(rng, 0, 1);
                beat.isTied = pick(rng, 0, 1);
                beat.isTriplet = pick(rng, 0, 3) == 0;
                beat.isRest = pick(rng, 0, 5) == 0;
                if (!beat.isRest)
                    for (CNote& n : beat.notes)
                        n = pick(rng, 0, 2) == 0 ? randomNote(rng) : CNote();
            }
            compactMeasure(measure);
        }
    }
}

void denseScore(CTabDoc& doc, int tracks, int measures, int beatsPerMeasure, int notesPerBeat)
{
    doc.OnNewDocument();
    doc.trackCount = tracks;
    doc.measureCount = measures;
    doc.slotCount = tracks;
    for (int t = 0; t < tracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.slotOrder[ti] = t;
        doc.slotInstrument[ti] = t % 7;
        auto& track = doc.tracks[ti];
        track.SetSize(measures);
        for (int m = 0; m < measures; ++m) {
            CMesure& measure = track[m];
            measure.index = m;
            measure.instrumentSlot = t;
            measure.flags = m == 0 ? 1 : (m == measures - 1 ? 2 : 8);
            measure.beats.SetSize(beatsPerMeasure);
            measure.beatCount = beatsPerMeasure;
            for (int b = 0; b < beatsPerMeasure; ++b) {
                CAccord& beat = measure.beats[b];
                beat.durationCode = 3;
                for (int k = 0; k < notesPerBeat && k < 6; ++k) {
                    beat.notes[k].fret = (m + b + k) % 25;
                    beat.notes[k].technique = (b == 3 && k == 0) ? 1 : 0;
                }
            }
            compactMeasure(measure);
        }
    }
}

const CTabDoc& benchmarkScore()
{
    static const CTabDoc score = [] {
        CTabDoc doc;
        denseScore(doc, 10, 1000, 8, 3);
        // Some of everything the drawing knows, so a paint is not all plain digits.
        for (int t = 0; t < 10; ++t)
            for (int m = 0; m < 1000; ++m) {
                CMesure& measure = doc.tracks[static_cast<std::size_t>(t)][m];
                measure.beats[1].notes[1].vibrato = model::kVibratoLeftHand;
                measure.beats[5].notes[2].bend = 2 * 16 + model::kBendBend;
                measure.beats[6].isTied = 1;
                measure.beats[2].palmMute = 1;
                if (m % 4 == 3)
                    measure.flags |= model::kFlagRepeatEnd | 64;
            }
        return doc;
    }();
    return score;
}

} // namespace factory
