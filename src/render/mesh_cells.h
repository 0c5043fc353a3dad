// A large mesh cut into square cells of the ground plane, each drawn on its own, so that a pass
// can light each part with only the lights that reach it.
#pragma once

#include <glm/glm.hpp>
#include <vector>

#include "render/mesh.h"

namespace render {

struct MeshCell {
    Mesh mesh;
    // The cell's triangles' bounds, in the mesh's own space.
    glm::vec3 low{0.0f};
    glm::vec3 high{0.0f};
};

// Cuts `mesh` into cells of `size` units along x and z: each triangle goes to the cell holding
// its centre, keeping the mesh's order within the cell; each cell gets its own buffers and the
// mesh's textures. Empty cells are left out. Needs a current context.
std::vector<MeshCell> cutIntoCells(const Mesh& mesh, float size);

// True when a light at `position` whose light ends `range` away can reach the box.
bool reaches(const glm::vec3& position, float range, const glm::vec3& low, const glm::vec3& high);

}  // namespace render
