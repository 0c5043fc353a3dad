// Buckets a mesh's triangles by the ground-plane cell of their centres and builds a mesh of each.
#include "render/mesh_cells.h"

#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace render {

std::vector<MeshCell> cutIntoCells(const Mesh& mesh, float size) {
    // Each cell's triangles, as indices into the mesh's vertices, in the mesh's order.
    std::map<std::pair<int, int>, std::vector<GLuint>> cells;
    for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        glm::vec3 centre(0.0f);
        for (std::size_t k = 0; k < 3; ++k) centre += mesh.vertices[mesh.indices[t + k]].position;
        centre /= 3.0f;
        const std::pair<int, int> cell(static_cast<int>(std::floor(centre.x / size)),
                                       static_cast<int>(std::floor(centre.z / size)));
        std::vector<GLuint>& triangles = cells[cell];
        triangles.insert(triangles.end(), mesh.indices.begin() + static_cast<std::ptrdiff_t>(t),
                         mesh.indices.begin() + static_cast<std::ptrdiff_t>(t + 3));
    }
    std::vector<MeshCell> out;
    for (const auto& [cell, triangles] : cells) {
        // The cell's own vertices, numbered in the order its triangles first use them.
        std::map<GLuint, GLuint> renumbered;
        std::vector<Vertex> vertices;
        std::vector<GLuint> indices;
        glm::vec3 low(std::numeric_limits<float>::max());
        glm::vec3 high(std::numeric_limits<float>::lowest());
        for (const GLuint index : triangles) {
            const auto [entry, added] =
                renumbered.emplace(index, static_cast<GLuint>(vertices.size()));
            if (added) {
                vertices.push_back(mesh.vertices[index]);
                low = glm::min(low, vertices.back().position);
                high = glm::max(high, vertices.back().position);
            }
            indices.push_back(entry->second);
        }
        out.push_back(MeshCell{Mesh(std::move(vertices), std::move(indices), mesh.textures), low,
                               high});
    }
    return out;
}

bool reaches(const glm::vec3& position, float range, const glm::vec3& low, const glm::vec3& high) {
    const glm::vec3 nearest = glm::clamp(position, low, high);
    return glm::distance(nearest, position) < range;
}

}  // namespace render
