#pragma once

#include "BeatBuilders.h"

#include "CTabDoc.h"
#include "EditController.h"
#include "RecordingCanvas.h"
#include "ScoreLayout.h"
#include "ViewState.h"

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace et {

using builders::beat;
using builders::rest;
std::vector<CAccord> fourQuarters(int fret = 1);

// Answers the dialogs from a script and counts how often they were shown.
struct ScriptedDialogs : edit::AmountDialog, edit::ArpeggioDialog {
    std::deque<int> amounts;
    std::deque<int> directions;
    int amountAsked = 0;
    int directionAsked = 0;
    int askAmount() override;
    int askDirection() override;
};

// Playback that only records what it was asked.
struct FakePlayback : edit::PlaybackControl {
    explicit FakePlayback(view::ViewState& s) : state(s) {}
    view::ViewState& state;
    int stops = 0;
    std::vector<view::MeasureRef> playedFrom;
    void stopPlayback() override;
    void play() override;
};

// A document, a view state, a 1000 x 700 screen and the controller over them.
struct Editor {
    CTabDoc doc;
    view::ViewState state;
    RecordingCanvas metrics;
    view::DeviceMetrics device;
    ScriptedDialogs dialogs;
    FakePlayback playback{state};
    edit::EditController edit{doc, state};

    Editor();
    // A new score: one folk guitar track, one 4/4 measure with one empty quarter.
    void newScore();
    // `tracks` tracks of `measures` measures in numerator/denominator; each
    // measure holds one default beat. Track t plays instruments[t].
    void score(int tracks, int measures, std::vector<int> instruments = {}, int numerator = 4, int denominator = 4);
    CMesure& measure(int track, int index);
    CMesure& setBeats(int track, int index, const std::vector<CAccord>& beats);
    CNote& noteAt(int track, int index, int beat, int slot);
    void cursorAt(int track, int measure, int beat, int string);

    view::ScoreLayout layout() const;
    edit::EditOutcome key(edit::Key k, int value = 0);
    // Types each character: digits, letters, ' ' for Space.
    void type(const std::string& keys);
    edit::EditOutcome command(int id);
};

} // namespace et
