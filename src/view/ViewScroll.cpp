#include "ViewScroll.h"

#include <algorithm>

namespace view {

namespace {

// Moves the view by `lines` (either sign) and applies what follows a scroll.
bool moveBy(ViewState& state, const ScoreLayout& layout, int lines)
{
    if (lines == 0)
        return false;
    lines = std::max(lines, -state.firstLine);
    if (lines == 0)
        return false;
    state.firstLine += lines;
    state.scrollPosition += lines;
    state.cursorMovedInMeasure = false;
    if (state.isPlaying)
        state.redrawLevel = kRedrawScrollPlaying;
    else
        state.redrawLevel = std::min(state.redrawLevel, static_cast<int>(kRedrawLayout));
    if (state.scrollMovesCursor && !state.isPlaying) {
        // The line that came into view, counted on the view before the move:
        // the flow of lines does not depend on the scroll position.
        const int line = lines > 0 ? state.firstLine : state.firstLine + layout.linesPerPage();
        const int start = layout.lineStart(line);
        if (start < kNotLaidOut && start < layout.measureCount()) {
            state.cursorMeasure = {state.cursorTrack, start};
        }
    }
    return true;
}

int lastLineOf(const ViewState& state, const ScoreLayout& layout)
{
    return state.firstLine + layout.linesPerPage();
}

} // namespace

bool scrollBy(ViewState& state, const ScoreLayout& layout, ScrollRequest request)
{
    const int lastLine = lastLineOf(state, layout);
    const int last = layout.lastScoreLine();
    const int page = layout.linesPerPage();
    switch (request) {
    case ScrollRequest::LineDown:
        return lastLine <= last + 2 && moveBy(state, layout, 1);
    case ScrollRequest::PageDown:
        if (lastLine > last + 2)
            return false;
        return moveBy(state, layout, lastLine > last - page + 1 ? 1 : std::max(page - 1, 1));
    case ScrollRequest::LineUp:
        return state.firstLine > 0 && moveBy(state, layout, -1);
    case ScrollRequest::PageUp:
        if (state.firstLine <= 0)
            return false;
        return moveBy(state, layout, -(page < state.firstLine ? std::max(page - 1, 1) : 1));
    }
    return false;
}

int scrollMaximum(const ScoreLayout& layout)
{
    return std::max(0, layout.lastScoreLine() + 2 - layout.linesPerPage());
}

bool scrollToThumb(ViewState& state, const ScoreLayout& layout, int position)
{
    position = std::max(position, 0);
    if (position > state.scrollPosition) {
        // Moving down stops once the last line shown is two past the score's end.
        const int room = layout.lastScoreLine() + 2 - lastLineOf(state, layout);
        position = std::min(position, state.scrollPosition + std::max(room, 0));
    }
    return moveBy(state, layout, position - state.scrollPosition);
}

bool scrollByWheel(ViewState& state, const ScoreLayout& layout, int delta)
{
    const int position = state.scrollPosition - delta / 120;
    if (position < 0 || position > layout.lastScoreLine() + 2)
        return false;
    const bool follow = state.scrollMovesCursor;
    state.scrollMovesCursor = false;
    const bool moved = scrollToThumb(state, layout, position);
    state.scrollMovesCursor = follow;
    return moved;
}

bool scrollLinesToShowMeasure(ViewState& state, const ScoreLayout& layout, int measureIndex)
{
    int line = layout.lineOfMeasure(measureIndex, state.cursorTrack);
    if (line < 0)
        line = layout.lineOfMeasure(measureIndex);
    if (line < 0)
        return false;
    int first = state.firstLine;
    if (line < first)
        first = line;
    else if (line > first + layout.linesPerPage())
        first = line - layout.linesPerPage();
    const bool follow = state.scrollMovesCursor;
    state.scrollMovesCursor = false;
    const bool moved = moveBy(state, layout, first - state.firstLine);
    state.scrollMovesCursor = follow;
    return moved;
}

bool scrollToShowMeasure(ViewState& state, const ScoreLayout& layout, int measureIndex)
{
    int line = layout.lineOfMeasure(measureIndex, state.cursorTrack);
    if (line < 0)
        line = layout.lineOfMeasure(measureIndex);
    if (line < 0)
        return false;
    const int page = layout.linesPerPage();
    int first = state.firstLine;
    while (line < first)
        --first;
    while (line > first + page) {
        const bool nearTop = first <= 1 || page < 3;
        first += std::max(nearTop ? page - 2 : page - 1, 1);
    }
    const bool follow = state.scrollMovesCursor;
    state.scrollMovesCursor = false;
    const bool moved = moveBy(state, layout, first - state.firstLine);
    state.scrollMovesCursor = follow;
    return moved;
}

} // namespace view
