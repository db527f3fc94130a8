// Fret numbers, dead notes and the playing-technique marks of each beat.
#include "ScorePainter.h"

#include "CTabDoc.h"
#include "Glyphs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace view {

namespace {

// Angle of the point of an ellipse's outline that lies on the ray from its
// centre through (px, py), as drawArc counts it.
double rayAngle(double x1, double y1, double x2, double y2, double px, double py)
{
    const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    const double rx = std::max(std::abs(x2 - x1) / 2, 1e-9), ry = std::max(std::abs(y2 - y1) / 2, 1e-9);
    return std::atan2(-(py - cy) / ry, (px - cx) / rx) * 180.0 / std::numbers::pi;
}

} // namespace

void ScorePainter::drawArcThrough(double x1, double y1, double x2, double y2, double startX, double startY, double endX,
                                  double endY)
{
    // From the start ray anticlockwise to the end ray.
    const double a = rayAngle(x1, y1, x2, y2, startX, startY);
    const double b = rayAngle(x1, y1, x2, y2, endX, endY);
    double span = b - a;
    while (span <= 0)
        span += 360;
    canvas_.drawArc(x1, y1, x2, y2, a, span);
}

void ScorePainter::drawDashes(double x1, double x2, double y)
{
    for (double x = x1; x < x2; x += units_.twoThirdsU)
        canvas_.drawLine(x, y, std::min(x + units_.thirdU, x2), y);
}

void ScorePainter::drawArrowHead(double x, double tipY, bool up)
{
    const double s = up ? 1 : -1;
    const double t = units_.thirdU;
    canvas_.drawLine(x, tipY, x, tipY + s * units_.twoThirdsU);
    canvas_.drawLine(x, tipY, x - t, tipY + s * (t + units_.f));
    canvas_.drawLine(x, tipY, x + t, tipY + s * (t + units_.f));
}

void ScorePainter::drawNotes(const BeatContext& beat, bool cursorHere)
{
    const LineRecord& line = *beat.line;
    const CAccord& accord = beat.measure->beats[beat.index];
    const CAccord* previous = beat.index > 0 ? &beat.measure->beats[beat.index - 1] : nullptr;
    for (int i = 0; i < line.stringCount; ++i) {
        const int k = i + 6 - line.stringCount;
        const CNote& note = accord.notes[k];
        if (note.fret == model::kEmptyFret)
            continue;
        const int y = line.stringY[static_cast<std::size_t>(i)];
        if (note.technique != 0 || note.bend != 0 || note.vibrato != 0)
            drawTechnique(beat, note, y);
        // A tied note held on the same fret is read from the first one.
        if (previous && previous->isTied && previous->notes[k].fret == note.fret)
            continue;
        drawFret(beat, note, y, cursorHere && i == std::clamp(state_.cursorString, 0, line.stringCount - 1));
    }
}

void ScorePainter::drawFret(const BeatContext& beat, const CNote& note, int y, bool cursorCell)
{
    const double x = beat.x;
    const double f = units_.f, t = units_.twoThirdsU;
    canvas_.setFont(units_.musicFont);
    canvas_.setTextColor(ink());
    const int fret = note.fret;
    if (fret == model::kDeadFret && !beat.drums) {
        if (!cursorCell) {
            canvas_.setBackgroundPen(units_.pen1);
            canvas_.drawLine(x - t, y, x + t, y);
        }
        canvas_.drawGlyph(x, y, glyphs::kDeadNote);
        canvas_.drawGlyph(x + 0.6 * f, y + 0.6 * f, glyphs::kDeadNote);
        return;
    }
    const int value = std::abs(fret) % 100;
    if (value < 10) {
        if (!cursorCell) {
            canvas_.setBackgroundPen(units_.pen1);
            canvas_.drawLine(x - t + f, y, x + t - f, y);
        }
        canvas_.drawGlyph(x + f, y, '0' + value);
        return;
    }
    if (!cursorCell) {
        canvas_.setBackgroundPen(units_.pen1);
        canvas_.drawLine(x - t + f, y, x + t, y);
    }
    canvas_.drawGlyph(x - units_.thirdU + f, y, '0' + value / 10);
    canvas_.drawGlyph(x + units_.thirdU, y, '0' + value % 10);
}

