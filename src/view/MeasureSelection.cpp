#include "MeasureSelection.h"

#include "ScoreLayout.h"

#include <algorithm>

namespace view {

void MeasureSelection::step(int cursorMeasure, int direction, int measureCount)
{
    if (measureCount < 1)
        return clear();
    if (empty()) {
        anchor_ = end_ = std::clamp(cursorMeasure, 0, measureCount - 1);
        return;
    }
    end_ = std::clamp(end_ + (direction < 0 ? -1 : 1), 0, measureCount - 1);
}

void MeasureSelection::extendTo(int cursorMeasure, int measure, int measureCount)
{
    if (measureCount < 1)
        return clear();
    if (empty())
        anchor_ = std::clamp(cursorMeasure, 0, measureCount - 1);
    end_ = std::clamp(measure, 0, measureCount - 1);
}

void MeasureSelection::clampTo(int measureCount)
{
    if (empty())
        return;
    if (measureCount < 1)
        return clear();
    anchor_ = std::min(anchor_, measureCount - 1);
    end_ = std::min(end_, measureCount - 1);
}

namespace {

// Calls f(measure, area) for every measure slot of the shown lines.
template <typename F>
void forEachMeasureArea(const ScoreLayout& layout, F&& f)
{
    const int u = static_cast<int>(layout.units().u);
    for (const LineRecord& line : layout.lineRecords()) {
        for (std::size_t i = 0; i < line.measureSlots.size(); ++i) {
            const MeasureSlot& slot = line.measureSlots[i];
            // From the bar before the measure (the staff's start for the first) to its own bar.
            Rect r;
            r.left = i > 0 ? line.measureSlots[i - 1].barX : slot.firstBeatX - u;
            r.right = slot.barX;
            r.top = line.top - u;
            r.bottom = line.bottom() + u;
            f(slot.measure, r);
        }
    }
}

} // namespace

std::vector<Rect> selectionRects(const ScoreLayout& layout, const MeasureSelection& selection)
{
    std::vector<Rect> rects;
    if (!selection.empty())
        forEachMeasureArea(layout, [&](int measure, const Rect& r) {
            if (selection.contains(measure))
                rects.push_back(r);
        });
    return rects;
}

int measureAtPoint(const ScoreLayout& layout, int x, int y)
{
    int found = -1;
    forEachMeasureArea(layout, [&](int measure, const Rect& r) {
        if (found < 0 && x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            found = measure;
    });
    return found;
}

} // namespace view
