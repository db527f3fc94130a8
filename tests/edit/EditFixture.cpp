#include "EditFixture.h"

namespace et {

std::vector<CAccord> fourQuarters(int fret)
{
    return {beat(4, {{0, fret}}), beat(4, {{0, fret}}), beat(4, {{0, fret}}), beat(4, {{0, fret}})};
}

int ScriptedDialogs::askAmount()
{
    ++amountAsked;
    if (amounts.empty())
        return -1;
    const int a = amounts.front();
    amounts.pop_front();
    return a;
}

int ScriptedDialogs::askDirection()
{
    ++directionAsked;
    if (directions.empty())
        return -1;
    const int d = directions.front();
    directions.pop_front();
    return d;
}

void FakePlayback::stopPlayback()
{
    ++stops;
    state.isPlaying = false;
}

void FakePlayback::play()
{
    playedFrom.push_back(state.cursorMeasure);
    state.isPlaying = true;
}

Editor::Editor()
{
    device.width = 1000;
    device.height = 700;
    device.dpi = 96;
    device.fonts = &metrics;
    edit.setAmountDialog(&dialogs);
    edit.setArpeggioDialog(&dialogs);
    edit.setPlayback(&playback);
    newScore();
}

void Editor::newScore()
{
    doc.OnNewDocument();
    state.resetForNewScore();
    state.cursorString = 3;
}

void Editor::score(int tracks, int measures, std::vector<int> instruments, int numerator, int denominator)
{
    newScore();
    doc.trackCount = tracks;
    doc.measureCount = measures;
    doc.slotCount = tracks;
    doc.scoreNumerator = numerator;
    doc.scoreDenominator = denominator;
    for (int t = 0; t < tracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.slotInstrument[ti] = ti < instruments.size() ? instruments[ti] : model::kFolkGuitar;
        doc.slotOrder[ti] = t;
        auto& track = doc.tracks[ti];
        track.SetSize(measures);
        for (int m = 0; m < measures; ++m) {
            CMesure& x = track[m];
            x = CMesure();
            x.index = m;
            x.instrumentSlot = t;
            x.numerator = numerator;
            x.denominator = denominator;
            x.flags = m == 0 ? model::kFlagFirst : model::kFlagMiddle;
            x.beatCount = 1;
        }
    }
}

CMesure& Editor::measure(int track, int index)
{
    return doc.tracks[static_cast<std::size_t>(track)][index];
}

CMesure& Editor::setBeats(int track, int index, const std::vector<CAccord>& beats)
{
    CMesure& m = measure(track, index);
    m.beats.SetSize(static_cast<int>(beats.size()));
    for (std::size_t i = 0; i < beats.size(); ++i)
        m.beats[static_cast<int>(i)] = beats[i];
    m.beatCount = static_cast<int>(beats.size());
    return m;
}

CNote& Editor::noteAt(int track, int index, int beatIndex, int slot)
{
    return measure(track, index).beats[beatIndex].notes[slot];
}

void Editor::cursorAt(int track, int measureIndex, int beatIndex, int string)
{
    state.cursorTrack = track;
    state.cursorMeasure = {track, measureIndex};
    state.cursorMeasureIndex = measureIndex;
    state.cursorBeat = beatIndex;
    state.cursorString = string;
}

view::ScoreLayout Editor::layout() const
{
    return view::ScoreLayout::compute(doc, state, device);
}

edit::EditOutcome Editor::key(edit::Key k, int value)
{
    return edit.keyDown({k, value}, layout());
}

void Editor::type(const std::string& keys)
{
    for (char c : keys) {
        if (c >= '0' && c <= '9')
            key(edit::Key::Digit, c - '0');
        else if (c == ' ')
            key(edit::Key::Space);
        else
            key(edit::Key::Letter, c);
    }
}

edit::EditOutcome Editor::command(int id)
{
    return edit.command(id);
}

} // namespace et
