#pragma once

#include "Canvas.h"

#include <cstdint>
#include <vector>

namespace view {

// A picture as plain pixels: 0xAARRGGBB, not premultiplied, rows top first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

constexpr int kBackgroundWidth = 965;
constexpr int kBackgroundHeight = 725;
constexpr int kInstrumentMarkWidth = 48;
constexpr int kInstrumentMarkHeight = 18;

// The pictures the view uses, made from code so the program never depends
// on image files: five paper-like backgrounds around their plain colours and
// the small tag that marks a change of instrument. Deterministic.
RgbaImage makeImage(ImageId id);

} // namespace view
