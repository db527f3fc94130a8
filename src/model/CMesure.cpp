#include "CMesure.h"

#include <algorithm>

int measureLengthTicks(int numerator, int denominator)
{
    if (denominator <= 0)
        return 0;
    return (64 / denominator) * numerator;
}

int measureLengthTicks(const CMesure& measure)
{
    return measureLengthTicks(measure.numerator, measure.denominator);
}

int usedTicks(const CMesure& measure)
{
    const int n = std::min(measure.beatCount, measure.beats.GetSize());
    int sum = 0;
    for (int i = 0; i < n; ++i)
        sum += measure.beats[i].beatTicks();
    return sum;
}

bool isMeasureFull(const CMesure& measure)
{
    return usedTicks(measure) >= measureLengthTicks(measure);
}

void resetMeasureBeats(CMesure& measure, int n)
{
    measure.beats.SetSize(n, model::kDefaultBeats);
    for (int i = 0; i < n; ++i)
        measure.beats[i].resetBeat();
}

void compactMeasure(CMesure& measure)
{
    const int keep = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
    measure.beats.SetSize(keep);
    measure.beats.FreeExtra();
    measure.beatCount = measure.beats.GetSize();
    measure.isCompacted = 1;
}

void copyMeasureHeader(CMesure& d, const CMesure& s)
{
    d.beatCount = s.beatCount;
    d.flags = s.flags;
    d.isCompacted = s.isCompacted;
    d.denominator = s.denominator;
    d.tempo = s.tempo;
    d.numerator = s.numerator;
    d.aux = s.aux;
    d.instrumentSlot = s.instrumentSlot;
}

namespace {
void copyBeatsInUse(CMesure& d, const CMesure& s)
{
    const int n = std::min({d.beats.GetSize(), s.beats.GetSize(), s.beatCount});
    for (int i = 0; i < n; ++i)
        copyBeat(d.beats[i], s.beats[i]);
}
} // namespace

void copyMeasure(CMesure& destination, const CMesure& source)
{
    if (&destination == &source)
        return;
    copyMeasureHeader(destination, source);
    destination.beats.SetSize(std::max(0, source.beatCount));
    copyBeatsInUse(destination, source);
}

void copyMeasureInPlace(CMesure& destination, const CMesure& source)
{
    if (&destination == &source)
        return;
    copyMeasureHeader(destination, source);
    copyBeatsInUse(destination, source);
}
