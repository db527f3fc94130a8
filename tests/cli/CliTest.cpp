#include "CTabDoc.h"
#include "Pagination.h"
#include "PdfInfo.h"
#include "ScoreFactory.h"
#include "PrintJob.h"
#include "TempDir.h"

#include <QRect>

#include <array>
#include <cstdio>
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
