#include "SoundCheck.h"

#include "CTabDoc.h"
#include "CWave.h"
#include "Prompter.h"
#include "RenderCommand.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <limits>
#include <unistd.h>

namespace soundcheck {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFloorDb = -120;

// Messages are not expected; a render that fails says so through `ok`.
class SilentPrompter : public Prompter {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    std::optional<std::string> chooseSavePath(const std::string&) override { return std::nullopt; }
    std::vector<std::string> messages;
};

// One second-order section (direct form I).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    static Biquad normalised(double b0, double b1, double b2, double a0, double a1, double a2)
    {
        Biquad q;
        q.b0 = b0 / a0;
        q.b1 = b1 / a0;
        q.b2 = b2 / a0;
        q.a1 = a1 / a0;
        q.a2 = a2 / a0;
        return q;
    }

    static Biquad pass(double rate, double hz, double quality, bool high)
    {
        const double w = 2 * kPi * hz / rate;
        const double alpha = std::sin(w) / (2 * quality);
        const double c = std::cos(w);
        if (high)
            return normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
        return normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
};

// Fourth-order Butterworth: two sections with the Butterworth qualities.
std::vector<float> filtered(const Audio& a, double hz, bool high)
{
    Biquad first = Biquad::pass(a.rate, hz, 0.5411961, high);
    Biquad second = Biquad::pass(a.rate, hz, 1.3065630, high);
    std::vector<float> out(a.mono.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(second.run(first.run(a.mono[i])));
    return out;
}

double rmsOf(const std::vector<float>& v, std::size_t from, std::size_t to)
{
    to = std::min(to, v.size());
    if (from >= to)
        return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::string tempWav()
{
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("soundcheck-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".wav"))
        .string();
}

// Open E major, highest string first.
const std::vector<std::pair<int, int>> kEChord = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 0}};

// The largest lasting drop (dB) over `gap` windows: the quietest of the three
// windows up to one against the loudest of three `gap` windows later, so a
// passing bump (another note's attack) is not taken for a stop. Only where
// the level before is above `floorDb`.
double largestDrop(const std::vector<double>& env, double floorDb, std::size_t gap = 3)
{
    double worst = 0;
    for (std::size_t i = 0; i + gap < env.size(); ++i) {
        double before = env[i], after = env[i + gap];
        for (std::size_t k = i >= 2 ? i - 2 : 0; k < i; ++k)
            before = std::min(before, env[k]);
        for (std::size_t k = i + gap + 1; k < std::min(env.size(), i + gap + 3); ++k)
            after = std::max(after, env[k]);
        if (before > floorDb)
            worst = std::max(worst, before - after);
    }
    return worst;
}

// Onsets: windows that rise 3 dB above the quietest of the 150 ms before, at least 150 ms apart.
int countOnsets(const std::vector<double>& env, double windowMs, double floorDb)
{
    const auto look = static_cast<std::size_t>(std::max(1.0, 150 / windowMs));
    int onsets = 0;
    std::size_t last = 0;
    bool any = false;
    for (std::size_t i = 0; i < env.size(); ++i) {
        if (env[i] < floorDb)
            continue;
        double low = 0;
        if (i == 0) {
            low = kFloorDb;
        } else {
            low = env[i - 1];
            for (std::size_t k = i > look ? i - look : 0; k < i; ++k)
                low = std::min(low, env[k]);
        }
        if (env[i] - low > 3 && (!any || i - last >= look)) {
            ++onsets;
            any = true;
            last = i;
        }
    }
    return onsets;
}

double cents(double hz, double reference)
{
    return hz > 0 && reference > 0 ? 1200 * std::log2(hz / reference) : 0;
}

} // namespace

// ---------------------------------------------------------------- audio and measures

std::size_t Audio::at(double when) const
{
    if (when <= 0)
        return 0;
    return std::min(mono.size(), static_cast<std::size_t>(when * rate / 1000.0));
}

Audio readWav(const std::string& path)
{
    CWave wave;
    WaveFormat f;
    Audio a;
    if (!wave.Open(path) || !wave.GetFormat(f) || f.bitsPerSample != 16 || f.channels < 1)
        return a;
    a.rate = static_cast<int>(f.samplesPerSec);
    const std::vector<std::uint8_t> data = wave.ReadData();
    const std::size_t frame = 2u * f.channels;
    for (std::size_t i = 0; i + frame <= data.size(); i += frame) {
        double sum = 0;
        for (std::size_t c = 0; c < f.channels; ++c)
            sum += static_cast<std::int16_t>(data[i + 2 * c] | (data[i + 2 * c + 1] << 8)) / 32768.0;
        a.mono.push_back(static_cast<float>(sum / f.channels));
    }
    return a;
}

double toDb(double amplitude)
{
    return amplitude > 1e-6 ? 20 * std::log10(amplitude) : kFloorDb;
}

double rmsDb(const Audio& a, double fromMs, double toMs)
{
    return toDb(rmsOf(a.mono, a.at(fromMs), a.at(toMs)));
}

double peakDb(const Audio& a, double fromMs, double toMs)
{
    float peak = 0;
    for (std::size_t i = a.at(fromMs); i < a.at(toMs); ++i)
        peak = std::max(peak, std::fabs(a.mono[i]));
    return toDb(peak);
}

double bandDb(const Audio& a, double fromMs, double toMs, double hz, bool above)
{
    return toDb(rmsOf(filtered(a, hz, above), a.at(fromMs), a.at(toMs)));
}

std::vector<double> envelopeDb(const Audio& a, double fromMs, double toMs, double windowMs)
{
    std::vector<double> env;
    for (double t = fromMs; t + windowMs <= toMs && a.at(t + windowMs) <= a.mono.size() && a.at(t) < a.mono.size();
         t += windowMs)
        env.push_back(rmsDb(a, t, t + windowMs));
    return env;
}

double integratedLufs(const Audio& a)
{
    if (a.rate <= 0 || a.mono.empty())
        return kFloorDb;
    // K-weighting: a high shelf of +4 dB above 1.7 kHz, then a high-pass at 38 Hz.
    const double rate = a.rate;
    const double gain = 3.999843853973347, shelfHz = 1681.974450955533, shelfQ = 0.7071752369554196;
    const double A = std::pow(10.0, gain / 40);
    double w = 2 * kPi * shelfHz / rate;
    double alpha = std::sin(w) / (2 * shelfQ);
    double c = std::cos(w);
    Biquad shelf = Biquad::normalised(A * ((A + 1) + (A - 1) * c + 2 * std::sqrt(A) * alpha),
                                      -2 * A * ((A - 1) + (A + 1) * c),
                                      A * ((A + 1) + (A - 1) * c - 2 * std::sqrt(A) * alpha),
                                      (A + 1) - (A - 1) * c + 2 * std::sqrt(A) * alpha, 2 * ((A - 1) - (A + 1) * c),
                                      (A + 1) - (A - 1) * c - 2 * std::sqrt(A) * alpha);
    Biquad high = Biquad::pass(rate, 38.13547087602444, 0.5003270373238773, true);
    std::vector<double> weighted(a.mono.size());
    for (std::size_t i = 0; i < weighted.size(); ++i) {
        const double y = high.run(shelf.run(a.mono[i]));
        weighted[i] = y * y;
    }
    // 400 ms blocks every 100 ms; both channels carry the mono signal.
    const auto block = static_cast<std::size_t>(0.4 * rate);
    const auto hop = static_cast<std::size_t>(0.1 * rate);
    std::vector<double> powers;
    for (std::size_t start = 0; start + block <= weighted.size(); start += hop) {
        double sum = 0;
        for (std::size_t i = start; i < start + block; ++i)
            sum += weighted[i];
        powers.push_back(2 * sum / static_cast<double>(block));
    }
    auto loudness = [](double power) { return power > 0 ? -0.691 + 10 * std::log10(power) : kFloorDb; };
    auto gatedMean = [&](double gate) {
        double sum = 0;
        int n = 0;
        for (double p : powers)
            if (loudness(p) > gate) {
                sum += p;
                ++n;
            }
        return n > 0 ? sum / n : 0.0;
    };
    const double relative = loudness(gatedMean(-70)) - 10;
    return loudness(gatedMean(std::max(-70.0, relative)));
}

double pitchHz(const Audio& a, double atMs, double lowHz, double highHz)
{
    const auto n = static_cast<std::size_t>(0.040 * a.rate);
    const std::size_t centre = a.at(atMs);
    const auto maxLag = static_cast<std::size_t>(a.rate / lowHz) + 1;
    const auto minLag = static_cast<std::size_t>(a.rate / highHz);
    if (centre < n / 2 || centre + n / 2 + maxLag + 2 > a.mono.size())
        return 0;
    const std::size_t start = centre - n / 2;
    // Normalised squared difference: 1 where the window repeats itself exactly.
    std::vector<double> score(maxLag + 2, -1);
    for (std::size_t lag = minLag; lag <= maxLag + 1; ++lag) {
        double cross = 0, energy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = a.mono[start + i], y = a.mono[start + i + lag];
            cross += x * y;
            energy += x * x + y * y;
        }
        score[lag] = energy > 0 ? 2 * cross / energy : -1;
    }
    std::size_t best = minLag;
    for (std::size_t lag = minLag + 1; lag <= maxLag; ++lag)
        if (score[lag] > score[best])
            best = lag;
    double shift = 0;
    if (best > minLag && best < maxLag + 1) {
        const double l = score[best - 1], m = score[best], r = score[best + 1];
        const double d = l - 2 * m + r;
        if (d < 0)
            shift = 0.5 * (l - r) / d;
    }
    return a.rate / (static_cast<double>(best) + shift);
}

