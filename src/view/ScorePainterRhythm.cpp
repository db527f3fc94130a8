// Rhythm notation under each staff: rests, stems, beams, flags, dots, ties
// and triplet signs.
#include "ScorePainter.h"

#include "CTabDoc.h"
#include "Glyphs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace view {

namespace {

int codeOf(const CAccord& beat)
{
    return std::clamp(beat.durationCode, 0, 6);
}

} // namespace

void ScorePainter::computeBeams(const CMesure& measure, int count)
{
    // Beams break at the beat units of the time signature: a running position
    // inside the unit tells whether the next beat still lies in the same one.
    joinPrev_.assign(static_cast<std::size_t>(count), 0);
    joinNext_.assign(static_cast<std::size_t>(count), 0);
    const int unit = measure.denominator > 0 ? std::max(64 / measure.denominator, 1) : 16;
    int position = 0;
    for (int j = 0; j < count; ++j) {
        const CAccord& beat = measure.beats[j];
        const int code = codeOf(beat);
        int ticks = 0;
        if (!beat.isTriplet) {
            ticks = 1 << code;
            if (beat.isDotted)
                ticks += ticks / 2;
        }
        position = (position + ticks) % unit;
        if (j + 1 >= count || code >= 4)
            continue;
        const CAccord& next = measure.beats[j + 1];
        if (codeOf(next) >= 4)
            continue;
        const bool sameUnit = position != 0;
        bool join;
        if (joinPrev_[static_cast<std::size_t>(j)])
            join = !next.isRest && sameUnit;
        else
            join = (sameUnit && !next.isRest) || beat.isTriplet;
        if (join) {
            joinNext_[static_cast<std::size_t>(j)] = 1;
            joinPrev_[static_cast<std::size_t>(j + 1)] = 1;
        }
    }
}

void ScorePainter::drawRhythm(const BeatContext& beat)
{
    const CAccord& accord = beat.measure->beats[beat.index];
    const LineRecord& line = *beat.line;
    const int top = line.top;
    const int sc = line.stringCount;
    const int code = codeOf(accord);
    const int rhythmTop = top + truncToInt(units_.halfU + (sc - 1) * units_.u);
    const int stemEnd = rhythmTop + truncToInt(2 * units_.u);
    const bool joinedPrev = joinPrev_[static_cast<std::size_t>(beat.index)] != 0;
    const bool joinedNext = joinNext_[static_cast<std::size_t>(beat.index)] != 0;
    const bool beamed = joinedPrev || joinedNext;

    usePen(units_.pen1);
    canvas_.setTextColor(ink());
    if (accord.isRest) {
        drawRest(beat, accord, top, sc);
    } else {
        drawStem(beat, accord, top, sc);
        if (code < 4 && !beamed)
            drawFlags(beat, code, top, sc);
    }
    if (code < 4 && beamed)
        drawBeams(beat, stemEnd);
    if (accord.isDotted)
        drawDot(beat, code, code < 4 && beamed);
    if (accord.isTied)
        drawTie(beat);
    if (accord.isTriplet && beat.index + 2 < beat.count)
        drawTripletSign(beat);
}

void ScorePainter::drawRest(const BeatContext& beat, const CAccord& accord, int top, int stringCount)
{
    const double x = beat.x;
    const double u = units_.u, t = units_.thirdU;
    const double restTop = top - ((6 - stringCount) / 2) * u;
    const int code = codeOf(accord);
    if (code >= 5) {
        canvas_.setNoPen();
        canvas_.setBrush(inCursorMeasure_ ? colors::kBlue : colors::kBlack);
        if (code == 6)
            canvas_.fillRect(x - t, restTop + 2 * u, x + t, restTop + 5 * units_.halfU);
        else
            canvas_.fillRect(x - t, restTop + 2 * u + units_.twoThirdsU - units_.f / 2, x + t,
                             restTop + 5 * units_.halfU + units_.twoThirdsU - units_.sixthU);
        return;
    }
    static constexpr int kRestGlyph[] = {glyphs::kRest64, glyphs::kRest32, glyphs::kRest16, glyphs::kRest8,
                                         glyphs::kRestQuarter};
    canvas_.setFont(units_.largeMusicFont);
    canvas_.drawGlyph(x, restTop + 2 * u + std::abs(3 - code) * t, kRestGlyph[code]);
}

