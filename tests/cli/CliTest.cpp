#include "CTabDoc.h"
#include "MidiReader.h"
#include "ScriptedPrompter.h"
#include "Pagination.h"
#include "PdfInfo.h"
#include "ScoreFactory.h"
#include "PrintJob.h"
#include "TempDir.h"

#include <QRect>

#include <cmath>
#include <cstdlib>

#include <array>
#include <cstdio>
#include <regex>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs the real binary with arguments, capturing both output streams; the
// environment is Qt's offscreen platform unless `env` says otherwise.
CliRun run(const std::string& args, const std::string& env = "QT_QPA_PLATFORM=offscreen")
{
    TempDir dir;
    const std::string errFile = dir.file("stderr");
    const std::string cmd = "env " + env + " '" + std::string(FRETLARK_BIN) + "' " + args + " 2>'" + errFile + "'";
    CliRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = TempDir::read(errFile);
    return r;
}

std::string quote(const std::string& s)
{
    return "'" + s + "'";
}

const std::string kExample = std::string(FRETLARK_EXAMPLES) + "/premier-riff.tbf";

} // namespace

TEST(Cli, HelpAndVersion)
{
    CliRun help = run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--dump"), std::string::npos);
    CliRun version = run("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("Fretlark ", 0), 0u);
}

TEST(Cli, DumpPrintsTheScoreAsJson)
{
    CliRun r = run("--dump " + quote(kExample));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"title\":", 0), 0u);
    const char* keys[] = {"\"author\":", "\"tabber\":", "\"notes\":", "\"showAuthor\":", "\"showTabber\":",
                          "\"tripletFeel\":", "\"soloTrack\":", "\"scoreTempo\":", "\"scoreNumerator\":",
                          "\"scoreDenominator\":", "\"measureCount\":", "\"trackCount\":", "\"slotCount\":",
                          "\"slotInstrument\":[", "\"tracks\":[{\"name\":", "\"instrument\":", "\"tuning\":[",
                          "\"capo\":", "\"volume\":", "\"pan\":", "\"mute\":", "\"arpeggioLatency\":",
                          "\"measures\":[{\"index\":0,\"tempo\":", "\"beats\":[{\"durationCode\":",
                          "\"notes\":[{\"string\":"};
    std::size_t at = 0;
    for (const char* k : keys) {
        const auto p = r.out.find(k, at);
        ASSERT_NE(p, std::string::npos) << k << " missing or out of order";
        at = p;
    }
}

TEST(Cli, ConvertWritesANativeFileThatDumpsTheSame)
{
    TempDir dir;
    const std::string out = dir.file("copie");
    CliRun c = run("--convert " + quote(kExample) + " " + quote(out));
    ASSERT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(run("--dump " + quote(out + ".tbf")).out, run("--dump " + quote(kExample)).out);
}

TEST(Cli, GuitarPro5FilesDumpConvertAndRender)
{
    const std::string demo = std::string(FRETLARK_GP5_DATA) + "/Demo-v5.gp5";
    EXPECT_NE(run("--help").out.find(".gp5"), std::string::npos);
    CliRun dump = run("--dump " + quote(demo));
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out.rfind("{\"title\":\"Demo for Guitar Pro 5\"", 0), 0u);
    EXPECT_NE(dump.out.find("\"name\":\"Percussions\""), std::string::npos);

    TempDir dir;
    const std::string out = dir.file("demo.tbf");
    CliRun c = run("--convert " + quote(demo) + " " + quote(out));
    ASSERT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(run("--dump " + quote(out)).out, dump.out);

    // Every sample survives the conversion, but for its strokes: the native
    // format keeps no arpeggio, so a saved score reopens without them.
    const std::regex stroke("\"arpeggio\":[12]");
    for (const char* name : {"Chords", "Directions", "Effects", "Harmonics", "Key", "Measure-Header", "No-Wah", "RSE",
                             "Repeat", "Slides", "Strokes", "Tie", "Voices", "Wah"}) {
        SCOPED_TRACE(name);
        const std::string in = std::string(FRETLARK_GP5_DATA) + "/" + name + ".gp5", saved = dir.file("s.tbf");
        const CliRun before = run("--dump " + quote(in));
        ASSERT_EQ(run("--convert " + quote(in) + " " + quote(saved)).code, 0);
        EXPECT_EQ(run("--dump " + quote(saved)).out, std::regex_replace(before.out, stroke, "\"arpeggio\":0"));
    }

    const std::string wav = dir.file("wah.wav");
    CliRun r = run("--render " + quote(std::string(FRETLARK_GP5_DATA) + "/Wah.gp5") + " " + quote(wav));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_GT(TempDir::read(wav).size(), 44u * 1000);

    // A damaged file is refused with the import message.
    const std::string cut = dir.file("cut.gp5");
    TempDir::write(cut, TempDir::read(demo).substr(0, 5000));
    CliRun bad = run("--dump " + quote(cut));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Un problème est survenu lors de l'ouverture de la partition"), std::string::npos);
}

