#include "EffectParams.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

float fit(float v, float lo, float hi, float fallback)
{
    if (!std::isfinite(v))
        return fallback;
    return std::clamp(v, lo, hi);
}

template <typename Rec>
Rec modulated(const Rec& p, float maxDelay)
{
    const Rec d;
    Rec c = p;
    c.fWetDryMix = fit(p.fWetDryMix, 0, 100, d.fWetDryMix);
    c.fDepth = fit(p.fDepth, 0, 100, d.fDepth);
    c.fFeedback = fit(p.fFeedback, -99, 99, d.fFeedback);
    c.fFrequency = fit(p.fFrequency, 0, 10, d.fFrequency);
    c.lWaveform = p.lWaveform == 0 ? 0 : 1;
    c.fDelay = fit(p.fDelay, 0, maxDelay, d.fDelay);
    c.lPhase = std::clamp(p.lPhase, 0, 4);
    return c;
}

} // namespace

DSFXChorus clamped(const DSFXChorus& p)
{
    return modulated(p, 20);
}

DSFXFlanger clamped(const DSFXFlanger& p)
{
    return modulated(p, 4);
}

DSFXCompressor clamped(const DSFXCompressor& p)
{
    const DSFXCompressor d;
    DSFXCompressor c;
    c.fGain = fit(p.fGain, -60, 60, d.fGain);
    c.fAttack = fit(p.fAttack, 0.01f, 500, d.fAttack);
    c.fRelease = fit(p.fRelease, 50, 3000, d.fRelease);
    c.fThreshold = fit(p.fThreshold, -60, 0, d.fThreshold);
    c.fRatio = fit(p.fRatio, 1, 100, d.fRatio);
    c.fPredelay = fit(p.fPredelay, 0, 4, d.fPredelay);
    return c;
}

DSFXDistortion clamped(const DSFXDistortion& p)
{
    const DSFXDistortion d;
    DSFXDistortion c;
    c.fGain = fit(p.fGain, -60, 0, d.fGain);
    c.fEdge = fit(p.fEdge, 0, 100, d.fEdge);
    c.fPostEQCenterFrequency = fit(p.fPostEQCenterFrequency, 100, 8000, d.fPostEQCenterFrequency);
    c.fPostEQBandwidth = fit(p.fPostEQBandwidth, 100, 8000, d.fPostEQBandwidth);
    c.fPreLowpassCutoff = fit(p.fPreLowpassCutoff, 100, 8000, d.fPreLowpassCutoff);
    return c;
}

DSFXEcho clamped(const DSFXEcho& p)
{
    const DSFXEcho d;
    DSFXEcho c;
    c.fWetDryMix = fit(p.fWetDryMix, 0, 100, d.fWetDryMix);
    c.fFeedback = fit(p.fFeedback, 0, 100, d.fFeedback);
    c.fLeftDelay = fit(p.fLeftDelay, 1, 2000, d.fLeftDelay);
    c.fRightDelay = fit(p.fRightDelay, 1, 2000, d.fRightDelay);
    c.lPanDelay = p.lPanDelay == 0 ? 0 : 1;
    return c;
}

DSFXGargle clamped(const DSFXGargle& p)
{
    DSFXGargle c;
    c.dwRateHz = std::clamp<std::uint32_t>(p.dwRateHz, 1, 1000);
    c.dwWaveShape = p.dwWaveShape == 0 ? 0 : 1;
    return c;
}

DSFXParamEq clamped(const DSFXParamEq& p)
{
    const DSFXParamEq d;
    DSFXParamEq c;
    c.fCenter = fit(p.fCenter, 80, 16000, d.fCenter);
    c.fBandwidth = fit(p.fBandwidth, 1, 36, d.fBandwidth);
    c.fGain = fit(p.fGain, -15, 15, d.fGain);
    return c;
}

DSFXWavesReverb clamped(const DSFXWavesReverb& p)
{
    const DSFXWavesReverb d;
    DSFXWavesReverb c;
    c.fInGain = fit(p.fInGain, -96, 0, d.fInGain);
    c.fReverbMix = fit(p.fReverbMix, -96, 0, d.fReverbMix);
    c.fReverbTime = fit(p.fReverbTime, 0.001f, 3000, d.fReverbTime);
    c.fHighFreqRTRatio = fit(p.fHighFreqRTRatio, 0.001f, 0.999f, d.fHighFreqRTRatio);
    return c;
}

bool SlotEffects::anyOn() const
{
    return std::any_of(enabled.begin(), enabled.end(), [](bool b) { return b; });
}

int SlotEffects::enabledCount() const
{
    return static_cast<int>(std::count(enabled.begin(), enabled.end(), true));
}

int SlotEffects::chainIndex(EffectKind k) const
{
    const auto at = static_cast<std::size_t>(k);
    if (!enabled[at])
        return -1;
    return static_cast<int>(std::count(enabled.begin(), enabled.begin() + static_cast<std::ptrdiff_t>(at), true));
}

SlotEffects SlotEffects::clampedCopy() const
{
    SlotEffects c = *this;
    c.chorus = clamped(chorus);
    c.compressor = clamped(compressor);
    c.distortion = clamped(distortion);
    c.echo = clamped(echo);
    c.flanger = clamped(flanger);
    c.gargle = clamped(gargle);
    c.paramEq = clamped(paramEq);
    c.reverb = clamped(reverb);
    return c;
}

} // namespace sound