double onsetMs(const Audio& a, double fromMs, float threshold)
{
    for (std::size_t i = a.at(fromMs); i < a.mono.size(); ++i)
        if (std::fabs(a.mono[i]) > threshold)
            return static_cast<double>(i) * 1000.0 / a.rate;
    return -1;
}

namespace {
std::string keptIn;
int kept = 0;
} // namespace

void keepRendersIn(const std::string& dir)
{
    keptIn = dir;
}

Audio render(CTabDoc& doc, const std::string& buildDir, double tailMs, bool* ok)
{
    SilentPrompter prompter;
    const std::string path = tempWav();
    const bool done = renderScoreToWav(doc, 0, path, buildDir, prompter, tailMs) && prompter.messages.empty();
    Audio a = readWav(path);
    std::error_code ec;
    if (!keptIn.empty())
        std::filesystem::copy_file(path, std::filesystem::path(keptIn) / ("render-" + std::to_string(++kept) + ".wav"),
                                   std::filesystem::copy_options::overwrite_existing, ec);
    std::filesystem::remove(path, ec);
    if (ok)
        *ok = done && a.rate > 0;
    return a;
}

// ---------------------------------------------------------------- scores

void shapeScore(CTabDoc& doc, const std::vector<int>& instruments, int measures, int tempo)
{
    doc.OnNewDocument();
    const int tracks = std::clamp(static_cast<int>(instruments.size()), 1, model::kMaxTracks);
    doc.trackCount = tracks;
    doc.measureCount = measures;
    doc.slotCount = tracks;
    const CMesure model = doc.tracks[0][0];
    for (int t = 0; t < tracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.slotOrder[ti] = t;
        doc.slotInstrument[ti] = instruments[ti];
        auto& track = doc.tracks[ti];
        track.SetSize(measures);
        for (int m = 0; m < measures; ++m) {
            CMesure ms = model;
            ms.index = m;
            ms.instrumentSlot = t;
            ms.tempo = tempo;
            ms.numerator = 4;
            ms.denominator = 4;
            ms.flags = m == 0 ? model::kFlagFirst : (m == measures - 1 ? model::kFlagLast : model::kFlagMiddle);
            ms.beats.SetSize(0);
            ms.beatCount = 0;
            track[m] = ms;
        }
    }
}

