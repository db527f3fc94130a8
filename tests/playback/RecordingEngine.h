#pragma once

#include "CTabDoc.h"
#include "ISoundEngine.h"

#include <string>
#include <vector>

// Records every engine call with the clock time the test set.
class RecordingEngine : public ISoundEngine {
public:
    enum Kind { Start, StartAt, Stop, StartNowK, StopNowK, StopAllK, Frequency, Volume, Pan };
    struct Event {
        double t;
        Kind kind;
        int slot;
        int index;
        int value;
    };

    double now = 0;
    bool ready = true;
    std::vector<Event> events;

    bool isReady() const override { return ready; }
    void PostStart(int s, int i) override { add(Start, s, i, 0); }
    void PostStartAt(int s, int i, int p) override { add(StartAt, s, i, p); }
    void PostStop(int s, int i) override { add(Stop, s, i, 0); }
    void StartNow(int s, int i, int p) override { add(StartNowK, s, i, p); }
    void StopNow(int s, int i) override { add(StopNowK, s, i, 0); }
    void StopAll() override { add(StopAllK, 0, 0, 0); }
    void SetFrequency(int s, int i, int hz) override { add(Frequency, s, i, hz); }
    void SetVolume(int s, int i, int level) override { add(Volume, s, i, level); }
    void SetPan(int s, int i, int pan) override { add(Pan, s, i, pan); }
    void setTickCallback(TickCallback) override {}
    void StartOutput() override {}
    void StopOutput() override {}

    // Standard mapping: tuning + fret + capo, folded below the dead-note index.
    int SampleIndex(const CTabDoc& doc, const CAccord& beat, int string, int track) const override
    {
        const CNote& n = beat.notes[string];
        if (n.fret == 27)
            return 52;
        const int code = doc.instrumentOfTrack(track);
        const int count = code == 2 ? 44 : code == 3 ? 30 : 52;
        if (code == 3)
            return n.fret;
        if (n.fret == 25)
            return count - 1;
        int index = doc.tuning[static_cast<std::size_t>(track)][static_cast<std::size_t>(5 - string)] + n.fret;
        if (n.fret <= 24)
            index += doc.capo[static_cast<std::size_t>(track)];
        while (index >= count - 1)
            index -= 12;
        return index;
    }

    std::vector<Event> of(Kind k) const
    {
        std::vector<Event> out;
        for (const Event& e : events)
            if (e.kind == k)
                out.push_back(e);
        return out;
    }
    // Starts of any kind (ring or immediate), in order.
    std::vector<Event> starts() const
    {
        std::vector<Event> out;
        for (const Event& e : events)
            if (e.kind == Start || e.kind == StartAt)
                out.push_back(e);
        return out;
    }

private:
    void add(Kind k, int s, int i, int v) { events.push_back({now, k, s, i, v}); }
};