TEST(Cli, FailuresExitOneWithTheMessage)
{
    TempDir dir;
    CliRun missing = run("--dump " + quote(dir.file("absent.tbf")));
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Impossible d'ouvrir le fichier"), std::string::npos);

    const std::string cut = dir.file("cut.tbf");
    TempDir::write(cut, TempDir::read(kExample).substr(0, 30));
    CliRun truncated = run("--dump " + quote(cut));
    EXPECT_EQ(truncated.code, 1);
    EXPECT_NE(truncated.err.find("Tentative d'accès à " + cut + " après sa fin."), std::string::npos);
    EXPECT_TRUE(truncated.out.empty());

    CliRun badTarget = run("--convert " + quote(kExample) + " " + quote(dir.file("none/x.tbf")));
    EXPECT_EQ(badTarget.code, 1);
    EXPECT_NE(badTarget.err.find("Impossible d'enregistrer"), std::string::npos);
}

TEST(Cli, RenderWritesAWavFileOrSaysWhy)
{
    TempDir dir;
    const std::string wav = dir.file("riff.wav");
    CliRun ok = run("--render " + quote(kExample) + " " + quote(wav) + " --from 2");
    ASSERT_EQ(ok.code, 0) << ok.err;
    const std::string bytes = TempDir::read(wav);
    ASSERT_GT(bytes.size(), 44u * 1000);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    // The same score rendered twice gives the same bytes.
    const std::string again = dir.file("again.wav");
    ASSERT_EQ(run("--render " + quote(kExample) + " " + quote(again) + " --from 2").code, 0);
    EXPECT_EQ(TempDir::read(again), bytes);

    CliRun badStart = run("--render " + quote(kExample) + " " + quote(wav) + " --from 99");
    EXPECT_EQ(badStart.code, 1);
    EXPECT_NE(badStart.err.find("Le numéro de la mesure de début est incorrect"), std::string::npos);
    EXPECT_EQ(run("--render " + quote(dir.file("absent.tbf")) + " " + quote(wav)).code, 1);
}

namespace {

// The pages the score's print takes on a paper size, as the core paginates them.
int expectedPages(const std::string& score, QPageSize::PageSizeId size)
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.OnOpenDocument(score);
    view::ViewState state;
    state.resetForNewScore();
    constexpr int kDpi = 1200; // QPrinter::HighResolution
    const QRect page = printing::pdfPageLayout(size).paintRectPixels(kDpi);
    return view::Pagination(doc, state, view::DeviceMetrics{true, page.width(), page.height(), kDpi, nullptr}).pageCount();
}

} // namespace

