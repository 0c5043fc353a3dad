// The desktop icon: the game's gem glowing against its dusk sky, drawn afresh for each size.
#pragma once

#include <string>

namespace assetgen {

// The sizes of the hicolor icon theme the game ships, in pixels.
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256, 512};

// Writes a `size` × `size` RGB PNG; every pixel averages 4 × 4 samples so the facets' edges
// stay smooth. Below 128 pixels the gem is drawn larger, rimmed and over a plain sky, with
// four broad facets at 32 pixels and less, so that it still reads as a gem in a menu.
bool writeIcon(const std::string& pngPath, int size);

}  // namespace assetgen
