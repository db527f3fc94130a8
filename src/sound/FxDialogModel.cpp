#include "FxDialogModel.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <type_traits>

namespace sound {

namespace {

constexpr int kTriangleBit = 1, kSquareBit = 2, kSineBit = 4;
constexpr int kAllPhases = 0x1F;

FxDescriptor make(const char* title, std::initializer_list<FxParameter> params, int waveMask = 0, int wave = 0,
                  int phaseMask = 0, int phase = 0)
{
    FxDescriptor d;
    d.title = title;
    for (const FxParameter& p : params)
        d.params[static_cast<std::size_t>(d.count++)] = p;
    d.waveMask = waveMask;
    d.wave = wave;
    d.phaseMask = phaseMask;
    d.phase = phase;
    return d;
}

std::array<FxDescriptor, kEffectCount> defaults()
{
    return {
        make("Paramètres du CHORUS",
             {{"Quantité d'effet (%)", 50, 0, 100}, {"Profondeur (%)", 10, 0, 100}, {"Retour (%)", 25, -99, 99},
              {"Fréquence (Hz)", 1.1f, 0, 10}, {"Delai (ms)", 16, 0, 20}},
             kTriangleBit | kSineBit, FxDescriptor::kSine, kAllPhases, 4),
        make("Paramètres du COMPRESSEUR",
             {{"Gain (dB)", 0, -60, 60}, {"Attaque (ms)", 10, 0, 500}, {"Relachement (ms)", 200, 50, 3000},
              {"Seuil (dB)", -20, -60, 0}, {"Rapport (x:1)", 3, 1, 100}, {"Pré-delai (ms)", 4, 0, 4}}),
        make("Paramères de la DISTORSION",
             {{"Gain (dB)", -18, -60, 0}, {"Distorsion (%)", 15, 0, 100}, {"Fréquence centrale (Hz)", 2400, 100, 8000},
              {"Bande passante (Hz)", 2400, 100, 8000}, {"Seuil d'amplification des basses (Hz)", 7350, 100, 8000}}),
        make("Paramètres de l'ECHO",
             {{"Quantité d'effet (%)", 50, 0, 100}, {"Retour (%)", 50, 0, 100}, {"Délai à gauche (ms)", 500, 1, 2000},
              {"Délai à droite (ms)", 500, 1, 2000}, {"Panoramique du délai (0-1)", 0, 0, 1}}),
        make("Paramètres du FLANGER",
             {{"Quantité d'effet (%)", 50, 0, 100}, {"Profondeur (%)", 100, 0, 100}, {"Retour (%)", -50, -99, 99},
              {"Fréquence (Hz)", 0.25f, 0, 10}, {"Delai (ms)", 2, 0, 4}},
             kTriangleBit | kSineBit, FxDescriptor::kSine, kAllPhases, 3),
        make("Paramètres du PHASER", {{"Cycles (Hz)", 20, 1, 1000}}, kTriangleBit | kSquareBit,
             FxDescriptor::kTriangle),
        make("Paramètres de l'EQUALISEUR",
             {{"Fréquence centrale (Hz)", 7350, 80, 16000}, {"Bande passante (Hz)", 12, 1, 36},
              {"Gain (dB)", 0, -15, 15}}),
        make("Paramètrs de la REVERBERATION",
             {{"Gain de l'entrée (dB)", 0, -96, 0}, {"Quantité de réverbération (dB)", 0, -96, 0},
              {"Temps de la réverbération (ms)", 1000, 0, 3000}, {"Rapport hautes fréquences (x:1)", 0, 0, 1}}),
    };
}

// The record members each descriptor's rows stand for, in row order; both
// directions go through this one table.
template <typename F>
void eachMember(SlotEffects& s, EffectKind k, F&& f)
{
    switch (k) {
    case EffectKind::Chorus:
        f(s.chorus.fWetDryMix), f(s.chorus.fDepth), f(s.chorus.fFeedback), f(s.chorus.fFrequency), f(s.chorus.fDelay);
        break;
    case EffectKind::Compressor:
        f(s.compressor.fGain), f(s.compressor.fAttack), f(s.compressor.fRelease), f(s.compressor.fThreshold),
            f(s.compressor.fRatio), f(s.compressor.fPredelay);
        break;
    case EffectKind::Distortion:
        f(s.distortion.fGain), f(s.distortion.fEdge), f(s.distortion.fPostEQCenterFrequency),
            f(s.distortion.fPostEQBandwidth), f(s.distortion.fPreLowpassCutoff);
        break;
    case EffectKind::Echo:
        f(s.echo.fWetDryMix), f(s.echo.fFeedback), f(s.echo.fLeftDelay), f(s.echo.fRightDelay), f(s.echo.lPanDelay);
        break;
    case EffectKind::Flanger:
        f(s.flanger.fWetDryMix), f(s.flanger.fDepth), f(s.flanger.fFeedback), f(s.flanger.fFrequency),
            f(s.flanger.fDelay);
        break;
    case EffectKind::Gargle:
        f(s.gargle.dwRateHz);
        break;
    case EffectKind::ParamEq:
        f(s.paramEq.fCenter), f(s.paramEq.fBandwidth), f(s.paramEq.fGain);
        break;
    case EffectKind::Reverb:
        f(s.reverb.fInGain), f(s.reverb.fReverbMix), f(s.reverb.fReverbTime), f(s.reverb.fHighFreqRTRatio);
        break;
    }
}

} // namespace

int FxDescriptor::sliderPosition(int r) const
{
    if (r < 0 || r >= count)
        return 0;
    const FxParameter& p = params[static_cast<std::size_t>(r)];
    if (p.max <= p.min)
        return 0;
    return static_cast<int>((p.value - static_cast<float>(p.min)) * 100.0f / static_cast<float>(p.max - p.min));
}

void FxDescriptor::moveSlider(int r, int position)
{
    if (r < 0 || r >= count)
        return;
    FxParameter& p = params[static_cast<std::size_t>(r)];
    p.value = static_cast<float>(p.min) + static_cast<float>(p.max - p.min) * static_cast<float>(position) * 0.01f;
}

FxDialogModel::FxDialogModel() : effects(defaults()) {}

FxDialogModel FxDialogModel::fromEngine(const SlotEffects& engine)
{
    FxDialogModel m;
    m.enabled = engine.enabled;
    SlotEffects copy = engine;
    for (int k = 0; k < kEffectCount; ++k) {
        if (!m.enabled[static_cast<std::size_t>(k)])
            continue;
        FxDescriptor& d = m.effects[static_cast<std::size_t>(k)];
        int row = 0;
        eachMember(copy, static_cast<EffectKind>(k),
                   [&](auto& member) { d.params[static_cast<std::size_t>(row++)].value = static_cast<float>(member); });
    }
    auto modulation = [](FxDescriptor& d, std::int32_t waveform, std::int32_t phase) {
        d.wave = waveform == 0 ? FxDescriptor::kTriangle : FxDescriptor::kSine;
        d.phase = std::clamp(phase, 0, 4) + 1;
    };
    if (m.enabled[0])
        modulation(m.effects[0], engine.chorus.lWaveform, engine.chorus.lPhase);
    if (m.enabled[4])
        modulation(m.effects[4], engine.flanger.lWaveform, engine.flanger.lPhase);
    if (m.enabled[5])
        m.effects[5].wave = engine.gargle.dwWaveShape == 0 ? FxDescriptor::kTriangle : FxDescriptor::kSquare;
    return m;
}

SlotEffects FxDialogModel::toEngine(const SlotEffects& engine) const
{
    SlotEffects s = engine;
    s.enabled = enabled;
    for (int k = 0; k < kEffectCount; ++k) {
        if (!enabled[static_cast<std::size_t>(k)])
            continue;
        const FxDescriptor& d = effects[static_cast<std::size_t>(k)];
        int row = 0;
        eachMember(s, static_cast<EffectKind>(k), [&](auto& member) {
            // Whole-number members (rate, pan delay) take the value truncated.
            member = static_cast<std::remove_reference_t<decltype(member)>>(d.params[static_cast<std::size_t>(row++)].value);
        });
    }
    if (enabled[0]) {
        s.chorus.lWaveform = effects[0].wave == FxDescriptor::kTriangle ? 0 : 1;
        s.chorus.lPhase = effects[0].phase - 1;
    }
    if (enabled[4]) {
        s.flanger.lWaveform = effects[4].wave == FxDescriptor::kTriangle ? 0 : 1;
        s.flanger.lPhase = effects[4].phase - 1;
    }
    if (enabled[5])
        s.gargle.dwWaveShape = effects[5].wave == FxDescriptor::kTriangle ? 0 : 1;
    return s;
}

std::string FxDialogModel::formatValue(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return text;
}

std::string FxDialogModel::formatBound(int bound)
{
    return std::to_string(bound);
}

} // namespace sound
