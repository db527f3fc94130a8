// How notes last and end, measured on rendered scores: a final chord rings
// out, strings left ringing and held notes sustain without steps or new
// attacks, and a rest damps what rings.
#include "SoundCheckSupport.h"

namespace {
const std::string kBuild = FRETLARK_BUILD_DIR;
} // namespace

TEST(RingOut, TheLastChordRingsOutAndTheFileEndsWhenItIsInaudible)
{
    expectWithin(soundcheck::lastChordFigures(kBuild), {
                                                           {"change across the end", -3, 3},
                                                           {"ring-out", 300, 4000},
                                                           {"level where the file ends", -kAny, -60},
                                                           // a fade of a few hundred ms, no stop
                                                           {"largest drop within 30 ms in the ring-out", 0, 12},
                                                           {"overfull measure: change across the end", -3, 3},
                                                       });
}

TEST(RingOut, AStringLeftRingingKeepsSoundingUnderAMelody)
{
    const auto figures = soundcheck::letRingFigures(kBuild);
    expectWithin(figures, {
                              {"largest drop within 30 ms of the ringing string", 0, 12},
                              {"its level 2.4 s after the strike", -60, 0},
                              {"its level 3.4 s after the strike", -66, 0},
                          });
    // It decays, never swells.
    EXPECT_LT(soundcheck::figure(figures, "its level 2.4 s after the strike"),
              soundcheck::figure(figures, "its level 1.4 s after the strike"));
}

TEST(RingOut, HeldNotesAndChordsDecaySmoothlyWithOneOnset)
{
    expectWithin(soundcheck::heldNoteFigures(kBuild), {
                                                          {"held note: largest rise after the attack", -kAny, 1},
                                                          {"held note: onsets", 1, 1},
                                                          {"held chord: largest rise after the attack", -kAny, 1},
                                                          {"held chord: onsets", 1, 1},
                                                      });
}

TEST(RingOut, ARestDampsTheChordSmoothlyWithin100ms)
{
    expectWithin(soundcheck::restFigures(kBuild), {
                                                      {"drop 100 ms into the rest", 40, kAny},
                                                      // a hand, not a click
                                                      {"damping fade (-3 to -30 dB)", 8, 100},
                                                      {"level 1.5 s into the rest", -kAny, -80},
                                                  });
}
