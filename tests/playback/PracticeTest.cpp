// Count-in, metronome, speed and loop range on the fake clock.
#include "PlayHarness.h"

#include <gtest/gtest.h>

#include <string>

#include <cmath>
#include <functional>
#include <random>

namespace {

using Kind = RecordingEngine::Kind;
constexpr int kClick = ISoundEngine::kMetronomeSlot;

bool play(PlayHarness& h, const PlaybackPass::Practice& practice, bool loop = false, int measure = 0)
{
    h.engine.now = 0;
    PlaybackPass::Start s;
    s.measure = measure;
    s.loopPlay = loop;
    s.practice = practice;
    return h.pass.start(s, 0);
}

// Clicks as (time, accented).
std::vector<std::pair<double, bool>> clicks(const RecordingEngine& e)
{
    std::vector<std::pair<double, bool>> out;
    for (const auto& ev : e.starts())
        if (ev.slot == kClick)
            out.emplace_back(ev.t, ev.index == ISoundEngine::kClickAccent);
    return out;
}

// Note starts of the score (not the clicks) as (time, sample).
std::vector<std::pair<double, int>> notes(const RecordingEngine& e)
{
    std::vector<std::pair<double, int>> out;
    for (const auto& ev : e.starts())
        if (ev.slot != kClick)
            out.emplace_back(ev.t, ev.index);
    return out;
}

// A track of quarters, each note one fret higher, over `measures` measures.
void quarters(PlayHarness& h, int measures, int tempo, int numerator = 4, int denominator = 4)
{
    h.shape(1, measures, tempo, numerator, denominator);
    int fret = 0;
    for (int m = 0; m < measures; ++m)
        for (int b = 0; b < numerator * 4 / denominator; ++b)
            h.add(0, m, 4).notes[0].fret = fret++ % 20;
}

} // namespace

TEST(Practice, CountInAddsExactlyOneMeasure)
{
    struct Case {
        int tempo, numerator, denominator;
        double musicAt;
        std::vector<double> clickTimes;
    };
    const std::vector<Case> cases = {
        {120, 4, 4, 2000, {0, 500, 1000, 1500}},
        {120, 6, 8, 1500, {0, 250, 500, 750, 1000, 1250}},
        {60, 3, 4, 3000, {0, 1000, 2000}},
        {90, 2, 2, 2666.67, {0, 1333.33}},
    };
    for (const Case& c : cases) {
        PlayHarness h;
        h.shape(1, 1, c.tempo, c.numerator, c.denominator);
        h.add(0, 0, 3).notes[0].fret = 5;
        PlaybackPass::Practice p;
        p.countIn = true;
        ASSERT_TRUE(play(h, p));
        h.runToEnd();
        const auto n = notes(h.engine);
        ASSERT_EQ(n.size(), 1u);
        EXPECT_NEAR(n[0].first, c.musicAt, 1.0) << c.numerator << "/" << c.denominator;
        const auto k = clicks(h.engine);
        ASSERT_EQ(k.size(), c.clickTimes.size());
        for (std::size_t i = 0; i < k.size(); ++i) {
            EXPECT_NEAR(k[i].first, c.clickTimes[i], 1.0);
            EXPECT_EQ(k[i].second, i == 0) << "only the first beat is accented";
        }
    }
}

TEST(Practice, MetronomeFollowsTempoChangesAndRepeats)
{
    // 4/4 at 120, then a 3/4 measure at 60 played twice, then 2/4 at 120.
    PlayHarness h;
    h.shape(1, 3, 120);
    h.doc.tracks[0][1].tempo = 60;
    h.doc.tracks[0][1].numerator = 3;
    h.doc.tracks[0][1].flags |= model::kFlagRepeatStart | model::kFlagRepeatEnd | (1 << 5);
    h.doc.tracks[0][2].numerator = 2;
    for (int m = 0; m < 3; ++m)
        h.add(0, m, 2).notes[0].fret = m;
    PlaybackPass::Practice p;
    p.metronome = true;
    ASSERT_TRUE(play(h, p));
    h.runToEnd();
    const std::vector<std::pair<double, bool>> expected = {
        {0, true},     {500, false},  {1000, false}, {1500, false}, {2000, true},  {3000, false},
        {4000, false}, {5000, true},  {6000, false}, {7000, false}, {8000, true},  {8500, false},
    };
    EXPECT_EQ(clicks(h.engine), expected);
}