void addBeat(CTabDoc& doc, int track, int measure, int durationCode, std::vector<std::pair<int, int>> notes, bool rest)
{
    CMesure& ms = doc.tracks[static_cast<std::size_t>(track)][measure];
    CAccord b;
    b.durationCode = durationCode;
    b.isRest = rest ? 1 : 0;
    for (const auto& [string, fret] : notes)
        b.notes[string].fret = fret;
    ms.beats.Add(b);
    ms.beatCount = ms.beats.GetSize();
}

CAccord& lastBeat(CTabDoc& doc, int track, int measure)
{
    CMesure& ms = doc.tracks[static_cast<std::size_t>(track)][measure];
    return ms.beats[ms.beatCount - 1];
}

// ---------------------------------------------------------------- figures

double figure(const std::vector<Figure>& figures, const std::string& name)
{
    for (const Figure& f : figures)
        if (f.name == name)
            return f.value;
    return std::numeric_limits<double>::quiet_NaN();
}

std::vector<Figure> lastChordFigures(const std::string& buildDir)
{
    // Four strummed quarters at 120: the score ends at 2 s.
    CTabDoc doc;
    shapeScore(doc, {model::kFolkGuitar}, 1, 120);
    for (int b = 0; b < 4; ++b)
        addBeat(doc, 0, 0, 4, kEChord);
    const Audio a = render(doc, buildDir, 4000);
    const double end = 2000;
    std::vector<Figure> out;
    out.push_back({"change across the end", rmsDb(a, end + 30, end + 80) - rmsDb(a, end - 80, end - 30), "dB"});
    out.push_back({"ring-out", a.ms() - end, "ms"});
    out.push_back({"level where the file ends", peakDb(a, a.ms() - 10), "dBFS"});
    out.push_back({"largest drop within 30 ms in the ring-out", largestDrop(envelopeDb(a, end - 100, a.ms(), 10), -60),
                   "dB"});
    // A measure of 3/4 holding four quarters: the fourth no longer fits in its
    // time and is never played; it must not cut the third, the score's last.
    CTabDoc overfull;
    shapeScore(overfull, {model::kFolkGuitar}, 1, 90);
    overfull.tracks[0][0].numerator = 3;
    for (int fret : {3, 5, 7, 5})
        addBeat(overfull, 0, 0, 4, {{3, fret}});
    const Audio over = render(overfull, buildDir, 4000);
    out.push_back({"overfull measure: change across the end",
                   rmsDb(over, end + 30, end + 80) - rmsDb(over, end - 80, end - 30), "dB"});
    return out;
}

