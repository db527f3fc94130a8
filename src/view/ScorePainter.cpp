#include "ScorePainter.h"

#include "Backgrounds.h"
#include "CTabDoc.h"
#include "Glyphs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace view {

std::string numberText(int n)
{
    return std::to_string(n);
}

ScorePainter::ScorePainter(Canvas& canvas, const CTabDoc& doc, const ViewState& state, const ScoreLayout& layout)
    : canvas_(canvas), doc_(doc), state_(state), layout_(layout), units_(layout.units())
{
}

void ScorePainter::usePen(int width)
{
    canvas_.setPen(ink(), width);
}

void ScorePainter::useBlackBrush()
{
    canvas_.setBrush(colors::kBlack);
}

void ScorePainter::paint()
{
    bendEndX_ = 0;
    vibratoEndX_ = 0;
    inCursorMeasure_ = false;
    cursor_ = locateCursor(doc_, state_, layout_);
    drawBackground();
    if (layout_.showsTitle() && !state_.isPlaying && rowsFrom_ <= units_.drawRect.top + 12 * units_.u)
        drawTitleBlock();
    for (const LineRecord& line : layout_.lineRecords())
        if (reaches(line))
            drawStaff(line);
    for (const LineRecord& line : layout_.lineRecords())
        if (reaches(line))
            drawMeasures(line);
    if (cursor_ && cursor_->square)
        drawCursor(*cursor_);
    if (state_.isPlaying)
        paintPlayMarker();
}

void ScorePainter::limitToRows(int y0, int y1)
{
    rowsFrom_ = y0;
    rowsTo_ = y1;
}

Rect ScorePainter::lineBand(const LineRecord& line, const ViewUnits& units)
{
    // Above the staff: measure numbers, tempo marks, bends and their amounts;
    // below it: stems, beams, ties and triplet signs (under 4.5 u).
    const int bottom = line.firstOfGroup ? std::max(line.bottom(), line.groupBottom) : line.bottom();
    return {units.drawRect.left - 2 * static_cast<int>(units.u), line.top - static_cast<int>(std::ceil(5 * units.u)),
            units.drawRect.right + 2 * static_cast<int>(units.u), bottom + static_cast<int>(std::ceil(5 * units.u))};
}

bool ScorePainter::reaches(const LineRecord& line) const
{
    const Rect band = lineBand(line, units_);
    return band.bottom >= rowsFrom_ && band.top <= rowsTo_;
}

std::optional<CursorSpot> ScorePainter::locateCursor(const CTabDoc& doc, const ViewState& state, const ScoreLayout& layout)
{
    if (layout.units().paper || state.isPlaying)
        return std::nullopt;
    bool anyMeasure = false;
    for (const LineRecord& line : layout.lineRecords()) {
        anyMeasure = anyMeasure || !line.measureSlots.empty();
        for (const MeasureSlot& slot : line.measureSlots) {
            if (!measureAt(doc, slot.track, slot.measure) || !(state.cursorMeasure == MeasureRef{slot.track, slot.measure}))
                continue;
            CursorSpot spot;
            spot.line = &line;
            spot.slot = &slot;
            spot.top = line.top;
            spot.stringCount = line.stringCount;
            // A beat index the measure does not hold shows on its first beat.
            spot.beat = state.cursorBeat >= 0 && state.cursorBeat < slot.beatCount ? state.cursorBeat : 0;
            spot.x = slot.beatCount > 0 ? slot.beatX[static_cast<std::size_t>(spot.beat)] : slot.firstBeatX;
            return spot;
        }
    }
    if (anyMeasure || layout.lineRecords().empty())
        return std::nullopt;
    // Nothing of the score in the window: the cursor still shows where typing goes.
    const LineRecord& first = layout.lineRecords().front();
    CursorSpot spot;
    spot.line = &first;
    spot.x = layout.firstBeatXOfLine(first.line);
    spot.top = first.top;
    spot.stringCount = first.stringCount;
    spot.square = true;
    return spot;
}

