#pragma once

#include "CAccord.h"
#include "CArray.h"

// One measure of one track; the first beatCount entries of beats are in use.
class CMesure {
public:
    int tempo = 60;
    int numerator = 4;
    int denominator = 4;
    int index = 0;
    int beatCount = 0;
    int flags = 0;
    int aux = model::kMeasureAux;
    int instrumentSlot = 0;
    int isCompacted = 0;
    CArray<CAccord> beats;

    CMesure() : beats(model::kDefaultBeats) {}

    // A measure without beat storage, for readers that size the beats themselves.
    struct NoBeats {};
    explicit CMesure(NoBeats) {}

    bool operator==(const CMesure&) const = default;
};

// Length of a measure in 64ths: (64 / denominator) * numerator, integer division first.
int measureLengthTicks(const CMesure& measure);
int measureLengthTicks(int numerator, int denominator);

// Sum of beatTicks over the beats in use.
int usedTicks(const CMesure& measure);

bool isMeasureFull(const CMesure& measure);
void resetMeasureBeats(CMesure& measure, int n);
void compactMeasure(CMesure& measure);
void copyMeasure(CMesure& destination, const CMesure& source);
// Every field but `index` and the beats.
void copyMeasureHeader(CMesure& destination, const CMesure& source);
void copyMeasureInPlace(CMesure& destination, const CMesure& source);
