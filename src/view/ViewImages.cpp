#include "ViewImages.h"

#include "Backgrounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace view {

namespace {

std::uint32_t hash(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Hash value in -1..1.
double lattice(int x, int y, std::uint32_t seed)
{
    return (hash(x, y, seed) & 0xFFFF) / 32767.5 - 1.0;
}

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

// Value noise in -1..1 with features about `scale` pixels wide.
double noise(double x, double y, double scale, std::uint32_t seed)
{
    x /= scale;
    y /= scale;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = smooth(x - x0), fy = smooth(y - y0);
    const double a = lattice(x0, y0, seed), b = lattice(x0 + 1, y0, seed);
    const double c = lattice(x0, y0 + 1, seed), d = lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

// Several octaves of noise, roughly in -1..1.
double cloud(double x, double y, double scale, std::uint32_t seed, int octaves = 4)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(x, y, scale, seed + static_cast<std::uint32_t>(i) * 101u);
        norm += amplitude;
        amplitude *= 0.5;
        scale *= 0.5;
    }
    return sum / norm;
}

std::uint32_t pack(double r, double g, double b, double a = 255)
{
    auto c = [](double v) { return static_cast<std::uint32_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)); };
    return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

// Lightness change in colour levels at one pixel of a background.
double backgroundShade(int index, int x, int y)
{
    const double w = kBackgroundWidth, h = kBackgroundHeight;
    const double grain = lattice(x, y, 7u + static_cast<std::uint32_t>(index)) * 1.5;
    switch (index) {
    case 0: // soft light from the top left over a faintly clouded paper
        return 3.0 * (1 - (x / w + y / h)) + 4.0 * cloud(x, y, 180, 11u) + grain;
    case 1: // long gentle swells
        return 3.5 * std::sin((x + 0.55 * y) / 70.0 + 2.5 * cloud(x, y, 260, 23u, 3)) + 1.5 * cloud(x, y, 60, 29u) + grain;
    case 2: // a lighter band across the middle, clouded
        return 4.0 * (1 - std::abs(y / h - 0.45) * 2.2) + 3.5 * cloud(x, y, 220, 37u) + grain;
    case 3: { // linen: fine threads both ways
        const double threads = 2.2 * noise(x, y * 0.02, 1.3, 41u) + 2.2 * noise(x * 0.02, y, 1.3, 43u);
        return threads + 2.0 * cloud(x, y, 300, 47u, 3) + grain * 0.6;
    }
    default: { // embossed: a height field lit from the top left
        auto height = [](double px, double py) { return cloud(px, py, 46, 53u, 4); };
        const double slope = height(x - 1.5, y - 1.5) - height(x + 1.5, y + 1.5);
        return 70.0 * slope + grain;
    }
    }
}

RgbaImage makeBackground(int index)
{
    RgbaImage img;
    img.width = kBackgroundWidth;
    img.height = kBackgroundHeight;
    img.pixels.resize(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height));
    const Color base = backgroundPlainColor(index);
    // Centre the texture a little below the plain colour so that channels at
    // 255 still show it.
    const double lift = -2.0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const double s = backgroundShade(index, x, y) + lift;
            img.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) + static_cast<std::size_t>(x)] =
                pack(base.r + s, base.g + s, base.b + s);
        }
    return img;
}

// Signed distances (negative inside) used to draw the tag with smooth edges.
double circle(double px, double py, double cx, double cy, double r)
{
    return std::hypot(px - cx, py - cy) - r;
}

double roundedBox(double px, double py, double x1, double y1, double x2, double y2, double r)
{
    const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    const double hx = (x2 - x1) / 2 - r, hy = (y2 - y1) / 2 - r;
    const double dx = std::abs(px - cx) - hx, dy = std::abs(py - cy) - hy;
    return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0) - r;
}

double coverage(double distance)
{
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

void over(Rgba& dst, double r, double g, double b, double alpha)
{
    const double outA = alpha + dst.a * (1 - alpha);
    if (outA <= 0)
        return;
    dst.r = (r * alpha + dst.r * dst.a * (1 - alpha)) / outA;
    dst.g = (g * alpha + dst.g * dst.a * (1 - alpha)) / outA;
    dst.b = (b * alpha + dst.b * dst.a * (1 - alpha)) / outA;
    dst.a = outA;
}

RgbaImage makeInstrumentMark()
{
    // An amber tag with a guitar lying on it and an arrow: "the instrument
    // changes here".
    RgbaImage img;
    img.width = kInstrumentMarkWidth;
    img.height = kInstrumentMarkHeight;
    img.pixels.resize(static_cast<std::size_t>(img.width * img.height));
    const int ss = 4; // supersampling per axis
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            Rgba acc;
            double sr = 0, sg = 0, sb = 0, sa = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const double px = x + (sx + 0.5) / ss, py = y + (sy + 0.5) / ss;
                    Rgba c;
                    const double tag = roundedBox(px, py, 0.5, 0.5, 47.5, 17.5, 5);
                    if (tag < 0.5) {
                        const double t = py / 18.0;
                        over(c, 120, 70, 10, coverage(tag));
                        over(c, 255 - 18 * t, 238 - 50 * t, 176 - 90 * t, coverage(tag + 1.2));
                    }
                    // Guitar: body of two lobes, sound hole, neck, head and pegs.
                    const double body = std::min(circle(px, py, 9.5, 9, 5.6), circle(px, py, 15.5, 9, 4.4));
                    const double neck = roundedBox(px, py, 18, 7.9, 32, 10.1, 0.5);
                    const double head = roundedBox(px, py, 31.5, 6.4, 36.5, 11.6, 1.2);
                    over(c, 96, 48, 14, coverage(std::min({body, neck, head})));
                    over(c, 196, 120, 48, coverage(std::min(circle(px, py, 9.5, 9, 4.3), circle(px, py, 15.5, 9, 3.1))));
                    over(c, 40, 20, 6, coverage(circle(px, py, 14.2, 9, 1.7)));
                    over(c, 96, 48, 14, coverage(roundedBox(px, py, 4.2, 7.2, 5.6, 10.8, 0.5)));
                    // Arrow pointing right.
                    const double shaft = roundedBox(px, py, 38.5, 8.3, 43.5, 9.7, 0.3);
                    const double u = px - 42.0, v = std::abs(py - 9.0);
                    const double headTri = std::max({-u, u - 3.8 + v * 1.2, v - 3.4});
                    over(c, 150, 40, 20, coverage(std::min(shaft, headTri)));
                    sr += c.r * c.a;
                    sg += c.g * c.a;
                    sb += c.b * c.a;
                    sa += c.a;
                }
            const double n = ss * ss;
            acc.a = sa / n;
            if (sa > 0) {
                acc.r = sr / sa;
                acc.g = sg / sa;
                acc.b = sb / sa;
            }
            img.pixels[static_cast<std::size_t>(y * img.width + x)] = pack(acc.r, acc.g, acc.b, acc.a * 255);
        }
    return img;
}

} // namespace

RgbaImage makeImage(ImageId id)
{
    if (id == ImageId::InstrumentChange)
        return makeInstrumentMark();
    return makeBackground(static_cast<int>(id) - static_cast<int>(ImageId::Background0));
}

} // namespace view
