#pragma once

#include "CommandTarget.h"
#include "DocumentListener.h"

#include <QAbstractScrollArea>

class CTabApp;
class CTabDoc;

// The score view: the window's central widget. It is the first stop of every
// command and the document's listener. The score itself is drawn by the view
// library; until that is wired in, the view paints its background only.
class CTabView : public QAbstractScrollArea, public DocumentListener, public CommandTarget {
    Q_OBJECT
public:
    CTabView(CTabApp& app, CTabDoc& doc, QWidget* parent = nullptr);
    ~CTabView() override;

    // ---- cursor (the part of the view state the shell needs today) ----
    int cursorTrack = 0;
    int cursorBeat = 0;
    int cursorString = 3;
    bool isPlaying = false;
    bool scrollDuringPlayback = true;

    // Switches the track being edited; nothing happens for a track that does
    // not exist or is already the cursor's.
    void switchToTrack(int track);
    void Stop();
    // The frame's size changed or it was (de)activated: lay out again.
    void relayout();

    // ---- DocumentListener ----
    bool isWindowUp() const override { return true; }
    void stopPlayback() override { Stop(); }
    void clearCursorMeasure() override { cursorMeasure_ = -1; }
    void resetCursor() override;
    void resetCursorBeat() override { cursorBeat = 0; }
    // Index of the cursor's measure in its track, -1 without one.
    int cursorMeasureIndex() const override { return cursorMeasure_; }
    void setCursorMeasureIndex(int index) override;
    void documentUpdated() override;

    // ---- CommandTarget ----
    bool onCommand(int id) override;
    bool onUpdateCommand(int id, CommandState& state) override;

signals:
    // The set of tracks, their names or instruments may have changed.
    void trackListChanged();
    // The cursor or the score changed: update handlers must run again.
    void stateChanged();
    // Playback was asked to stop (every menu opening asks).
    void stopRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void clampCursor();

    CTabApp& app_;
    CTabDoc& doc_;
    int cursorMeasure_ = 0;
};
