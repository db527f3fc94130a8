// Renders the instrument sample bank with FluidSynth from a General MIDI
// SoundFont: one 22050 Hz, 16-bit mono WAV per semitone (per drum for the
// kit), plus res/empty.wav whose format sets the output of the mixer.
//
//   make-samples SOUNDFONT RESDIR
//
// Each note is rendered dry (no reverb, no chorus) and left to ring for the
// whole 85000-byte buffer, because playback starts notes up to 1 s into
// their sample and expects the sound to be there. The last 320 ms fade out
// smoothly: a note that plays to the end of its sample dies away rather
// than stops.

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kFrames = 42500;          // 85000 bytes of 16-bit mono
constexpr int kFadeFrames = kRate * 32 / 100; // 320 ms
constexpr int kOnsetFrames = kRate / 500; // 2 ms: SoundFont samples start mid-waveform
constexpr int kDrumChannel = 9;
constexpr float kPeak = 0.708f;         // -3 dBFS for the loudest file of a folder
// The instruments hold notes, the drums only strike: at the same peak a
// drum groove sounds far quieter than a bass or guitar line. The pitched
// folders are brought down to its loudness, which also leaves the mix of
// ten tracks room before the output limiter.
constexpr float kPitchedTrimDb = -6.5f;
constexpr float kDrumTrimDb = -1.0f;

struct Strike {
    int channel = 0;
    int bank = 0;
    int program = 0;
    int key = 60;
    int velocity = 100;
    int bendCents = 0;   // pitch wheel, for the drums GM does not have
    int releaseMs = -1;  // -1: held for the whole buffer
    int decayCents = 0;  // added to the SoundFont's volume decay time
};

struct Job {
    std::string folder;
    int index = 0;
    std::vector<Strike> strikes;
    double decayMs = 0; // extra exponential decay (dead notes)
    bool dead = false;
};

struct PitchedInstrument {
    const char* folder;
    int program;
    int lowestKey; // MIDI key of index 0
    int count;
    int deadProgram;
    std::vector<int> deadKeys;
    int decayCents;
};

// The drums by the names of the percussion palette: kit program and key.
struct Drum {
    int program;
    int key;
    int bendCents;
};
const Drum kDrums[30] = {
    {0, 36, 0},     //  0 Bass Drum 1
    {0, 35, 0},     //  1 Bass Drum 2 (acoustic bass drum)
    {0, 53, 0},     //  2 Bell (ride bell)
    {0, 60, 0},     //  3 Bongo 1 (high)
    {0, 61, 0},     //  4 Bongo 2 (low)
    {0, 52, 0},     //  5 Chinese Cymbal
    {0, 42, 0},     //  6 Closed Hi-Hat
    {0, 62, 0},     //  7 Conga 1 (mute high)
    {0, 63, 0},     //  8 Conga 2 (open high)
    {0, 64, 0},     //  9 Conga 3 (low)
    {0, 64, -300},  // 10 Conga 4: the low conga tuned down
    {0, 49, 0},     // 11 Crash 1
    {0, 57, 0},     // 12 Crash 2
    {0, 52, -1200}, // 13 Gong: see gongJob()
    {16, 36, 0},    // 14 Kick Drum 1 (power kit)
    {24, 36, 0},    // 15 Kick Drum 2 (electronic kit)
    {0, 44, 0},     // 16 Pedal Hi-Hat
    {0, 46, 0},     // 17 Open Hi-Hat
    {0, 51, 0},     // 18 Ride Cymbal
    {0, 37, 0},     // 19 Rim (side stick)
    {0, 38, 0},     // 20 Snare
    {0, 55, 0},     // 21 Splash Cymbal
    {0, 41, 0},     // 22 Tom Bass 1 (low floor tom)
    {0, 43, 0},     // 23 Tom Bass 2 (high floor tom)
    {0, 45, 0},     // 24 Tom Med 1 (low tom)
    {0, 47, 0},     // 25 Tom Med 2 (low-mid tom)
    {0, 48, 0},     // 26 Tom Alto 1 (high-mid tom)
    {0, 39, 0},     // 27 never played (27 marks an empty string): hand clap
    {0, 50, 0},     // 28 Tom Alto 2 (high tom)
    {0, 54, 0},     // 29 Tambourine
};

