// Plays a short phrase on every instrument of the bank through the sound
// engine and writes one WAV per instrument, to listen to the bank and the
// mixer together:
//
//   bank-demo OUTDIR [ROOT]      (ROOT holds res/; default: beside this program)

#include "CSoundEngine.h"
#include "SoundPaths.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Event {
    double ms;
    int index;
    bool stop = false;
};

// An E major scale up two octaves, each note cutting the last, then a
// strummed E chord left to ring and a dead note.
std::vector<Event> phrase(int lowE)
{
    std::vector<Event> events;
    const int steps[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
    double t = 100;
    int previous = -1;
    for (int s : steps) {
        if (previous >= 0)
            events.push_back({t, previous, true});
        events.push_back({t, lowE + s});
        previous = lowE + s;
        t += 250;
    }
    events.push_back({t, previous, true});
    t += 200;
    const int chord[] = {0, 7, 12, 16, 19, 24};
    for (int k = 0; k < 6; ++k)
        events.push_back({t + 12 * k, lowE + chord[k]});
    t += 2200;
    for (int k = 0; k < 6; ++k)
        events.push_back({t, lowE + chord[k], true});
    events.push_back({t + 100, -1}); // the dead note, filled in by the caller
    return events;
}

std::vector<Event> drumBeat()
{
    std::vector<Event> events;
    const double eighth = 250;
    for (int bar = 0; bar < 2; ++bar)
        for (int e = 0; e < 8; ++e) {
            const double t = 100 + (bar * 8 + e) * eighth;
            events.push_back({t, 6});           // closed hi-hat
            if (e == 0 || e == 4 || e == 5)
                events.push_back({t, 0});       // bass drum
            if (e == 2 || e == 6)
                events.push_back({t, 20});      // snare
        }
    const double fill = 100 + 16 * eighth;
    const int toms[] = {28, 26, 24, 22};
    for (int k = 0; k < 4; ++k)
        events.push_back({fill + k * eighth / 2, toms[k]});
    events.push_back({fill + 2 * eighth, 11});  // crash
    events.push_back({fill + 2 * eighth, 14});  // kick
    return events;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: bank-demo OUTDIR [ROOT]\n";
        return 1;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const std::vector<std::string> fallbacks = sound::defaultFallbackRoots();
    const std::string root = argc > 2 ? argv[2] : (fallbacks.empty() ? "." : fallbacks.front());

    for (int code = 0; code < 7; ++code) {
        CSoundEngine engine(root, nullptr, {});
        engine.Open(CSoundEngine::Output::Offline);
        const std::array<int, 1> slots{code};
        if (!engine.isOpen() || !engine.LoadBank(slots, 1)) {
            std::cerr << "bank-demo: no bank under " << engine.resourceRoot() << "\n";
            return 1;
        }
        const int count = CSoundEngine::sampleCount[static_cast<std::size_t>(code)];
        std::vector<Event> events = code == 3 ? drumBeat() : phrase(2);
        for (Event& e : events)
            if (e.index < 0)
                e.index = count - 1;
        std::size_t next = 0;
        double end = 0;
        for (const Event& e : events)
            end = std::max(end, e.ms);
        engine.setTickCallback([&](double now) {
            for (; next < events.size() && events[next].ms <= now; ++next) {
                const Event& e = events[next];
                if (e.stop) {
                    engine.PostStop(0, e.index);
                } else {
                    engine.SetVolume(0, e.index, 0);
                    engine.PostStart(0, e.index);
                }
            }
        });
        engine.StartOutput();
        const std::string file = (out / (std::string(CSoundEngine::kInstrumentFolders[static_cast<std::size_t>(code)]) + ".wav")).string();
        const auto frames = static_cast<std::int64_t>((end + 2000) * engine.outputFormat().samplesPerSec / 1000);
        if (!engine.renderToWav(file, frames)) {
            std::cerr << "bank-demo: cannot write " << file << "\n";
            return 1;
        }
        std::cout << file << "\n";
    }
    return 0;
}
