#pragma once

#include "Canvas.h"

#include <array>

namespace view {

// What the layout needs to know about the device it lays out for.
struct DeviceMetrics {
    bool paper = false;
    // Screen: the client area. Paper: the printable page. Device units.
    int width = 0;
    int height = 0;
    // Vertical resolution, dots per inch; sizes the fonts.
    int dpi = 96;
    // Measures the screen fonts; not needed on paper.
    const FontMetrics* fonts = nullptr;
};

// Truncation toward zero, the rounding every drawing rule uses.
inline int truncToInt(double v)
{
    return static_cast<int>(v);
}

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    constexpr bool operator==(const Rect&) const = default;
};

// The drawing units, fonts and pen widths of one device at one zoom.
// Everything the score drawing places is a multiple of u (lineSpacing) and
// f (penUnit).
struct ViewUnits {
    bool paper = false;
    double u = 12;          // lineSpacing: between two string lines
    double f = 1;           // penUnit: width of the thinnest pen
    double thirdU = 4;
    double sixthU = 2;
    double twoThirdsU = 8;
    double halfU = 6;
    double twoU = 24;
    double systemPitch = 132; // from one line's top staff line to the next
    double charWidth = 6;
    double glyphWidth = 8;    // spacing of the vibrato waves
    std::array<int, 7> beatAdvance{};
    Rect pageRect;
    Rect drawRect;
    int linesPerPage = 1;

    ViewFont musicFont;
    ViewFont largeMusicFont;
    ViewFont smallTextFont;
    ViewFont boldTextFont;
    ViewFont signatureFont;
    ViewFont titleFont;
    ViewFont tinyFont;

    // Pen widths f, 2f, 3f, 4f and 6f truncated to whole device units.
    int pen1 = 1;
    int pen2 = 2;
    int pen3 = 3;
    int pen4 = 4;
    int pen6 = 6;

    int advance(int durationCode) const;
};

// Font sizes in tenths of a point for the screen (before zoom) and paper.
struct FontSizes {
    int music, largeMusic, smallText, boldText, signature, title, tiny;
};
constexpr FontSizes kScreenFontSizes{160, 340, 80, 100, 160, 360, 60};
constexpr FontSizes kPaperFontSizes{120, 255, 60, 80, 160, 210, 45};

// Em height in device units of a font of `tenths` tenths of a point.
int fontPixels(int tenths, int dpi);

// The metrics step: fonts for the device and zoom, u and the derived units,
// the drawing rectangle, lines per page, pens and beat advances.
ViewUnits computeUnits(const DeviceMetrics& device, int zoomPercent);

} // namespace view
