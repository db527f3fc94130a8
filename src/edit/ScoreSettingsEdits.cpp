#include "ScoreSettingsEdits.h"

#include <algorithm>
#include <climits>

namespace edit {

namespace {
int tracksInUse(const CTabDoc& doc)
{
    return std::clamp(doc.trackCount, 0, model::kMaxTracks);
}

// Runs `f` on measure `m` of every track in use that holds it.
template <typename F>
void forMeasureInEveryTrack(CTabDoc& doc, int m, F f)
{
    for (int t = 0; t < tracksInUse(doc); ++t) {
        auto& measures = doc.tracks[static_cast<std::size_t>(t)];
        if (m >= 0 && m < measures.GetSize())
            f(measures[m]);
    }
}

const CMesure* measureAt(const CTabDoc& doc, int track, int m)
{
    if (track < 0 || track >= tracksInUse(doc))
        return nullptr;
    const auto& measures = doc.tracks[static_cast<std::size_t>(track)];
    return m >= 0 && m < measures.GetSize() ? &measures[m] : nullptr;
}

// Flags above the repeat end (bit values 32 up) hold its count.
constexpr int kLowFlags = 15;
constexpr int kCountUnit = 32;
} // namespace

int readNumber(std::string_view text)
{
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

const char* checkRange(const MeasureRange& range, int measureCount)
{
    const long long f = static_cast<long long>(range.first) - 1;
    const long long l = static_cast<long long>(range.last) - 1;
    if (f < 0 || f >= measureCount)
        return kBadFirstMeasure;
    if (l < 0 || l >= measureCount || l < f)
        return kBadLastMeasure;
    return nullptr;
}

const char* checkSignature(int numerator, int denominator, const MeasureRange& range, int measureCount)
{
    if (numerator < 1 || numerator > 16)
        return kBadBeatsPerMeasure;
    static constexpr int units[] = {1, 2, 4, 8, 16, 32, 64};
    if (std::find(std::begin(units), std::end(units), denominator) == std::end(units))
        return kBadBeatUnit;
    return checkRange(range, measureCount);
}

const char* checkTempo(int tempo, const MeasureRange& range, int measureCount)
{
    if (tempo < 1 || tempo > 500)
        return kBadTempo;
    return checkRange(range, measureCount);
}

const char* checkCapo(int fret)
{
    return fret < 0 || fret > 12 ? kBadCapo : nullptr;
}

const char* checkRepeatCount(int count)
{
    return count < 1 ? kBadRepeatCount : nullptr;
}

void setSignature(CTabDoc& doc, int numerator, int denominator, int first, int last, bool scoreLevel)
{
    if (scoreLevel) {
        doc.scoreNumerator = numerator;
        doc.scoreDenominator = denominator;
    }
    for (int m = first; m <= last; ++m)
        forMeasureInEveryTrack(doc, m, [&](CMesure& measure) {
            measure.numerator = numerator;
            measure.denominator = denominator;
        });
}

void setTempo(CTabDoc& doc, int tempo, int first, int last)
{
    if (first == 0)
        doc.scoreTempo = tempo;
    for (int m = first; m <= last; ++m)
        forMeasureInEveryTrack(doc, m, [&](CMesure& measure) { measure.tempo = tempo; });
}

bool hasRepeatStart(const CTabDoc& doc, int track, int measure)
{
    const CMesure* m = measureAt(doc, track, measure);
    return m && (m->flags & model::kFlagRepeatStart);
}

bool hasRepeatEnd(const CTabDoc& doc, int track, int measure)
{
    const CMesure* m = measureAt(doc, track, measure);
    return m && (m->flags & model::kFlagRepeatEnd);
}

void toggleRepeatStart(CTabDoc& doc, int measure)
{
    const bool set = !hasRepeatStart(doc, 0, measure);
    forMeasureInEveryTrack(doc, measure, [&](CMesure& m) {
        m.flags = set ? m.flags | model::kFlagRepeatStart : m.flags & ~model::kFlagRepeatStart;
    });
}

void clearRepeatEnd(CTabDoc& doc, int measure)
{
    forMeasureInEveryTrack(doc, measure, [](CMesure& m) { m.flags &= kLowFlags; });
}

void setRepeatEnd(CTabDoc& doc, int measure, int count)
{
    // A count left in the flags without its end mark would mix into the new one.
    const int n = std::clamp(count, 1, (INT_MAX - model::kFlagRepeatEnd) / kCountUnit);
    forMeasureInEveryTrack(doc, measure,
                           [&](CMesure& m) { m.flags = (m.flags & kLowFlags) | (n * kCountUnit + model::kFlagRepeatEnd); });
}

ScoreProperties ScoreProperties::of(const CTabDoc& doc)
{
    return {doc.title,           doc.author,           doc.tabber,          doc.notes,
            doc.tripletFeel != 0, doc.showAuthor != 0, doc.showTabber != 0};
}

void ScoreProperties::applyTo(CTabDoc& doc) const
{
    doc.title = title;
    doc.author = author;
    doc.tabber = tabber;
    doc.notes = notes;
    doc.tripletFeel = tripletFeel ? 1 : 0;
    doc.showAuthor = showAuthor ? 1 : 0;
    doc.showTabber = showTabber ? 1 : 0;
}

} // namespace edit
