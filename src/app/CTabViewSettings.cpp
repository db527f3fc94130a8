// The settings commands of the score view: time signature, tempo, capo,
// repeat marks and the score's properties. The dialogs collect and check the
// answers; the score changes only through the edit history.
#include "CTabView.h"

#include "CDialCapo.h"
#include "CDialPiece.h"
#include "CDialRep.h"
#include "CDialTempo.h"
#include "CSign.h"
#include "CTabApp.h"
#include "CTabDoc.h"
#include "ScoreSettingsEdits.h"

namespace {
using edit::ScoreRegion;
using edit::StepKind;
} // namespace

const CMesure* CTabView::cursorMeasureOrNull() const
{
    const int track = state_.cursorTrack;
    const int m = cursorMeasureIndex();
    if (track < 0 || track >= std::min(doc_.trackCount, model::kMaxTracks) || m < 0)
        return nullptr;
    const auto& measures = doc_.tracks[static_cast<std::size_t>(track)];
    return m < measures.GetSize() ? &measures[m] : nullptr;
}

void CTabView::afterDialog()
{
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void CTabView::askSignature()
{
    Stop();
    const CMesure* at = cursorMeasureOrNull();
    const int m = at ? cursorMeasureIndex() : 0;
    CSign dialog(app_.prompter(), at ? at->numerator : doc_.scoreNumerator,
                 at ? at->denominator : doc_.scoreDenominator, m + 1, doc_.measureCount, this);
    const std::optional<CSign::Answer> answer = dialog.ask();
    afterDialog();
    if (!answer)
        return;
    const int first = answer->range.first - 1;
    const int last = answer->range.last - 1;
    const ScoreRegion region{ScoreRegion::tracksInUse(doc_), first, last - first + 1, m == 0};
    applyEdit(edit_.applyChange(StepKind::Signature, region, true, [&] {
        edit::setSignature(doc_, answer->numerator, answer->denominator, first, last, m == 0);
    }));
}

void CTabView::askTempo()
{
    Stop();
    const CMesure* at = cursorMeasureOrNull();
    const int m = at ? cursorMeasureIndex() : 0;
    CDialTempo dialog(app_.prompter(), at ? at->tempo : doc_.scoreTempo, m + 1, doc_.measureCount, this);
    const std::optional<CDialTempo::Answer> answer = dialog.ask();
    afterDialog();
    if (!answer)
        return;
    const int first = answer->range.first - 1;
    const int last = answer->range.last - 1;
    const ScoreRegion region{ScoreRegion::tracksInUse(doc_), first, last - first + 1, first == 0};
    applyEdit(edit_.applyChange(StepKind::Tempo, region, true,
                                [&] { edit::setTempo(doc_, answer->tempo, first, last); }));
}

void CTabView::askCapo()
{
    const int track = state_.cursorTrack;
    if (track < 0 || track >= std::min(doc_.trackCount, model::kMaxTracks))
        return;
    // The music goes on: the change is made under the score lock.
    CDialCapo dialog(app_.prompter(), doc_.capo[static_cast<std::size_t>(track)], this);
    const std::optional<int> fret = dialog.ask();
    afterDialog();
    if (!fret)
        return;
    applyEdit(edit_.applyChange(StepKind::Capo, ScoreRegion::settings(), false,
                                [&] { doc_.capo[static_cast<std::size_t>(track)] = *fret; }));
}

void CTabView::toggleRepeatStart()
{
    if (!cursorMeasureOrNull())
        return;
    const int m = cursorMeasureIndex();
    applyEdit(edit_.applyChange(StepKind::RepeatStart, ScoreRegion::measures(ScoreRegion::tracksInUse(doc_), m, 1),
                                true, [&] { edit::toggleRepeatStart(doc_, m); }));
}

void CTabView::toggleRepeatEnd()
{
    if (!cursorMeasureOrNull())
        return;
    Stop();
    const int m = cursorMeasureIndex();
    const ScoreRegion region = ScoreRegion::measures(ScoreRegion::tracksInUse(doc_), m, 1);
    if (edit::hasRepeatEnd(doc_, state_.cursorTrack, m)) {
        applyEdit(edit_.applyChange(StepKind::RepeatEnd, region, true, [&] { edit::clearRepeatEnd(doc_, m); }));
        return;
    }
    CDialRep dialog(app_.prompter(), this);
    const std::optional<int> count = dialog.ask();
    afterDialog();
    // "Annuler" leaves the measure without a repeat end.
    if (!count)
        return;
    applyEdit(edit_.applyChange(StepKind::RepeatEnd, region, true, [&] { edit::setRepeatEnd(doc_, m, *count); }));
}

void CTabView::askProperties()
{
    CDialPiece dialog(edit::ScoreProperties::of(doc_), this);
    const std::optional<edit::ScoreProperties> properties = dialog.ask();
    afterDialog();
    if (!properties)
        return;
    applyEdit(edit_.applyChange(StepKind::Properties, ScoreRegion::settings(), false,
                                [&] { properties->applyTo(doc_); }));
}
