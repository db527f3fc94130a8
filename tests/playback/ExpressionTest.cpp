// Playing techniques as a listener hears them, measured on rendered scores:
// vibrato swings around the written pitch, legato notes are softer and
// darker than picked ones, palm-muted notes are short and dull.
#include "SoundCheckSupport.h"

namespace {
const std::string kBuild = FRETLARK_BUILD_DIR;
} // namespace

TEST(Expression, VibratoSwingsAroundTheWrittenPitchForTheWholeNote)
{
    const auto figures = soundcheck::vibratoFigures(kBuild);
    for (const std::string kind : {"vibrato", "tremolo bar"})
        expectWithin(figures, {
                                  {kind + ": mean offset", -10, 10},
                                  {kind + ": half swing", 35, 60}, // 50 cents each way
                                  {kind + ": longest still stretch", 0, 100},
                              });
}

TEST(Expression, LegatoNotesAreSofterAndDarkerThanPickedOnes)
{
    const auto figures = soundcheck::legatoFigures(kBuild);
    for (const std::string kind : {"hammer-on", "pull-off", "slide up", "slide down"})
        expectWithin(figures, {
                                  {kind + ": jump below picked", 6, kAny},
                                  {kind + ": treble below picked", 10, kAny},
                              });
}

TEST(Expression, PalmMutedNotesAreShortAndDullOnEveryGuitarAndTheBass)
{
    const auto figures = soundcheck::palmMuteFigures(kBuild);
    for (const std::string instrument : {"folk", "clean", "distorted", "classical", "bass"}) {
        expectWithin(figures, {
                                  {instrument + ": muted, 150 ms after the attack", -kAny, -12},
                                  {instrument + ": treble below the open note", 6, kAny},
                              });
        // The open note itself still rings.
        EXPECT_GT(soundcheck::figure(figures, instrument + ": open, 150 ms after the attack"), -6) << instrument;
    }
}
