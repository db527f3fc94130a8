#include "Pagination.h"

#include "CTabDoc.h"
#include "ScorePainter.h"

#include <algorithm>

namespace view {

ViewState Pagination::printState(const CTabDoc& doc, const ViewState& screen)
{
    ViewState s = screen;
    s.cursorTrack = std::clamp(s.cursorTrack, 0, std::max(doc.trackCount - 1, 0));
    s.cursorMeasure = {s.cursorTrack, 0};
    s.cursorMeasureIndex = 0;
    s.cursorBeat = 0;
    s.isPlaying = false;
    s.cursorMovedInMeasure = false;
    s.redrawLevel = kRedrawAll;
    s.firstLine = 0;
    s.scrollPosition = 0;
    return s;
}

Pagination::Pagination(const CTabDoc& doc, const ViewState& screen, const DeviceMetrics& paper)
    : doc_(doc), state_(printState(doc, screen)), flow_([&] {
          DeviceMetrics device = paper;
          device.paper = true;
          return ScoreLayout::compute(doc, state_, device);
      }())
{
    // Page 1 holds the title block and L staves, later pages L + 1. In the
    // multi-track view a page ends between two groups of staves whenever a
    // whole group fits on a page, so that no group is torn apart.
    const int perPage = std::max(flow_.linesPerPage(), 1);
    const int group = flow_.multiTrack() ? static_cast<int>(flow_.shownTrackList().size()) : 1;
    const bool wholeGroups = group > 1 && group <= perPage;
    auto staves = [&](int room) { return wholeGroups ? room / group * group : room; };

    const int lastScoreLine = flow_.lastScoreLine();
    PageLines page{0, staves(perPage)};
    pages_.push_back(page);
    // A page is the last when the line after it holds no measure of the score.
    while (page.lastLine < lastScoreLine) {
        page.firstLine = page.lastLine + 1;
        page.lastLine = page.firstLine + staves(perPage + 1) - 1;
        pages_.push_back(page);
    }
}

PageLines Pagination::linesOfPage(int page) const
{
    return pages_[static_cast<std::size_t>(std::clamp(page, 1, pageCount()) - 1)];
}

ScoreLayout Pagination::layoutOfPage(int page) const
{
    const PageLines lines = linesOfPage(page);
    return flow_.showingLines(doc_, lines.firstLine, lines.lastLine);
}

void Pagination::paintPage(Canvas& canvas, int page) const
{
    const ScoreLayout layout = layoutOfPage(page);
    ViewState s = state_;
    s.firstLine = s.scrollPosition = layout.firstLine();
    ScorePainter(canvas, doc_, s, layout).paint();
    drawPageNumber(canvas, std::clamp(page, 1, pageCount()));
}

void Pagination::drawPageNumber(Canvas& canvas, int page) const
{
    const ViewUnits& v = units();
    const double u = v.u, f = v.f;
    const double right = v.pageRect.right, bottom = v.pageRect.bottom;
    // White under the number, whatever the last line drew there.
    canvas.setBackgroundPen(v.pen1);
    canvas.setBackgroundBrush();
    canvas.drawEllipse(right - 3 * u - v.twoThirdsU, bottom - 2 * u + f, right, bottom);
    canvas.setFont(v.smallTextFont);
    canvas.setTextColor(colors::kBlack);
    const double y = bottom - v.twoThirdsU;
    canvas.drawText(right - 2 * u - v.twoThirdsU, y, numberText(page), TextAlign::Centre);
    canvas.drawText(right - 2 * u + f, y, "/", TextAlign::Centre);
    canvas.drawText(right - u - 2 * f, y, numberText(pageCount()), TextAlign::Centre);
}

} // namespace view
