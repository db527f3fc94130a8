#include "ViewUnits.h"

#include "Glyphs.h"

#include <algorithm>

namespace view {

namespace {
// The single-precision third the unit arithmetic is defined with; it makes
// for example int(11 * thirdU) come out as 44 and not 43 when u is 12.
constexpr double kThird = 0.33333334;
} // namespace

int ViewUnits::advance(int durationCode) const
{
    return beatAdvance[static_cast<std::size_t>(std::clamp(durationCode, 0, 6))];
}

int fontPixels(int tenths, int dpi)
{
    return std::max(1, (tenths * dpi + 360) / 720);
}

ViewUnits computeUnits(const DeviceMetrics& device, int zoomPercent)
{
    ViewUnits v;
    v.paper = device.paper;
    const FontSizes& sizes = device.paper ? kPaperFontSizes : kScreenFontSizes;
    const int zoom = device.paper ? 100 : std::max(zoomPercent, 1);
    auto font = [&](FontFace face, int tenths) { return ViewFont{face, fontPixels(tenths * zoom / 100, device.dpi)}; };
    v.musicFont = font(FontFace::Music, sizes.music);
    v.largeMusicFont = font(FontFace::Music, sizes.largeMusic);
    v.smallTextFont = font(FontFace::Serif, sizes.smallText);
    v.boldTextFont = font(FontFace::SansBold, sizes.boldText);
    v.signatureFont = font(FontFace::Serif, sizes.signature);
    v.titleFont = font(FontFace::Sans, sizes.title);
    v.tinyFont = font(FontFace::Sans, sizes.tiny);

    if (device.paper) {
        v.u = std::max(1, (device.height * 10 / 9) / 100);
    } else {
        const double cell = device.fonts ? device.fonts->cellHeight(v.smallTextFont) : v.smallTextFont.pixelSize * 1.1;
        v.u = std::max(1, truncToInt(cell));
    }
    v.thirdU = v.u * kThird;
    v.f = v.thirdU * 0.25;
    v.sixthU = v.thirdU * 0.5;
    v.twoThirdsU = v.thirdU * 2;
    v.halfU = v.u * 0.5;
    v.twoU = v.u * 2;
    v.systemPitch = 11 * v.u;
    if (device.paper)
        v.charWidth = truncToInt((device.width - v.f) / 230);
    else
        v.charWidth = device.fonts ? device.fonts->averageCharWidth(v.smallTextFont) : v.smallTextFont.pixelSize * 0.5;
    v.glyphWidth = glyphs::advance(glyphs::kWaveWidth) * v.musicFont.pixelSize;

    v.pageRect = {0, 0, device.width, device.height};
    if (device.paper) {
        const int margin = truncToInt(50 * v.f);
        v.drawRect = {0, margin, device.width, device.height - margin};
    } else {
        v.drawRect = {10, 5, device.width - 10, device.height - 5};
    }
    v.linesPerPage = std::max(0, truncToInt(v.drawRect.height() / v.systemPitch));

    v.pen1 = truncToInt(v.f);
    v.pen2 = truncToInt(2 * v.f);
    v.pen3 = truncToInt(3 * v.f);
    v.pen4 = truncToInt(4 * v.f);
    v.pen6 = truncToInt(6 * v.f);

    const double g = 4 * v.twoThirdsU;
    const double f = v.f;
    const std::array<double, 7> screen = {g - 16 * f, g - 10 * f, g, g + v.sixthU, g + 4 * f, g + 8 * f, g + 16 * f};
    const std::array<double, 7> paper = {g - 19 * f, g - 13 * f, g - 8 * f, g - 4 * f, g, g + v.sixthU, g + 4 * f};
    const auto& table = device.paper ? paper : screen;
    for (std::size_t i = 0; i < 7; ++i)
        v.beatAdvance[i] = std::max(1, truncToInt(table[i]));
    return v;
}

} // namespace view
