// Copy, cut and paste of whole measures through the view's own clipboard.
#include "CTabView.h"

#include "CDialColle.h"
#include "CDialCopie.h"
#include "CTabApp.h"
#include "CTabDoc.h"

namespace {
using edit::ScoreRegion;
using edit::StepKind;
} // namespace

std::optional<CDialCopie::Answer> CTabView::askMeasureRange(bool forCut)
{
    const int m = cursorMeasureOrNull() ? cursorMeasureIndex() : 0;
    CDialCopie dialog(app_.prompter(), m + 1, doc_.measureCount, forCut, this);
    const std::optional<CDialCopie::Answer> answer = dialog.ask();
    afterDialog();
    return answer;
}

CMesure CTabView::fillerFromCursor() const
{
    const CMesure* at = cursorMeasureOrNull();
    return edit::fillerMeasure(at ? *at : CMesure());
}

void CTabView::copyMeasures()
{
    Stop();
    const CMesure filler = fillerFromCursor();
    // "Annuler" keeps what the clipboard held.
    const std::optional<CDialCopie::Answer> answer = askMeasureRange(false);
    if (!answer)
        return;
    clipboard_.copy(doc_, answer->range.first - 1, answer->range.last - 1,
                    answer->allTracks ? -1 : state_.cursorTrack, filler);
}

void CTabView::cutMeasures()
{
    if (doc_.measureCount <= 0)
        return;
    Stop();
    const CMesure filler = fillerFromCursor();
    const std::optional<CDialCopie::Answer> answer = askMeasureRange(true);
    if (!answer)
        return;
    const int first = answer->range.first - 1;
    const int last = answer->range.last - 1;
    const int cursor = std::max(cursorMeasureIndex(), 0);
    const ScoreRegion region{ScoreRegion::tracksInUse(doc_), edit::cutTouchesFrom(first), ScoreRegion::kToEnd, false};
    applyEdit(edit_.applyChange(StepKind::Cut, region, true, [&] {
        const int to = edit::cutMeasures(doc_, clipboard_, first, last, filler, cursor);
        state_.cursorMeasure = {state_.cursorTrack, to};
        state_.cursorMeasureIndex = to;
        state_.cursorBeat = 0;
    }));
}

void CTabView::pasteMeasures()
{
    Stop();
    // Nothing to paste: no question, no change.
    if (clipboard_.empty() || !cursorMeasureOrNull())
        return;
    CDialColle dialog(this);
    const std::optional<edit::PasteMode> mode = dialog.ask();
    afterDialog();
    if (!mode)
        return;
    const int at = cursorMeasureIndex();
    const int from = *mode == edit::PasteMode::InsertAfter ? at + 1 : at;
    const ScoreRegion region{ScoreRegion::tracksInUse(doc_), from, ScoreRegion::kToEnd, false};
    edit::EditOutcome outcome = edit_.applyChange(StepKind::Paste, region, true, [&] {
        edit::pasteMeasures(doc_, clipboard_, state_.cursorTrack, at, *mode);
        state_.cursorMeasure = {state_.cursorTrack, at};
        state_.cursorMeasureIndex = at;
        if (*mode == edit::PasteMode::Replace)
            state_.cursorBeat = 0;
    });
    outcome.showCursor = true;
    applyEdit(outcome);
}
