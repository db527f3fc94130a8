#pragma once

// Writes small Guitar Pro 3/4/5 files byte by byte, following the published
// layout, so tests can build exactly the case they need.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class GpBytes {
public:
    GpBytes& u8(int v)
    {
        s.push_back(static_cast<char>(v & 0xFF));
        return *this;
    }
    GpBytes& i16(int v)
    {
        return u8(v).u8(v >> 8);
    }
    GpBytes& i32(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
        return *this;
    }
    GpBytes& text(const std::string& t) // int size, byte length, characters
    {
        i32(static_cast<std::int32_t>(t.size()) + 1);
        u8(static_cast<int>(t.size()));
        s += t;
        return *this;
    }
    GpBytes& fixed(const std::string& t, int width) // byte length, then exactly width bytes
    {
        u8(static_cast<int>(t.size()));
        s += t;
        s.append(static_cast<std::size_t>(width) - t.size(), '\0');
        return *this;
    }
    GpBytes& raw(const std::string& more)
    {
        s += more;
        return *this;
    }
    std::string s;
};

struct GpNote {
    GpNote(int string_, int fret_, int type_ = 1) : string(string_), fret(fret_), type(type_) {}
    int string = 1; // 1 = highest
    int fret = 0;
    int type = 1; // 1 normal, 2 tie, 3 dead
    int flags = 0x20;
    std::string effects; // effect bytes, flag bytes included (flag 0x08 is added when not empty)
    // Version 5: the duration percentage written when flags has 0x01.
    double percentage = 0.75;
};

struct GpBeat {
    int duration = 0; // -2 whole ... 4 sixty-fourth
    int flags = 0;
    int status = -1; // 0 empty, 2 rest; -1 none
    int tuplet = 0;
    std::string effects; // beat effect bytes (flag 0x08 added when not empty)
    std::string chord;   // chord bytes (flag 0x02 added when not empty)
    std::string mix;     // mix table bytes (flag 0x10 added when not empty)
    std::vector<GpNote> notes;
    int display = 0; // version 5: display bits; 0x0800 adds one byte
};

struct GpHeader {
    int numerator = 0;   // 0: not written
    int denominator = 0; // 0: not written
    bool repeatStart = false;
    int repeatCount = -1; // -1: no repeat end
    int ending = 0;
    std::string marker;
    bool hasMarker = false;
    bool hasKey = false;
    int tripletFeel = 0; // version 5 only
};

struct GpTrack {
    std::string name = "Piste";
    int flags = 0;
    int strings = 6;
    std::array<int, 7> tuning{64, 59, 55, 50, 45, 40, -1};
    int port = 1;
    int channel = 1;
    int capo = 0;
    std::string effectName = "Acoustic"; // version 5.10 only
};

class GpFileBuilder {
public:
    // version 3, 4, 5 (5.10) or 500 (5.00).
    explicit GpFileBuilder(int version) : version_(version == 500 ? 5 : version), v500_(version == 500)
    {
        programs.fill(25);
        volumes.fill(13);
    }

    std::string title = "Chanson";
    std::string words;
    std::string music; // version 5 only
    std::string tabber;
    std::vector<std::string> notice;
    int tripletFeel = 0;
    int tempo = 120;
    std::array<int, 64> programs{};
    std::array<int, 64> volumes{};
    std::vector<GpHeader> headers;
    std::vector<GpTrack> tracks;
    // Measure bodies, measure-major: measure 1 of every track, then measure 2...
    std::vector<std::vector<GpBeat>> bodies;
    // Version 5: the second voice of the body of the same index; a body
    // without one gets a single empty beat, as real files have.
    std::vector<std::vector<GpBeat>> secondVoices;
    bool trailingZeroInt = false;

