// The desktop icon: the game's gem glowing against its dusk sky.
#pragma once

#include <string>

namespace assetgen {

// Writes a `size` × `size` RGB PNG; every pixel averages 4 × 4 samples so the facets' edges
// stay smooth at menu sizes.
bool writeIcon(const std::string& pngPath, int size);

}  // namespace assetgen
