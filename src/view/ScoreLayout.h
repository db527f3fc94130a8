#pragma once

#include "ViewState.h"
#include "ViewUnits.h"

#include <array>
#include <vector>

class CTabDoc;
class CMesure;

namespace view {

// lineStart of a line that has not been laid out.
constexpr int kNotLaidOut = 0x7FFF;

// One measure as drawn on one line: where its beats and its closing bar are.
struct MeasureSlot {
    int track = 0;
    int measure = 0;      // index within the track
    int beatCount = 0;    // beats placed, the size of beatX
    int firstBeatX = 0;   // where beat 0 is, also for a measure without beats
    int barX = 0;         // the bar line after the measure
    std::vector<int> beatX;
};

// One shown line (system): a staff, the measures on it and, in the
// multi-track view, its place in the group of staves.
struct LineRecord {
    int line = 0;  // line number in the score; line 0 is the title block
    int track = 0; // track whose staff this is
    int top = 0;   // y of the top staff line
    int stringCount = 6;
    std::array<int, 6> stringY{-1, -1, -1, -1, -1, -1};
    std::vector<MeasureSlot> measureSlots;
    bool holdsLastMeasure = false; // the score's last measure is on this staff
    // Multi-track view: the first staff of a group carries the group bars.
    bool firstOfGroup = false;
    int groupBottom = 0; // lower end of the group bars (first staff of a group)

    int bottom() const { return stringY[static_cast<std::size_t>(stringCount - 1)]; }
};

// Where everything of the score goes on one device: a pure function of the
// score, the view state and the device. The lines flow over the whole score
// (lineStart, lastScoreLine) and the shown lines, firstLine to lastLine, get
// full records for drawing and for turning a click into a score position.
class ScoreLayout {
public:
    static ScoreLayout compute(const CTabDoc& doc, const ViewState& state, const DeviceMetrics& device);
    // The same with units already worked out (paints that keep the metrics).
    static ScoreLayout compute(const CTabDoc& doc, const ViewState& state, const ViewUnits& units);
    // The same flow with other lines shown, firstLine to lastLine (a printed
    // page): only the records are built again.
    ScoreLayout showingLines(const CTabDoc& doc, int firstLine, int lastLine) const;

    const ViewUnits& units() const { return units_; }
    bool multiTrack() const { return multiTrack_; }
    const std::vector<int>& shownTrackList() const { return shownTracks_; }
    int measureCount() const { return measureCount_; }
    // Staff lines of the single-track view (from the cursor measure's instrument).
    int stringCount() const { return stringCount_; }

    int firstLine() const { return firstLine_; }
    int lastLine() const { return lastLine_; }
    int linesPerPage() const { return units_.linesPerPage; }
    int lastScoreLine() const { return lastScoreLine_; }
    // First measure of a line; the measure count for the line after the last
    // one, kNotLaidOut past it.
    int lineStart(int line) const;

    bool showsTitle() const { return firstLine_ == 0; }
    // y of the top staff line of any line, shown or not.
    int lineTop(int line) const;
    const std::vector<LineRecord>& lineRecords() const { return records_; }
    const LineRecord* recordOfLine(int line) const;

    // The line holding a measure index (the first staff of its group in the
    // multi-track view), or -1.
    int lineOfMeasure(int measureIndex) const;
    // The line showing `track`'s staff of a measure; -1 if the track is not shown.
    int lineOfMeasure(int measureIndex, int track) const;

    // x of the first beat of the first measure of a line, and where that
    // line's measures start for the line-break rule.
    int firstBeatXOfLine(int line) const;

private:
    void flow(const CTabDoc& doc);
    void buildRecords(const CTabDoc& doc);
    int staffStringCount(const CTabDoc& doc, int track, int line) const;
    // Content width of a measure and the offsets of its beats from the first
    // beat, for every shown track in the multi-track view.
    struct Placement {
        int width = 0;
        int lastBeatOffset = 0;
    };
    Placement place(const CTabDoc& doc, int measure, std::vector<std::vector<int>>* offsets) const;
    int lineStartX(int line) const;

    ViewUnits units_;
    bool multiTrack_ = false;
    std::vector<int> shownTracks_;
    int cursorTrack_ = 0;
    int measureCount_ = 0;
    int stringCount_ = 6;
    int firstLine_ = 0;
    int lastLine_ = 0;
    int lastScoreLine_ = 0;
    std::vector<int> lineStarts_;
    std::vector<LineRecord> records_;
};

// Number of staff lines of an instrument code (4 for the bass).
int stringCountOfInstrument(int code);
// The instrument code of a measure through the score's slot table.
int instrumentOfMeasure(const CTabDoc& doc, const CMesure& measure);
// The measure at (track, index), or nullptr outside the score's arrays.
const CMesure* measureAt(const CTabDoc& doc, int track, int index);
// Beats in use that the measure really holds.
int beatsInUse(const CMesure& measure);

} // namespace view
