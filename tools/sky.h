// The six sky faces: one continuous dusk sky sampled per texel direction of a GL cube map.
#pragma once

#include <glm/glm.hpp>
#include <string>

namespace assetgen {

// Cube-map faces in GL order: +X right, -X left, +Y top, -Y bottom, +Z front, -Z back.
inline constexpr const char* kSkyFaceFiles[6] = {"right.png",  "left.png",  "top.png",
                                                 "bottom.png", "front.png", "back.png"};

// The direction that GL samples for face `face` (0..5, GL order) at face coordinates s, t in
// 0..1, where t = 0 is the image's first (top) row as stb_image hands it to glTexImage2D.
glm::vec3 cubeFaceDirection(int face, float s, float t);

// Sky colour for a unit direction: night above, a dusk glow low towards -z, stars, a moon.
glm::vec3 skyColour(glm::vec3 direction);

// Writes the six faces, `size` × `size`, into `folder`.
bool writeSky(const std::string& folder, int size);

}  // namespace assetgen
