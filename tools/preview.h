// Debug pictures of generated meshes: shaded orthographic views, for looking at the models.
#pragma once

#include <glm/glm.hpp>
#include <string>

#include "image.h"
#include "mesh_builder.h"

namespace assetgen {

// Renders `mesh` seen along -`viewDir` (orthographic, `size` pixels square, fitted to the mesh's
// bounds) with back faces culled as the game does, and writes it as a PNG.
bool writePreview(const MeshBuilder& mesh, glm::vec3 viewDir, glm::vec3 up, int size,
                  const std::string& pngPath);

// Renders `mesh` textured with `texture` (u repeats, v as OBJ stores it) through a pinhole
// camera at `eye` looking at `target`, vertical field of view `fovDegrees`, lit from above.
bool writeEyeView(const MeshBuilder& mesh, const Image& texture, glm::vec3 eye, glm::vec3 target,
                  float fovDegrees, int width, int height, const std::string& pngPath);

}  // namespace assetgen