    std::string bytes() const
    {
        if (version_ == 5)
            return bytes5();
        GpBytes b;
        b.fixed(version_ == 3 ? "FICHIER GUITAR PRO v3.00" : "FICHIER GUITAR PRO v4.06", 30);
        b.text(title).text("").text("").text("").text(words).text("").text(tabber).text("");
        b.i32(static_cast<std::int32_t>(notice.size()));
        for (const std::string& line : notice)
            b.text(line);
        b.u8(tripletFeel);
        if (version_ == 4) {
            b.i32(0);
            for (int i = 0; i < 5; ++i)
                b.i32(1).i32(0);
        }
        b.i32(tempo).i32(0);
        if (version_ == 4)
            b.u8(0);
        for (int c = 0; c < 64; ++c)
            b.i32(programs[static_cast<std::size_t>(c)]).u8(volumes[static_cast<std::size_t>(c)]).u8(8).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        b.i32(static_cast<std::int32_t>(headers.size())).i32(static_cast<std::int32_t>(tracks.size()));
        for (const GpHeader& h : headers)
            header(b, h, false);
        for (const GpTrack& t : tracks) {
            b.u8(t.flags).fixed(t.name, 40).i32(t.strings);
            for (int v : t.tuning)
                b.i32(v);
            b.i32(t.port).i32(t.channel).i32(t.channel + 1).i32(24).i32(t.capo).i32(0);
        }
        for (const std::vector<GpBeat>& body : bodies) {
            b.i32(static_cast<std::int32_t>(body.size()));
            for (const GpBeat& beat : body)
                this->beat(b, beat);
        }
        if (trailingZeroInt)
            b.i32(0);
        return b.s;
    }

    // n bar headers, the first in 4/4 and the others inheriting it.
    void fourFour(std::size_t n)
    {
        headers.resize(n);
        headers[0].numerator = 4;
        headers[0].denominator = 4;
    }

    // A file of one guitar track in 4/4, one bar per body.
    static GpFileBuilder oneTrack(int version, std::vector<std::vector<GpBeat>> bodies)
    {
        GpFileBuilder f(version);
        f.tracks = {GpTrack{}};
        f.fourFour(bodies.size());
        f.bodies = std::move(bodies);
        return f;
    }