void ScorePainter::drawStem(const BeatContext& beat, const CAccord& accord, int top, int stringCount)
{
    const double x = beat.x;
    const double u = units_.u;
    const int code = codeOf(accord);
    const int rhythmTop = top + truncToInt(units_.halfU + (stringCount - 1) * u);
    const int stemEnd = rhythmTop + truncToInt(2 * u);
    if (code == 6)
        return;
    usePen(units_.pen1);
    if (code == 5) {
        canvas_.drawLine(x, rhythmTop + u, x, stemEnd);
        return;
    }
    // Staff lines holding a note, lowest first.
    int lines[6];
    int n = 0;
    for (int i = stringCount - 1; i >= 0; --i)
        if (accord.notes[i + 6 - stringCount].fret != model::kEmptyFret)
            lines[n++] = i;
    const int lowest = n > 0 ? lines[0] : stringCount - 1;
    canvas_.drawLine(x, top + lowest * u + units_.twoThirdsU, x, stemEnd);
    // Through the chord the stem leaves the fret numbers free.
    for (int i = 1; i < n && i <= 2; ++i) {
        const double from = top + lines[i] * u + units_.twoThirdsU;
        const double to = top + (lines[i - 1] - 1) * u + units_.thirdU;
        canvas_.drawLine(x, from, x, to);
    }
}

void ScorePainter::drawBeams(const BeatContext& beat, int stemEnd)
{
    const CMesure& m = *beat.measure;
    const int j = beat.index;
    const int k = codeOf(m.beats[j]);
    const bool joinedPrev = joinPrev_[static_cast<std::size_t>(j)] != 0;
    const bool joinedNext = joinNext_[static_cast<std::size_t>(j)] != 0;
    const int kp = joinedPrev ? codeOf(m.beats[j - 1]) : 0;
    const int kn = joinedNext ? codeOf(m.beats[j + 1]) : 0;
    const double x = beat.x, f = units_.f;
    const double A = beat.advance, Aprev = beat.previous;
    usePen(units_.pen3);
    auto y = [&](int level) { return stemEnd - (3 - level) * units_.thirdU; };
    auto right = [&](int level) { canvas_.drawLine(x + f, y(level), x + A / 2 + f, y(level)); };
    auto left = [&](int level) { canvas_.drawLine(x - Aprev / 2 + f, y(level), x - f, y(level)); };
    if (!joinedPrev) {
        for (int level = 3; level >= k; --level)
            right(level);
        return;
    }
    for (int level = 3; level >= std::max(kp, k); --level)
        left(level);
    if (joinedNext)
        for (int level = 3; level >= std::max(kn, k); --level)
            right(level);
    if (k < kp) {
        // Short beams of a beat shorter than its neighbours point to the
        // side that shares them.
        for (int level = kp - 1; level >= k; --level) {
            if (!joinedNext || kp < kn)
                left(level);
            else if (k < kn)
                right(level);
        }
    }
}

void ScorePainter::drawFlags(const BeatContext& beat, int code, int top, int stringCount)
{
    const double t = units_.thirdU;
    const double x = beat.x + truncToInt(isPaper() ? t - units_.f : t);
    const int rhythmTop = top + truncToInt(units_.halfU + (stringCount - 1) * units_.u);
    const double bottomLine = top + (stringCount - 1) * units_.u;
    canvas_.setFont(units_.musicFont);
    canvas_.setTextColor(ink());
    switch (code) {
    case 3:
        canvas_.drawGlyph(x, rhythmTop + t, glyphs::kFlag);
        break;
    case 2:
        canvas_.drawGlyph(x, rhythmTop + t, glyphs::kDoubleFlag);
        break;
    case 1:
        canvas_.drawGlyph(x, rhythmTop + t, glyphs::kFlag);
        canvas_.drawGlyph(x, bottomLine + t, glyphs::kDoubleFlag);
        break;
    case 0:
        canvas_.drawGlyph(x, rhythmTop + t, glyphs::kDoubleFlag);
        canvas_.drawGlyph(x, bottomLine + units_.sixthU, glyphs::kDoubleFlag);
        break;
    default:
        break;
    }
}

