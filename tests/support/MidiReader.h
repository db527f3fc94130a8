#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A small Standard MIDI File reader for the tests: every event with its
// absolute tick, running status understood, lengths bounds-checked.
struct MidiFile {
    struct Event {
        std::int64_t tick = 0;
        int status = 0; // 0xFF for a meta event
        int meta = -1;  // meta type
        std::vector<std::uint8_t> data;
        int channel() const { return status & 0x0F; }
        int kind() const { return status & 0xF0; }
    };
    bool ok = false;
    int format = -1;
    int division = 0;
    std::vector<std::vector<Event>> tracks;

    static MidiFile parse(const std::vector<std::uint8_t>& b)
    {
        MidiFile f;
        std::size_t p = 0;
        auto need = [&](std::size_t n) { return p + n <= b.size(); };
        auto u16 = [&] {
            const int v = (b[p] << 8) | b[p + 1];
            p += 2;
            return v;
        };
        auto u32 = [&] {
            const std::uint32_t v = (std::uint32_t(b[p]) << 24) | (std::uint32_t(b[p + 1]) << 16) |
                                    (std::uint32_t(b[p + 2]) << 8) | b[p + 3];
            p += 4;
            return v;
        };
        if (!need(14) || std::string(b.begin(), b.begin() + 4) != "MThd")
            return f;
        p = 4;
        if (u32() != 6)
            return f;
        f.format = u16();
        const int count = u16();
        f.division = u16();
        for (int t = 0; t < count; ++t) {
            if (!need(8) || std::string(b.begin() + static_cast<long>(p), b.begin() + static_cast<long>(p) + 4) != "MTrk")
                return f;
            p += 4;
            const std::uint32_t len = u32();
            if (!need(len))
                return f;
            const std::size_t end = p + len;
            std::vector<Event> events;
            std::int64_t tick = 0;
            int running = 0;
            auto varlen = [&](std::uint64_t& v) {
                v = 0;
                for (int i = 0; i < 4; ++i) {
                    if (p >= end)
                        return false;
                    const std::uint8_t c = b[p++];
                    v = (v << 7) | (c & 0x7F);
                    if (!(c & 0x80))
                        return true;
                }
                return false;
            };
            bool ended = false;
            while (p < end) {
                std::uint64_t delta = 0;
                if (!varlen(delta) || p >= end)
                    return f;
                tick += static_cast<std::int64_t>(delta);
                Event e;
                e.tick = tick;
                int status = b[p];
                if (status & 0x80)
                    ++p;
                else if (running)
                    status = running;
                else
                    return f;
                e.status = status;
                if (status == 0xFF) {
                    if (p >= end)
                        return f;
                    e.meta = b[p++];
                    std::uint64_t n = 0;
                    if (!varlen(n) || p + n > end)
                        return f;
                    e.data.assign(b.begin() + static_cast<long>(p), b.begin() + static_cast<long>(p + n));
                    p += n;
                    if (e.meta == 0x2F)
                        ended = true;
                } else if (status == 0xF0 || status == 0xF7) {
                    std::uint64_t n = 0;
                    if (!varlen(n) || p + n > end)
                        return f;
                    p += n;
                } else {
                    running = status;
                    const int kind = status & 0xF0;
                    const std::size_t n = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                    if (p + n > end)
                        return f;
                    e.data.assign(b.begin() + static_cast<long>(p), b.begin() + static_cast<long>(p + n));
                    p += n;
                }
                events.push_back(std::move(e));
            }
            if (!ended)
                return f;
            f.tracks.push_back(std::move(events));
        }
        f.ok = true;
        return f;
    }

    static MidiFile read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return parse(bytes);
    }

    struct Note {
        std::int64_t on = 0, off = -1;
        int channel = 0, key = 0, velocity = 0;
    };
    // Notes of a track, note-ons paired with their note-offs.
    std::vector<Note> notes(std::size_t track) const
    {
        std::vector<Note> out;
        for (const Event& e : tracks[track]) {
            const bool on = e.kind() == 0x90 && e.data[1] > 0;
            const bool off = e.kind() == 0x80 || (e.kind() == 0x90 && e.data[1] == 0);
            if (on)
                out.push_back({e.tick, -1, e.channel(), e.data[0], e.data[1]});
            else if (off)
                for (Note& n : out)
                    if (n.off < 0 && n.channel == e.channel() && n.key == e.data[0]) {
                        n.off = e.tick;
                        break;
                    }
        }
        return out;
    }

    // Tempo changes of the first track: (tick, microseconds per quarter).
    std::vector<std::pair<std::int64_t, int>> tempos() const
    {
        std::vector<std::pair<std::int64_t, int>> out;
        if (!tracks.empty())
            for (const Event& e : tracks[0])
                if (e.meta == 0x51 && e.data.size() == 3)
                    out.emplace_back(e.tick, (e.data[0] << 16) | (e.data[1] << 8) | e.data[2]);
        return out;
    }

    // Milliseconds at a tick through the tempo map.
    double msAt(std::int64_t tick) const
    {
        double ms = 0;
        std::int64_t at = 0;
        int tempo = 500000;
        for (auto [t, us] : tempos()) {
            if (t >= tick)
                break;
            ms += static_cast<double>(t - at) * tempo / 1000.0 / division;
            at = t;
            tempo = us;
        }
        return ms + static_cast<double>(tick - at) * tempo / 1000.0 / division;
    }
};
