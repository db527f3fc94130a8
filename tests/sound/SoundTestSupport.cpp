#include "SoundTestSupport.h"

#include "CSoundEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace soundtest {

std::string le32(std::uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

std::string le16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string fmtBody(const WaveFormat& f, bool withCbSize)
{
    std::string b = le16(f.formatTag) + le16(f.channels) + le32(f.samplesPerSec) + le32(f.avgBytesPerSec) +
                    le16(f.blockAlign) + le16(f.bitsPerSample);
    if (withCbSize)
        b += le16(f.cbSize);
    return b;
}

std::string pcm16(const std::vector<std::int16_t>& samples)
{
    std::string s;
    s.reserve(samples.size() * 2);
    for (std::int16_t v : samples)
        s += le16(static_cast<std::uint16_t>(v));
    return s;
}

std::string riff(const std::string& form, const std::vector<Chunk>& chunks, long long riffSize)
{
    std::string body = form;
    for (const Chunk& c : chunks) {
        body += c.id + le32(static_cast<std::uint32_t>(c.body.size())) + c.body;
        if (c.body.size() & 1)
            body.push_back('\0');
    }
    const auto size = riffSize >= 0 ? static_cast<std::uint32_t>(riffSize) : static_cast<std::uint32_t>(body.size());
    return "RIFF" + le32(size) + body;
}

std::string wav16(std::uint32_t rate, std::uint16_t channels, const std::vector<std::int16_t>& samples)
{
    return riff("WAVE", {{"fmt ", fmtBody(WaveFormat::pcm(rate, channels, 16), false)}, {"data", pcm16(samples)}});
}

std::vector<std::int16_t> sine(double hz, int rate, int frames, double amplitude)
{
    std::vector<std::int16_t> s(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lrint(amplitude * 32767.0 * std::sin(2 * std::numbers::pi * hz * i / rate)));
    return s;
}

std::vector<std::int16_t> constant(int frames, double value)
{
    return std::vector<std::int16_t>(static_cast<std::size_t>(frames), static_cast<std::int16_t>(std::lrint(value * 32767)));
}

TestBank::TestBank(std::uint32_t outputRate, std::uint16_t outputChannels)
{
    std::filesystem::create_directories(dir_.path() / "res");
    writeFile("res/empty.wav", wav16(outputRate, outputChannels, std::vector<std::int16_t>(64u * outputChannels, 0)));
}

void TestBank::writeInstrument(int code, int count, const Content& content, std::uint32_t rate)
{
    const std::string folder = std::string("res/") + CSoundEngine::kInstrumentFolders[static_cast<std::size_t>(code)];
    std::filesystem::create_directories(dir_.path() / folder);
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "/%.2d.wav", i);
        writeFile(folder + name, wav16(rate, 1, content(i)));
    }
}

void TestBank::writeFile(const std::string& relative, const std::string& bytes)
{
    TempDir::write(path(relative), bytes);
}

void TestBank::remove(const std::string& relative)
{
    std::filesystem::remove(path(relative));
}

double rms(const std::vector<float>& frames, int channels, int channel, int from, int to)
{
    double sum = 0;
    for (int i = from; i < to; ++i) {
        const double v = frames[static_cast<std::size_t>(i * channels + channel)];
        sum += v * v;
    }
    return to > from ? std::sqrt(sum / (to - from)) : 0.0;
}

std::vector<float> channel(const std::vector<float>& frames, int channels, int which)
{
    std::vector<float> out(frames.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(which)];
    return out;
}

namespace {

// Magnitude of the spectrum of an already windowed signal at one frequency.
double magnitudeAt(const std::vector<double>& v, int rate, double hz)
{
    const double w = 2 * std::numbers::pi * hz / rate;
    const double cw = std::cos(w), sw = std::sin(w);
    double re = 0, im = 0, c = 1, s = 0;
    for (double sample : v) {
        re += sample * c;
        im -= sample * s;
        const double nc = c * cw - s * sw;
        s = s * cw + c * sw;
        c = nc;
    }
    return std::hypot(re, im);
}

} // namespace

double pitch(const float* x, int n, int rate, double minHz, double maxHz)
{
    // The strongest spectral peak: a coarse scan in 1% steps, then a fine
    // one in 0.05% steps around the best. Period-based estimators are fooled
    // by the slightly detuned strings of a piano note; the spectrum is not.
    std::vector<double> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = x[i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n));
    double best = minHz, bestMagnitude = -1;
    for (double hz = minHz; hz <= maxHz; hz *= 1.01) {
        const double m = magnitudeAt(v, rate, hz);
        if (m > bestMagnitude) {
            bestMagnitude = m;
            best = hz;
        }
    }
    const double centre = best;
    for (double hz = centre / 1.01; hz <= centre * 1.01; hz *= 1.0005) {
        const double m = magnitudeAt(v, rate, hz);
        if (m > bestMagnitude) {
            bestMagnitude = m;
            best = hz;
        }
    }
    return best;
}

double pitch(const std::vector<float>& x, int rate, double minHz, double maxHz)
{
    return pitch(x.data(), static_cast<int>(x.size()), rate, minHz, maxHz);
}

} // namespace soundtest
