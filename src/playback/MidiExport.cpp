#include "MidiExport.h"

#include "BeatVoice.h"
#include "BeatVoicing.h"
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "GeneralMidi.h"
#include "RepeatWalk.h"
#include "SampleChoice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>

namespace {

// Playback counts 48 units a quarter; the file 480 ticks.
constexpr int kTicksPerUnit = MidiExport::kTicksPerQuarter / 48;

// An event's bytes live in its track's pool: no allocation per event.
struct Event {
    std::int64_t tick;
    int order; // at one tick: controllers and note-offs before note-ons
    std::uint32_t offset;
    std::uint32_t size;
};

class TrackWriter {
public:
    void add(std::int64_t tick, int order, std::initializer_list<std::uint8_t> bytes)
    {
        events_.push_back({tick, order, static_cast<std::uint32_t>(pool_.size()), static_cast<std::uint32_t>(bytes.size())});
        pool_.insert(pool_.end(), bytes);
    }
    void meta(std::int64_t tick, int type, const std::string& data)
    {
        events_.push_back({tick, 0, static_cast<std::uint32_t>(pool_.size()), 0});
        pool_.push_back(0xFF);
        pool_.push_back(static_cast<std::uint8_t>(type));
        appendLength(pool_, data.size());
        pool_.insert(pool_.end(), data.begin(), data.end());
        events_.back().size = static_cast<std::uint32_t>(pool_.size()) - events_.back().offset;
    }
    void control(std::int64_t tick, int channel, int number, int value)
    {
        add(tick, 1, {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(number),
                      static_cast<std::uint8_t>(std::clamp(value, 0, 127))});
    }

    // The chunk: events in time order, delta times, end of track.
    void appendChunk(std::vector<std::uint8_t>& out, std::int64_t endTick)
    {
        std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<std::uint8_t> body;
        body.reserve(pool_.size() + 2 * events_.size() + 8);
        std::int64_t at = 0;
        for (const Event& e : events_) {
            appendLength(body, static_cast<std::uint64_t>(e.tick - at));
            at = e.tick;
            body.insert(body.end(), pool_.begin() + e.offset, pool_.begin() + e.offset + e.size);
        }
        appendLength(body, static_cast<std::uint64_t>(std::max<std::int64_t>(endTick - at, 0)));
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, static_cast<std::uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }

    static void appendLength(std::vector<std::uint8_t>& b, std::uint64_t v)
    {
        std::uint8_t tmp[10];
        int n = 0;
        tmp[n++] = static_cast<std::uint8_t>(v & 0x7F);
        while ((v >>= 7) != 0 && n < 10)
            tmp[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
        while (n > 0)
            b.push_back(tmp[--n]);
    }
    static void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
    {
        for (int i = 3; i >= 0; --i)
            b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }

private:
    std::vector<Event> events_;
    std::vector<std::uint8_t> pool_;
};

int channelOfTrack(int track)
{
    // Channel 10 (9 from 0) is the drums'.
    return track < MidiExport::kDrumChannel ? track : track + 1;
}

int wheel(double semitones)
{
    const double v = 8192 + semitones / MidiExport::kBendRange * 8191;
    return std::clamp(static_cast<int>(std::lround(v)), 0, 16383);
}

struct OpenNote {
    bool active = false;
    int channel = 0;
    int key = 0;
    int fret = 0;
    std::int64_t off = 0;
};

// One score track turned into note, bend and controller events.
class TrackExport {
public:
    TrackExport(const CTabDoc& doc, int track, TrackWriter& out)
        : doc_(doc), t_(track), out_(out), channel_(channelOfTrack(track))
    {
    }

    void header()
    {
        const auto ti = static_cast<std::size_t>(t_);
        out_.meta(0, 0x03, doc_.trackNames[ti]);
        for (int ch : {channel_, MidiExport::kDrumChannel}) {
            if (ch == MidiExport::kDrumChannel && channel_ != ch && !usesDrums())
                continue;
            out_.control(0, ch, 7, (doc_.volume[ti] * 127 + 50) / 100);
            out_.control(0, ch, 10, (doc_.pan[ti] * 127 + 50) / 100);
            // Pitch-bend range: registered parameter 0, then the null parameter.
            out_.control(0, ch, 101, 0);
            out_.control(0, ch, 100, 0);
            out_.control(0, ch, 6, MidiExport::kBendRange);
            out_.control(0, ch, 38, 0);
            out_.control(0, ch, 101, 127);
            out_.control(0, ch, 100, 127);
        }
    }

