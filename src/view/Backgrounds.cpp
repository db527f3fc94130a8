#include "Backgrounds.h"

#include <algorithm>

namespace view {

ImageId backgroundImage(int index)
{
    return static_cast<ImageId>(static_cast<int>(ImageId::Background0) + std::clamp(index, 0, 4));
}

Color backgroundPlainColor(int index)
{
    return kBackgrounds[static_cast<std::size_t>(std::clamp(index, 0, 4))].plain;
}

} // namespace view
