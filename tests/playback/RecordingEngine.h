#pragma once

#include "CTabDoc.h"
#include "CSoundEngine.h"
#include "ISoundEngine.h"

#include <string>
#include <vector>

// Records every engine call with the clock time the test set.
class RecordingEngine : public ISoundEngine {
public:
    enum Kind { Start, StartAt, Stop, StartNowK, StopNowK, StopAllK, Frequency, Volume, Pan, ReleaseK, SustainK, ToneK };
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
    void Release(int s, int i, int ms) override { add(ReleaseK, s, i, ms); }
    void SustainFrom(int s, int i, int p) override { add(SustainK, s, i, p); }
    void SetTone(int s, int i, int hz) override { add(ToneK, s, i, hz); }
    void setTickCallback(TickCallback) override {}
    void StartOutput() override {}
    void StopOutput() override {}

    int SampleIndex(const CTabDoc& doc, const CAccord& beat, int string, int track) const override
    {
        const auto t = static_cast<std::size_t>(track);
        return CSoundEngine::SampleIndexFor(doc.instrumentOfTrack(track), beat.notes[string], doc.tuning[t],
                                            doc.capo[t], string);
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
