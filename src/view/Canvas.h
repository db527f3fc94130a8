#pragma once

#include "Path.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace view {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    constexpr bool operator==(const Color&) const = default;
};

namespace colors {
constexpr Color kBlack{0, 0, 0};
constexpr Color kWhite{255, 255, 255};
constexpr Color kCursorMeasure{10, 10, 128};
constexpr Color kBlue{0, 0, 255};
constexpr Color kYellow{255, 255, 0};
constexpr Color kRed{255, 0, 0};
constexpr Color kCyan{0, 255, 255};
constexpr Color kMeasureNumber{150, 0, 0};
constexpr Color kFirstSignature{0, 100, 50};
constexpr Color kChange{100, 0, 100};
constexpr Color kRepeatCount{0, 30, 60};
constexpr Color kStaffName{0, 0, 90};
constexpr Color kTitleShadow{0, 0, 50};
constexpr Color kTitleHighlight{210, 210, 255};
constexpr Color kTitleScreen{100, 100, 255};
constexpr Color kTitlePaper{80, 80, 255};
constexpr Color kTrackName{100, 30, 80};
constexpr Color kAuthorShadow{80, 80, 200};
constexpr Color kAuthor{0, 0, 120};
constexpr Color kTabber{0, 0, 90};
} // namespace colors

// Font families the view draws with. Music is our own glyph set; the text
// faces are the metric-compatible Liberation fonts on the Qt side.
enum class FontFace : std::uint8_t { Music, Serif, Sans, SansBold };

struct ViewFont {
    FontFace face = FontFace::Serif;
    int pixelSize = 11; // em height in device units
    constexpr bool operator==(const ViewFont&) const = default;
};

enum class TextAlign : std::uint8_t { Centre, Right, Left };

// Pictures the view places; their pixels come from ViewImages.
enum class ImageId : std::uint8_t { Background0, Background1, Background2, Background3, Background4, InstrumentChange };

class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    // Ascent plus descent, in device units.
    virtual double cellHeight(const ViewFont& font) const = 0;
    virtual double averageCharWidth(const ViewFont& font) const = 0;
    virtual double textWidth(const ViewFont& font, std::string_view utf8) const = 0;
};

// Everything the score drawing needs from a device. Coordinates are device
// units with y growing downwards; implementations truncate them to whole
// units the way the drawing rules expect. Rectangles and ellipse boxes are
// given by two corners, the right and bottom edges excluded.
class Canvas : public FontMetrics {
public:
    // A pen width of 0 or 1 is the thinnest line the device draws.
    virtual void setPen(Color color, int width) = 0;
    // Paints with the current background (image or plain colour): erases.
    virtual void setBackgroundPen(int width) = 0;
    virtual void setNoPen() = 0;
    virtual void setBrush(Color color) = 0;
    virtual void setBackgroundBrush() = 0;
    virtual void setNoBrush() = 0;
    virtual void setFont(const ViewFont& font) = 0;
    virtual void setTextColor(Color color) = 0;
    // What the background pen, brush and drawBackground show: a stretched
    // picture when `image` is one of the backgrounds, else the plain colour.
    virtual void setBackground(bool useImage, ImageId image, Color plain) = 0;

    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    virtual void drawPolyline(const std::vector<PointF>& points) = 0;
    // Outline in the pen, inside in the brush.
    virtual void drawRect(double x1, double y1, double x2, double y2) = 0;
    // Brush only.
    virtual void fillRect(double x1, double y1, double x2, double y2) = 0;
    virtual void drawEllipse(double x1, double y1, double x2, double y2) = 0;
    // Part of the ellipse in the box, from startDeg over spanDeg degrees;
    // 0 is three o'clock and positive spans turn anticlockwise on screen.
    virtual void drawArc(double x1, double y1, double x2, double y2, double startDeg, double spanDeg) = 0;
    virtual void drawPolygon(const std::vector<PointF>& points) = 0;
    // A path in its own units, scaled then moved to (x, y), filled with the brush.
    virtual void fillPath(const Path& path, double x, double y, double scale) = 0;
    // Text in the current font and text colour; y is the baseline.
    virtual void drawText(double x, double y, std::string_view utf8, TextAlign align) = 0;
    // One glyph of the music font at its reference point (horizontal centre,
    // baseline), in the current font size and text colour.
    virtual void drawGlyph(double x, double y, int code) = 0;
    // A picture at its natural size with its top left corner at (x, y).
    virtual void drawImage(ImageId image, double x, double y) = 0;
    // Covers the box with the current background.
    virtual void drawBackground(double x1, double y1, double x2, double y2) = 0;
};

} // namespace view
