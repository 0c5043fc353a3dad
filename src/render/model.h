// A model file loaded through Assimp: drawable meshes, their textures, and collision lists.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "render/mesh.h"
#include "render/shader.h"

struct aiMaterial;
struct aiMesh;
struct aiScene;

namespace render {

// Gpu: the game's models, uploaded and textured (needs a current context). CpuOnly: vertices,
// indices and the names of the materials' textures (id 0), with no GL call and no image decoded,
// for physics cooking and headless tests.
enum class ModelUpload { Gpu, CpuOnly };

// Everything loaded from one model file. Construction never fails: problems are printed as one
// line each and the model keeps what it could accept.
class Model {
public:
    explicit Model(const std::string& path, ModelUpload upload = ModelUpload::Gpu);

    // The shader's program must be current. Draws every mesh with its textures.
    void draw(const Shader& shader) const;
    // Geometry only, for the shadow depth pass.
    void drawGeometry() const;
    // From now on draws the meshes, and each mesh's triangles, in the opposite order.
    void reverseDrawOrder();

    // The collision lists: every accepted mesh's positions, and its triangles with indices offset
    // by the vertices of the meshes before it, so they index positionList() like drawing does.
    std::vector<glm::vec3> positionList() const;
    std::vector<std::uint32_t> indexList() const;

    // Source meshes that were accepted (equals meshes.size() for a Gpu model).
    std::size_t meshCount() const;
    // True when at least one mesh was accepted.
    bool loaded() const;

    // Model-wide lists across all accepted meshes; `indices` count from the model's first vertex.
    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;
    std::vector<Texture> textures;
    // Per-model cache, one entry per distinct material path.
    std::vector<Texture> texturesLoaded;
    // Each mesh holds only its own vertices, indices (from its own first vertex) and textures.
    std::vector<Mesh> meshes;
    // The model path up to its last "/", without the slash.
    std::string directory;

private:
    void importFile(const std::string& path);
    bool convertMesh(const aiMesh& source, unsigned int meshIndex, const aiScene& scene,
                     const std::string& path);
    std::vector<Texture> gatherMaterialTextures(const aiMaterial& material, int slot,
                                                const std::string& role);

    ModelUpload upload_ = ModelUpload::Gpu;
    std::size_t acceptedMeshes_ = 0;
};

// Decodes directory + "/" + path into a new mipmapped 2D texture and returns its name. On failure
// prints "Texture failed to load at path: <path>" and returns a name that holds no image.
GLuint loadTextureFile(const std::string& path, const std::string& directory);

}  // namespace render
