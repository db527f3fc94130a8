#pragma once

#include "CTabDoc.h"
#include "EditOutcome.h"
#include "ScoreLayout.h"
#include "ViewState.h"

#include <cstdint>
#include <limits>

namespace edit {

// Puts the cursor on the string, beat and measure nearest to a click, found
// through the line records of the layout on screen.
class MousePlacement {
public:
    MousePlacement(CTabDoc& doc, view::ViewState& state) : doc_(doc), state_(state) {}

    // Clicks this soon after a score was opened or created are ignored: the
    // click that chose the file must not land in the new score.
    static constexpr std::int64_t kLoadGuardMs = 200;

    void scoreLoaded(std::int64_t nowMs) { loadTime_ = nowMs; }
    EditOutcome place(int x, int y, const view::ScoreLayout& layout, std::int64_t nowMs);

private:
    CTabDoc& doc_;
    view::ViewState& state_;
    std::int64_t loadTime_ = std::numeric_limits<std::int64_t>::min() / 2;
};

} // namespace edit
