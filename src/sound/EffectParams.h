#pragma once

#include <array>
#include <cstdint>

// The eight standard effects of an instrument slot, by their parameter
// records (member names and units as the effect records are published), and
// the per-slot settings the engine keeps: which effects are on, and each
// effect's record. Plain data: copied between the dialog, the engine and the
// audio thread.
namespace sound {

// Chain order: the effects always run in this order on a slot's bus.
enum class EffectKind : int { Chorus, Compressor, Distortion, Echo, Flanger, Gargle, ParamEq, Reverb };
inline constexpr int kEffectCount = 8;

struct DSFXChorus {
    float fWetDryMix = 50;  // %, 0..100
    float fDepth = 10;      // %, 0..100 of fDelay
    float fFeedback = 25;   // %, -99..99
    float fFrequency = 1.1f; // Hz, 0..10
    std::int32_t lWaveform = 1; // 0 triangle, 1 sine
    float fDelay = 16;      // ms, 0..20
    std::int32_t lPhase = 3; // 0..4 = -180, -90, 0, 90, 180 degrees
};

struct DSFXFlanger {
    float fWetDryMix = 50;
    float fDepth = 100;
    float fFeedback = -50;
    float fFrequency = 0.25f;
    std::int32_t lWaveform = 1;
    float fDelay = 2; // ms, 0..4
    std::int32_t lPhase = 2;
};

struct DSFXCompressor {
    float fGain = 0;        // dB, -60..60
    float fAttack = 10;     // ms, 0.01..500
    float fRelease = 200;   // ms, 50..3000
    float fThreshold = -20; // dB, -60..0
    float fRatio = 3;       // 1..100
    float fPredelay = 4;    // ms, 0..4
};

struct DSFXDistortion {
    float fGain = -18;                   // dB, -60..0
    float fEdge = 15;                    // %, 0..100
    float fPostEQCenterFrequency = 2400; // Hz, 100..8000
    float fPostEQBandwidth = 2400;       // Hz, 100..8000
    float fPreLowpassCutoff = 8000;      // Hz, 100..8000
};

struct DSFXEcho {
    float fWetDryMix = 50;   // %, 0..100
    float fFeedback = 50;    // %, 0..100
    float fLeftDelay = 500;  // ms, 1..2000
    float fRightDelay = 500; // ms, 1..2000
    std::int32_t lPanDelay = 0; // 1: repeats swap sides
};

struct DSFXGargle {
    std::uint32_t dwRateHz = 20;   // 1..1000
    std::uint32_t dwWaveShape = 0; // 0 triangle, 1 square
};

struct DSFXParamEq {
    float fCenter = 8000;  // Hz, 80..16000
    float fBandwidth = 12; // semitones, 1..36
    float fGain = 0;       // dB, -15..15
};

struct DSFXWavesReverb {
    float fInGain = 0;               // dB, -96..0
    float fReverbMix = 0;            // dB, -96..0
    float fReverbTime = 1000;        // ms, 0.001..3000
    float fHighFreqRTRatio = 0.001f; // 0.001..0.999
};

// Each record with every member brought into its published range (a value
// that is not a number takes the default).
DSFXChorus clamped(const DSFXChorus& p);
DSFXFlanger clamped(const DSFXFlanger& p);
DSFXCompressor clamped(const DSFXCompressor& p);
DSFXDistortion clamped(const DSFXDistortion& p);
DSFXEcho clamped(const DSFXEcho& p);
DSFXGargle clamped(const DSFXGargle& p);
DSFXParamEq clamped(const DSFXParamEq& p);
DSFXWavesReverb clamped(const DSFXWavesReverb& p);

// One slot's effects: on/off flags in chain order and the eight records.
struct SlotEffects {
    std::array<bool, kEffectCount> enabled{};
    DSFXChorus chorus;
    DSFXCompressor compressor;
    DSFXDistortion distortion;
    DSFXEcho echo;
    DSFXFlanger flanger;
    DSFXGargle gargle;
    DSFXParamEq paramEq;
    DSFXWavesReverb reverb;

    bool isOn(EffectKind k) const { return enabled[static_cast<std::size_t>(k)]; }
    void setOn(EffectKind k, bool on) { enabled[static_cast<std::size_t>(k)] = on; }
    bool anyOn() const;
    int enabledCount() const;
    // Position of effect k in the installed chain (the number of enabled
    // effects before it), or -1 when it is off.
    int chainIndex(EffectKind k) const;
    // Every record clamped.
    SlotEffects clampedCopy() const;
};

} // namespace sound