void ScorePainter::drawDot(const BeatContext& beat, int code, bool beamed)
{
    const LineRecord& line = *beat.line;
    const int rhythmTop = line.top + truncToInt(units_.halfU + (line.stringCount - 1) * units_.u);
    const double t = units_.thirdU;
    double x, y;
    if (beamed) {
        x = beat.x + t;
        y = rhythmTop + 2 * units_.u - (4 - code) * t;
    } else {
        x = beat.x + t + units_.f;
        y = rhythmTop + 5 * t;
    }
    canvas_.setTextColor(ink());
    if (isPaper()) {
        canvas_.setFont(units_.signatureFont);
        canvas_.drawText(x, y, ".", TextAlign::Centre);
    } else {
        canvas_.setFont(units_.musicFont);
        canvas_.drawGlyph(x, y, glyphs::kDot);
    }
}

namespace {

// Span of the part of an ellipse lying below the height cutY, for drawArc.
void lowerArc(double y1, double y2, double cutY, double& start, double& span)
{
    const double cy = (y1 + y2) / 2, ry = std::max((y2 - y1) / 2, 1e-9);
    const double s = std::clamp((cy - cutY) / ry, -1.0, 1.0);
    const double a = std::asin(s) * 180.0 / std::numbers::pi;
    start = 180 - a;
    span = 180 + 2 * a;
}

} // namespace

void ScorePainter::drawTie(const BeatContext& beat)
{
    const LineRecord& line = *beat.line;
    const double bottomLine = line.top + (line.stringCount - 1) * units_.u;
    const int rhythmTop = line.top + truncToInt(units_.halfU + (line.stringCount - 1) * units_.u);
    const int g = truncToInt(units_.twoThirdsU - units_.f);
    const double x = beat.x;
    // The last beat of a full measure ties over the bar into the next one.
    const bool intoNext = beat.index == beat.count - 1 && isMeasureFull(*beat.measure);
    const double x2 = intoNext ? x + 19 * units_.thirdU : x + beat.advance;
    const double y1 = bottomLine + 4 * g, y2 = bottomLine + 10 * units_.thirdU;
    double start, span;
    lowerArc(y1, y2, rhythmTop + 4 * g, start, span);
    usePen(units_.pen1);
    canvas_.drawArc(x, y1, x2, y2, start, span);
}

void ScorePainter::drawTripletSign(const BeatContext& beat)
{
    const LineRecord& line = *beat.line;
    const MeasureSlot& slot = *beat.slot;
    const double bottomLine = line.top + (line.stringCount - 1) * units_.u;
    const int rhythmTop = line.top + truncToInt(units_.halfU + (line.stringCount - 1) * units_.u);
    const int g = truncToInt(units_.twoThirdsU - units_.f);
    const double x = beat.x;
    const double middle = slot.beatX[static_cast<std::size_t>(beat.index + 1)];
    const double end = slot.beatX[static_cast<std::size_t>(beat.index + 2)];
    usePen(units_.pen1);
    canvas_.drawArc(x, bottomLine + 4 * g, end, rhythmTop + 3 * units_.u + units_.sixthU, 180, 180);
    canvas_.setFont(units_.musicFont);
    canvas_.setTextColor(ink());
    canvas_.drawGlyph(middle, bottomLine + 2 * units_.u + 2 * units_.twoThirdsU, glyphs::kTriplet);
}

} // namespace view