std::vector<Job> buildJobs()
{
    // Dead notes: a cluster of muted strings struck and damped at once, which
    // gives the pitchless "chk" of a fretting hand lying on the strings.
    const std::vector<PitchedInstrument> pitched = {
        {"guitare acoustique", 25, 38, 52, 28, {40, 45, 50, 55}, 1200},
        {"guitare clean", 27, 38, 52, 28, {40, 45, 50, 55}, 1200},
        {"basse electrique", 33, 26, 44, 33, {28, 33, 38}, 0},
        {"guitare electrique", 30, 38, 52, 30, {40, 45, 50, 55}, 0},
        {"guitare classique", 24, 38, 52, 24, {40, 45, 50, 55}, 1200},
        {"piano", 0, 38, 52, 0, {36, 37, 38, 39, 40}, 1200},
    };
    std::vector<Job> jobs;
    for (const PitchedInstrument& inst : pitched) {
        for (int i = 0; i < inst.count - 1; ++i) {
            Job job{inst.folder, i, {}, 0};
            job.strikes.push_back({0, 0, inst.program, inst.lowestKey + i, 100, 0, -1, inst.decayCents});
            jobs.push_back(job);
        }
        Job dead{inst.folder, inst.count - 1, {}, 40, true};
        for (int key : inst.deadKeys)
            dead.strikes.push_back({0, 0, inst.deadProgram, key, 110, 0, 25, 0});
        jobs.push_back(dead);
    }
    for (int n = 0; n < 30; ++n) {
        const Drum& d = kDrums[n];
        Job job{"batterie", n, {}, 0};
        job.strikes.push_back({kDrumChannel, 128, d.program, d.key, 110, d.bendCents, -1, 0});
        if (n == 13) // a gong: a low cymbal wash over a soft timpani hit
            job.strikes.push_back({1, 0, 47, 31, 90, 0, -1, 0});
        jobs.push_back(job);
    }
    return jobs;
}

class Renderer {
public:
    explicit Renderer(const std::string& soundFont)
    {
        settings_ = new_fluid_settings();
        fluid_settings_setnum(settings_, "synth.sample-rate", kRate);
        fluid_settings_setint(settings_, "synth.reverb.active", 0);
        fluid_settings_setint(settings_, "synth.chorus.active", 0);
        fluid_settings_setnum(settings_, "synth.gain", 0.5);
        fluid_settings_setint(settings_, "synth.cpu-cores", 1);
        synth_ = new_fluid_synth(settings_);
        if (synth_)
            fontId_ = fluid_synth_sfload(synth_, soundFont.c_str(), 1);
    }
    ~Renderer()
    {
        if (synth_)
            delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    bool ok() const { return synth_ && fontId_ != FLUID_FAILED; }

    std::vector<float> render(const Job& job)
    {
        fluid_synth_system_reset(synth_);
        for (const Strike& s : job.strikes) {
            fluid_synth_program_select(synth_, s.channel, fontId_, s.bank, s.program);
            fluid_synth_pitch_wheel_sens(synth_, s.channel, 12);
            // 8192 is the centre of the wheel; 12 semitones over 8192 steps.
            const int wheel = 8192 + s.bendCents * 8192 / 1200;
            fluid_synth_pitch_bend(synth_, s.channel, std::clamp(wheel, 0, 16383));
            fluid_synth_set_gen(synth_, s.channel, GEN_VOLENVDECAY, static_cast<float>(s.decayCents));
        }
        for (const Strike& s : job.strikes)
            fluid_synth_noteon(synth_, s.channel, s.key, s.velocity);

        std::vector<float> left(kFrames), right(kFrames);
        int done = 0;
        while (done < kFrames) {
            int chunk = std::min(64, kFrames - done);
            for (const Strike& s : job.strikes) {
                const int releaseFrame = s.releaseMs * kRate / 1000;
                if (s.releaseMs >= 0 && releaseFrame >= done && releaseFrame < done + chunk) {
                    if (releaseFrame > done) {
                        chunk = releaseFrame - done;
                        break;
                    }
                    fluid_synth_noteoff(synth_, s.channel, s.key);
                }
            }
            fluid_synth_write_float(synth_, chunk, left.data(), done, 1, right.data(), done, 1);
            done += chunk;
        }
        fluid_synth_all_sounds_off(synth_, -1);

        std::vector<float> mono(kFrames);
        for (int i = 0; i < kFrames; ++i) {
            float v = 0.5f * (left[static_cast<std::size_t>(i)] + right[static_cast<std::size_t>(i)]);
            if (job.decayMs > 0)
                v *= static_cast<float>(std::exp(-i * 1000.0 / (kRate * job.decayMs)));
            const int fromEnd = kFrames - 1 - i;
            if (fromEnd < kFadeFrames) {
                // 60 dB over the fade at an even rate, closing to silence in its last tenth.
                const double x = 1.0 - static_cast<double>(fromEnd) / kFadeFrames;
                v *= static_cast<float>(std::pow(10.0, -3.0 * x) * std::min(1.0, 10.0 * (1.0 - x)));
            }
            if (i < kOnsetFrames) // a voice starting at 0 must not jump
                v *= 0.5f - 0.5f * std::cos(3.14159265f * static_cast<float>(i) / kOnsetFrames);
            mono[static_cast<std::size_t>(i)] = v;
        }
        return mono;
    }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    int fontId_ = FLUID_FAILED;
};

void put16(std::string& out, int v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool writeWav(const std::filesystem::path& path, int rate, int channels, const std::vector<std::int16_t>& samples)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, channels);
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    put16(out, channels * 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (std::int16_t s : samples)
        put16(out, s);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

int fail(const std::string& message)
{
    std::cerr << "make-samples: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail("usage: make-samples SOUNDFONT RESDIR");
    const std::string soundFont = argv[1];
    const std::filesystem::path resDir = argv[2];
    if (!std::filesystem::is_regular_file(soundFont))
        return fail("SoundFont not found: " + soundFont + " (install the fluid-soundfont-gm package)");

    // Quiet FluidSynth's chatter; its errors still surface through ok().
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);

    const std::vector<Job> jobs = buildJobs();
    std::vector<std::vector<float>> rendered(jobs.size());

    // Each worker owns a synthesizer; the jobs are shared out round-robin.
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
    std::vector<std::string> errors(workers);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            Renderer renderer(soundFont);
            if (!renderer.ok()) {
                errors[w] = "cannot load the SoundFont " + soundFont;
                return;
            }
            for (std::size_t j = w; j < jobs.size(); j += workers)
                rendered[j] = renderer.render(jobs[j]);
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const std::string& e : errors)
        if (!e.empty())
            return fail(e);