std::vector<Figure> letRingFigures(const std::string& buildDir)
{
    // A low E struck once, then a melody high on the top string for four seconds.
    CTabDoc doc;
    shapeScore(doc, {model::kFolkGuitar}, 2, 120);
    const int melody[8] = {12, 15, 17, 19, 17, 15, 12, 15};
    for (int m = 0; m < 2; ++m)
        for (int b = 0; b < 8; ++b) {
            if (m == 0 && b == 0)
                addBeat(doc, 0, 0, 3, {{5, 0}});
            else
                addBeat(doc, 0, m, 3, {{0, melody[b]}});
        }
    const Audio a = render(doc, buildDir, 0);
    // The low string alone: its fundamental (82 Hz), where the melody has nothing.
    Audio low = a;
    low.mono = filtered(a, 65, true);
    low.mono = filtered(low, 100, false);
    std::vector<Figure> out;
    out.push_back({"largest drop within 30 ms of the ringing string", largestDrop(envelopeDb(low, 100, 3990, 10), -55),
                   "dB"});
    // Between two melody notes, away from their attacks.
    for (double at : {1.4, 2.4, 3.4})
        out.push_back({"its level " + std::to_string(at).substr(0, 3) + " s after the strike",
                       rmsDb(low, at * 1000 - 40, at * 1000 + 40), "dBFS"});
    return out;
}