namespace {
// A box around a shape, widened by the pen and the antialiasing fringe.
Rect grownBox(double x1, double y1, double x2, double y2, int pen)
{
    const int m = std::max(pen, 1) + 2;
    return {static_cast<int>(std::floor(x1)) - m, static_cast<int>(std::floor(y1)) - m,
            static_cast<int>(std::ceil(x2)) + m + 1, static_cast<int>(std::ceil(y2)) + m + 1};
}
} // namespace

Rect ScorePainter::cursorBounds(const CursorSpot& spot, int cursorString, const ViewUnits& units)
{
    const int string = std::clamp(cursorString, 0, std::max(spot.stringCount - 1, 0));
    const double y = spot.top + string * units.u;
    const double halfHeight = std::max(static_cast<double>(truncToInt(units.twoThirdsU - units.f)), units.f);
    // The staff line is kept under the cursor cell from x - 2u/3 to x + 2u/3.
    const double halfWidth = std::max(units.twoThirdsU, halfHeight);
    return grownBox(spot.x - halfWidth, y - halfHeight, spot.x + halfWidth, y + halfHeight, units.pen1);
}

Rect ScorePainter::playMarkerBounds(const PlayMarkerSpot& spot, const ViewUnits& units)
{
    return grownBox(spot.x - units.halfU, spot.bottom + 3 * units.u, spot.x + units.halfU, spot.bottom + 4 * units.u,
                    units.pen1);
}

void ScorePainter::drawBackground()
{
    const bool picture = !isPaper() && !state_.isPlaying;
    const Color plain = picture ? backgroundPlainColor(state_.backgroundIndex) : colors::kWhite;
    canvas_.setBackground(picture, backgroundImage(state_.backgroundIndex), plain);
    const Rect& page = units_.pageRect;
    canvas_.drawBackground(page.left, page.top, page.right, page.bottom);
}

void ScorePainter::drawRepeatDots(double x, int top, int stringCount)
{
    const double u = units_.u, f = units_.f;
    const int upper = truncToInt(top + u - (5 - stringCount) * units_.halfU);
    const int lower = truncToInt(top + 4 * u - (7 - stringCount) * units_.halfU);
    const double w = 2 * units_.sixthU;
    for (int cy : {upper, lower})
        canvas_.drawEllipse(x, cy - f, x + w, cy + 3 * f);
}

void ScorePainter::drawStaff(const LineRecord& line)
{
    const Rect& r = units_.drawRect;
    const double u = units_.u, f = units_.f;
    const int top = line.top;
    const int bottom = line.bottom();
    canvas_.setPen(colors::kBlack, units_.pen1);
    for (int i = 0; i < line.stringCount; ++i) {
        const bool inner = i > 0 && i < line.stringCount - 1;
        const double x0 = (line.line == 1 && inner) ? r.left + units_.halfU : r.left;
        const int y = line.stringY[static_cast<std::size_t>(i)];
        canvas_.drawLine(x0, y, r.right, y);
    }
    canvas_.setNoPen();
    canvas_.setBrush(colors::kBlack);
    if (line.line == 1) {
        canvas_.fillRect(r.left - f, top, r.left + 3 * f, bottom + 1);
        canvas_.setPen(colors::kBlack, units_.pen1);
        canvas_.drawLine(r.left + units_.halfU, top, r.left + units_.halfU, bottom);
        const CMesure* first = measureAt(doc_, line.track, 0);
        if (first && (first->flags & model::kFlagRepeatStart))
            drawRepeatDots(r.left + u - units_.sixthU, top, line.stringCount);
        drawTimeSignature(doc_.scoreNumerator, doc_.scoreDenominator, r.left + 2 * u, r.left + units_.halfU + 2 * u, top,
                          line.stringCount, colors::kFirstSignature);
    } else {
        canvas_.fillRect(r.left, top, r.left + units_.sixthU, bottom + 1);
    }
    canvas_.setNoPen();
    canvas_.setBrush(colors::kBlack);
    canvas_.fillRect(r.right, top, r.right + units_.sixthU, bottom + 1);

    if (layout_.multiTrack()) {
        canvas_.setFont(units_.boldTextFont);
        canvas_.setTextColor(colors::kStaffName);
        canvas_.drawText(r.right - u, top - 4 * units_.sixthU, doc_.trackNames[static_cast<std::size_t>(line.track)],
                         TextAlign::Right);
        if (line.firstOfGroup) {
            const double w = line.line == 1 ? units_.sixthU : f;
            canvas_.fillRect(r.left, top, r.left + std::max(w, 1.0), line.groupBottom);
            canvas_.fillRect(r.right - 2 * f, top, r.right, line.groupBottom);
        }
    }
}

