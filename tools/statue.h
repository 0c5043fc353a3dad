// The greeting statue: a standing figure on a round plinth, authored z-up.
#pragma once

#include <string>

#include "mesh_builder.h"

namespace assetgen {

// About 154 units tall with its base at z 0, facing -y (the game's rotation turns -y into +z,
// towards the player coming through the court). Smooth normals: it mirrors the sky.
MeshBuilder buildStatue();

bool writeStatue(const std::string& folder);

}  // namespace assetgen
