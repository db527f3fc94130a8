// Track volumes, pan, solo and mute as the two mixer windows change them.
#include "CTabDoc.h"
#include "TrackMixer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

// Answers like the dialog would after the user moved its sliders.
class ScriptedVolumes : public edit::VolumeDialog {
public:
    std::function<void(edit::TrackVolumes&)> moves;
    bool ok = true;
    edit::VolumeRows shown;

    std::optional<edit::TrackVolumes> askVolumes(const edit::VolumeRows& rows) override
    {
        shown = rows;
        edit::TrackVolumes copy = rows.volumes;
        if (moves)
            moves(copy);
        return ok ? std::optional(copy) : std::nullopt;
    }
};

CTabDoc score(int tracks)
{
    CTabDoc doc;
    doc.OnNewDocument();
    doc.trackCount = tracks;
    for (int t = 0; t < tracks; ++t) {
        doc.trackNames[static_cast<std::size_t>(t)] = "Guitare " + std::to_string(t + 1);
        doc.volume[static_cast<std::size_t>(t)] = 100 - 10 * t;
    }
    doc.isSaved = 1;
    return doc;
}

} // namespace

TEST(TrackMixer, VolumeDialogRowsFollowTheTracks)
{
    CTabDoc doc = score(3);
    doc.trackNames[1] = "";
    edit::TrackMixer mixer(doc);
    ScriptedVolumes dialog;
    dialog.ok = false;
    mixer.runVolumeDialog(dialog, 2);
    EXPECT_EQ(dialog.shown.count, 3);
    EXPECT_EQ(dialog.shown.marked, 2);
    EXPECT_EQ(dialog.shown.labels[0], " Guitare 1");
    EXPECT_EQ(dialog.shown.labels[1], " ") << "an empty name leaves the row's text empty";
    EXPECT_EQ(dialog.shown.volumes[2], 80);
}

TEST(TrackMixer, CancelKeepsEveryVolumeAndOkTakesThemAll)
{
    CTabDoc doc = score(3);
    const auto before = doc.volume;
    edit::TrackMixer mixer(doc);
    ScriptedVolumes dialog;
    dialog.moves = [](edit::TrackVolumes& v) {
        v[0] = 0;
        v[2] = 55;
    };
    dialog.ok = false;
    EXPECT_FALSE(mixer.runVolumeDialog(dialog, 0));
    EXPECT_EQ(doc.volume, before);
    EXPECT_EQ(doc.isSaved, 1);

    dialog.ok = true;
    EXPECT_TRUE(mixer.runVolumeDialog(dialog, 0));
    EXPECT_EQ(doc.volume[0], 0);
    EXPECT_EQ(doc.volume[1], 90);
    EXPECT_EQ(doc.volume[2], 55);
    EXPECT_EQ(doc.isSaved, 0);

    // Out of range answers are held to 0..100.
    dialog.moves = [](edit::TrackVolumes& v) { v[1] = 400; };
    mixer.runVolumeDialog(dialog, 0);
    EXPECT_EQ(doc.volume[1], 100);
}

TEST(TrackMixer, PopUpChangesGoStraightToTheScoreAndMarkItModified)
{
    CTabDoc doc = score(3);
    edit::TrackMixer mixer(doc);
    std::mt19937 random(64);
    for (int round = 0; round < 300; ++round) {
        const int t = std::uniform_int_distribution<int>(-1, 3)(random);
        const int value = std::uniform_int_distribution<int>(-20, 120)(random);
        const bool on = value % 2 == 0;
        const int before = doc.soloTrack;
        doc.isSaved = 1;
        switch (round % 4) {
        case 0: mixer.setVolume(t, value); break;
        case 1: mixer.setPan(t, value); break;
        case 2: mixer.setSolo(t, on); break;
        default: mixer.setMute(t, on); break;
        }
        if (t < 0 || t >= 3) {
            EXPECT_EQ(doc.isSaved, 1) << "no such track: nothing changes";
            continue;
        }
        EXPECT_EQ(doc.isSaved, 0);
        const edit::TrackMixer::Strip s = mixer.strip(t);
        switch (round % 4) {
        case 0: EXPECT_EQ(s.volume, std::clamp(value, 0, 100)); break;
        case 1: EXPECT_EQ(s.pan, std::clamp(value, 0, 100)); break;
        case 2:
            // Solo on replaces any other; off clears only this track's.
            EXPECT_EQ(doc.soloTrack, on ? t + 1 : (before == t + 1 ? 0 : before));
            EXPECT_EQ(s.solo, on);
            break;
        default: EXPECT_EQ(s.mute, on); break;
        }
    }
}
