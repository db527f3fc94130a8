#pragma once

#include <functional>

class CAccord;
class CTabDoc;

// What playback, the audition and the articulation renderer need from the
// sound engine. CSoundEngine implements it; tests use a recording fake.
// Slots are the score's instrument slots; indexes are sample indexes.
class ISoundEngine {
public:
    virtual ~ISoundEngine() = default;

    // The bank is loaded and an output exists: playback may start.
    virtual bool isReady() const = 0;

    // Queued through the command ring; the newest request per buffer wins, once.
    virtual void PostStart(int slot, int index) = 0;
    virtual void PostStartAt(int slot, int index, int bytePosition) = 0;
    virtual void PostStop(int slot, int index) = 0;

    // Immediate, on the calling thread.
    virtual void StartNow(int slot, int index, int bytePosition) = 0;
    virtual void StopNow(int slot, int index) = 0;
    virtual void StopAll() = 0;

    virtual void SetFrequency(int slot, int index, int hertz) = 0;
    // Hundredths of a decibel: below -10000 -> -10000, above 0 -> -400, then 400 lower.
    virtual void SetVolume(int slot, int index, int level) = 0;
    // -10000 (left) .. +10000 (right).
    virtual void SetPan(int slot, int index, int pan) = 0;

    // How a guitarist shapes a sound beyond starting and stopping it. The
    // defaults fall back on the plain commands, for engines without them.
    // Immediate: fades a voice out over `ms` (a hand damping the string).
    virtual void Release(int slot, int index, int /*ms*/) { StopNow(slot, index); }
    // Immediate: a sounding voice goes on from another point of its sample
    // without a new attack (cross-faded and level matched).
    virtual void SustainFrom(int slot, int index, int bytePosition) { StartNow(slot, index, bytePosition); }
    // Low-pass corner on the voice in hertz, 0 = open (a muted, duller tone).
    virtual void SetTone(int /*slot*/, int /*index*/, int /*hertz*/) {}

    // Sample index of note `string` (0 = highest) of `beat` in `track`; 52 = no sound.
    virtual int SampleIndex(const CTabDoc& doc, const CAccord& beat, int string, int track) const = 0;

    // Called on the audio thread before every millisecond of output with the
    // audio clock in milliseconds (frames rendered * 1000 / rate). Playback
    // runs its pass here; the commands it posts are carried out right after.
    using TickCallback = std::function<void(double nowMs)>;
    virtual void setTickCallback(TickCallback callback) = 0;

    virtual void StartOutput() = 0;
    virtual void StopOutput() = 0;
};
