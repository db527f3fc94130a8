#pragma once

#include "Canvas.h"

#include <array>
#include <string_view>

namespace view {

// The five backgrounds: menu text, command id and the plain colour used
// wherever a background colour is needed (erasing, pens, brushes).
struct BackgroundInfo {
    std::string_view menuText;
    int command;
    Color plain;
};

constexpr std::array<BackgroundInfo, 5> kBackgrounds = {{
    {"Fond Vert", 32884, {236, 255, 223}},
    {"Fond Turquoise", 32885, {224, 255, 239}},
    {"Fond Bleu", 32886, {234, 253, 255}},
    {"Fond Gris", 32887, {253, 249, 255}},
    {"Fond Relief", 32888, {237, 246, 231}},
}};

// The picture of a background index (clamped to the table).
ImageId backgroundImage(int index);
Color backgroundPlainColor(int index);

} // namespace view
