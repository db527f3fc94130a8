// Prints the measured figures of playback: how a final chord rings out,
// sustain, vibrato, legato, palm mute, balance, headroom and rests, each on a
// small score rendered through the --render path. With WAV files as
// arguments it prints their levels instead (loudness, peak, length).
//
//   sound-check [BUILD_DIR [KEEP_DIR]]  figures of the small scores (their
//                                       renders kept in KEEP_DIR, numbered)
//   sound-check --wav FILE...      levels of rendered files

#include "SoundCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

void print(const char* title, const std::vector<soundcheck::Figure>& figures)
{
    std::printf("%s\n", title);
    for (const soundcheck::Figure& f : figures)
        std::printf("  %-48s %9.1f %s\n", f.name.c_str(), f.value, f.unit.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--wav") == 0) {
        std::printf("%-40s %9s %9s %9s\n", "file", "LUFS", "peak dB", "seconds");
        for (int i = 2; i < argc; ++i) {
            const soundcheck::Audio a = soundcheck::readWav(argv[i]);
            if (a.rate == 0) {
                std::printf("%-40s unreadable\n", argv[i]);
                continue;
            }
            std::printf("%-40s %9.1f %9.1f %9.2f\n", argv[i], soundcheck::integratedLufs(a), soundcheck::peakDb(a),
                        a.ms() / 1000);
        }
        return 0;
    }
    std::string dir = argc >= 2 ? argv[1] : ".";
    if (argc >= 3)
        soundcheck::keepRendersIn(argv[2]);
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    const std::vector<std::pair<const char*, std::function<std::vector<soundcheck::Figure>(const std::string&)>>>
        points = {
            {"1. Final chord", soundcheck::lastChordFigures},   {"2. Let-ring string", soundcheck::letRingFigures},
            {"3. Held notes", soundcheck::heldNoteFigures},     {"4. Vibrato", soundcheck::vibratoFigures},
            {"5. Legato", soundcheck::legatoFigures},           {"6. Palm mute", soundcheck::palmMuteFigures},
            {"7. Balance", soundcheck::balanceFigures},         {"8. Dense mix", soundcheck::denseMixFigures},
            {"9. Rests", soundcheck::restFigures},
        };
    const char* only = std::getenv("SOUND_CHECK_ONLY"); // a digit: that point alone
    for (const auto& [title, figures] : points)
        if (!only || title[0] == only[0])
            print(title, figures(dir));
    return 0;
}
