// The arena ("the pit"): its mesh, its texture atlas and a top-down map for checking the layout.
#pragma once

#include <string>

#include "image.h"
#include "mesh_builder.h"

namespace assetgen {

// Every wall, floor, tank, channel, ramp and bracket of the level as one mesh.
MeshBuilder buildLevelMesh();

// Fills the level's 512 × 1024 atlas: eight bands of 128 rows, one tiling material each.
void paintLevelAtlas(Image& diffuse, Image& specular);
// The diffuse atlas alone, for debug views.
Image makeLevelAtlas();

// Writes lvl3_1.obj/.mtl and the atlas images into `folder`.
bool writeLevel(const std::string& folder);

// Writes a top-down height map of `level` with hazards, gems, the start and the route marked.
bool writeLevelMap(const MeshBuilder& level, const std::string& pngPath);

}  // namespace assetgen
