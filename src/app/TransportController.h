#pragma once

#include "PlaybackPass.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CAccord;
class CSoundEngine;
class CTabDoc;
class CTabView;
class PlaybackController;
class Prompter;

// The transport of the editor window: the sound engine, the sample bank and
// the playback pass on the audio thread, the play commands, the play marker
// that follows the music, and the audition of the beat under the cursor.
class TransportController : public QObject {
    Q_OBJECT
public:
    TransportController(CTabDoc& doc, CTabView& view, const std::string& baseDirectory, Prompter& prompter);
    ~TransportController() override;

    // "Lecture" (from the cursor) and "Lecture à partir du début".
    void playFrom(bool fromStart);
    // The Stop command, and play from the cursor (again).
    void stopPlayback();
    void play() { playFrom(false); }

    void goToStart();
    void goToEnd();
    void toggleLoop();
    bool loopPlay() const { return loopPlay_; }
    // "Boucle sur la sélection": loops the selected measures (when there are some).
    void toggleLoopSelection();
    bool loopSelection() const { return loopSelection_; }

    // Count-in, metronome, speed and speed trainer (the range comes from the
    // view's selection). A change reaches a performance under way.
    const PlaybackPass::Practice& practice() const { return practice_; }
    void setPractice(const PlaybackPass::Practice& practice);
    // The selection changed: a loop under way takes the new range at its next turn.
    void selectionChanged();
    bool isPlaying() const;

    // Plays the beat under the cursor for half a second, 8 dB down.
    void audition();
    // Plays one drum of the cursor's drum track the same way.
    void auditionDrum(int drum);

    // The score's instruments changed or a new score is shown: the bank
    // follows (loaded once the window is up, so start-up stays quick).
    void scoreReplaced();
    void releaseBank();
    void ensureBank();

    // Held by every change of the score made while the music plays.
    std::recursive_mutex& scoreLock() { return scoreLock_; }
    CSoundEngine& engine() { return *engine_; }

private:
    void auditionBeat(const CMesure& measure, const CAccord& beat);
    void poll();
    void finishedByItself();
    // The options with the loop range of the moment.
    PlaybackPass::Practice practiceWithRange() const;
    bool loopsSelection() const;

    CTabDoc& doc_;
    CTabView& view_;
    std::recursive_mutex scoreLock_;
    std::unique_ptr<CSoundEngine> engine_;
    std::unique_ptr<PlaybackController> controller_;
    QTimer poller_;
    bool loopPlay_ = false;
    bool loopSelection_ = false;
    PlaybackPass::Practice practice_;
    bool bankWanted_ = true;
    std::vector<int> loadedSlots_;
    int shownMeasure_ = -1; // the measure the cursor was last put on by playback
    int shownBeat_ = -1;
    bool wasPlaying_ = false;
};