TEST(Practice, MetronomeSwitchedOnMidMeasureClicksFromTheNextBeat)
{
    PlayHarness h;
    quarters(h, 2, 120);
    ASSERT_TRUE(play(h, {}));
    h.runUntil(700);
    PlaybackPass::Practice p;
    p.metronome = true;
    h.pass.setPractice(p, h.engine.now);
    h.runToEnd();
    const std::vector<std::pair<double, bool>> expected = {{1000, false}, {1500, false}, {2000, true},
                                                           {2500, false}, {3000, false}, {3500, false}};
    EXPECT_EQ(clicks(h.engine), expected);
}

TEST(Practice, SlowerSpeedStretchesEveryOnsetAndKeepsPitches)
{
    // Random rhythms and frets, played at 100 % and at 50 %.
    std::mt19937 random(1234);
    for (int round = 0; round < 5; ++round) {
        PlayHarness fast, slow;
        for (PlayHarness* h : {&fast, &slow})
            h->shape(1, 3, 60 + 20 * round);
        for (int m = 0; m < 3; ++m) {
            int units = 0;
            while (units < 64) {
                const int code = std::uniform_int_distribution<int>(2, 5)(random);
                if (units + (1 << code) > 64)
                    break;
                units += 1 << code;
                const int fret = std::uniform_int_distribution<int>(0, 15)(random);
                const int string = std::uniform_int_distribution<int>(0, 5)(random);
                for (PlayHarness* h : {&fast, &slow})
                    h->add(0, m, code).notes[string].fret = fret;
            }
        }
        PlaybackPass::Practice half;
        half.speedPercent = 50;
        ASSERT_TRUE(play(fast, {}));
        ASSERT_TRUE(play(slow, half));
        fast.runToEnd();
        slow.runToEnd();
        const auto a = notes(fast.engine);
        const auto b = notes(slow.engine);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_FALSE(a.empty());
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_NEAR(b[i].first, 2 * a[i].first, 1.0) << "note " << i;
            EXPECT_EQ(b[i].second, a[i].second) << "note " << i;
        }
        // The samples keep their own rate: the beat clock is what slows.
        for (const auto& e : slow.engine.of(Kind::Frequency))
            EXPECT_EQ(e.value, 22050);
    }
}

TEST(Practice, LoopRangeRestartsWithoutAGap)
{
    struct Case {
        bool countIn;
        bool trainer;
        int speed;
        // Start of each of the three passes (ms).
        std::vector<double> passStarts;
    };
    // Two measures of 4/4 at 120: 4 s a pass at full speed.
    const std::vector<Case> cases = {
        {false, false, 100, {0, 4000, 8000}},
        {true, false, 100, {2000, 8000, 14000}},
        {false, true, 80, {0, 5000, 5000 + 4000 / 0.85}},
        {false, true, 100, {0, 4000, 8000}},
    };
    for (const Case& c : cases) {
        PlayHarness h;
        quarters(h, 4, 120);
        PlaybackPass::Practice p;
        p.loopFirst = 1;
        p.loopLast = 2;
        p.countIn = c.countIn;
        p.speedTrainer = c.trainer;
        p.speedPercent = c.speed;
        ASSERT_TRUE(play(h, p, true, 3));
        const int lastSpeed = std::min(100, c.speed + (c.trainer ? 10 : 0));
        h.runUntil(c.passStarts.back() + 7.5 * 500 * 100 / lastSpeed); // the third pass, all its beats
        const auto n = notes(h.engine);
        ASSERT_GE(n.size(), 17u);
        // Measures 1 and 2 hold frets 4..11; every pass plays exactly those.
        for (std::size_t pass = 0; pass < 3; ++pass) {
            const double start = c.passStarts[pass];
            const double beat = 500.0 * 100 / std::min(100, c.speed + (c.trainer ? 5 * static_cast<int>(pass) : 0));
            for (std::size_t b = 0; b < 8; ++b) {
                const auto& [t, sample] = n[pass * 8 + b];
                EXPECT_NEAR(t, start + static_cast<double>(b) * beat, 1.0) << "pass " << pass << " beat " << b;
                EXPECT_EQ(sample, n[b].second);
            }
        }
        EXPECT_EQ(n[0].second, n[8].second);
        // Two restarts so far.
        EXPECT_EQ(h.pass.speedPercent(), c.trainer ? std::min(100, c.speed + 10) : c.speed);
    }
}

