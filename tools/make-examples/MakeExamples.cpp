// Writes the example scores of examples/, one per group of playing
// techniques, from a compact text form. Run: make_examples OUTPUT_FOLDER
//
// A measure is a list of beats separated by ';'. A beat starts with its
// length (w h q 8 16 32 64) and modifiers glued to it: '.' dotted,
// 't' triplet, '~' tied, 'r' rest; then optional words: 'pm' starts a palm
// mute run, 'pm+' continues it, 'up'/'down' arpeggio. Notes follow as
// string:fret (string 1 is the highest, fret 'x' a dead note) with suffixes:
// h p / \ (hammer, pull, slides), g t (left-hand tap, tap), n a (harmonics),
// o s (pop, slap), bN (bend of N half tones), H (held), R (release),
// BN (bend and release), v (vibrato), w (tremolo bar), dN (dip of N/2).
#include "CTabDoc.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Header {
    int numerator = 4;
    int denominator = 4;
    int tempo = -1; // -1: the tempo of the measure before
    int flags = 0;  // repeat start / end and count
    std::vector<int> slotOfTrack; // instrument slot per track, empty = the track's own
};

struct Score {
    std::string file;
    std::string title;
    std::string author;
    std::string tabber;
    std::string notes;
    std::vector<std::string> trackNames;
    std::vector<int> instruments;           // per track
    std::vector<int> extraSlots;            // further instrument slots
    std::vector<Header> headers;            // per measure
    std::vector<std::vector<std::string>> music; // [track][measure]
};

int durationCode(const std::string& d)
{
    static const std::map<std::string, int> codes = {{"w", 6}, {"h", 5}, {"q", 4}, {"8", 3}, {"16", 2}, {"32", 1}, {"64", 0}};
    const auto it = codes.find(d);
    if (it == codes.end()) {
        std::fprintf(stderr, "unknown length %s\n", d.c_str());
        std::exit(2);
    }
    return it->second;
}

CAccord parseBeat(const std::string& text, int stringOffset)
{
    std::istringstream in(text);
    std::string word;
    in >> word;
    CAccord b;
    std::string length;
    for (char c : word) {
        switch (c) {
        case '.': b.isDotted = 1; break;
        case 't': b.isTriplet = 1; break;
        case '~': b.isTied = 1; break;
        case 'r': b.isRest = 1; break;
        default: length += c;
        }
    }
    b.durationCode = durationCode(length);
    while (in >> word) {
        if (word == "pm") { b.palmMute = 1; continue; }
        if (word == "pm+") { b.palmMute = 2; continue; }
        if (word == "up") { b.arpeggio = 1; continue; }
        if (word == "down") { b.arpeggio = 2; continue; }
        const auto colon = word.find(':');
        const int string = std::stoi(word.substr(0, colon)) - 1 + stringOffset;
        CNote& n = b.notes[string];
        std::size_t i = colon + 1;
        if (word[i] == 'x') {
            n.fret = model::kDeadFret;
            ++i;
        } else {
            std::size_t used = 0;
            n.fret = std::stoi(word.substr(i), &used);
            i += used;
        }
        auto amount = [&]() {
            std::size_t used = 0;
            const int v = std::stoi(word.substr(i), &used);
            i += used;
            return v;
        };
        while (i < word.size()) {
            const char c = word[i++];
            switch (c) {
            case 'h': n.technique = model::kHammerOn; break;
            case 'p': n.technique = model::kPullOff; break;
            case '/': n.technique = model::kSlideUp; break;
            case '\\': n.technique = model::kSlideDown; break;
            case 'g': n.technique = model::kLeftHandTapping; break;
            case 't': n.technique = model::kTapping; break;
            case 'n': n.technique = model::kNaturalHarmonic; break;
            case 'a': n.technique = model::kArtificialHarmonic; break;
            case 'o': n.technique = model::kPop; break;
            case 's': n.technique = model::kSlap; break;
            case 'b': n.bend = amount() * 16 + model::kBendBend; break;
            case 'B': n.bend = amount() * 16 + model::kBendBendRelease; break;
            case 'H': n.bend = model::kBendHeld; break;
            case 'R': n.bend = model::kBendRelease; break;
            case 'v': n.vibrato |= model::kVibratoLeftHand; break;
            case 'w': n.vibrato |= model::kVibratoTremoloBar; break;
            case 'd': n.vibrato = amount() * 8 + model::kVibratoDip; break;
            default:
                std::fprintf(stderr, "unknown suffix in %s\n", word.c_str());
                std::exit(2);
            }
        }
    }
    return b;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, sep))
        if (item.find_first_not_of(' ') != std::string::npos)
            out.push_back(item);
    return out;
}