void ScorePainter::drawTimeSignature(int numerator, int denominator, double xNumerator, double xDenominator, int top,
                                     int stringCount, Color color)
{
    const double y = top + units_.twoU - (6 - stringCount) * units_.halfU;
    canvas_.setFont(units_.signatureFont);
    canvas_.setTextColor(color);
    canvas_.drawText(xNumerator, y, numberText(numerator), TextAlign::Centre);
    canvas_.drawText(xDenominator, y + units_.twoU, numberText(denominator), TextAlign::Centre);
}

void ScorePainter::drawTempoMark(double noteX, double numberX, int top, int tempo)
{
    canvas_.setFont(units_.largeMusicFont);
    canvas_.setTextColor(colors::kChange);
    canvas_.drawGlyph(noteX, top - 5 * units_.thirdU, glyphs::kTempoNote);
    canvas_.setFont(units_.smallTextFont);
    canvas_.drawText(numberX, top - truncToInt(4 * units_.thirdU), numberText(tempo), TextAlign::Centre);
}

void ScorePainter::drawMeasureNumber(const LineRecord& line, int number, double x)
{
    canvas_.setFont(units_.smallTextFont);
    canvas_.setTextColor(colors::kMeasureNumber);
    const double y = line.top - units_.thirdU;
    const std::string text = numberText(number);
    canvas_.drawText(x, y, text, TextAlign::Centre);
    // Written twice, a hair apart, so that it reads bold.
    if (!state_.isPlaying)
        canvas_.drawText(x + truncToInt(isPaper() ? 0.6 * units_.f : units_.f), y, text, TextAlign::Centre);
}

void ScorePainter::drawLineStartChanges(const LineRecord& line, const MeasureSlot& slot, const CMesure& measure)
{
    const CMesure* previous = measureAt(doc_, slot.track, slot.measure - 1);
    if (!previous)
        return;
    const double x = slot.firstBeatX;
    if (measure.numerator != previous->numerator || measure.denominator != previous->denominator)
        drawTimeSignature(measure.numerator, measure.denominator, x - 3 * units_.halfU, x - 3 * units_.halfU, line.top,
                          line.stringCount, colors::kChange);
    if (measure.tempo != previous->tempo)
        drawTempoMark(x - 2 * units_.twoThirdsU - units_.thirdU, x, line.top, measure.tempo);
    if (measure.instrumentSlot != previous->instrumentSlot && !isPaper() && !state_.isPlaying) {
        const int dx = truncToInt(truncToInt(4 * units_.twoThirdsU) + units_.thirdU);
        canvas_.drawImage(ImageId::InstrumentChange, x - dx - units_.thirdU, line.top - 5 * units_.thirdU - 12);
    }
}

void ScorePainter::drawMidLineChanges(const LineRecord& line, int barX, const CMesure& previous, const CMesure& next)
{
    if (next.numerator != previous.numerator || next.denominator != previous.denominator) {
        const double x = barX + truncToInt(4 * units_.thirdU);
        drawTimeSignature(next.numerator, next.denominator, x, x, line.top, line.stringCount, colors::kChange);
    }
    if (next.tempo != previous.tempo)
        drawTempoMark(barX + units_.thirdU, barX + 5 * units_.thirdU, line.top, next.tempo);
    if (next.instrumentSlot != previous.instrumentSlot && !isPaper() && !state_.isPlaying)
        canvas_.drawImage(ImageId::InstrumentChange, barX - units_.thirdU, line.top - truncToInt(4 * units_.thirdU) - 16);
}

