// Damaged Guitar Pro files: truncated and mutated copies of the sample files
// must either import into a usable score or fail with the two failures the
// document turns into its message; never anything else (an index out of
// range, a crash, a hang, a leak: the sanitizer build runs this too).

#include "ByteReader.h"
#include "CTabDoc.h"
#include "GpFileBuilder.h"
#include "GpImporter.h"
#include "GpScoreChecks.h"
#include "TbfFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

#ifdef FRETLARK_SANITIZED
constexpr int kMutationsPerFile = 1000;
#else
constexpr int kMutationsPerFile = 3000;
#endif

const char* const kSamples[] = {"Chords.gp3", "Chords.gp4", "Duration.gp3", "Effects.gp3", "Effects.gp4",
                                "Harmonics.gp3", "Harmonics.gp4", "Key.gp4", "Measure-Header.gp3",
                                "Measure-Header.gp4", "Repeat.gp4", "Slides.gp4", "Strokes.gp4", "Vibrato.gp4",
                                "Chords.gp5", "Demo-v5.gp5", "Directions.gp5", "Effects.gp5", "Harmonics.gp5",
                                "Key.gp5", "Measure-Header.gp5", "No-Wah.gp5", "RSE.gp5", "Repeat.gp5",
                                "Slides.gp5", "Strokes.gp5", "Tie.gp5", "Voices.gp5", "Wah.gp5"};

// A built file with what the samples lack: several tracks, a bass, drums,
// ties, empty bars, marks carried across bars, a second voice taken in.
std::string builtSample(int version)
{
    GpFileBuilder f(version);
    f.headers.resize(3);
    f.headers[0].numerator = 3;
    f.headers[0].denominator = 4;
    f.headers[1].repeatStart = true;
    f.headers[2].repeatCount = 2;
    GpTrack bass;
    bass.strings = 4;
    bass.tuning = {43, 38, 33, 28, 0, 0, 0};
    GpTrack drums;
    drums.tuning = {0, 0, 0, 0, 0, 0, 0};
    drums.channel = 10;
    f.tracks = {GpTrack{}, bass, drums};
    for (int m = 0; m < 3; ++m) {
        std::vector<GpBeat> guitar = GpFileBuilder::quarters(3, 2, 5 + m);
        guitar[0].notes[0].type = m == 0 ? 1 : 2;
        guitar[1].notes[0].effects = version == 3 ? std::string("\x02", 1) : std::string("\x02\x02", 2);
        f.bodies.push_back(guitar);
        f.bodies.push_back(m == 1 ? std::vector<GpBeat>{} : GpFileBuilder::quarters(3, 4, 3));
        f.bodies.push_back(GpFileBuilder::quarters(3, 1, 36 + m));
    }
    if (version >= 5) {
        // The bass's empty bar has its notes in the second voice.
        f.secondVoices.resize(5);
        f.secondVoices[4] = GpFileBuilder::quarters(3, 2, 7);
        f.secondVoices[4][1].notes[0].type = 2;
    }
    return f.bytes();
}

std::vector<std::string> corpus()
{
    std::vector<std::string> files;
    for (const char* name : kSamples)
        files.push_back(dataFile(name));
    for (int version : {3, 4, 5, 500})
        files.push_back(builtSample(version));
    return files;
}

// Imports the bytes; a built score must be usable and survive the native
// writer and reader unchanged.
void importAndCheck(const std::string& bytes, int* builtCount = nullptr)
{
    CTabDoc doc;
    bool ok = false;
    try {
        ok = gp::importScore(doc, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } catch (const EndOfData&) {
        return;
    } catch (const GpDamaged&) {
        return;
    }
    if (!ok)
        return;
    if (builtCount)
        ++*builtCount;
    expectUsableScore(doc);
    std::string written;
    ASSERT_NO_THROW(written = tbf::write(doc));
    CTabDoc reread;
    ASSERT_NO_THROW(tbf::read(reread, reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
    EXPECT_EQ(tbf::write(reread), written);
}

std::string mutate(const std::string& original, std::mt19937& rng)
{
    std::string s = original;
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    // Past the version text mostly, so most mutants reach the deeper fields.
    auto position = [&]() { return pick(4) == 0 ? pick(s.size()) : 31 + pick(s.size() - 31); };
    const int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits && s.size() > 40; ++e) {
        switch (pick(5)) {
        case 0: // flip bits
            s[position()] ^= static_cast<char>(1 + pick(255));
            break;
        case 1: { // an extreme 32-bit value
            static const std::uint32_t extremes[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x100u, 255, 7};
            const std::uint32_t v = extremes[pick(std::size(extremes))];
            const std::size_t at = std::min(position(), s.size() - 4);
            for (int i = 0; i < 4; ++i)
                s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
            break;
        }
        case 2: // drop a span
            s.erase(position(), 1 + pick(16));
            break;
        case 3: { // repeat a span
            const std::size_t at = position();
            s.insert(at, s.substr(at, 1 + pick(32)));
            break;
        }
        default: // cut the end
            s.resize(position());
            break;
        }
    }
    return s;
}

} // namespace

TEST(GpFuzz, EveryTruncationFailsCleanlyOrKeepsWholeBars)
{
    for (const std::string& file : corpus()) {
        for (std::size_t n = 0; n < file.size(); ++n) {
            SCOPED_TRACE(n);
            importAndCheck(file.substr(0, n));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(GpFuzz, MutatedFilesNeverBreakTheImporter)
{
    std::mt19937 rng(20240611);
    int imported = 0;
    for (const std::string& file : corpus()) {
        for (int i = 0; i < kMutationsPerFile; ++i) {
            const std::string mutant = mutate(file, rng);
            importAndCheck(mutant, &imported);
            if (HasFatalFailure()) {
                ADD_FAILURE() << "mutant " << i << " of a " << file.size() << "-byte file";
                return;
            }
        }
    }
    // The mutations must not all be rejected early, or they test nothing deep.
    EXPECT_GT(imported, kMutationsPerFile * 2);
}