bool write(const Score& s, const std::string& folder)
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.title = s.title;
    doc.author = s.author;
    doc.tabber = s.tabber;
    doc.notes = s.notes;
    doc.showAuthor = !s.author.empty();
    doc.showTabber = !s.tabber.empty();
    doc.trackCount = static_cast<int>(s.instruments.size());
    doc.measureCount = static_cast<int>(s.headers.size());
    doc.slotCount = doc.trackCount + static_cast<int>(s.extraSlots.size());
    doc.slotOrder.fill(model::kFreeSlot);
    doc.slotInstrument.fill(model::kFreeSlot);
    for (int i = 0; i < doc.slotCount; ++i) {
        doc.slotOrder[static_cast<std::size_t>(i)] = i;
        doc.slotInstrument[static_cast<std::size_t>(i)] =
            i < doc.trackCount ? s.instruments[static_cast<std::size_t>(i)] : s.extraSlots[static_cast<std::size_t>(i - doc.trackCount)];
    }
    std::vector<Header> headers = s.headers;
    for (std::size_t m = 0; m < headers.size(); ++m)
        if (headers[m].tempo < 0)
            headers[m].tempo = m == 0 ? 90 : headers[m - 1].tempo;
    doc.scoreTempo = headers[0].tempo;
    doc.scoreNumerator = s.headers[0].numerator;
    doc.scoreDenominator = s.headers[0].denominator;
    for (int t = 0; t < doc.trackCount; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.trackNames[ti] = s.trackNames[ti];
        const int code = s.instruments[ti];
        doc.arpeggioLatency[ti] = (code == model::kDrums || code == model::kPiano) ? 1 : 6;
        if (code == model::kBass)
            doc.tuning[ti] = {2, 7, 12, 17, 21, 26};
        auto& track = doc.tracks[ti];
        track.SetSize(doc.measureCount);
        for (int m = 0; m < doc.measureCount; ++m) {
            const Header& h = headers[static_cast<std::size_t>(m)];
            CMesure& measure = track[m];
            measure.index = m;
            measure.tempo = h.tempo;
            measure.numerator = h.numerator;
            measure.denominator = h.denominator;
            measure.flags = h.flags | (m == 0 ? model::kFlagFirst : 0) | (m == doc.measureCount - 1 ? model::kFlagLast : 0) |
                            (m > 0 && m < doc.measureCount - 1 ? model::kFlagMiddle : 0);
            measure.instrumentSlot = h.slotOfTrack.empty() ? t : h.slotOfTrack[ti];
            const auto beats = split(s.music[ti][static_cast<std::size_t>(m)], ';');
            const int stringOffset = code == model::kBass ? 2 : 0;
            measure.beats.SetSize(static_cast<int>(beats.size()));
            for (std::size_t b = 0; b < beats.size(); ++b)
                measure.beats[static_cast<int>(b)] = parseBeat(beats[b], stringOffset);
            measure.beatCount = static_cast<int>(beats.size());
            compactMeasure(measure);
        }
    }
    const std::string path = folder + "/" + s.file;
    if (!doc.OnSaveDocument(path)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), doc.lastError().c_str());
        return false;
    }
    return true;
}

Header header(int num = 4, int den = 4, int tempo = -1, int flags = 0)
{
    return Header{num, den, tempo, flags, {}};
}

constexpr int kRepeatStart = model::kFlagRepeatStart;
int repeatEnd(int count)
{
    return model::kFlagRepeatEnd | count * 32;
}