TEST(Practice, RepeatsInsideTheLoopRangeAreHonoured)
{
    // Range 1..2 with measure 2 repeating itself once: 1, 2, 2, 1, 2, 2 ...
    PlayHarness h;
    quarters(h, 4, 120);
    h.doc.tracks[0][2].flags |= model::kFlagRepeatStart | model::kFlagRepeatEnd | (1 << 5);
    PlaybackPass::Practice p;
    p.loopFirst = 1;
    p.loopLast = 2;
    ASSERT_TRUE(play(h, p, true));
    std::vector<int> order;
    for (int ms = 0; ms < 6 * 2000; ms += 2000) {
        h.runUntil(ms + 10);
        order.push_back(h.pass.measureIndex());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 2, 1, 2, 2}));
}

TEST(Practice, AnEndMeasureStopsThePerformance)
{
    PlayHarness h;
    quarters(h, 4, 120);
    PlaybackPass::Start s;
    s.measure = 1;
    s.endMeasure = 2;
    ASSERT_TRUE(h.pass.start(s, 0));
    h.runToEnd();
    EXPECT_EQ(notes(h.engine).size(), 8u);
    EXPECT_TRUE(h.pass.endedByItself());
}

TEST(Practice, BeatTiedArticulationStretchesWithTheSpeed)
{
    // When a bend, a vibrato and a slide reach their marks, at full and half speed.
    struct Case {
        const char* what;
        std::function<void(PlayHarness&)> write;
        std::function<bool(const RecordingEngine::Event&)> reached;
    };
    const int bent = static_cast<int>(std::lround(articulation::ratio(2) * 22050));
    const std::vector<Case> cases = {
        {"bend",
         [](PlayHarness& h) {
             CNote& n = h.add(0, 0, 4).notes[2];
             n.fret = 7;
             n.bend = 2 * 16 + model::kBendBend;
         },
         [bent](const RecordingEngine::Event& e) { return e.value >= bent - 1; }},
        {"vibrato",
         [](PlayHarness& h) {
             CNote& n = h.add(0, 0, 5).notes[2];
             n.fret = 7;
             n.vibrato = model::kVibratoLeftHand;
         },
         [](const RecordingEngine::Event& e) { return e.value > 22050; }},
        {"slide",
         [](PlayHarness& h) {
             h.add(0, 0, 5).notes[2].fret = 5;
             CNote& n = h.add(0, 0, 5).notes[2];
             n.fret = 7;
             n.technique = model::kSlideUp;
         },
         [](const RecordingEngine::Event& e) { return e.value > 22050; }},
    };
    for (const Case& c : cases) {
        double at[2] = {-1, -1};
        for (int i = 0; i < 2; ++i) {
            PlayHarness h;
            h.shape(1, 1, 120);
            c.write(h);
            PlaybackPass::Practice p;
            p.speedPercent = i == 0 ? 100 : 50;
            ASSERT_TRUE(play(h, p));
            h.runToEnd();
            for (const auto& e : h.engine.of(Kind::Frequency))
                if (c.reached(e)) {
                    at[i] = e.t;
                    break;
                }
        }
        ASSERT_GT(at[0], 0) << c.what;
        // The vibrato's delay stretches but its wobble keeps its own period,
        // so its first sharp moment lands up to a quarter period off.
        const double slack = std::string(c.what) == "vibrato" ? 60 : 25;
        EXPECT_NEAR(at[1], 2 * at[0], slack) << c.what;
    }
}