std::vector<Figure> heldNoteFigures(const std::string& buildDir)
{
    std::vector<Figure> out;
    const std::vector<std::pair<std::string, std::vector<std::pair<int, int>>>> cases = {
        {"note", {{3, 2}}},
        {"chord", kEChord},
    };
    for (const auto& [name, notes] : cases) {
        // A whole note at 60: four seconds, past two lengths of its sample.
        CTabDoc doc;
        shapeScore(doc, {model::kFolkGuitar}, 1, 60);
        addBeat(doc, 0, 0, 6, notes);
        const Audio a = render(doc, buildDir, 0);
        // 100 ms windows every 50 ms: level, not the beating between strings.
        double rise = 0, previous = 0;
        for (double t = 200; t + 100 <= 3950; t += 50) {
            const double level = rmsDb(a, t, t + 100);
            if (t > 200)
                rise = std::max(rise, level - previous);
            previous = level;
        }
        out.push_back({"held " + name + ": largest rise after the attack", rise, "dB"});
        out.push_back({"held " + name + ": onsets", static_cast<double>(countOnsets(envelopeDb(a, 0, 3950, 50), 50, -70)),
                       ""});
    }
    return out;
}

std::vector<Figure> vibratoFigures(const std::string& buildDir)
{
    // D4 on the G string, a whole note at 60; the vibrato starts a quarter in.
    auto score = [&](int vibrato) {
        CTabDoc doc;
        shapeScore(doc, {model::kFolkGuitar}, 1, 60);
        addBeat(doc, 0, 0, 6, {{2, 7}});
        lastBeat(doc, 0, 0).notes[2].vibrato = vibrato;
        return render(doc, buildDir, 0);
    };
    const double low = 240, high = 360;
    const Audio plain = score(0);
    double reference = 0;
    int count = 0;
    for (double t = 1100; t < 3800; t += 100) {
        reference += pitchHz(plain, t, low, high);
        ++count;
    }
    reference /= count;
    std::vector<Figure> out;
    const std::vector<std::pair<std::string, int>> kinds = {{"vibrato", model::kVibratoLeftHand},
                                                            {"tremolo bar", model::kVibratoTremoloBar}};
    for (const auto& [name, kind] : kinds) {
        const Audio a = score(kind);
        std::vector<double> track;
        for (double t = 1050; t < 3900; t += 5)
            track.push_back(cents(pitchHz(a, t, low, high), reference));
        double mean = 0;
        for (double c : track)
            mean += c;
        mean /= static_cast<double>(track.size());
        std::vector<double> sorted = track;
        std::sort(sorted.begin(), sorted.end());
        const double p5 = sorted[sorted.size() / 20], p95 = sorted[sorted.size() * 19 / 20];
        // The longest stretch whose pitch stays within 5 cents.
        double still = 0;
        for (std::size_t i = 0; i < track.size(); ++i) {
            double lo = track[i], hi = track[i];
            std::size_t j = i;
            while (j + 1 < track.size() && std::max(hi, track[j + 1]) - std::min(lo, track[j + 1]) < 5) {
                ++j;
                lo = std::min(lo, track[j]);
                hi = std::max(hi, track[j]);
            }
            still = std::max(still, static_cast<double>(j - i) * 5);
        }
        out.push_back({name + ": mean offset", mean, "cents"});
        out.push_back({name + ": half swing", (p95 - p5) / 2, "cents"});
        out.push_back({name + ": longest still stretch", still, "ms"});
    }
    return out;
}

