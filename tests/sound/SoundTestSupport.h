#pragma once

#include "TempDir.h"
#include "WaveFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Builders for WAV images and test banks, and measurements of rendered audio.
namespace soundtest {

struct Chunk {
    std::string id;
    std::string body;
};

std::string le32(std::uint32_t v);
std::string le16(std::uint16_t v);
// The body of a "fmt " chunk (16 bytes, or 18 with cbSize).
std::string fmtBody(const WaveFormat& f, bool withCbSize = true);
std::string pcm16(const std::vector<std::int16_t>& samples);
// A RIFF file of form `form` holding `chunks` in that order (odd bodies
// padded); riffSize overrides the declared size.
std::string riff(const std::string& form, const std::vector<Chunk>& chunks, long long riffSize = -1);
// A plain 16-bit PCM WAV.
std::string wav16(std::uint32_t rate, std::uint16_t channels, const std::vector<std::int16_t>& samples);

std::vector<std::int16_t> sine(double hz, int rate, int frames, double amplitude = 0.5);
std::vector<std::int16_t> constant(int frames, double value);

// A bank under a temporary folder: res/empty.wav and instrument folders.
class TestBank {
public:
    explicit TestBank(std::uint32_t outputRate = 44100, std::uint16_t outputChannels = 2);
    using Content = std::function<std::vector<std::int16_t>(int index)>;
    // Writes files 00..count-1 of the instrument's folder at `rate`.
    void writeInstrument(int code, int count, const Content& content, std::uint32_t rate = 22050);
    void writeFile(const std::string& relative, const std::string& bytes);
    void remove(const std::string& relative);
    std::string root() const { return dir_.path().string() + "/"; }
    std::string path(const std::string& relative) const { return root() + relative; }

private:
    TempDir dir_;
};

// Root-mean-square of one channel of interleaved frames [from, to).
double rms(const std::vector<float>& frames, int channels, int channel, int from, int to);
std::vector<float> channel(const std::vector<float>& frames, int channels, int which);
// Frequency of the strongest spectral peak between minHz and maxHz: the
// fundamental when the range holds no other harmonic (less than an octave).
double pitch(const float* x, int n, int rate, double minHz, double maxHz);
double pitch(const std::vector<float>& x, int rate, double minHz, double maxHz);

} // namespace soundtest