    // One gain per folder keeps the natural balance between the notes of an
    // instrument; the dead note, a cluster of strikes, is brought to the
    // loudness of a typical note instead of setting the folder's level.
    std::vector<std::string> folders;
    for (const Job& j : jobs)
        if (std::find(folders.begin(), folders.end(), j.folder) == folders.end())
            folders.push_back(j.folder);
    auto peakOf = [](const std::vector<float>& v) {
        float p = 0;
        for (float x : v)
            p = std::max(p, std::fabs(x));
        return p;
    };
    for (const std::string& folder : folders) {
        std::vector<float> peaks;
        for (std::size_t j = 0; j < jobs.size(); ++j)
            if (jobs[j].folder == folder && !jobs[j].dead)
                peaks.push_back(peakOf(rendered[j]));
        const float loudest = peaks.empty() ? 0 : *std::max_element(peaks.begin(), peaks.end());
        if (loudest <= 0)
            return fail("silent folder " + folder);
        const float peak = kPeak * std::pow(10.0f, (folder == "batterie" ? kDrumTrimDb : kPitchedTrimDb) / 20);
        const float gain = peak / loudest;
        std::nth_element(peaks.begin(), peaks.begin() + static_cast<std::ptrdiff_t>(peaks.size() / 2), peaks.end());
        const float typicalPeak = peaks[peaks.size() / 2] * gain;

        std::filesystem::create_directories(resDir / folder);
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            if (jobs[j].folder != folder)
                continue;
            float g = gain;
            if (folder == "batterie") {
                // A kit's hi-hats lie 20 dB under its kick in the SoundFont and
                // would vanish in a mix: every drum is brought half-way (in
                // decibels) towards the loudest one.
                const float p = peakOf(rendered[j]);
                if (p > 0)
                    g = peak * std::sqrt(p / loudest) / p;
            } else if (jobs[j].dead) {
                const float p = peakOf(rendered[j]);
                if (p <= 0)
                    return fail("silent dead note in " + folder);
                g = 0.8f * typicalPeak / p;
            }
            std::vector<std::int16_t> pcm(rendered[j].size());
            for (std::size_t i = 0; i < pcm.size(); ++i)
                pcm[i] = static_cast<std::int16_t>(std::lrint(std::clamp(rendered[j][i] * g, -1.0f, 1.0f) * 32767.0f));
            char name[16];
            std::snprintf(name, sizeof name, "%.2d.wav", jobs[j].index);
            if (!writeWav(resDir / folder / name, kRate, 1, pcm))
                return fail("cannot write " + (resDir / folder / name).string());
        }
    }

    // 10 ms of stereo silence at 44100 Hz: only its format block matters.
    if (!writeWav(resDir / "empty.wav", 44100, 2, std::vector<std::int16_t>(441 * 2, 0)))
        return fail("cannot write " + (resDir / "empty.wav").string());
    return 0;
}
