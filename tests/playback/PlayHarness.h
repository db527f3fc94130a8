#pragma once

#include "CTabDoc.h"
#include "PlaybackPass.h"
#include "RecordingEngine.h"

#include <initializer_list>

// A score built beat by beat and a pass driven in 1 ms steps of a fake clock.
struct PlayHarness {
    CTabDoc doc;
    RecordingEngine engine;
    PlaybackPass pass{doc, engine};

    PlayHarness() { doc.OnNewDocument(); }

    // Sets track t to `measures` measures of the given time signature and tempo, each empty.
    void shape(int tracks, int measures, int tempo = 60, int numerator = 4, int denominator = 4)
    {
        doc.trackCount = tracks;
        doc.measureCount = measures;
        doc.slotCount = tracks;
        for (int t = 0; t < tracks; ++t) {
            doc.slotOrder[t] = t;
            if (doc.slotInstrument[t] == 255)
                doc.slotInstrument[t] = 0;
            for (int m = 0; m < measures; ++m) {
                CMesure& ms = doc.tracks[t][m];
                ms.tempo = tempo;
                ms.numerator = numerator;
                ms.denominator = denominator;
                ms.instrumentSlot = t;
                ms.index = m;
                ms.beats.SetSize(0);
                ms.beatCount = 0;
            }
        }
    }

    CAccord& add(int track, int measure, int durationCode = 4)
    {
        CMesure& ms = doc.tracks[track][measure];
        CAccord b;
        b.durationCode = durationCode;
        ms.beats.Add(b);
        ms.beatCount = ms.beats.GetSize();
        return ms.beats[ms.beatCount - 1];
    }

    bool play(int measure = 0, bool fromStart = false, int cursorTrack = 0)
    {
        engine.now = 0;
        PlaybackPass::Start s;
        s.measure = measure;
        s.fromStart = fromStart;
        s.cursorTrack = cursorTrack;
        return pass.start(s, 0);
    }

    // Advances the clock to `until` ms (inclusive) one millisecond at a time.
    void runUntil(double until)
    {
        while (engine.now < until && pass.isPlaying()) {
            pass.tick(engine.now);
            engine.now += 1;
        }
    }
    void runToEnd(double limit = 600000) { runUntil(limit); }
};