std::vector<Figure> legatoFigures(const std::string& buildDir)
{
    struct Case {
        std::string name;
        int from, to, technique;
    };
    // Quarters at 60 on the G string: the second note comes at 1 s.
    auto play = [&](const Case& c) {
        CTabDoc doc;
        shapeScore(doc, {model::kFolkGuitar}, 1, 60);
        addBeat(doc, 0, 0, 4, {{2, c.from}});
        addBeat(doc, 0, 0, 4, {{2, c.to}});
        lastBeat(doc, 0, 0).notes[2].technique = c.technique;
        addBeat(doc, 0, 0, 5, {}, true);
        return render(doc, buildDir, 0);
    };
    auto jumpAndTreble = [&](const Audio& a) {
        const double lead = std::max(0.0, onsetMs(a, 0));
        const double t0 = 1000 + lead;
        return std::pair{rmsDb(a, t0 + 5, t0 + 35) - rmsDb(a, t0 - 35, t0 - 5), bandDb(a, t0, t0 + 50, 3000, true)};
    };
    const std::vector<Case> cases = {
        {"hammer-on", 5, 7, model::kHammerOn},
        {"pull-off", 7, 5, model::kPullOff},
        {"slide up", 5, 7, model::kSlideUp},
        {"slide down", 7, 5, model::kSlideDown},
    };
    std::vector<Figure> out;
    const auto up = jumpAndTreble(play({"picked", 5, 7, 0}));
    const auto down = jumpAndTreble(play({"picked", 7, 5, 0}));
    out.push_back({"picked 5-7: jump", up.first, "dB"});
    out.push_back({"picked 5-7: treble", up.second, "dBFS"});
    for (const Case& c : cases) {
        const auto picked = c.to > c.from ? up : down;
        const auto legato = jumpAndTreble(play(c));
        out.push_back({c.name + ": jump", legato.first, "dB"});
        out.push_back({c.name + ": jump below picked", picked.first - legato.first, "dB"});
        out.push_back({c.name + ": treble below picked", picked.second - legato.second, "dB"});
    }
    return out;
}

std::vector<Figure> palmMuteFigures(const std::string& buildDir)
{
    struct Case {
        std::string name;
        int instrument, string, fret;
    };
    const std::vector<Case> cases = {
        {"folk", model::kFolkGuitar, 3, 2},     {"clean", model::kCleanGuitar, 3, 2},
        {"distorted", model::kDistortedGuitar, 3, 2}, {"classical", model::kClassicalGuitar, 3, 2},
        {"bass", model::kBass, 4, 2},
    };
    std::vector<Figure> out;
    for (const Case& c : cases) {
        auto play = [&](bool muted) {
            CTabDoc doc;
            shapeScore(doc, {c.instrument}, 1, 60);
            addBeat(doc, 0, 0, 4, {{c.string, c.fret}});
            lastBeat(doc, 0, 0).palmMute = muted ? 1 : 0;
            addBeat(doc, 0, 0, 5, {}, true);
            addBeat(doc, 0, 0, 4, {}, true);
            return render(doc, buildDir, 0);
        };
        const Audio open = play(false), muted = play(true);
        auto attackDb = [](const Audio& a, double t0) {
            double top = kFloorDb;
            for (double t = t0; t < t0 + 40; t += 10)
                top = std::max(top, rmsDb(a, t, t + 10));
            return top;
        };
        const double t0 = std::max(0.0, onsetMs(open, 0));
        const double m0 = std::max(0.0, onsetMs(muted, 0));
        out.push_back({c.name + ": muted, 150 ms after the attack", rmsDb(muted, m0 + 150, m0 + 170) - attackDb(muted, m0),
                       "dB"});
        out.push_back({c.name + ": open, 150 ms after the attack", rmsDb(open, t0 + 150, t0 + 170) - attackDb(open, t0),
                       "dB"});
        out.push_back({c.name + ": treble below the open note",
                       bandDb(open, t0, t0 + 150, 2000, true) - bandDb(muted, m0, m0 + 150, 2000, true), "dB"});
    }
    return out;
}