void ScorePainter::drawTechnique(const BeatContext& beat, const CNote& note, int y)
{
    const double x = beat.x;
    const double u = units_.u, f = units_.f;
    const double A = beat.advance;
    const int P = beat.previous;
    const double m = std::min(units_.twoThirdsU, P / 4.0);
    const int top = beat.line->top;
    usePen(units_.pen1);
    canvas_.setTextColor(ink());
    canvas_.setFont(units_.tinyFont);
    switch (note.technique) {
    case model::kHammerOn:
    case model::kPullOff: {
        const double x1 = x - P + units_.thirdU + units_.sixthU - f / 2;
        const double x2 = x - units_.thirdU - units_.sixthU + f / 2;
        canvas_.drawArc(x1, y - P / 8.0, x2, y + P / 8.0, 0, 180);
        canvas_.drawText(x - 2 * (P / 4), y - P / 8.0 - f, note.technique == model::kHammerOn ? "H" : "P",
                         TextAlign::Centre);
        break;
    }
    case model::kSlideUp:
        canvas_.drawLine(x - P + m, y + 0.6 * units_.charWidth, x - m, y - 0.6 * units_.charWidth);
        break;
    case model::kSlideDown:
        canvas_.drawLine(x - P + m, y - 0.6 * units_.charWidth, x - m, y + 0.6 * units_.charWidth);
        break;
    case model::kLeftHandTapping:
        canvas_.setBackgroundBrush();
        canvas_.drawEllipse(x - A / 4 - f, y - A / 4 + f, x + A / 4 + f, y + A / 4 - f);
        break;
    case model::kTapping:
        canvas_.setBackgroundBrush();
        canvas_.drawPolygon({{x - u, double(y)}, {x, y - A / 4 - f}, {x + u, double(y)}, {x, y + A / 4 + f}});
        break;
    case model::kNaturalHarmonic:
    case model::kArtificialHarmonic:
    case model::kPop:
    case model::kSlap: {
        static const char* labels[] = {"NH", "AH", "P.", "S."};
        canvas_.drawText(x, top - units_.twoThirdsU, labels[note.technique - model::kNaturalHarmonic], TextAlign::Centre);
        break;
    }
    default:
        break;
    }
    if (note.bend != 0)
        drawBend(beat, note, y);
    if (note.vibrato != 0)
        drawVibrato(beat, note);
}

void ScorePainter::drawBendAmount(int amount, double anchorX, double baseY, TextAlign align)
{
    canvas_.setFont(units_.tinyFont);
    canvas_.setTextColor(ink());
    const double t = units_.thirdU, f = units_.f;
    // Amounts count half tones: 2 is a whole tone ("Full") and an odd amount
    // ends in a half, written as a small stacked fraction.
    const bool half = amount <= 1 || amount % 2 == 1;
    const std::string whole = amount == 2 ? "Full" : (amount >= 2 ? numberText(amount / 2) : "");
    const double fw = half ? canvas_.textWidth(units_.tinyFont, "1") + f : 0;
    const double ww = whole.empty() ? 0 : canvas_.textWidth(units_.tinyFont, whole);
    const double right = align == TextAlign::Right ? anchorX : anchorX + (fw + ww) / 2;
    if (!whole.empty())
        canvas_.drawText(right - fw, baseY, whole, TextAlign::Right);
    if (half) {
        const double fx = right - fw / 2;
        canvas_.drawText(fx, baseY - t, "1", TextAlign::Centre);
        canvas_.drawText(fx, baseY, "\u2013", TextAlign::Centre);
        canvas_.drawText(fx, baseY + f + t, amount <= 0 ? "4" : "2", TextAlign::Centre);
    }
}

