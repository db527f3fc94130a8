#include "TransportController.h"

#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "PlaybackController.h"
#include "SampleChoice.h"

#include <QTimer>

#include <algorithm>
#include <span>

namespace {
constexpr int kPollMs = 10;
constexpr int kAuditionMs = 500;
constexpr int kAuditionLevel = -400; // -8 dB at the voice once the engine's 4 dB are taken off
} // namespace

TransportController::TransportController(CTabDoc& doc, CTabView& view, const std::string& baseDirectory,
                                         Prompter& prompter)
    : doc_(doc), view_(view), engine_(std::make_unique<CSoundEngine>(baseDirectory, &prompter))
{
    // FRETLARK_AUDIO=wav:PATH also records what the window plays.
    engine_->setRecording(CSoundEngine::recordingFromEnvironment());
    engine_->Open(CSoundEngine::outputFromEnvironment());
    controller_ = std::make_unique<PlaybackController>(doc_, *engine_, scoreLock_);
    poller_.setInterval(kPollMs);
    connect(&poller_, &QTimer::timeout, this, &TransportController::poll);
}

TransportController::~TransportController()
{
    poller_.stop();
    controller_.reset();
    engine_->Shutdown();
}

bool TransportController::isPlaying() const
{
    return controller_->isPlaying();
}

void TransportController::scoreReplaced()
{
    bankWanted_ = true;
    // Loading reads a few hundred files: let the window show first.
    QTimer::singleShot(0, this, [this] { ensureBank(); });
}

void TransportController::releaseBank()
{
    stopPlayback();
    engine_->ReleaseBank();
    loadedSlots_.clear();
    bankWanted_ = true;
}

void TransportController::ensureBank()
{
    const std::vector<int> codes(doc_.slotInstrument.begin(),
                                 doc_.slotInstrument.begin() + std::clamp(doc_.slotCount, 0, model::kMaxSlots));
    if (!bankWanted_ && codes == loadedSlots_)
        return;
    bankWanted_ = false;
    loadedSlots_ = codes;
    engine_->LoadBank(std::span<const int>(doc_.slotInstrument.data(), doc_.slotInstrument.size()), doc_.slotCount);
}

void TransportController::playFrom(bool fromStart)
{
    ensureBank();
    if (!engine_->isReady())
        return; // no device or no bank: the play commands do nothing
    view::ViewState& state = view_.state();
    stopPlayback();
    state.selection.clampTo(doc_.measureCount); // edits may have taken measures away
    PlaybackPass::Start start;
    start.measure = fromStart ? 0 : state.cursorMeasure.measure;
    start.fromStart = fromStart;
    start.cursorTrack = state.cursorTrack;
    start.loopPlay = loopPlay_ || loopsSelection();
    start.practice = practiceWithRange();
    if (fromStart) {
        state.cursorMeasure = {state.cursorTrack, 0};
        state.cursorMeasureIndex = 0;
        state.cursorBeat = 0;
    }
    if (!controller_->play(start)) {
        view_.requestRedraw(view::kRedrawLayout);
        return;
    }
    shownMeasure_ = controller_->playMeasure();
    shownBeat_ = -1;
    state.cursorMeasure = {state.cursorTrack, shownMeasure_};
    wasPlaying_ = true;
    view_.setPlaying(true);
    view_.showPlayPosition(shownMeasure_, 0);
    poller_.start();
}

void TransportController::stopPlayback()
{
    if (!wasPlaying_ && !controller_->isPlaying()) {
        engine_->StopAll(); // the last notes of a performance that ended may still ring
        return;
    }
    controller_->stop();
    poller_.stop();
    wasPlaying_ = false;
    // The cursor stays on the measure that was playing, at its first beat.
    view::ViewState& state = view_.state();
    const int measure = std::clamp(state.cursorMeasureIndex, 0, std::max(doc_.measureCount - 1, 0));
    state.cursorMeasure = {state.cursorTrack, measure};
    state.cursorMeasureIndex = measure;
    state.cursorBeat = 0;
    view_.setPlaying(false);
    emit view_.stateChanged();
}

void TransportController::finishedByItself()
{
    poller_.stop();
    wasPlaying_ = false;
    engine_->StopOutput();
    view::ViewState& state = view_.state();
    state.cursorMeasure = {state.cursorTrack, 0};
    state.cursorMeasureIndex = 0;
    state.cursorBeat = 0;
    view_.setPlaying(false);
    view_.scroll(view::ScrollRequest::PageUp, false);
    emit view_.stateChanged();
}

void TransportController::poll()
{
    if (!controller_->isPlaying()) {
        if (wasPlaying_) {
            if (controller_->takeEndedByItself())
                finishedByItself();
            else
                stopPlayback();
        }
        return;
    }
    view::ViewState& state = view_.state();
    // A click on another measure while the music plays: playback goes there.
    if (state.cursorMeasure.measure != shownMeasure_) {
        shownMeasure_ = state.cursorMeasure.measure;
        controller_->requestJump(shownMeasure_);
        view_.showPlayPosition(shownMeasure_, 0);
        return;
    }
    if (controller_->speedPercent() != practice_.speedPercent) {
        // The speed trainer sped up: the menu and the combo follow.
        practice_.speedPercent = controller_->speedPercent();
        emit view_.stateChanged();
    }
    const int measure = controller_->playMeasure();
    const int beat = controller_->playBeat();
    if (measure == shownMeasure_ && beat == shownBeat_)
        return;
    shownMeasure_ = measure;
    shownBeat_ = beat;
    state.cursorMeasure = {state.cursorTrack, measure};
    view_.showPlayPosition(measure, beat);
}

