#include "CTabView.h"

#include "CTabApp.h"
#include "CTabDoc.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "MixerCommands.h"
#include "TransportController.h"
#include "ViewSettings.h"

#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <mutex>

CTabView::CTabView(CTabApp& app, CTabDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), app_(app), doc_(doc)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Always shown, so that a score growing past the window never changes
    // the width the lines are laid out in.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &CTabView::onScrollBarAction);
    verticalScrollBar()->installEventFilter(this);
    setClock(nullptr);
    ViewSettings::load(state_);
    transport_ = std::make_unique<TransportController>(doc_, *this, app_.baseDirectory(), app_.prompter());
    mixer_ = std::make_unique<MixerCommands>(doc_, *this, *transport_);
    edit_.setPlayback(this);
    edit_.setAmountDialog(&editDialogs_);
    edit_.setArpeggioDialog(&editDialogs_);
    edit_.setScoreLock(&transport_->scoreLock());
    doc_.setListener(this);
}

CTabView::~CTabView()
{
    doc_.setListener(nullptr);
    ViewSettings::save(state_);
}

void CTabView::setClock(Clock clock)
{
    if (clock) {
        clock_ = std::move(clock);
        return;
    }
    clock_ = [] {
        using namespace std::chrono;
        return static_cast<std::int64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

void CTabView::relayout()
{
    requestRedraw(view::kRedrawAll);
}

void CTabView::Stop()
{
    transport_->stopPlayback();
    if (state_.isPlaying)
        setPlaying(false);
    emit stopRequested();
}

void CTabView::releaseSamples()
{
    transport_->releaseBank();
}

void CTabView::clampCursor()
{
    const int tracks = std::clamp(doc_.trackCount, 0, model::kMaxTracks);
    state_.cursorTrack = std::clamp(state_.cursorTrack, 0, std::max(tracks - 1, 0));
    const int inTrack = tracks > 0 ? doc_.tracks[static_cast<std::size_t>(state_.cursorTrack)].GetSize() : 0;
    const int measures = std::min(doc_.measureCount, inTrack);
    state_.cursorMeasure = {state_.cursorTrack, std::clamp(state_.cursorMeasure.measure, 0, std::max(measures - 1, 0))};
    state_.cursorMeasureIndex = std::clamp(state_.cursorMeasureIndex, 0, std::max(doc_.measureCount - 1, 0));
    if (measures <= 0)
        hasCursorMeasure_ = false;
}

void CTabView::resetCursor()
{
    state_.cursorTrack = 0;
    state_.cursorBeat = 0;
    state_.cursorMeasure = {0, 0};
}

void CTabView::setCursorMeasureIndex(int index)
{
    hasCursorMeasure_ = index >= 0;
    if (hasCursorMeasure_)
        state_.cursorMeasure = {state_.cursorTrack, index};
}

void CTabView::documentUpdated()
{
    if (doc_.isFreshLoad) {
        // A score just created or opened: the view starts over on it.
        state_.resetForNewScore();
        loadTime_ = nowMs();
        doc_.isFreshLoad = 0;
    }
    hasCursorMeasure_ = true;
    clampCursor();
    state_.selection.clampTo(doc_.measureCount);
    transport_->scoreReplaced();
    requestRedraw(view::kRedrawAll);
    emit trackListChanged();
    syncDrumPalette();
    emit stateChanged();
}

void CTabView::switchToTrack(int track)
{
    if (track < 0 || track >= doc_.trackCount || track == state_.cursorTrack)
        return;
    Stop();
    state_.cursorBeat = 0;
    state_.cursorTrack = track;
    state_.cursorString = 3;
    // The same measure index in the new track.
    state_.cursorMeasure.track = track;
    clampCursor();
    requestRedraw(view::kRedrawAll);
    // The new track's lines may break elsewhere: bring its measure back in view.
    if (view::scrollLinesToShowMeasure(state_, layout(), state_.cursorMeasure.measure))
        afterScroll();
    syncDrumPalette();
    emit stateChanged();
}

bool CTabView::onCommand(int id)
{
    if (const int track = CommandTable::trackOfCommand(id); track >= 0) {
        switchToTrack(track);
        return true;
    }
    if (trackCommand(id))
        return true;
    bool edited = false;
    edit::EditOutcome outcome;
    {
        std::lock_guard<std::recursive_mutex> lock(transport_->scoreLock());
        outcome = edit_.command(id, &edited);
    }
    if (edited) {
        applyEdit(outcome);
        return true;
    }
    if (id >= cmd::BackgroundGreen && id <= cmd::BackgroundRelief) {
        state_.chooseBackground(id - cmd::BackgroundGreen);
        requestRedraw(state_.redrawLevel);
        emit stateChanged();
        return true;
    }
    switch (id) {
    case cmd::EditUndo:
        applyEdit(edit_.undo());
        return true;
    case cmd::EditRedo:
        applyEdit(edit_.redo());
        return true;
    case cmd::FileNew:
        Stop();
        app_.OnFileNew();
        return true;
    case cmd::FileOpen:
        Stop();
        app_.OnFileOpen();
        return true;
    case cmd::FilePrintSetup:
        Stop();
        app_.OnFilePrintSetup();
        return true;
    case cmd::AppExit:
        app_.OnAppExit();
        return true;
    case cmd::HelpBrowser:
    case cmd::Help:
    case cmd::DefaultHelp:
        app_.openHelp(CTabApp::HelpFrom::CurrentDirectory);
        return true;
    case cmd::Stop:
        Stop();
        return true;
    case cmd::Play:
        transport_->playFrom(false);
        return true;
    case cmd::PlayFromStart:
        transport_->playFrom(true);
        return true;
    case cmd::GoToStart:
        transport_->goToStart();
        return true;
    case cmd::GoToEnd:
        transport_->goToEnd();
        return true;
    case cmd::LoopPlay:
        transport_->toggleLoop();
        emit stateChanged();
        return true;
    case cmd::Signature:
        askSignature();
        return true;
    case cmd::Tempo:
        askTempo();
        return true;
    case cmd::Capo:
        askCapo();
        return true;
    case cmd::RepeatStart:
        toggleRepeatStart();
        return true;
    case cmd::RepeatEnd:
        toggleRepeatEnd();
        return true;
    case cmd::ScoreProperties:
        askProperties();
        return true;
    case cmd::Copy:
        copyMeasures();
        return true;
    case cmd::Cut:
        cutMeasures();
        return true;
    case cmd::Paste:
        pasteMeasures();
        return true;
    case cmd::ScrollDuringPlayback:
        state_.scrollDuringPlayback = !state_.scrollDuringPlayback;
        emit stateChanged();
        return true;
    case cmd::Volumes:
        mixer_->volumes();
        return true;
    case cmd::Effects:
        mixer_->effects();
        return true;
    case cmd::ZoomIn:
        state_.zoomIn();
        requestRedraw(state_.redrawLevel);
        return true;
    case cmd::ZoomOut:
        state_.zoomOut();
        requestRedraw(state_.redrawLevel);
        return true;
    default:
        return false;
    }
}

bool CTabView::onUpdateCommand(int id, CommandState& state)
{
    if (const std::optional<bool> checked = edit_.checked(id)) {
        state.checked = *checked;
        return true;
    }
    if (const int track = CommandTable::trackOfCommand(id); track >= 0) {
        state.checked = track == state_.cursorTrack;
        return true;
    }
    if (id >= cmd::BackgroundGreen && id <= cmd::BackgroundRelief) {
        state.checked = id - cmd::BackgroundGreen == state_.backgroundIndex;
        return true;
    }
    if (id == cmd::EditUndo || id == cmd::EditRedo) {
        const auto kind = id == cmd::EditUndo ? edit_.history().undoKind() : edit_.history().redoKind();
        state.text = id == cmd::EditUndo ? edit::undoText(kind ? &*kind : nullptr) : edit::redoText(kind ? &*kind : nullptr);
        return true;
    }
    if (id == cmd::MultiTrackView) {
        state.checked = state_.multiTrackView;
        return true;
    }
    if (id == cmd::ScrollDuringPlayback) {
        state.checked = state_.scrollDuringPlayback;
        return true;
    }
    if (id == cmd::LoopPlay) {
        state.checked = transport_->loopPlay();
        return true;
    }
    return false;
}