std::vector<Figure> balanceFigures(const std::string& buildDir)
{
    // Two measures of eighths at 120, each part alone at the default volume.
    CTabDoc drums, bass, guitar;
    shapeScore(drums, {model::kDrums}, 2, 120);
    shapeScore(bass, {model::kBass}, 2, 120);
    shapeScore(guitar, {model::kFolkGuitar}, 2, 120);
    const int bassLine[8] = {0, 0, 3, 3, 5, 5, 3, 0};
    const int tune[8] = {0, 3, 5, 3, 7, 5, 3, 0};
    for (int m = 0; m < 2; ++m)
        for (int b = 0; b < 8; ++b) {
            std::vector<std::pair<int, int>> kit = {{0, 6}}; // closed hi-hat
            if (b == 0 || b == 4)
                kit.push_back({2, 0}); // bass drum
            if (b == 2 || b == 6)
                kit.push_back({1, 20}); // snare
            addBeat(drums, 0, m, 3, kit);
            addBeat(bass, 0, m, 3, {{5, bassLine[b]}});
            addBeat(guitar, 0, m, 3, {{1, tune[b]}});
        }
    std::vector<Figure> out;
    double lo = 1e9, hi = -1e9, peak = kFloorDb;
    const std::vector<std::pair<std::string, CTabDoc*>> parts = {{"drum groove", &drums}, {"bass line", &bass},
                                                                 {"guitar line", &guitar}};
    for (const auto& [name, doc] : parts) {
        const Audio a = render(*doc, buildDir, 0);
        const double lufs = integratedLufs(a);
        lo = std::min(lo, lufs);
        hi = std::max(hi, lufs);
        peak = std::max(peak, peakDb(a));
        out.push_back({name + ": loudness", lufs, "LUFS"});
    }
    out.push_back({"loudness spread", hi - lo, "dB"});
    out.push_back({"highest peak", peak, "dBFS"});
    return out;
}

std::vector<Figure> denseMixFigures(const std::string& buildDir)
{
    // Eight guitars strumming the same chord on every quarter for two measures at 120.
    auto mix = [&](int volume) {
        CTabDoc doc;
        const std::vector<int> instruments = {model::kFolkGuitar,       model::kCleanGuitar,    model::kDistortedGuitar,
                                              model::kClassicalGuitar, model::kFolkGuitar,    model::kCleanGuitar,
                                              model::kDistortedGuitar, model::kClassicalGuitar};
        shapeScore(doc, instruments, 2, 120);
        for (int t = 0; t < 8; ++t) {
            doc.volume[static_cast<std::size_t>(t)] = volume;
            for (int m = 0; m < 2; ++m)
                for (int b = 0; b < 4; ++b)
                    addBeat(doc, t, m, 4, kEChord);
        }
        return render(doc, buildDir, 0);
    };
    const Audio loud = mix(100);
    const Audio quiet = mix(60); // 20 dB lower: far from the limiter
    const std::vector<double> l = envelopeDb(loud, 0, 4000, 10), q = envelopeDb(quiet, 0, 4000, 10);
    double duck = 0;
    for (std::size_t i = 0; i < std::min(l.size(), q.size()); ++i)
        if (q[i] + 20 > -50)
            duck = std::max(duck, q[i] + 20 - l[i]);
    return {{"largest ducking", duck, "dB"}, {"peak", peakDb(loud), "dBFS"}, {"loudness", integratedLufs(loud), "LUFS"}};
}

std::vector<Figure> restFigures(const std::string& buildDir)
{
    // An E5 power chord on the distorted guitar for a quarter at 60, then rests.
    CTabDoc doc;
    shapeScore(doc, {model::kDistortedGuitar}, 1, 60);
    addBeat(doc, 0, 0, 4, {{5, 0}, {4, 2}, {3, 2}});
    addBeat(doc, 0, 0, 4, {}, true);
    addBeat(doc, 0, 0, 5, {}, true);
    const Audio a = render(doc, buildDir, 0);
    const double t0 = 1000 + std::max(0.0, onsetMs(a, 0));
    const double before = rmsDb(a, t0 - 30, t0 - 5);
    // The fade: from 3 dB to 30 dB under the level before the rest, in 1 ms windows.
    double fadeStart = -1, fadeEnd = -1;
    for (double t = t0 - 5; t < t0 + 300; t += 1) {
        const double l = rmsDb(a, t, t + 1) - before;
        if (fadeStart < 0 && l < -3)
            fadeStart = t;
        if (fadeEnd < 0 && l < -30) {
            fadeEnd = t;
            break;
        }
    }
    return {{"drop 100 ms into the rest", before - rmsDb(a, t0 + 90, t0 + 110), "dB"},
            {"damping fade (-3 to -30 dB)", fadeStart >= 0 && fadeEnd >= 0 ? fadeEnd - fadeStart : -1, "ms"},
            {"level 1.5 s into the rest", rmsDb(a, t0 + 1500, t0 + 1600), "dBFS"}};
}

} // namespace soundcheck