void TransportController::goToStart()
{
    view::ViewState& state = view_.state();
    state.cursorMeasure = {state.cursorTrack, 0};
    state.cursorMeasureIndex = 0;
    state.cursorBeat = 0;
    while (view_.scroll(view::ScrollRequest::PageUp, false)) {
    }
    view_.requestRedraw(state.isPlaying ? view::kRedrawScrollPlaying : view::kRedrawLayout);
    emit view_.stateChanged();
}

void TransportController::goToEnd()
{
    stopPlayback();
    view::ViewState& state = view_.state();
    const int last = std::max(doc_.measureCount - 1, 0);
    state.cursorMeasure = {state.cursorTrack, last};
    state.cursorMeasureIndex = last;
    const auto& track = doc_.tracks[static_cast<std::size_t>(state.cursorTrack)];
    state.cursorBeat = last < track.GetSize() ? std::max(track[last].beatCount - 1, 0) : 0;
    const view::ScoreLayout* layout = &view_.layout();
    while (layout->lineOfMeasure(last) < 0 || layout->lineOfMeasure(last) > layout->lastLine() - 1) {
        if (!view_.scroll(view::ScrollRequest::LineDown, false))
            break;
        layout = &view_.layout();
    }
    view_.requestRedraw(view::kRedrawLayout);
    emit view_.stateChanged();
}

void TransportController::toggleLoop()
{
    loopPlay_ = !loopPlay_;
    controller_->setLoopPlay(loopPlay_ || loopsSelection());
    controller_->setPractice(practiceWithRange());
}

void TransportController::toggleLoopSelection()
{
    loopSelection_ = !loopSelection_;
    controller_->setLoopPlay(loopPlay_ || loopsSelection());
    controller_->setPractice(practiceWithRange());
}

bool TransportController::loopsSelection() const
{
    return loopSelection_ && !view_.state().selection.empty();
}

PlaybackPass::Practice TransportController::practiceWithRange() const
{
    PlaybackPass::Practice p = practice_;
    const view::MeasureSelection& selection = view_.state().selection;
    if ((loopPlay_ || loopSelection_) && !selection.empty()) {
        p.loopFirst = selection.first();
        p.loopLast = selection.last();
    } else {
        p.loopFirst = p.loopLast = -1;
    }
    return p;
}

void TransportController::setPractice(const PlaybackPass::Practice& practice)
{
    practice_ = practice;
    controller_->setPractice(practiceWithRange());
}

void TransportController::selectionChanged()
{
    controller_->setLoopPlay(loopPlay_ || loopsSelection());
    controller_->setPractice(practiceWithRange());
}

void TransportController::audition()
{
    const view::ViewState& state = view_.state();
    const auto& track = doc_.tracks[static_cast<std::size_t>(state.cursorTrack)];
    if (state.cursorMeasure.measure < 0 || state.cursorMeasure.measure >= track.GetSize())
        return;
    const CMesure& measure = track[state.cursorMeasure.measure];
    if (state.cursorBeat < 0 || state.cursorBeat >= std::min(measure.beatCount, measure.beats.GetSize()))
        return;
    auditionBeat(measure, measure.beats[state.cursorBeat]);
}

void TransportController::auditionDrum(int drum)
{
    const view::ViewState& state = view_.state();
    const auto& track = doc_.tracks[static_cast<std::size_t>(state.cursorTrack)];
    if (state.cursorMeasure.measure < 0 || state.cursorMeasure.measure >= track.GetSize())
        return;
    CAccord beat;
    beat.notes[0].fret = drum;
    auditionBeat(track[state.cursorMeasure.measure], beat);
}

void TransportController::auditionBeat(const CMesure& measure, const CAccord& beat)
{
    const int slot = measure.instrumentSlot;
    ensureBank();
    if (isPlaying() || !engine_->isReady())
        return;
    const int t = view_.state().cursorTrack;
    std::vector<std::pair<int, int>> started;
    for (int s = 0; s < 6; ++s) {
        if (beat.notes[s].isEmpty())
            continue;
        const int index = voicing::SampleIndex(doc_, measure, beat, s, t);
        if (index >= voicing::kNoSample)
            continue;
        engine_->SetFrequency(slot, index, 22050);
        engine_->SetVolume(slot, index, kAuditionLevel);
        engine_->StartNow(slot, index, 0);
        started.emplace_back(slot, index);
    }
    // The window stays responsive: the stop comes from a timer.
    QTimer::singleShot(kAuditionMs, this, [this, started] {
        for (auto [voiceSlot, index] : started)
            engine_->StopNow(voiceSlot, index);
    });
}