void ScorePainter::drawMeasures(const LineRecord& line)
{
    const double twoThirds4 = truncToInt(4 * units_.twoThirdsU);
    const bool firstShown = !layout_.lineRecords().empty() && &line == &layout_.lineRecords().front();
    for (std::size_t s = 0; s < line.measureSlots.size(); ++s) {
        const MeasureSlot& slot = line.measureSlots[s];
        const CMesure* measure = measureAt(doc_, slot.track, slot.measure);
        if (!measure)
            continue;
        inCursorMeasure_ = showsCursor() && state_.cursorMeasure == MeasureRef{slot.track, slot.measure};

        if (s == 0) {
            if (line.line >= 2)
                drawLineStartChanges(line, slot, *measure);
            if (line.line >= 2 && (measure->flags & model::kFlagRepeatStart))
                drawStartRepeat(line, units_.drawRect.left);
            double dx = truncToInt(twoThirds4 + (isPaper() ? units_.twoThirdsU : units_.thirdU));
            if (firstShown)
                dx = twoThirds4;
            drawMeasureNumber(line, slot.measure + 1, slot.firstBeatX - dx);
        } else {
            drawMeasureNumber(line, slot.measure + 1, line.measureSlots[s - 1].barX);
        }

        computeBeams(*measure, slot.beatCount);
        const int lead = truncToInt(8 * units_.u / 3);
        const bool cursorHere = cursor_ && cursor_->slot == &slot;
        const int cursorBeat = cursorHere ? cursor_->beat : -1;
        for (int j = 0; j < slot.beatCount; ++j) {
            BeatContext b;
            b.line = &line;
            b.slot = &slot;
            b.measure = measure;
            b.index = j;
            b.count = slot.beatCount;
            b.x = slot.beatX[static_cast<std::size_t>(j)];
            b.advance = j + 1 < slot.beatCount ? slot.beatX[static_cast<std::size_t>(j + 1)] - b.x
                                               : units_.advance(measure->beats[j].durationCode);
            if (j > 0)
                b.previous = b.x - slot.beatX[static_cast<std::size_t>(j - 1)];
            else
                b.previous = s == 0 ? lead : 2 * lead;
            b.drums = instrumentOfMeasure(doc_, *measure) == model::kDrums;
            if (j == cursorBeat)
                drawCursor(*cursor_);
            drawNotes(b, j == cursorBeat);
            drawBeatMarks(b);
            drawRhythm(b);
        }
        if (cursorHere && slot.beatCount == 0)
            drawCursor(*cursor_);

        const bool lastOnLine = s + 1 == line.measureSlots.size();
        drawBarAfter(line, slot, *measure, lastOnLine);
        if (!lastOnLine) {
            const CMesure* next = measureAt(doc_, line.measureSlots[s + 1].track, line.measureSlots[s + 1].measure);
            inCursorMeasure_ = false;
            if (next)
                drawMidLineChanges(line, slot.barX, *measure, *next);
        }
    }
    inCursorMeasure_ = false;
    if (line.holdsLastMeasure)
        drawFinalBar(line);
}

void ScorePainter::drawEndRepeat(const LineRecord& line, int barX, int count)
{
    const double u = units_.u, f = units_.f;
    const int top = line.top, bottom = line.bottom();
    const double y = bottom + u;
    canvas_.setFont(units_.tinyFont);
    canvas_.setTextColor(colors::kRepeatCount);
    canvas_.drawText(barX - u, y, "X", TextAlign::Centre);
    const std::string n = numberText(count);
    canvas_.drawText(barX - 3 * units_.sixthU, y, n, TextAlign::Centre);
    canvas_.drawText(barX - 5 * f, y, n, TextAlign::Centre);
    usePen(units_.pen1);
    canvas_.setBackgroundBrush();
    canvas_.drawRect(barX - units_.thirdU, top, barX, bottom + 1);
    canvas_.setNoPen();
    useBlackBrush();
    canvas_.fillRect(barX, top, barX + 2 * f, bottom + 1);
    usePen(units_.pen1);
    drawRepeatDots(barX - 3 * f - units_.twoThirdsU, top, line.stringCount);
}