void ScorePainter::drawBend(const BeatContext& beat, const CNote& note, int y)
{
    const double x = beat.x;
    const double u = units_.u, f = units_.f, t = units_.thirdU;
    const double A = beat.advance;
    const int kind = note.bend & 15;
    const int amount = note.bend / 16;
    usePen(units_.pen1);
    // Where a held line may start: the end of the previous bend mark when it
    // lies just before this note, else a little before the note itself.
    const bool continues = bendEndX_ < x && bendEndX_ >= x - 8 * t;
    if (kind & model::kBendBend) {
        drawArcThrough(x - A / 4, y - 10 * t, x + 3 * A / 4, y - t, x + A / 4, y - t, x + 3 * A / 4, y - 2 * u);
        const double xe = x + 3 * A / 4 - f;
        drawArrowHead(xe, y - 2 * u - t, true);
        bendEndX_ = xe + 2 * f;
        drawBendAmount(amount, xe - t - f, y - 2 * u, TextAlign::Right);
    }
    if (kind & model::kBendHeld) {
        const double from = continues ? bendEndX_ : x - A / 8;
        const double to = x + 5 * A / 8;
        drawDashes(from, to, y - 2 * u - f);
        bendEndX_ = to;
    }
    if (kind & model::kBendRelease) {
        double xs = x;
        if (continues) {
            xs = x + A / 16;
            drawDashes(bendEndX_, xs, y - 2 * u - f);
        } else {
            canvas_.drawLine(x - t, y - 2 * u - f, x, y - 2 * u - f);
        }
        const double rx = A / 2;
        canvas_.drawArc(xs - rx, y - 2 * u, xs + rx, y + 2 * u - 2 * t, 0, 90);
        drawArrowHead(xs + rx, y - t, false);
        bendEndX_ = xs + rx + 2 * f;
    }
    if (kind & model::kBendBendRelease) {
        const double start = x + A / 16, peak = x + 15 * A / 32, end = x + 69 * A / 80;
        const double yb = y - t, h = 2 * u - t;
        canvas_.drawArc(start, yb - h, 2 * peak - start, yb + h, 90, 90);
        canvas_.drawArc(2 * peak - end, yb - h, end, yb + h, 0, 90);
        drawArrowHead(end, y - t, false);
        drawBendAmount(amount, peak, y - 2 * u - units_.twoThirdsU, TextAlign::Centre);
    }
}

void ScorePainter::drawVibrato(const BeatContext& beat, const CNote& note)
{
    const double x = beat.x;
    const double u = units_.u, t = units_.thirdU;
    const double A = beat.advance;
    const int top = beat.line->top;
    const double above = top - units_.twoThirdsU;
    usePen(units_.pen1);
    canvas_.setTextColor(ink());
    if (note.vibrato & model::kVibratoLeftHand) {
        const double gw = std::max(units_.glyphWidth, 1.0);
        double px = (vibratoEndX_ < x && vibratoEndX_ >= x - 8 * t) ? vibratoEndX_ : x;
        canvas_.setFont(units_.musicFont);
        while (px <= x + gw) {
            canvas_.drawGlyph(px, above, glyphs::kVibratoWave);
            px += gw;
        }
        vibratoEndX_ = px;
    }
    if (note.vibrato & model::kVibratoTremoloBar) {
        std::vector<PointF> zigzag;
        double px = x - u, py = above - t;
        zigzag.push_back({px, py});
        for (int i = 0; i < 9; ++i) {
            px += t;
            py += (i % 2 == 0) ? -t : t;
            zigzag.push_back({px, py});
        }
        canvas_.drawPolyline(zigzag);
    }
    if (note.vibrato & model::kVibratoDip) {
        canvas_.drawPolyline({{x - A / 4, above - A / 2}, {x, above}, {x + A / 4, above - A / 2}});
        canvas_.setFont(units_.tinyFont);
        const std::string whole = numberText(note.vibrato / 16);
        if (note.vibrato & 8) {
            canvas_.drawText(x - t, above - u, whole, TextAlign::Centre);
            canvas_.drawText(x + units_.sixthU, above - u, ".5", TextAlign::Centre);
        } else {
            canvas_.drawText(x, above - u, whole, TextAlign::Centre);
        }
    }
}

void ScorePainter::drawBeatMarks(const BeatContext& beat)
{
    const CAccord& accord = beat.measure->beats[beat.index];
    const double x = beat.x;
    const double u = units_.u, t = units_.thirdU;
    const int top = beat.line->top;
    usePen(units_.pen1);
    if (accord.palmMute == 1 || accord.palmMute == 2) {
        const double y = top - truncToInt(4 * t);
        if (accord.palmMute == 1) {
            canvas_.drawLine(x - u, top - u, x - u, y);
            canvas_.setFont(units_.tinyFont);
            canvas_.setTextColor(ink());
            canvas_.drawText(x - t, top - 4 * truncToInt(units_.twoThirdsU - units_.f), "P.M.", TextAlign::Centre);
        }
        drawDashes(x - u, x + beat.advance - u, y);
    }
    if (accord.arpeggio == 1 || accord.arpeggio == 2) {
        const double lx = x - units_.twoThirdsU;
        const double yTop = top, yBottom = beat.line->bottom();
        canvas_.drawLine(lx, yBottom, lx, yTop);
        const bool up = accord.arpeggio == 1;
        const double tip = up ? yTop : yBottom;
        const double back = up ? t : -t;
        canvas_.drawLine(lx, tip, x - u, tip + back);
        canvas_.drawLine(lx, tip, x - t, tip + back);
    }
}

} // namespace view