    void measure(int m, std::int64_t start, std::int64_t length)
    {
        const CMesure& ms = doc_.tracks[static_cast<std::size_t>(t_)][m];
        const int instrument = doc_.instrumentOfSlot(ms.instrumentSlot);
        if (instrument != program_ && instrument >= 0 && instrument < 7 && gm::kProgram[static_cast<std::size_t>(instrument)] >= 0) {
            out_.add(start, 1, {static_cast<std::uint8_t>(0xC0 | channel_),
                                static_cast<std::uint8_t>(gm::kProgram[static_cast<std::size_t>(instrument)])});
            program_ = instrument;
        }
        // Beats as playback times them (triplet runs), cut at the measure's end.
        double at = static_cast<double>(start);
        const std::int64_t end = start + length;
        const int count = std::min(ms.beatCount, ms.beats.GetSize());
        for (int b = 0; b < count && at < static_cast<double>(end); ++b) {
            const CAccord& beat = ms.beats[b];
            const double next = at + voicing::beatLengthUnits(ms, b, tripletRun_) * kTicksPerUnit;
            const auto tick = static_cast<std::int64_t>(std::llround(at));
            const std::int64_t until = std::min<std::int64_t>(std::llround(next), end);
            play(beat, instrument, tick, until);
            tiedBefore_ = beat.isTied;
            at = next;
        }
    }

    void finish()
    {
        for (OpenNote& n : open_)
            close(n, n.off);
    }

private:
    bool usesDrums() const
    {
        for (int m = 0; m < doc_.measureCount; ++m)
            if (doc_.instrumentOfSlot(doc_.tracks[static_cast<std::size_t>(t_)][m].instrumentSlot) == model::kDrums)
                return true;
        return false;
    }

    void close(OpenNote& n, std::int64_t at)
    {
        if (!n.active)
            return;
        out_.add(std::min(at, n.off), 2,
                 {static_cast<std::uint8_t>(0x80 | n.channel), static_cast<std::uint8_t>(n.key), 0});
        n.active = false;
    }

    void bend(std::int64_t tick, double semitones)
    {
        const int v = wheel(semitones);
        out_.add(tick, 3, {static_cast<std::uint8_t>(0xE0 | channel_), static_cast<std::uint8_t>(v & 0x7F),
                           static_cast<std::uint8_t>(v >> 7)});
        bent_ = semitones != 0;
    }

    // A straight move of the wheel in a few steps.
    void glide(std::int64_t from, std::int64_t length, double a, double b)
    {
        constexpr int kSteps = 8;
        for (int i = 1; i <= kSteps; ++i)
            bend(from + length * i / kSteps, a + (b - a) * i / kSteps);
    }

    void bendShape(const CNote& n, std::int64_t tick, std::int64_t d)
    {
        const int kind = n.bend & 15;
        const double target = std::min(n.bend >> 4, MidiExport::kBendRange);
        if (kind & model::kBendBend) {
            bend(tick, 0);
            glide(tick + d / 4, d / 2, 0, target);
        } else if (kind & model::kBendHeld) {
            bend(tick, target != 0 ? target : heldTarget_);
        } else if (kind & model::kBendRelease) {
            const double from = target != 0 ? target : heldTarget_;
            bend(tick, from);
            glide(tick + d / 3, d / 2, from, 0);
        } else if (kind & model::kBendBendRelease) {
            bend(tick, 0);
            const std::int64_t q = d / 4;
            glide(tick + q / 4, q, 0, target);
            glide(tick + 2 * q, q, target, 0);
        }
        if (target != 0)
            heldTarget_ = target;
    }