void ScorePainter::drawStartRepeat(const LineRecord& line, int barX)
{
    const double f = units_.f;
    const int top = line.top, bottom = line.bottom();
    canvas_.setNoPen();
    useBlackBrush();
    canvas_.fillRect(barX, top, barX + units_.sixthU, bottom + 1);
    usePen(units_.pen1);
    canvas_.setBackgroundBrush();
    canvas_.drawRect(barX + units_.sixthU, top, barX + units_.sixthU + units_.thirdU, bottom + 1);
    useBlackBrush();
    drawRepeatDots(barX + f + units_.twoThirdsU, top, line.stringCount);
}

void ScorePainter::drawBarAfter(const LineRecord& line, const MeasureSlot& slot, const CMesure& measure, bool lastOnLine)
{
    const int x = slot.barX;
    if (measure.flags & model::kFlagRepeatEnd) {
        drawEndRepeat(line, x, measure.flags / 32);
        return;
    }
    // A repeat start belongs to the measure that follows; at a line break it
    // is drawn at the start of the next line instead.
    const CMesure* next = measureAt(doc_, slot.track, slot.measure + 1);
    if (!lastOnLine && next && slot.measure + 1 < layout_.measureCount() && (next->flags & model::kFlagRepeatStart)) {
        drawStartRepeat(line, x);
        return;
    }
    usePen(units_.pen1);
    canvas_.drawLine(x, line.top, x, line.bottom());
    canvas_.drawLine(x + units_.f, line.top, x + units_.f, line.bottom());
}

void ScorePainter::drawFinalBar(const LineRecord& line)
{
    const double f = units_.f;
    const int right = units_.drawRect.right;
    const int top = line.top, bottom = line.bottom();
    const bool cursorInLast = showsCursor() && state_.cursorMeasure == MeasureRef{line.track, layout_.measureCount() - 1};
    canvas_.setPen(cursorInLast ? colors::kCursorMeasure : colors::kBlack, units_.pen1);
    canvas_.setBackgroundBrush();
    canvas_.drawRect(right - 5 * f, top, right - f, bottom + 1);
    canvas_.setNoPen();
    canvas_.setBrush(cursorInLast ? colors::kBlue : colors::kBlack);
    canvas_.fillRect(right - f, top, right + f, bottom + 1);
}

void ScorePainter::drawCursor(const CursorSpot& spot)
{
    const int string = std::clamp(state_.cursorString, 0, spot.stringCount - 1);
    const double y = spot.top + string * units_.u;
    const double halfHeight = truncToInt(units_.twoThirdsU - units_.f);
    canvas_.setPen(colors::kCursorMeasure, units_.pen1);
    canvas_.setBrush(colors::kYellow);
    if (spot.square) {
        canvas_.setNoPen();
        canvas_.fillRect(spot.x - halfHeight, y - halfHeight, spot.x + halfHeight, y + halfHeight);
        return;
    }
    const double halfWidth = units_.twoThirdsU;
    canvas_.drawEllipse(spot.x - halfWidth, y - halfHeight, spot.x + halfWidth, y + halfHeight);
}

std::optional<PlayMarkerSpot> ScorePainter::locatePlayMarker(const ViewState& state, const ScoreLayout& layout)
{
    // The marker sits under the cursor track's staff of the playing measure.
    for (int pass = 0; pass < 2; ++pass)
        for (const LineRecord& line : layout.lineRecords()) {
            if (pass == 0 && line.track != state.cursorTrack)
                continue;
            for (const MeasureSlot& s : line.measureSlots) {
                if (s.measure != state.cursorMeasureIndex)
                    continue;
                PlayMarkerSpot spot;
                spot.line = &line;
                spot.slot = &s;
                spot.x = s.firstBeatX;
                if (s.beatCount > 0)
                    spot.x = s.beatX[static_cast<std::size_t>(std::clamp(state.cursorBeat, 0, s.beatCount - 1))];
                spot.bottom = line.bottom();
                return spot;
            }
        }
    return std::nullopt;
}

