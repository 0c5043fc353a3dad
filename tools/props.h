// The small models placed by the game: platform, brick, lantern, spikes, gem, water, speech bubble.
#pragma once

#include <string>

#include "mesh_builder.h"

namespace assetgen {

// Each builder returns the mesh in its model's own coordinates (see the .cpp for the sizes the
// game's model matrices expect); each writer also writes the model's diffuse and specular images.
MeshBuilder buildPlatform();
MeshBuilder buildBrick();
MeshBuilder buildLantern();
MeshBuilder buildSpikes();
MeshBuilder buildGem();
MeshBuilder buildWaves();
MeshBuilder buildSpeechBubble();

bool writePlatform(const std::string& folder);
bool writeBrick(const std::string& folder);
bool writeLantern(const std::string& folder);
bool writeSpikes(const std::string& folder);
bool writeGem(const std::string& folder);
bool writeWaves(const std::string& folder);
bool writeSpeechBubble(const std::string& folder);

}  // namespace assetgen
