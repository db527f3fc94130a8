#pragma once

#include "Canvas.h"
#include "ScoreLayout.h"
#include "ViewState.h"
#include "ViewUnits.h"

#include <vector>

class CTabDoc;

namespace view {

// The lines one printed page shows. Page 1 starts with the title block
// (line 0); every page continues where the previous one stopped.
struct PageLines {
    int firstLine = 0;
    int lastLine = 0;
    constexpr bool operator==(const PageLines&) const = default;
};

// A score cut into pages of whole lines for a paper device: the paper's own
// units and fonts, the title block on page 1, black on white, no cursor and
// no play marker. The lines flow once over the whole score, so any page can
// be drawn alone and still start with the right measure.
class Pagination {
public:
    // screen: the window's view state, for the view (single or multi-track)
    // and the tracks it shows; paper: the printable page of the device.
    Pagination(const CTabDoc& doc, const ViewState& screen, const DeviceMetrics& paper);

    int pageCount() const { return static_cast<int>(pages_.size()); }
    const ViewUnits& units() const { return flow_.units(); }
    // The view state pages are drawn with.
    const ViewState& state() const { return state_; }
    // Page numbers count from 1; out-of-range pages are clamped.
    PageLines linesOfPage(int page) const;
    ScoreLayout layoutOfPage(int page) const;
    // Draws one page as printed, with "page / total" in its lower right corner.
    void paintPage(Canvas& canvas, int page) const;

    // The view state of a print job: the window's view and tracks, the
    // cursor on the first measure of its track, nothing playing.
    static ViewState printState(const CTabDoc& doc, const ViewState& screen);

private:
    void drawPageNumber(Canvas& canvas, int page) const;

    const CTabDoc& doc_;
    ViewState state_;
    ScoreLayout flow_;
    std::vector<PageLines> pages_;
};

} // namespace view