void ScorePainter::paintPlayMarker()
{
    const std::optional<PlayMarkerSpot> spot = locatePlayMarker(state_, layout_);
    if (!spot)
        return;
    const double u = units_.u;
    const double x = spot->x;
    const int yb = spot->bottom;
    canvas_.setBackgroundPen(units_.pen1);
    canvas_.setBrush(colors::kRed);
    canvas_.drawPolygon({{x, yb + 3 * u}, {x - units_.halfU, yb + 4 * u}, {x + units_.halfU, yb + 4 * u}});
}

void ScorePainter::drawTitleBlock()
{
    const Rect& r = units_.drawRect;
    const double u = units_.u, f = units_.f;
    const int top = r.top;
    const int bottom = top + truncToInt(11 * u);
    const double cx = (r.left + r.right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double staffHeight = (layout_.stringCount() - 1) * u;

    canvas_.setFont(units_.titleFont);
    if (isPaper()) {
        canvas_.setTextColor(colors::kTitleShadow);
        canvas_.drawText(cx - 0.6 * f, cy - 4 * u - 0.6 * f, doc_.title, TextAlign::Centre);
        canvas_.setTextColor(colors::kTitleHighlight);
        canvas_.drawText(cx + 1.2 * f, cy - 4 * u + 0.6 * f, doc_.title, TextAlign::Centre);
        canvas_.setTextColor(colors::kTitlePaper);
        canvas_.drawText(cx, cy - 4 * u, doc_.title, TextAlign::Centre);
    } else {
        canvas_.setTextColor(colors::kTitleShadow);
        canvas_.drawText(cx - f, cy - u - f, doc_.title, TextAlign::Centre);
        canvas_.setTextColor(colors::kTitleHighlight);
        canvas_.drawText(cx + units_.sixthU, cy - u + f, doc_.title, TextAlign::Centre);
        canvas_.setTextColor(colors::kTitleScreen);
        canvas_.drawText(cx, cy - u, doc_.title, TextAlign::Centre);
    }

    canvas_.setTextColor(colors::kBlack);
    canvas_.setFont(units_.largeMusicFont);
    const double tempoY = top + staffHeight + 2 * u;
    canvas_.drawGlyph(r.left + u, tempoY, glyphs::kTempoNote);
    canvas_.setFont(units_.musicFont);
    const std::string tempo = numberText(doc_.scoreTempo);
    // Digits of the music font, set side by side like a fret number.
    const double digitStep = 2 * units_.thirdU - f;
    double dx = r.left + 2 * u + units_.twoThirdsU - (static_cast<double>(tempo.size()) - 1) * digitStep / 2;
    for (char c : tempo) {
        canvas_.drawGlyph(dx, tempoY, c);
        dx += digitStep;
    }

    if (!layout_.multiTrack()) {
        canvas_.setFont(units_.signatureFont);
        canvas_.setTextColor(colors::kTrackName);
        const int track = std::clamp(state_.cursorTrack, 0, model::kMaxTracks - 1);
        canvas_.drawText(cx, cy + 3 * u, doc_.trackNames[static_cast<std::size_t>(track)], TextAlign::Centre);
    }
    canvas_.setFont(units_.boldTextFont);
    if (doc_.showAuthor) {
        const std::string text = "Auteur : " + doc_.author;
        const double y = isPaper() ? cy : cy + u;
        canvas_.setTextColor(colors::kAuthorShadow);
        canvas_.drawText(r.right - u + 1, y, text, TextAlign::Right);
        canvas_.setTextColor(colors::kAuthor);
        canvas_.drawText(r.right - u, y, text, TextAlign::Right);
    }
    if (doc_.showTabber) {
        const std::string text = "Tableur : " + doc_.tabber;
        const double y = isPaper() ? cy + u + units_.thirdU : cy + 2 * u + units_.twoThirdsU;
        canvas_.setTextColor(colors::kTabber);
        canvas_.drawText(r.right - u, y, text, TextAlign::Right);
    }
}

} // namespace view