    // A measure body of n quarter notes at fret `fret` on string `string`.
    static std::vector<GpBeat> quarters(int n, int string = 1, int fret = 0)
    {
        std::vector<GpBeat> beats(static_cast<std::size_t>(n));
        for (GpBeat& b : beats)
            b.notes = {GpNote{string, fret}};
        return beats;
    }

private:
    std::string bytes5() const
    {
        GpBytes b;
        b.fixed(v500_ ? "FICHIER GUITAR PRO v5.00" : "FICHIER GUITAR PRO v5.10", 30);
        b.text(title).text("Sous-titre").text("").text("").text(words).text(music).text("").text(tabber).text("");
        b.i32(static_cast<std::int32_t>(notice.size()));
        for (const std::string& line : notice)
            b.text(line);
        b.i32(0);
        for (int i = 0; i < 5; ++i)
            b.i32(1).i32(0);
        if (!v500_)
            b.i32(100).i32(0).raw(std::string(11, '\0'));
        b.i32(210).i32(297).i32(10).i32(10).i32(15).i32(10).i32(100).i16(0x1FF);
        for (int i = 0; i < 10; ++i)
            b.text("%TITLE%");
        b.text("Moderato").i32(tempo);
        if (!v500_)
            b.u8(0);
        b.i32(-3).u8(0);
        for (int c = 0; c < 64; ++c)
            b.i32(programs[static_cast<std::size_t>(c)]).u8(volumes[static_cast<std::size_t>(c)]).u8(8).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        for (int i = 0; i < 19; ++i)
            b.i16(-1);
        b.i32(0);
        b.i32(static_cast<std::int32_t>(headers.size())).i32(static_cast<std::int32_t>(tracks.size()));
        for (const GpHeader& h : headers)
            header(b, h, true);
        for (const GpTrack& t : tracks) {
            b.u8(t.flags).fixed(t.name, 40).i32(t.strings);
            for (int v : t.tuning)
                b.i32(v);
            b.i32(t.port).i32(t.channel).i32(t.channel + 1).i32(24).i32(t.capo).i32(0);
            b.i16(0x0143).u8(0).u8(0).u8(0).raw(std::string(24, '\x0C')).i32(-1).i32(-1).i32(-1);
            if (v500_)
                b.i16(-1).u8(0xFF).u8(0);
            else
                b.i32(-1).i32(0).text(t.effectName).text("");
        }
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            b.u8(0);
            voice(b, bodies[i]);
            if (i < secondVoices.size()) {
                voice(b, secondVoices[i]);
            } else {
                GpBeat empty;
                empty.status = 0;
                voice(b, {empty});
            }
        }
        if (trailingZeroInt)
            b.u8(0);
        return b.s;
    }

    void voice(GpBytes& b, const std::vector<GpBeat>& beats) const
    {
        b.i32(static_cast<std::int32_t>(beats.size()));
        for (const GpBeat& beat : beats)
            this->beat(b, beat);
    }

    static void header(GpBytes& b, const GpHeader& h, bool v5)
    {
        int flags = 0;
        flags |= h.numerator ? 0x01 : 0;
        flags |= h.denominator ? 0x02 : 0;
        flags |= h.repeatStart ? 0x04 : 0;
        flags |= h.repeatCount >= 0 ? 0x08 : 0;
        flags |= h.ending ? 0x10 : 0;
        flags |= h.hasMarker ? 0x20 : 0;
        flags |= h.hasKey ? 0x40 : 0;
        b.u8(flags);
        if (h.numerator)
            b.u8(h.numerator);
        if (h.denominator)
            b.u8(h.denominator);
        if (h.repeatCount >= 0)
            b.u8(h.repeatCount);
        if (h.ending && !v5)
            b.u8(h.ending);
        if (h.hasMarker)
            b.text(h.marker).i32(0x0000FF);
        if (h.hasKey)
            b.u8(2).u8(0);
        if (!v5)
            return;
        // Beam groups, the alternate endings as a mask, triplet feel.
        if (flags & 0x03)
            b.u8(2).u8(2).u8(2).u8(2);
        b.u8(h.ending).u8(h.tripletFeel).u8(0);
    }

    void beat(GpBytes& b, const GpBeat& beat) const
    {
        int flags = beat.flags;
        flags |= beat.status >= 0 ? 0x40 : 0;
        flags |= beat.tuplet ? 0x20 : 0;
        flags |= beat.effects.empty() ? 0 : 0x08;
        flags |= beat.chord.empty() ? 0 : 0x02;
        flags |= beat.mix.empty() ? 0 : 0x10;
        b.u8(flags);
        if (beat.status >= 0)
            b.u8(beat.status);
        b.u8(beat.duration);
        if (beat.tuplet)
            b.i32(beat.tuplet);
        b.raw(beat.chord);
        if (flags & 0x04)
            b.text("texte");
        b.raw(beat.effects);
        b.raw(beat.mix);
        int strings = 0;
        for (const GpNote& n : beat.notes)
            strings |= 1 << (7 - n.string);
        b.u8(strings);
        // Notes go highest string first.
        for (int s = 1; s <= 7; ++s)
            for (const GpNote& n : beat.notes)
                if (n.string == s)
                    note(b, n);
        if (version_ == 5) {
            b.i16(beat.display);
            if (beat.display & 0x0800)
                b.u8(1);
        }
    }

    void note(GpBytes& b, const GpNote& n) const
    {
        const int flags = n.flags | (n.effects.empty() ? 0 : 0x08);
        b.u8(flags);
        if (flags & 0x20)
            b.u8(n.type);
        if ((flags & 0x01) && version_ != 5)
            b.u8(0).u8(1);
        if (flags & 0x10)
            b.u8(6);
        if (flags & 0x20)
            b.u8(n.fret);
        if (version_ != 3 && (flags & 0x80))
            b.u8(1).u8(2);
        if (version_ == 5) {
            if (flags & 0x01) {
                std::uint64_t bits = 0;
                std::memcpy(&bits, &n.percentage, sizeof bits);
                for (int i = 0; i < 8; ++i)
                    b.u8(static_cast<int>(bits >> (8 * i)));
            }
            b.u8(0); // second flags
        }
        b.raw(n.effects);
    }

    int version_;
    bool v500_;
};

// A bend structure: type, height, two points.
inline std::string gpBend(int type, int height)
{
    GpBytes b;
    b.u8(type).i32(height).i32(2).i32(0).i32(0).u8(0).i32(60).i32(height).u8(0);
    return b.s;
}