std::vector<Score> scores()
{
    std::vector<Score> all;
    const std::string team = "L'équipe Fretlark";

    all.push_back({"techniques-liaisons.tbf", "Liaisons et frappes", "Fretlark", team,
                   "Hammer-on, pull-off, glissés, tapping, harmoniques, notes étouffées.",
                   {"Guitare solo"}, {model::kCleanGuitar}, {},
                   {header(4, 4, 100), header(), header(), header(), header(), header()},
                   {{"8 3:5; 8 3:7h; 8 3:9h; 8 3:7p; 8 3:5p; 8 2:5; 8 2:7h; 8 2:5p",
                     "q 2:5; q 2:9/; q 2:5\\; q 3:7/",
                     "8 1:12t; 8 1:8p; 8 1:5p; 8 1:8h; 8 1:12g; 8 1:8p; 8 1:5p; 8 1:8h",
                     "q 3:12n 2:12n 1:12n; q 4:7n 3:7n; q 3:5a; q 2:15a",
                     "8 6:x 5:x 4:x; 8 6:x 5:x 4:x; 8 6:3 5:5 4:5; 8 6:x 5:x 4:x; 16 6:x 5:x; 16 6:x 5:x; 8 6:5 5:7 4:7; q 6:3 5:5 4:5",
                     "16 1:5; 16 1:8h; 16 1:10h; 16 1:8p; 8 1:5p; 8 2:8; q 2:10/; q 2:12 1:12"}}});

    all.push_back({"techniques-bends.tbf", "Tirés et relâchés", "Fretlark", team,
                   "Tirés d'un quart de ton à deux tons et demi, notes tenues, relâchés.",
                   {"Guitare solo"}, {model::kDistortedGuitar}, {},
                   {header(4, 4, 80), header(), header(), header(), header()},
                   {{"q 2:8b0; q 2:8b1; q 2:8b2; q 3:7b3",
                     "q 3:7b4; q 3:7b5; h 2:10b2v",
                     "q 2:10b2; q 2:10H; q 2:10H; q 2:10R",
                     "q 3:9B2; q 3:9B1; q 1:12b2; q 1:12R",
                     "8 2:15b2; 8 2:15H; q 2:15R; q 3:14b3 2:15; q 3:12 2:13v"}}});

    all.push_back({"techniques-vibrato.tbf", "Vibratos et sourdines", "Fretlark", team,
                   "Vibrato continu, barre de trémolo, coups de barre, palm mute, arpèges.",
                   {"Guitare"}, {model::kFolkGuitar}, {},
                   {header(4, 4, 72), header(), header(), header(), header()},
                   {{"q 2:8v; q 2:8v; q 2:10v; q 2:10",
                     "q 3:7v; q 2:5; h 3:9v",
                     "q 6:0w; q 6:0w; q 5:0d2; q 5:0d3",
                     "8 pm 6:0 5:2; 8 pm+ 6:0 5:2; 8 pm+ 6:0 5:2; 8 pm+ 6:0 5:2; 8 6:3 5:5; 8 pm 6:0; 8 pm+ 6:0; 8 pm+ 6:0",
                     "q up 6:3 5:2 4:0 3:0 2:3 1:3; q down 6:3 5:2 4:0 3:0 2:3 1:3; h up 5:0 4:2 3:2 2:2 1:0"}}});

    Header change = header(3, 4);
    Header sixEight = header(6, 8, 120);
    all.push_back({"rythmes.tbf", "Rythmes", "Fretlark", team,
                   "Toutes les durées, points, silences, ligatures, triolets, liaisons, signatures, reprises.",
                   {"Guitare"}, {model::kClassicalGuitar}, {},
                   {header(4, 4, 90, kRepeatStart), header(), header(4, 4, -1, repeatEnd(2)), header(), header(), header(),
                    change, header(3, 4), sixEight, header(6, 8), header(2, 4, 60), header(4, 4, -1, kRepeatStart),
                    header(4, 4, -1, repeatEnd(3))},
                   {{"w 3:2",
                     "h 3:2; q. 3:4; 8 3:5",
                     "q 3:2; q. 3:4; 8 3:5; q 3:7",
                     "8 3:2; 8 3:4; 16 3:5; 16 3:7; 8 3:9; 16 3:5; 16 3:7; 16 3:9; 16 3:10; 32 3:9; 32 3:7; 32 3:5; 32 3:4; 64 3:2; 64 3:4; 64 3:5; 64 3:7; 16 3:9",
                     "wr",
                     "hr; qr; 8r; 16r; 32r; 64r; 64r",
                     "8. 3:5; 16 3:7; q.r; 8 3:5",
                     "8t 2:5; 8 2:7; 8 2:8; 8t 2:5; 8 2:7; 8 2:8; 16t 2:5; 16 2:7; 16 2:8; 16 2:5; 16 2:7",
                     "8 5:3; 8 4:2; 8 3:0; 8~ 5:3; 8 5:3; 8 4:2",
                     "q.~ 4:2; q. 4:2",
                     "q~ 3:7 2:8; q 3:7 2:8",
                     "q~ 3:5; 8 3:5; 8 3:7; q 3:9; q~ 3:9",
                     "8 3:9; 8 2:7; 8r; 8 2:8; 8. 2:7; 16 2:5; q 3:7"}}});

    all.push_back({"basse-slap.tbf", "Basse slap", "Fretlark", team, "Slap, pop, notes étouffées sur une basse à quatre cordes.",
                   {"Basse"}, {model::kBass}, {},
                   {header(4, 4, 100), header(), header()},
                   {{"8 4:0s; 8 2:2o; 8 4:0s; 8 4:x; 8 4:0s; 8 2:2o; 8 3:2s; 8 2:2o",
                     "16 4:5s; 16 4:x; 16 2:7o; 16 4:x; 8 4:5s; 8 2:7o; q 3:3 4:3; 8 4:3s; 8 2:5o",
                     "q 4:0; q 3:2h; q 2:2/; q 1:4v"}}});

    // Four tracks; the lead switches from a clean to a distorted guitar at
    // measure 3, and the bass plays a quarter against the guitar's eighths.
    Score band{"groupe.tbf", "Groupe", "Fretlark", team, "Quatre pistes, changement d'instrument, batterie.",
               {"Lead", "Rythmique", "Basse", "Batterie"},
               {model::kCleanGuitar, model::kFolkGuitar, model::kBass, model::kDrums}, {model::kDistortedGuitar},
               {header(4, 4, 110), header(), header(), header(), header(4, 4, 130)},
               {}};
    for (int m = 2; m < 5; ++m)
        band.headers[static_cast<std::size_t>(m)].slotOfTrack = {4, 1, 2, 3};
    for (int m = 0; m < 2; ++m)
        band.headers[static_cast<std::size_t>(m)].slotOfTrack = {0, 1, 2, 3};
    band.music = {
        {"8 1:7; 8 1:8; q 2:10h; 8 1:7; 8 2:10; q 2:8", "q 3:9b2; q 3:9H; q 3:9R; q 3:7", "8 2:10; 8 2:12h; 8 2:10p; 8 3:12; h 2:10v",
         "qr; q 1:15 2:15; q 1:17b2; q 1:17R", "w 1:12 2:12 3:12"},
        {"8 pm 6:0 5:2; 8 pm+ 6:0 5:2; 8 pm+ 6:0 5:2; 8 pm+ 6:0 5:2; q 6:3 5:5; q 6:3 5:5", "q 6:0 5:2 4:2; q 6:0 5:2 4:2; q 6:0 5:2 4:2; q 6:0 5:2 4:2",
         "8 5:3 4:5; 8 5:3 4:5; 8 5:3 4:5; 8 5:3 4:5; q 5:5 4:7; q 5:5 4:7", "h 6:0 5:2 4:2; h 6:3 5:5 4:5", "w 6:0 5:2 4:2 3:1 2:0 1:0"},
        {"q 4:0; 8 4:0; 8 4:3; q 3:2; q 4:3", "q 4:0; q 4:0; q 3:2; q 3:2", "q 4:3; q 4:3; 8 3:5; 8 3:3; q 4:5", "h 4:0; h 4:3",
         "w 4:0"},
        {"8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25; 8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25",
         "8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25; 8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25",
         "8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25; 8 5:22 1:25; 8 1:25; 8 3:24 1:25; 8 1:25",
         "8 5:22 2:29; 8 1:25; 8 3:24 1:25; 8 1:25; 16 3:24; 16 3:24; 16 4:21; 16 4:21; 8 5:22 2:29; 8 5:22",
         "w 5:22 2:29"}};
    all.push_back(band);
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples OUTPUT_FOLDER\n");
        return 2;
    }
    for (const Score& s : scores())
        if (!write(s, argv[1]))
            return 1;
    return 0;
}
