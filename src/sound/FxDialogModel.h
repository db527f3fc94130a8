#pragma once

#include "EffectParams.h"

#include <array>
#include <string>

// What the effects dialog shows and edits, without any window: one
// descriptor per effect (title, up to six slider parameters, the waveform
// and phase choices) and the eight on/off flags, built from the engine's
// settings and turned back into them.
namespace sound {

struct FxParameter {
    const char* label = "";
    float value = 0;
    int min = 0;
    int max = 0;
};

struct FxDescriptor {
    // Waveform choices (bit 0 "Triangle", bit 1 "Carré", bit 2 "Sinus") and
    // the selected one: 1 Triangle, 2 Carré, 3 Sinus.
    static constexpr int kTriangle = 1, kSquare = 2, kSine = 3;

    const char* title = "";
    std::array<FxParameter, 6> params{};
    int count = 0;
    int waveMask = 0;
    int phaseMask = 0; // bits 0..4: "-180", "-90", "0", "90", "180"
    int wave = 0;
    int phase = 0; // 1..5 for -180 .. 180 degrees

    // Slider position 0..100 of parameter r.
    int sliderPosition(int r) const;
    // The slider of parameter r moved to `position`.
    void moveSlider(int r, int position);
};

class FxDialogModel {
public:
    static constexpr std::array<const char*, kEffectCount> kButtonTexts{
        "  &Chorus", "  Co&mpresseur", "  &Distorsion", "  &Echo",
        "  &Flanger", "  &Phaser",     "  &Equaliseur", "  &Réverbération"};
    static constexpr std::array<const char*, 3> kWaveTexts{"Triangle", "Carré", "Sinus"};
    static constexpr std::array<const char*, 5> kPhaseTexts{"-180", "-90", "0", "90", "180"};
    static constexpr const char* kTitle = "Paramètres des Effects";

    // Every effect at its default, all off.
    FxDialogModel();
    // The flags from the engine; enabled effects show the engine's values,
    // the others their defaults.
    static FxDialogModel fromEngine(const SlotEffects& engine);
    // The flags, and the values of the effects enabled here written over
    // the engine's records (the others keep what the engine had).
    SlotEffects toEngine(const SlotEffects& engine) const;

    std::array<FxDescriptor, kEffectCount> effects;
    std::array<bool, kEffectCount> enabled{};

    // "%.2f" and "%d", as the dialog prints values and bounds.
    static std::string formatValue(float value);
    static std::string formatBound(int bound);
};

} // namespace sound