TEST(Cli, PrintWritesAPdfOfThePaginatedPages)
{
    TempDir dir;
    const std::string longScore = dir.file("long.tbf");
    {
        CTabDoc doc;
        factory::denseScore(doc, 2, 120, 8, 3);
        ASSERT_TRUE(doc.OnSaveDocument(longScore));
    }
    const struct {
        std::string score;
        std::string paper;
        std::string size;
        QPageSize::PageSizeId id;
    } cases[] = {
        {kExample, "", "(A4)", QPageSize::A4},
        {longScore, "--paper letter", "(letter)", QPageSize::Letter},
    };
    for (const auto& c : cases) {
        const std::string pdf = dir.file("out.pdf");
        // No display at all: the mode must not need one.
        CliRun r = run("--print " + quote(c.score) + " " + quote(pdf) + " " + c.paper, "-u DISPLAY -u QT_QPA_PLATFORM");
        ASSERT_EQ(r.code, 0) << r.err;
        const int pages = expectedPages(c.score, c.id);
        EXPECT_GE(pages, 1);
        EXPECT_EQ(pdfInfo(pdf, "Pages"), std::to_string(pages)) << c.score;
        EXPECT_NE(pdfInfo(pdf, "Page size").find(c.size), std::string::npos) << pdfInfo(pdf, "Page size");
        EXPECT_EQ(TempDir::read(pdf).substr(0, 5), "%PDF-");
    }
    EXPECT_GT(expectedPages(longScore, QPageSize::Letter), 2);

    // A failed print leaves the file it would have replaced as it was.
    const std::string kept = dir.file("kept.pdf");
    TempDir::write(kept, "previous");
    CliRun missing = run("--print " + quote(dir.file("absent.tbf")) + " " + quote(kept));
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(TempDir::read(kept), "previous");
    CliRun badTarget = run("--print " + quote(kExample) + " " + quote(dir.file("none/x.pdf")));
    EXPECT_EQ(badTarget.code, 1);
    EXPECT_NE(badTarget.err.find("Impossible d'enregistrer le fichier " + dir.file("none/x.pdf")), std::string::npos);
    EXPECT_EQ(run("--print " + quote(kExample) + " " + quote(kept) + " --paper a3").code, 2);
    EXPECT_EQ(run("--print " + quote(kExample)).code, 2);
}

TEST(Cli, UnknownOptionsExitTwoWithTheUsage)
{
    for (const std::string args : {"--prnt x.tbf", "-x", "--dump-all x.tbf", "x.tbf --zoom 3"}) {
        CliRun r = run(args, "-u DISPLAY QT_QPA_PLATFORM=offscreen");
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("Option inconnue"), std::string::npos) << args;
        EXPECT_NE(r.err.find("Utilisation : fretlark"), std::string::npos) << args;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(Cli, RenderTakesThePracticeOptions)
{
    TempDir dir;
    const std::string normal = dir.file("normal.wav");
    const std::string slow = dir.file("slow.wav");
    ASSERT_EQ(run("--render " + quote(kExample) + " " + quote(normal)).code, 0);
    CliRun r = run("--render " + quote(kExample) + " " + quote(slow) + " --speed 50 --count-in --metronome");
    ASSERT_EQ(r.code, 0) << r.err;
    // Half speed and one more measure: more than twice as long.
    EXPECT_GT(TempDir::read(slow).size(), 2 * TempDir::read(normal).size());

    CliRun bad = run("--render " + quote(kExample) + " " + quote(slow) + " --speed 300");
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("25 et 150"), std::string::npos);
}

namespace {

// Left channel of a 16-bit WAV file as written by FluidSynth (no bounds beyond the data).
std::vector<float> wavLeft(const std::string& bytes, int& rate, int& channels)
{
    std::vector<float> out;
    std::size_t p = 12;
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
    };
    while (p + 8 <= bytes.size()) {
        const std::string id = bytes.substr(p, 4);
        const std::uint32_t len = u32(p + 4);
        if (id == "fmt " && p + 24 <= bytes.size()) {
            channels = std::uint8_t(bytes[p + 10]);
            rate = static_cast<int>(u32(p + 12));
        } else if (id == "data") {
            const std::size_t end = std::min<std::size_t>(bytes.size(), p + 8 + len);
            for (std::size_t i = p + 8; i + 2 * static_cast<std::size_t>(channels) <= end; i += 2 * static_cast<std::size_t>(channels))
                out.push_back(static_cast<std::int16_t>(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8) / 32768.0f);
            break;
        }
        p += 8 + len + (len & 1);
    }
    return out;
}

} // namespace

