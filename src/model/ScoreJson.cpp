#include "ScoreJson.h"

#include "CTabDoc.h"

#include <algorithm>
#include <cstdio>

namespace {

void appendEscaped(std::string& out, const std::string& s)
{
    out.push_back('"');
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    out.push_back('"');
}

class Json {
public:
    std::string out;
    void key(const char* k)
    {
        comma();
        out.push_back('"');
        out += k;
        out += "\":";
        needComma_ = false;
    }
    void num(const char* k, long long v)
    {
        key(k);
        out += std::to_string(v);
        needComma_ = true;
    }
    void str(const char* k, const std::string& v)
    {
        key(k);
        appendEscaped(out, v);
        needComma_ = true;
    }
    void open(char c)
    {
        comma();
        out.push_back(c);
        needComma_ = false;
    }
    void close(char c)
    {
        out.push_back(c);
        needComma_ = true;
    }
    void value(long long v)
    {
        comma();
        out += std::to_string(v);
        needComma_ = true;
    }

private:
    void comma()
    {
        if (needComma_)
            out.push_back(',');
    }
    bool needComma_ = false;
};

} // namespace

std::string scoreToJson(const CTabDoc& doc)
{
    Json j;
    j.open('{');
    j.str("title", doc.title);
    j.str("author", doc.author);
    j.str("tabber", doc.tabber);
    j.str("notes", doc.notes);
    j.num("showAuthor", doc.showAuthor);
    j.num("showTabber", doc.showTabber);
    j.num("tripletFeel", doc.tripletFeel);
    j.num("soloTrack", doc.soloTrack);
    j.num("scoreTempo", doc.scoreTempo);
    j.num("scoreNumerator", doc.scoreNumerator);
    j.num("scoreDenominator", doc.scoreDenominator);
    j.num("measureCount", doc.measureCount);
    j.num("trackCount", doc.trackCount);
    j.num("slotCount", doc.slotCount);
    j.key("slotInstrument");
    j.open('[');
    for (int i = 0; i < std::clamp(doc.slotCount, 0, model::kMaxSlots); ++i)
        j.value(doc.slotInstrument[static_cast<std::size_t>(i)]);
    j.close(']');
    j.key("tracks");
    j.open('[');
    for (int t = 0; t < std::clamp(doc.trackCount, 0, model::kMaxTracks); ++t) {
        const auto ti = static_cast<std::size_t>(t);
        j.open('{');
        j.str("name", doc.trackNames[ti]);
        j.num("instrument", doc.instrumentOfTrack(t));
        j.key("tuning");
        j.open('[');
        for (int v : doc.tuning[ti])
            j.value(v);
        j.close(']');
        j.num("capo", doc.capo[ti]);
        j.num("volume", doc.volume[ti]);
        j.num("pan", doc.pan[ti]);
        j.num("mute", doc.mute[ti]);
        j.num("arpeggioLatency", doc.arpeggioLatency[ti]);
        j.key("measures");
        j.open('[');
        const CArray<CMesure>& track = doc.tracks[ti];
        for (int m = 0; m < std::min(doc.measureCount, track.GetSize()); ++m) {
            const CMesure& measure = track[m];
            j.open('{');
            j.num("index", measure.index);
            j.num("tempo", measure.tempo);
            j.num("numerator", measure.numerator);
            j.num("denominator", measure.denominator);
            j.num("flags", measure.flags);
            j.num("instrumentSlot", measure.instrumentSlot);
            j.key("beats");
            j.open('[');
            for (int b = 0; b < std::clamp(measure.beatCount, 0, measure.beats.GetSize()); ++b) {
                const CAccord& beat = measure.beats[b];
                j.open('{');
                j.num("durationCode", beat.durationCode);
                j.num("isDotted", beat.isDotted);
                j.num("isTied", beat.isTied);
                j.num("isTriplet", beat.isTriplet);
                j.num("isRest", beat.isRest);
                j.num("palmMute", beat.palmMute);
                j.num("arpeggio", beat.arpeggio);
                j.key("notes");
                j.open('[');
                for (int k = 0; k < model::kStrings; ++k) {
                    const CNote& n = beat.notes[k];
                    if (n.isEmpty())
                        continue;
                    j.open('{');
                    j.num("string", k);
                    j.num("fret", n.fret);
                    j.num("technique", n.technique);
                    j.num("bend", n.bend);
                    j.num("vibrato", n.vibrato);
                    j.close('}');
                }
                j.close(']');
                j.close('}');
            }
            j.close(']');
            j.close('}');
        }
        j.close(']');
        j.close('}');
    }
    j.close(']');
    j.close('}');
    j.out.push_back('\n');
    return j.out;
}
