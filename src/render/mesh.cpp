// Uploads a mesh into a vertex array once and draws it with or without its textures.
#include "render/mesh.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace render {

namespace {

// Byte offsets inside the bound vertex buffer are passed to GL as pointers.
const void* bufferOffset(std::size_t bytes) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

void drawIndexedTriangles(GLuint vao, std::size_t indexCount) {
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

}  // namespace

Mesh::Mesh(std::vector<Vertex> vertexList, std::vector<GLuint> indexList,
           std::vector<Texture> textureList)
    : vertices(std::move(vertexList)),
      indices(std::move(indexList)),
      textures(std::move(textureList)) {
    setupBuffers();
}

void Mesh::setupBuffers() {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);

    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    // The loader never hands over empty lists; should one arrive, data() may be null and the
    // buffer is simply allocated with zero bytes.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)),
                 vertices.data(), GL_STATIC_DRAW);
    // Bound while the vertex array is bound, so the array records it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
                 indices.data(), GL_STATIC_DRAW);

    constexpr GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(Vertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(Vertex, texCoords)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(Vertex, tangent)));
    glEnableVertexAttribArray(4);
    glVertexAttribPointer(4, 3, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(Vertex, bitangent)));
    // Integer attribute: the shader receives ivec4, not converted floats.
    glEnableVertexAttribArray(5);
    glVertexAttribIPointer(5, 4, GL_INT, stride, bufferOffset(offsetof(Vertex, boneIds)));
    glEnableVertexAttribArray(6);
    glVertexAttribPointer(6, 4, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(Vertex, boneWeights)));

    glBindVertexArray(0);
}

void Mesh::draw(const Shader& shader) const {
    // Counters are local, so every draw numbers the samplers the same way.
    unsigned int diffuseNr = 1;
    unsigned int specularNr = 1;
    unsigned int normalNr = 1;
    unsigned int heightNr = 1;
    for (std::size_t i = 0; i < textures.size(); ++i) {
        const GLuint unit = static_cast<GLuint>(i);
        glActiveTexture(GL_TEXTURE0 + unit);
        const std::string& type = textures[i].type;
        std::string number;
        if (type == "texture_diffuse") {
            number = std::to_string(diffuseNr++);
        } else if (type == "texture_specular") {
            number = std::to_string(specularNr++);
        } else if (type == "texture_normal") {
            number = std::to_string(normalNr++);
        } else if (type == "texture_height") {
            number = std::to_string(heightNr++);
        }
        const std::string samplerName = type + number;
        glUniform1i(glGetUniformLocation(shader.programId, samplerName.c_str()),
                    static_cast<GLint>(unit));
        glBindTexture(GL_TEXTURE_2D, textures[i].id);
    }
    drawIndexedTriangles(vao, indices.size());
    glActiveTexture(GL_TEXTURE0);
}

void Mesh::drawGeometry() const { drawIndexedTriangles(vao, indices.size()); }

void Mesh::reverseTriangleOrder() {
    const std::size_t triangles = indices.size() / 3;
    for (std::size_t t = 0; t < triangles / 2; ++t) {
        std::swap_ranges(indices.begin() + static_cast<std::ptrdiff_t>(3 * t),
                         indices.begin() + static_cast<std::ptrdiff_t>(3 * t + 3),
                         indices.begin() + static_cast<std::ptrdiff_t>(3 * (triangles - 1 - t)));
    }
    // Through the vertex array, which holds the index buffer's binding.
    glBindVertexArray(vao);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0,
                    static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data());
    glBindVertexArray(0);
}

}  // namespace render
