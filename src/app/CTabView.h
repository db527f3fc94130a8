#pragma once

#include "CDialCopie.h"
#include "CommandTarget.h"
#include "DocumentListener.h"
#include "EditController.h"
#include "MeasureClipboard.h"
#include "PlaybackControl.h"
#include "QPainterCanvas.h"
#include "QtEditDialogs.h"
#include "RedrawPlan.h"
#include "ScoreLayout.h"
#include "ViewScroll.h"
#include "ViewState.h"

#include <QAbstractScrollArea>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CDialBat;
class CTabApp;
class CTabDoc;
class MixerCommands;
class TransportController;
namespace edit {
class TrackCommands;
}

// The score view: the window's central widget, the first stop of every
// command and the document's listener. It owns the view state and wires the
// plain parts together: the layout (a pure function of the score, the state
// and this widget's size and fonts), the painter, the scrolling rules and the
// redraw levels. However little of the window a request repaints, the window
// always shows what a full paint of the current state would show.
class CTabView : public QAbstractScrollArea,
                 public DocumentListener,
                 public CommandTarget,
                 public edit::PlaybackControl {
    Q_OBJECT
public:
    CTabView(CTabApp& app, CTabDoc& doc, QWidget* parent = nullptr);
    ~CTabView() override;

    // ---- state, layout, repaint ----
    view::ViewState& state() { return state_; }
    const view::ViewState& state() const { return state_; }
    // The layout the window shows, or will show at its next paint: lines,
    // measure slots and beat positions for turning clicks and keys into
    // score positions. Brought up to date on every call.
    const view::ScoreLayout& layout();
    // Repaint at a redraw level: 0 fonts, units and layout; 1 layout; 2
    // contents (only the cursor cells when cursorMovedInMeasure is set);
    // 3 play marker; 4 scrolled during playback. Qt paints later, once for
    // all the requests made meanwhile.
    void requestRedraw(int level);

    // ---- scrolling by whole lines (the keys call these) ----
    // With cursorFollows the cursor goes to the line that came into view, as
    // for the scroll bar; without, it stays where the caller put it.
    bool scroll(view::ScrollRequest request, bool cursorFollows = true);
    bool pageUp() { return scroll(view::ScrollRequest::PageUp); }
    bool pageDown() { return scroll(view::ScrollRequest::PageDown); }
    bool lineUp() { return scroll(view::ScrollRequest::LineUp); }
    bool lineDown() { return scroll(view::ScrollRequest::LineDown); }

    // ---- playback ----
    // Playback started or ended: white background and no cursor while playing.
    void setPlaying(bool playing);
    // The play position moved to (measure, beat) of the cursor track: the
    // marker follows, and with scrolling during playback on, the window
    // scrolls when that measure left it.
    void showPlayPosition(int measure, int beat);

    // ---- time ----
    using Clock = std::function<std::int64_t()>; // milliseconds, never going back
    void setClock(Clock clock);
    std::int64_t nowMs() const { return clock_(); }
    // When the view was last set up for a new or opened score; clicks just
    // after it are ignored.
    std::int64_t loadTime() const { return loadTime_; }
    static constexpr std::int64_t kLoadGuardMs = 200;
    bool justLoaded() const { return nowMs() - loadTime_ < kLoadGuardMs; }

    // Switches the track being edited; nothing happens for a track that does
    // not exist or is already the cursor's.
    void switchToTrack(int track);
    void Stop();
    bool isPlaying() const { return state_.isPlaying; }
    TransportController& transport() { return *transport_; }
    // Track volumes, pan, solo, mute and the effects of the instrument slots.
    MixerCommands& mixer() { return *mixer_; }
    // The frame's size or state changed: everything is measured again.
    void relayout();

    // ---- measure selection, to loop or export ----
    // Shift+Left (-1) and Shift+Right (+1); the cursor goes to the moving end.
    void stepSelection(int direction);
    void clearSelection();

    // ---- editing: keys, note commands, mouse ----
    // The editing core working on this view's state; tests give it their
    // own dialogs through it.
    edit::EditController& editor() { return edit_; }

    // ---- DocumentListener and edit::PlaybackControl ----
    bool isWindowUp() const override { return true; }
    void stopPlayback() override { Stop(); }
    // Enter: the play command, from the cursor.
    void play() override;
    void releaseSamples() override;
    void clearCursorMeasure() override { hasCursorMeasure_ = false; }
    void resetCursor() override;
    void resetCursorBeat() override { state_.cursorBeat = 0; }
    // Index of the cursor's measure in its track, -1 without one.
    int cursorMeasureIndex() const override { return hasCursorMeasure_ ? state_.cursorMeasure.measure : -1; }
    void setCursorMeasureIndex(int index) override;
    void documentUpdated() override;

    // ---- CommandTarget ----
    bool onCommand(int id) override;
    bool onUpdateCommand(int id, CommandState& state) override;

    // The percussion palette, created the first time a drum measure needs it.
    CDialBat* drumPalette() const { return palette_; }
    // Shows the palette over a drum measure under the cursor (following the
    // cursor beat) and hides it elsewhere.
    void syncDrumPalette();

    // Window areas the last paint drew the cursor and the play marker in.
    std::optional<QRect> paintedCursorArea() const { return paintedCursor_.area; }
    std::optional<QRect> paintedPlayMarkerArea() const { return paintedMarker_; }

signals:
    // The set of tracks, their names or instruments may have changed.
    void trackListChanged();
    // The cursor or the score changed: update handlers must run again.
    void stateChanged();
    // Playback was asked to stop (every menu opening asks).
    void stopRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Hear the beat under the cursor (the click before has put it there).
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The view scrolls by lines and repaints itself; Qt must not shift pixels.
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Everything besides the score that the layout depends on.
    struct LayoutInputs {
        int width = -1, height = -1, dpi = 0, zoom = 0;
        int firstLine = 0, cursorTrack = 0, stringCount = 0, measureCount = 0, trackCount = 0;
        std::vector<int> shownTracks; // empty in the single-track view
        bool sameDevice(const LayoutInputs& o) const
        {
            return width == o.width && height == o.height && dpi == o.dpi && zoom == o.zoom;
        }
        bool operator==(const LayoutInputs&) const = default;
    };
    struct PaintedCursor {
        std::optional<QRect> area;
        view::MeasureRef measure;
        int line = -1;
        bool square = false;
    };

    LayoutInputs layoutInputs() const;
    view::DeviceMetrics deviceMetrics() const;
    void scheduleUpdate();
    void rememberPainted(const view::ScoreLayout& layout);
    void updateScrollBar(const view::ScoreLayout& layout);
    void onScrollBarAction(int action);
    void wheel(int angleDelta);
    void afterScroll();
    void clampCursor();
    // Shift+click: the selection reaches the measure under the point.
    bool selectByClick(QPoint at);
    void selectionChanged(int measureShown);
    void paintSelection(QPainter& painter, const view::ScoreLayout& layout);
    // Repaints as an editing action asked and brings the toolbars up to date.
    void applyEdit(const edit::EditOutcome& outcome);
    // Add, delete, instrument, tuning and the multi-track choice; false for
    // any other command.
    bool trackCommand(int id);
    // A palette click: drum n added to or removed from the cursor beat.
    void drumRequest(int drum, bool added);
    edit::EditOutcome changeTracks(edit::StepKind kind, const edit::ScoreRegion& region,
                                   const std::function<void(edit::TrackCommands&)>& change);

    // ---- settings commands (CTabViewSettings.cpp) ----
    const CMesure* cursorMeasureOrNull() const;
    // Typing goes on in the score once a dialog has closed.
    void afterDialog();
    void askSignature();
    void askTempo();
    void askCapo();
    void toggleRepeatStart();
    void toggleRepeatEnd();
    void askProperties();

    // ---- measure clipboard (CTabViewClipboard.cpp) ----
    std::optional<CDialCopie::Answer> askMeasureRange(bool forCut);
    CMesure fillerFromCursor() const;
    void copyMeasures();
    void cutMeasures();
    void pasteMeasures();

    CTabApp& app_;
    CTabDoc& doc_;
    view::ViewState state_;
    bool hasCursorMeasure_ = false;

    QtFontMetrics fonts_;
    view::ViewUnits units_;
    std::optional<view::ScoreLayout> layout_;
    LayoutInputs inputs_;
    view::RedrawPlan plan_;
    PaintedCursor paintedCursor_;
    std::optional<QRect> paintedMarker_;

    std::unique_ptr<TransportController> transport_;
    std::unique_ptr<MixerCommands> mixer_;
    bool syncingScrollBar_ = false;
    int wheelRemainder_ = 0;

    Clock clock_;
    std::int64_t loadTime_ = -kLoadGuardMs;

    CDialBat* palette_ = nullptr;
    QtEditDialogs editDialogs_{this};
    // Kept for the window's whole life, across scores.
    edit::MeasureClipboard clipboard_;
    edit::EditController edit_{doc_, state_};
};