TEST(Cli, MidiExportOfAGuitarProFileStartsOnTheRightNote)
{
    const std::string gp = std::string(FRETLARK_TESTDATA) + "/gp/Duration.gp3";
    // The first note as the score has it: its place in ticks and its key.
    CTabDoc doc;
    ScriptedPrompter quiet;
    doc.setPrompter(&quiet);
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnOpenDocument(gp));
    std::int64_t tick = 0;
    int key = -1;
    for (int m = 0; m < doc.measureCount && key < 0; ++m) {
        const CMesure& ms = doc.tracks[0][m];
        std::int64_t at = tick;
        for (int b = 0; b < ms.beatCount && key < 0; ++b) {
            const CAccord& beat = ms.beats[b];
            for (int s = 5; s >= 0 && !beat.isRest; --s)
                if (beat.notes[s].fret <= 24) {
                    key = 38 + doc.tuning[0][static_cast<std::size_t>(5 - s)] + beat.notes[s].fret + doc.capo[0];
                    break;
                }
            if (key < 0) {
                int units = (1 << (beat.durationCode & 7)) * (beat.isTriplet ? 2 : 3);
                if (beat.isDotted)
                    units += units / 2;
                at += units * 10;
            }
        }
        tick = key < 0 ? tick + ms.numerator * 1920 / ms.denominator : at;
    }
    ASSERT_GE(key, 0);

    TempDir dir;
    const std::string mid = dir.file("duration.mid");
    CliRun r = run("--export-midi " + quote(gp) + " " + quote(mid));
    ASSERT_EQ(r.code, 0) << r.err;
    const MidiFile f = MidiFile::read(mid);
    ASSERT_TRUE(f.ok);
    const auto notes = f.notes(1);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.front().on, tick);
    EXPECT_EQ(notes.front().key, key);

    // Through a synthesizer, when one is installed: the first sound at that time and pitch.
    const char* font = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 || !std::ifstream(font))
        GTEST_SKIP() << "FluidSynth is not installed: the file was checked by reading it back";
    const std::string wav = dir.file("duration.wav");
    const std::string cmd = "fluidsynth -ni -q -R 0 -C 0 -r 44100 -F " + quote(wav) + " " + quote(font) + " " + quote(mid) +
                            " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    int rate = 0, channels = 2;
    const std::vector<float> left = wavLeft(TempDir::read(wav), rate, channels);
    ASSERT_GT(rate, 0);
    std::size_t first = 0;
    while (first < left.size() && std::fabs(left[first]) < 0.002f)
        ++first;
    ASSERT_LT(first, left.size());
    EXPECT_NEAR(first * 1000.0 / rate, f.msAt(tick), 25);
    // Fundamental by autocorrelation over 80 ms, 30 ms into the note.
    const std::size_t start = first + static_cast<std::size_t>(rate * 30 / 1000);
    const std::size_t n = static_cast<std::size_t>(rate * 80 / 1000);
    double best = -1;
    std::size_t bestLag = 0;
    const double expectedHz = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    for (std::size_t lag = static_cast<std::size_t>(rate / (expectedHz * 1.5));
         lag <= static_cast<std::size_t>(rate / (expectedHz / 1.5)) && start + n + lag < left.size(); ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i)
            sum += left[start + i] * left[start + i + lag];
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    ASSERT_GT(bestLag, 0u);
    EXPECT_NEAR(12 * std::log2(rate / static_cast<double>(bestLag) / expectedHz), 0, 0.3);
}
