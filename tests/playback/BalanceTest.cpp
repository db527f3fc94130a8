// The balance of the bank and the headroom of the mix, measured on rendered
// scores: drums, bass and guitar sit together, and dense mixes stay clear of
// the output limiter.
#include "SoundCheckSupport.h"

#include "CTabDoc.h"
#include "SoftLimiter.h"

namespace {
const std::string kBuild = FRETLARK_BUILD_DIR;
} // namespace

TEST(Balance, DrumsBassAndGuitarAreEquallyLoud)
{
    expectWithin(soundcheck::balanceFigures(kBuild), {
                                                         {"loudness spread", 0, 3},
                                                         {"highest peak", -kAny, -1},
                                                     });
}

TEST(Balance, EightStrummingTracksDuckByLessThanADecibel)
{
    expectWithin(soundcheck::denseMixFigures(kBuild), {{"largest ducking", -kAny, 1}});
}

TEST(Balance, TheBandExampleNeverReachesTheLimiter)
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.OnOpenDocument(std::string(FRETLARK_SOURCE_DIR) + "/examples/groupe.tbf");
    ASSERT_FALSE(doc.lastOpenFailed());
    bool ok = false;
    const soundcheck::Audio a = soundcheck::render(doc, kBuild, 4000, &ok);
    ASSERT_TRUE(ok);
    EXPECT_LT(soundcheck::peakDb(a), soundcheck::toDb(sound::SoftLimiter::kThreshold));
}
