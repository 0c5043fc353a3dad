// One drawable piece of a model: its vertices, triangle indices and textures in GL buffers.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "render/shader.h"

namespace render {

// One vertex and, at the same time, the exact layout of the vertex buffer (stride 88 bytes).
// Bones are never loaded: boneIds and boneWeights stay zero but are uploaded like the rest.
struct Vertex {
    glm::vec3 position{0.0f};                         // location 0, model space
    glm::vec3 normal{0.0f};                           // location 1
    glm::vec2 texCoords{0.0f};                        // location 2, channel 0
    glm::vec3 tangent{0.0f};                          // location 3
    glm::vec3 bitangent{0.0f};                        // location 4
    int boneIds[4] = {0, 0, 0, 0};                    // location 5, read as integers
    float boneWeights[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // location 6
};

static_assert(sizeof(Vertex) == 88, "the vertex buffer stride is 88 bytes");
static_assert(offsetof(Vertex, position) == 0);
static_assert(offsetof(Vertex, normal) == 12);
static_assert(offsetof(Vertex, texCoords) == 24);
static_assert(offsetof(Vertex, tangent) == 32);
static_assert(offsetof(Vertex, bitangent) == 44);
static_assert(offsetof(Vertex, boneIds) == 56);
static_assert(offsetof(Vertex, boneWeights) == 72);

// A 2D texture as a material names it. `type` is the role ("texture_diffuse", "texture_specular",
// "texture_normal", "texture_height"); `path` is the material's own text, the loader's cache key.
struct Texture {
    GLuint id = 0;
    std::string type;
    std::string path;
};

// Owns its three lists; the GL names are shared by copies and moves and never deleted (they end
// with the context). Needs a current context to construct.
class Mesh {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<GLuint> indices, std::vector<Texture> textures);

    // Texture i goes to unit i with the sampler "<type><n>" (n counts per role from 1); the
    // caller has made `shader` current. Unit 0 is the active unit afterwards.
    void draw(const Shader& shader) const;
    // Indexed triangles only: no texture, no uniform (the shadow depth pass).
    void drawGeometry() const;
    // Turns the order of the triangles around, in `indices` and in the index buffer.
    void reverseTriangleOrder();

    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;
    std::vector<Texture> textures;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;

private:
    void setupBuffers();
};

}  // namespace render
