// The score view's track commands: add, delete, instrument, tuning, and the
// tracks the multi-track view shows. The dialogs collect the answers first;
// the change itself is one step of the edit history.
#include "CTabView.h"

#include "CDialAdd.h"
#include "CDialChPart.h"
#include "CDialMulti.h"
#include "CDialTune.h"
#include "CTabDoc.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "TrackCommands.h"
#include "TrackLabels.h"
#include "TransportController.h"

#include <QMessageBox>
#include <QPushButton>

#include <mutex>

namespace {
using edit::ScoreRegion;
using edit::StepKind;
} // namespace

edit::EditOutcome CTabView::changeTracks(edit::StepKind kind, const edit::ScoreRegion& region,
                                         const std::function<void(edit::TrackCommands&)>& change)
{
    std::lock_guard<std::recursive_mutex> lock(transport_->scoreLock());
    return edit_.applyChange(kind, region, true, [&] {
        edit::TrackCommands tracks(doc_, state_);
        change(tracks);
    });
}

bool CTabView::trackCommand(int id)
{
    switch (id) {
    case cmd::AddTrack: {
        Stop();
        if (doc_.trackCount >= model::kMaxTracks)
            return true;
        CDialAdd dialog(doc_.instrumentNames, this);
        const auto answer = dialog.ask();
        setFocus();
        if (!answer)
            return true;
        applyEdit(changeTracks(StepKind::AddTrack, edit::addTrackRegion(doc_),
                               [&](edit::TrackCommands& t) { t.addTrack(answer->title, answer->code); }));
        if (view::scrollLinesToShowMeasure(state_, layout(), state_.cursorMeasure.measure))
            afterScroll();
        return true;
    }
    case cmd::DeleteTrack: {
        Stop();
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(CommandTable::kTitle),
                        QString::fromUtf8(edit::TrackCommands::kDeleteQuestion), QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        box.setObjectName(QStringLiteral("deleteTrackQuestion"));
        box.exec();
        setFocus();
        if (box.clickedButton() != yes)
            return true;
        applyEdit(changeTracks(StepKind::DeleteTrack, edit::tracksRegion(doc_),
                               [](edit::TrackCommands& t) { t.deleteTrack(); }));
        return true;
    }
    case cmd::ChangeInstrument: {
        Stop();
        const edit::TrackCommands reader(doc_, state_);
        CDialChPart::Start start;
        start.title = TrackLabels::labelOf(doc_, state_.cursorTrack);
        start.code = reader.cursorInstrument();
        start.measureCount = doc_.measureCount;
        start.cursorMeasure = state_.cursorMeasure.measure + 1;
        CDialChPart dialog(doc_.instrumentNames, start,
                           [&reader](int first, int last) { return reader.rangeValid(first, last); }, this);
        const auto answer = dialog.ask();
        setFocus();
        if (!answer)
            return true;
        applyEdit(changeTracks(StepKind::Instrument, edit::tracksRegion(doc_), [&](edit::TrackCommands& t) {
            t.changeInstrument(answer->title, answer->code, answer->first, answer->last);
        }));
        return true;
    }
    case cmd::Tuning: {
        Stop();
        CDialTune dialog(edit::TrackCommands(doc_, state_).tuningChoices(), this);
        const auto answer = dialog.ask();
        setFocus();
        if (!answer)
            return true;
        applyEdit(changeTracks(StepKind::Tuning, ScoreRegion::settings(), [&](edit::TrackCommands& t) {
            t.applyTuning(answer->choices, answer->allTracks);
        }));
        return true;
    }
    case cmd::MultiTrackView: {
        transport_->goToStart();
        if (state_.multiTrackView) {
            state_.multiTrackView = false;
        } else {
            CDialMulti dialog(TrackLabels::of(doc_), state_.shownTracks, this);
            const auto ticks = dialog.ask();
            setFocus();
            if (!ticks)
                return true;
            edit::chooseShownTracks(state_, *ticks, doc_.trackCount);
        }
        requestRedraw(view::kRedrawAll);
        emit stateChanged();
        return true;
    }
    default:
        return false;
    }
}
