#include "Backgrounds.h"
#include "Glyphs.h"
#include "ViewImages.h"
#include "ViewUnits.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace view;

namespace {
struct Box {
    double left, top, right, bottom;
};
Box bounds(int code)
{
    Box b{};
    glyphs::outline(code)->bounds(b.left, b.top, b.right, b.bottom);
    return b;
}
} // namespace

TEST(Glyphs, EveryCodeTheDrawingUsesHasAnOutline)
{
    int count = 0;
    const int* codes = glyphs::outlineCodes(count);
    ASSERT_GE(count, 14);
    for (int i = 0; i < count; ++i) {
        const Path* p = glyphs::outline(codes[i]);
        ASSERT_NE(p, nullptr) << codes[i];
        const Box b = bounds(codes[i]);
        EXPECT_GT(b.right - b.left, 0.03) << codes[i];
        EXPECT_GT(b.bottom - b.top, 0.03) << codes[i];
        EXPECT_LT(std::max({std::abs(b.left), std::abs(b.right), std::abs(b.top), std::abs(b.bottom)}), 1.0) << codes[i];
        EXPECT_GT(glyphs::advance(codes[i]), 0) << codes[i];
    }
    for (int d = '0'; d <= '9'; ++d) {
        EXPECT_EQ(glyphs::outline(d), nullptr); // drawn from a bold sans face
        EXPECT_GT(glyphs::advance(d), 0.2);
    }
    EXPECT_EQ(glyphs::outline('A'), nullptr);
}

TEST(Glyphs, VibratoWavesJoinWhenSetOneAdvanceApart)
{
    EXPECT_DOUBLE_EQ(glyphs::advance(glyphs::kWaveWidth), glyphs::advance(glyphs::kVibratoWave));
    const Box b = bounds(glyphs::kVibratoWave);
    const double w = glyphs::advance(glyphs::kVibratoWave);
    // The stroke covers its whole advance and barely more.
    EXPECT_LE(b.left, -w / 2);
    EXPECT_GE(b.right, w / 2);
    EXPECT_LT(b.right - b.left, w * 1.35);
    EXPECT_LT(b.bottom, 0.05); // above the baseline it is written on
}

TEST(Glyphs, FlagsMeetTheStemEndAtScreenSize)
{
    // Zoom 100: u = 12, the music font is 21 px; the flag glyph is written
    // int(thirdU) right of the stem and 5 thirds of u above its lower end.
    DeviceMetrics d;
    d.width = 1000;
    d.height = 700;
    const ViewUnits units = computeUnits(d, 100);
    const double em = units.musicFont.pixelSize;
    for (int code : {glyphs::kFlag, glyphs::kDoubleFlag}) {
        const Box b = bounds(code);
        EXPECT_NEAR(b.left * em, -truncToInt(units.thirdU), 1.2) << code;
        EXPECT_NEAR(b.bottom * em, 5 * units.thirdU, 1.5) << code;
    }
}

TEST(Glyphs, RestsStayInsideTheStaff)
{
    // Large music font at zoom 100 is 45 px and u is 12: each rest, written
    // 2u + |3 - code| thirds below the staff top, must lie between the
    // second and fifth staff lines.
    const double em = 45, u = 12;
    const int codes[] = {glyphs::kRest64, glyphs::kRest32, glyphs::kRest16, glyphs::kRest8, glyphs::kRestQuarter};
    for (int code = 0; code <= 4; ++code) {
        const double ref = 2 * u + std::abs(3 - code) * u / 3;
        const Box b = bounds(codes[code]);
        EXPECT_GT(ref + b.top * em, 0.4 * u) << code;
        EXPECT_LT(ref + b.bottom * em, 4.8 * u) << code;
        const double centre = ref + (b.top + b.bottom) / 2 * em;
        EXPECT_NEAR(centre, 2.5 * u, 0.6 * u) << code;
    }
}

TEST(Images, BackgroundsAreTexturesAroundTheirPlainColour)
{
    for (int i = 0; i < 5; ++i) {
        const RgbaImage img = makeImage(backgroundImage(i));
        ASSERT_EQ(img.width, 965);
        ASSERT_EQ(img.height, 725);
        double sum[3] = {0, 0, 0}, sq = 0;
        for (std::uint32_t p : img.pixels) {
            const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
            sq += double(g) * g;
            ASSERT_EQ(p >> 24, 255u);
        }
        const double n = static_cast<double>(img.pixels.size());
        const Color plain = backgroundPlainColor(i);
        EXPECT_NEAR(sum[0] / n, plain.r, 5) << i;
        EXPECT_NEAR(sum[1] / n, plain.g, 5) << i;
        EXPECT_NEAR(sum[2] / n, plain.b, 5) << i;
        const double mean = sum[1] / n;
        EXPECT_GT(std::sqrt(sq / n - mean * mean), 0.5) << i; // not a flat fill
        EXPECT_LT(std::sqrt(sq / n - mean * mean), 8) << i;   // quiet enough to read over
    }
    EXPECT_EQ(makeImage(ImageId::Background2).pixels, makeImage(ImageId::Background2).pixels);
    EXPECT_NE(makeImage(ImageId::Background0).pixels, makeImage(ImageId::Background4).pixels);
}

TEST(Images, InstrumentChangeMarkIsASmallTag)
{
    const RgbaImage img = makeImage(ImageId::InstrumentChange);
    ASSERT_EQ(img.width, 48);
    ASSERT_EQ(img.height, 18);
    EXPECT_LT(img.at(0, 0) >> 24, 64u);   // rounded corner
    EXPECT_EQ(img.at(24, 9) >> 24, 255u); // solid inside
    EXPECT_EQ(kBackgrounds[2].menuText, "Fond Bleu");
    EXPECT_EQ(kBackgrounds[4].command, 32888);
}