    void play(const CAccord& beat, int instrument, std::int64_t tick, std::int64_t until)
    {
        const bool drums = instrument == model::kDrums;
        const int channel = drums ? MidiExport::kDrumChannel : channel_;
        if (beat.isRest) {
            for (OpenNote& n : open_)
                close(n, tick);
            return;
        }
        const auto ti = static_cast<std::size_t>(t_);
        bool bendsHere = false;
        for (int s = 0; s < 6; ++s)
            bendsHere = bendsHere || (!drums && beat.notes[s].fret != model::kEmptyFret && beat.notes[s].bend != 0);
        if (bent_ && !bendsHere && !drums)
            bend(tick, 0);
        for (int s = 0; s < 6; ++s) {
            const CNote& n = beat.notes[s];
            OpenNote& o = open_[static_cast<std::size_t>(s)];
            // A tie carries the note on: the same fret, or nothing written on the string.
            if (tiedBefore_ && o.active && (n.fret == model::kEmptyFret || n.fret == o.fret)) {
                o.off = std::max(o.off, until);
                if (!drums && n.bend != 0)
                    bendShape(n, tick, until - tick);
                continue;
            }
            if (n.fret == model::kEmptyFret)
                continue;
            int key = -1;
            int velocity = MidiExport::kVelocity;
            std::int64_t off = until;
            if (drums) {
                if (n.fret >= 0 && n.fret < static_cast<int>(gm::kDrums.size()))
                    key = gm::kDrums[static_cast<std::size_t>(n.fret)].key;
            } else if (instrument >= 0 && instrument < 7) {
                const int lowest = gm::kLowestKey[static_cast<std::size_t>(instrument)];
                if (n.fret == model::kDeadFret) {
                    // A dead note: the open string, short and soft.
                    key = lowest + doc_.tuning[ti][static_cast<std::size_t>(5 - s)] + doc_.capo[ti];
                    velocity = MidiExport::kDeadVelocity;
                    off = std::min<std::int64_t>(until, tick + MidiExport::kDeadTicks);
                } else {
                    const int index = voicing::SampleIndexFor(instrument, n, doc_.tuning[ti], doc_.capo[ti], s);
                    if (index < voicing::kNoSample)
                        key = lowest + index;
                }
                if (beat.palmMute != 0)
                    off = tick + std::max<std::int64_t>((off - tick) / 2, 1);
            }
            close(o, tick);
            if (key < 0 || key > 127)
                continue;
            if (!drums && n.bend != 0)
                bendShape(n, tick, until - tick);
            out_.add(tick, 4, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                               static_cast<std::uint8_t>(velocity)});
            o = {true, channel, key, n.fret, off};
        }
    }

    const CTabDoc& doc_;
    int t_;
    TrackWriter& out_;
    int channel_;
    int program_ = -1;
    bool tiedBefore_ = false;
    int tripletRun_ = -1;
    bool bent_ = false;
    double heldTarget_ = 0;
    std::array<OpenNote, 6> open_{};
};

} // namespace

std::vector<std::uint8_t> MidiExport::build(const CTabDoc& doc)
{
    const std::vector<int> order = playOrder(doc, 0);
    const int tracks = std::clamp(doc.trackCount, 0, model::kMaxTracks);

    // Measure starts in ticks, in the order the music plays.
    std::vector<std::int64_t> starts(order.size() + 1, 0);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const CMesure& sig = doc.tracks[0][order[i]];
        const int den = sig.denominator > 0 ? sig.denominator : 4;
        starts[i + 1] = starts[i] + static_cast<std::int64_t>(std::max(sig.numerator, 1)) * 4 * kTicksPerQuarter / den;
    }
    const std::int64_t endTick = starts.back();

    TrackWriter conductor;
    conductor.meta(0, 0x03, doc.title);
    int tempo = -1, num = -1, den = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const CMesure& ms = doc.tracks[0][order[i]];
        const int q = std::max(ms.tempo, 1);
        if (q != tempo) {
            tempo = q;
            const auto us = static_cast<std::uint32_t>(std::min(60000000 / q, 0xFFFFFF));
            conductor.add(starts[i], 0,
                          {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8),
                           static_cast<std::uint8_t>(us)});
        }
        if (ms.numerator != num || ms.denominator != den) {
            num = ms.numerator;
            den = ms.denominator;
            int power = 0;
            while ((1 << power) < den && power < 7)
                ++power;
            conductor.add(starts[i], 0,
                          {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(std::clamp(num, 1, 255)),
                           static_cast<std::uint8_t>(power), 24, 8});
        }
    }

    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    out.push_back(static_cast<std::uint8_t>((tracks + 1) >> 8));
    out.push_back(static_cast<std::uint8_t>((tracks + 1) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter >> 8));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter & 0xFF));
    conductor.appendChunk(out, endTick);

    for (int t = 0; t < tracks; ++t) {
        TrackWriter writer;
        TrackExport track(doc, t, writer);
        track.header();
        for (std::size_t i = 0; i < order.size(); ++i)
            track.measure(order[i], starts[i], starts[i + 1] - starts[i]);
        track.finish();
        writer.appendChunk(out, endTick);
    }
    return out;
}

bool MidiExport::write(const CTabDoc& doc, const std::string& path)
{
    const std::vector<std::uint8_t> bytes = build(doc);
    const std::string temp = path + ".part";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file)
            return false;
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}
