#pragma once

#include "Canvas.h"
#include "ScoreLayout.h"
#include "ViewState.h"

#include <limits>
#include <optional>
#include <string>

class CTabDoc;
class CMesure;
class CAccord;
class CNote;

namespace view {

// Where the editing cursor is drawn: the beat cell of a measure slot, or the
// square shown when the window holds no measure at all.
struct CursorSpot {
    const LineRecord* line = nullptr;
    const MeasureSlot* slot = nullptr; // null for the square
    int beat = 0;                      // beat index in the slot
    int x = 0;
    int top = 0;
    int stringCount = 6;
    bool square = false;
};

// Where the play-position marker is drawn: its apex is 3u below `bottom`.
struct PlayMarkerSpot {
    const LineRecord* line = nullptr;
    const MeasureSlot* slot = nullptr;
    int x = 0;
    int bottom = 0; // y of the line's last staff line
};

// Draws a laid-out score onto a canvas: background, title block, staves,
// bars and repeat signs, measure headers, fret numbers, technique marks,
// rhythm notation, cursor and play-position marker. It reads positions from
// the layout and places everything else in units of u and f from there.
// Drawing never changes the score or the view state.
class ScorePainter {
public:
    ScorePainter(Canvas& canvas, const CTabDoc& doc, const ViewState& state, const ScoreLayout& layout);

    // The whole view, as every redraw level must end up showing.
    void paint();
    // Only what can reach the rows y0..y1 of the page is drawn by paint():
    // for a window repainting one band of itself, the pixels there come out
    // as a full paint leaves them.
    void limitToRows(int y0, int y1);
    // The rows a line's own drawing can reach (staff, marks above it, rhythm below).
    static Rect lineBand(const LineRecord& line, const ViewUnits& units);
    // Only the play-position marker (drawn by paint() while playing).
    void paintPlayMarker();

    // Where paint() puts the cursor and the play marker, if anywhere.
    static std::optional<CursorSpot> locateCursor(const CTabDoc& doc, const ViewState& state, const ScoreLayout& layout);
    static std::optional<PlayMarkerSpot> locatePlayMarker(const ViewState& state, const ScoreLayout& layout);
    // Every pixel that drawing the cursor (or leaving it out) can change:
    // the ellipse or square and the staff line kept under the cursor cell.
    static Rect cursorBounds(const CursorSpot& spot, int cursorString, const ViewUnits& units);
    static Rect playMarkerBounds(const PlayMarkerSpot& spot, const ViewUnits& units);

private:
    // Everything about the beat being drawn that the marks need.
    struct BeatContext {
        const LineRecord* line = nullptr;
        const MeasureSlot* slot = nullptr;
        const CMesure* measure = nullptr;
        int index = 0;     // beat index in the measure
        int count = 0;     // beats placed in the measure
        int x = 0;
        int advance = 0;   // to the next beat (this beat's advance at the end)
        int previous = 0;  // from the previous beat (or the measure's lead-in)
        bool drums = false;
    };

    bool reaches(const LineRecord& line) const;

    void drawBackground();
    void drawTitleBlock();
    void drawStaff(const LineRecord& line);
    void drawRepeatDots(double x, int top, int stringCount);
    void drawMeasures(const LineRecord& line);
    void drawMeasureNumber(const LineRecord& line, int number, double x);
    void drawLineStartChanges(const LineRecord& line, const MeasureSlot& slot, const CMesure& measure);
    void drawMidLineChanges(const LineRecord& line, int barX, const CMesure& previous, const CMesure& next);
    void drawTimeSignature(int numerator, int denominator, double xNumerator, double xDenominator, int top,
                           int stringCount, Color color);
    void drawTempoMark(double noteX, double numberX, int top, int tempo);
    void drawBarAfter(const LineRecord& line, const MeasureSlot& slot, const CMesure& measure, bool lastOnLine);
    void drawEndRepeat(const LineRecord& line, int barX, int count);
    void drawStartRepeat(const LineRecord& line, int barX);
    void drawFinalBar(const LineRecord& line);
    void drawCursor(const CursorSpot& spot);

    void drawBeat(const BeatContext& beat);
    void drawNotes(const BeatContext& beat, bool cursorHere);
    void drawFret(const BeatContext& beat, const CNote& note, int y, bool cursorCell);
    void drawTechnique(const BeatContext& beat, const CNote& note, int y);
    void drawBend(const BeatContext& beat, const CNote& note, int y);
    void drawBendAmount(int amount, double anchorX, double baseY, TextAlign align);
    void drawVibrato(const BeatContext& beat, const CNote& note);
    void drawBeatMarks(const BeatContext& beat);
    void drawDashes(double x1, double x2, double y);
    void drawArrowHead(double x, double tipY, bool up);
    void drawArcThrough(double x1, double y1, double x2, double y2, double startX, double startY, double endX,
                        double endY);

    void computeBeams(const CMesure& measure, int count);
    void drawRhythm(const BeatContext& beat);
    void drawRest(const BeatContext& beat, const CAccord& accord, int top, int stringCount);
    void drawStem(const BeatContext& beat, const CAccord& accord, int top, int stringCount);
    void drawBeams(const BeatContext& beat, int stemEnd);
    void drawFlags(const BeatContext& beat, int code, int top, int stringCount);
    void drawDot(const BeatContext& beat, int code, bool beamed);
    void drawTie(const BeatContext& beat);
    void drawTripletSign(const BeatContext& beat);

    // Colour of everything in the measure being drawn.
    Color ink() const { return inCursorMeasure_ ? colors::kCursorMeasure : colors::kBlack; }
    void usePen(int width);
    void useBlackBrush();
    bool isPaper() const { return units_.paper; }
    bool showsCursor() const { return !isPaper() && !state_.isPlaying; }

    Canvas& canvas_;
    const CTabDoc& doc_;
    const ViewState& state_;
    const ScoreLayout& layout_;
    const ViewUnits& units_;

    bool inCursorMeasure_ = false;
    int rowsFrom_ = std::numeric_limits<int>::min();
    int rowsTo_ = std::numeric_limits<int>::max();
    double bendEndX_ = 0;
    double vibratoEndX_ = 0;
    std::optional<CursorSpot> cursor_;
    // Beam groups of the measure being drawn, per beat.
    std::vector<unsigned char> joinPrev_;
    std::vector<unsigned char> joinNext_;
};

// Text of a whole number as the view writes it.
std::string numberText(int n);

} // namespace view
