// Imports a model file with Assimp into meshes and collision lists, and loads its textures.
#include "render/model.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <stb_image.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <iostream>
#include <string_view>
#include <utility>

namespace render {

namespace {

constexpr unsigned int kImportFlags = aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                      aiProcess_FlipUVs | aiProcess_CalcTangentSpace;

bool isFinite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

glm::vec3 toVec3(const aiVector3D& v) { return {v.x, v.y, v.z}; }

// Attributes other than the position are only shading inputs: a non-finite one becomes zero
// instead of refusing the whole mesh.
glm::vec3 finiteOrZero(const aiVector3D& v) { return isFinite(v) ? toVec3(v) : glm::vec3(0.0f); }

// Any unit vector perpendicular to n, for vertices that come without a tangent frame.
glm::vec3 perpendicularTo(const glm::vec3& n) {
    const glm::vec3 helper =
        std::fabs(n.y) < 0.9f ? glm::vec3(0.0f, 1.0f, 0.0f) : glm::vec3(1.0f, 0.0f, 0.0f);
    const glm::vec3 t = glm::cross(helper, n);
    const float length = glm::length(t);
    return length > 0.0f ? t / length : glm::vec3(1.0f, 0.0f, 0.0f);
}

void reportModelError(const std::string& text) {
    std::cout << "ERROR::ASSIMP:: " << text << std::endl;
}

// A usable triangle has three distinct in-range corners that span a non-zero area.
bool isUsableTriangle(const aiMesh& mesh, const aiFace& face) {
    if (face.mNumIndices != 3 || face.mIndices == nullptr) return false;
    const unsigned int a = face.mIndices[0];
    const unsigned int b = face.mIndices[1];
    const unsigned int c = face.mIndices[2];
    if (a >= mesh.mNumVertices || b >= mesh.mNumVertices || c >= mesh.mNumVertices) return false;
    if (a == b || b == c || a == c) return false;
    const glm::vec3 pa = toVec3(mesh.mVertices[a]);
    const glm::vec3 cross =
        glm::cross(toVec3(mesh.mVertices[b]) - pa, toVec3(mesh.mVertices[c]) - pa);
    return glm::dot(cross, cross) > 0.0f;
}

// Serves the files Assimp opens, with material libraries cleaned first: Debian's Assimp 5.2
// dereferences a null material when a texture statement (map_Kd and the like) comes before any
// "newmtl", and crashes the game. Such statements belong to no material, so they are dropped.
// Assimp skips the blanks that open every line but the text's first, where an indented keyword
// is read as no keyword at all: the text handed on therefore starts at the first "newmtl" itself.
class MaterialLibraryGuard : public Assimp::DefaultIOSystem {
public:
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        Assimp::IOStream* stream = Assimp::DefaultIOSystem::Open(file, mode);
        const std::size_t length = file ? std::strlen(file) : 0;
        if (stream == nullptr || length < 4 || std::strcmp(file + length - 4, ".mtl") != 0) {
            return stream;
        }
        std::string text(stream->FileSize(), '\0');
        text.resize(stream->Read(text.data(), 1, text.size()));
        Close(stream);
        text = fromFirstMaterial(text);
        auto* bytes = new std::uint8_t[text.size() + 1];
        std::memcpy(bytes, text.data(), text.size());
        // The stream owns the copy and frees it when Assimp closes it.
        return new Assimp::MemoryIOStream(bytes, text.size(), true);
    }

    // The text from the first line that starts a material ("newmtl" as a whole word after any
    // blanks) on, beginning at that word; empty when no line does.
    static std::string fromFirstMaterial(const std::string& text) {
        // Assimp drops a UTF-8 byte order mark before reading, so the first line starts after it.
        const std::string_view mark = "\xEF\xBB\xBF";
        std::size_t line = text.compare(0, mark.size(), mark) == 0 ? mark.size() : 0;
        while (line < text.size()) {
            const std::size_t start = text.find_first_not_of(" \t", line);
            if (start == std::string::npos) break;
            const std::size_t after = start + 6;
            if (text.compare(start, 6, "newmtl") == 0 &&
                (after == text.size() ||
                 std::string_view(" \t\r\n").find(text[after]) != std::string_view::npos)) {
                return text.substr(start);
            }
            const std::size_t end = text.find('\n', start);
            if (end == std::string::npos) break;
            line = end + 1;
        }
        return "";
    }
};

}  // namespace

Model::Model(const std::string& path, ModelUpload upload) : upload_(upload) { importFile(path); }

void Model::importFile(const std::string& path) {
    Assimp::Importer importer;
    importer.SetIOHandler(new MaterialLibraryGuard);
    const aiScene* scene = nullptr;
    // Assimp reports most bad files through a null scene, but some readers let exceptions out.
    try {
        scene = importer.ReadFile(path, kImportFlags);
    } catch (const std::exception& e) {
        reportModelError(e.what());
        return;
    } catch (...) {
        reportModelError(path + ": the importer failed");
        return;
    }
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        scene->mRootNode == nullptr) {
        const std::string message = importer.GetErrorString();
        reportModelError(message.empty() ? path + ": incomplete scene" : message);
        return;
    }
    if (scene->mNumMeshes == 0) {
        reportModelError(path + ": no meshes");
        return;
    }
    const std::size_t slash = path.find_last_of('/');
    directory = slash == std::string::npos ? path : path.substr(0, slash);

    // Depth-first, each node's meshes before its children, without recursion so a deep node tree
    // from a hostile file cannot exhaust the stack. Node transformations are ignored: the caller's
    // model matrix places the whole model.
    std::vector<const aiNode*> pending{scene->mRootNode};
    while (!pending.empty()) {
        const aiNode* node = pending.back();
        pending.pop_back();
        for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
            const unsigned int meshIndex = node->mMeshes[i];
            if (meshIndex >= scene->mNumMeshes || scene->mMeshes[meshIndex] == nullptr) {
                reportModelError(path + ": mesh " + std::to_string(meshIndex) + " does not exist");
                continue;
            }
            convertMesh(*scene->mMeshes[meshIndex], meshIndex, *scene, path);
        }
        for (unsigned int i = node->mNumChildren; i > 0; --i) {
            if (node->mChildren[i - 1] != nullptr) pending.push_back(node->mChildren[i - 1]);
        }
    }
}

bool Model::convertMesh(const aiMesh& source, unsigned int meshIndex, const aiScene& scene,
                        const std::string& path) {
    const std::string meshName = path + ": mesh " + std::to_string(meshIndex);
    if (source.mNumVertices == 0 || source.mVertices == nullptr) {
        reportModelError(meshName + " has no vertices");
        return false;
    }
    for (unsigned int i = 0; i < source.mNumVertices; ++i) {
        if (!isFinite(source.mVertices[i])) {
            reportModelError(meshName + " has non-finite vertex coordinates");
            return false;
        }
    }
    // Points and lines left over by triangulation, and collapsed triangles, are dropped: they would
    // misalign GL_TRIANGLES and give the collision cooker zero-area faces.
    std::vector<GLuint> localIndices;
    localIndices.reserve(static_cast<std::size_t>(source.mNumFaces) * 3);
    for (unsigned int f = 0; f < source.mNumFaces && source.mFaces != nullptr; ++f) {
        const aiFace& face = source.mFaces[f];
        if (!isUsableTriangle(source, face)) continue;
        localIndices.insert(localIndices.end(), face.mIndices, face.mIndices + 3);
    }
    if (localIndices.empty()) {
        reportModelError(meshName + " has no triangles");
        return false;
    }

    std::vector<Vertex> localVertices(source.mNumVertices);
    const aiVector3D* uvs = source.mTextureCoords[0];
    for (unsigned int i = 0; i < source.mNumVertices; ++i) {
        Vertex& vertex = localVertices[i];
        vertex.position = toVec3(source.mVertices[i]);
        if (source.mNormals != nullptr) vertex.normal = finiteOrZero(source.mNormals[i]);
        if (uvs != nullptr) {
            const glm::vec3 uv = finiteOrZero(uvs[i]);
            vertex.texCoords = glm::vec2(uv.x, uv.y);
        }
        if (uvs != nullptr && source.mTangents != nullptr && source.mBitangents != nullptr) {
            vertex.tangent = finiteOrZero(source.mTangents[i]);
            vertex.bitangent = finiteOrZero(source.mBitangents[i]);
        } else {
            // No texture space to derive one from: any frame around the normal keeps normal
            // mapping well defined.
            vertex.tangent = perpendicularTo(vertex.normal);
            vertex.bitangent = glm::cross(vertex.normal, vertex.tangent);
        }
    }

    const GLuint base = static_cast<GLuint>(vertices.size());
    vertices.insert(vertices.end(), localVertices.begin(), localVertices.end());
    for (const GLuint index : localIndices) indices.push_back(base + index);
    ++acceptedMeshes_;

    std::vector<Texture> localTextures;
    if (source.mMaterialIndex < scene.mNumMaterials && scene.mMaterials != nullptr &&
        scene.mMaterials[source.mMaterialIndex] != nullptr) {
        const aiMaterial& material = *scene.mMaterials[source.mMaterialIndex];
        // Normal maps sit in the height slot and height maps in the ambient slot of OBJ materials.
        const std::pair<aiTextureType, const char*> slots[] = {
            {aiTextureType_DIFFUSE, "texture_diffuse"},
            {aiTextureType_SPECULAR, "texture_specular"},
            {aiTextureType_HEIGHT, "texture_normal"},
            {aiTextureType_AMBIENT, "texture_height"},
        };
        for (const auto& [slot, role] : slots) {
            std::vector<Texture> found = gatherMaterialTextures(material, slot, role);
            localTextures.insert(localTextures.end(), found.begin(), found.end());
        }
    }
    textures.insert(textures.end(), localTextures.begin(), localTextures.end());
    if (upload_ == ModelUpload::CpuOnly) return true;
    meshes.emplace_back(std::move(localVertices), std::move(localIndices),
                        std::move(localTextures));
    return true;
}

std::vector<Texture> Model::gatherMaterialTextures(const aiMaterial& material, int slot,
                                                   const std::string& role) {
    const aiTextureType type = static_cast<aiTextureType>(slot);
    std::vector<Texture> result;
    for (unsigned int i = 0; i < aiGetMaterialTextureCount(&material, type); ++i) {
        aiString name;
        if (aiGetMaterialTexture(&material, type, i, &name, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr) != aiReturn_SUCCESS) {
            continue;
        }
        const std::string texturePath = name.C_Str();
        bool cached = false;
        for (const Texture& loaded : texturesLoaded) {
            // A hit keeps the role it was first loaded for, even from another slot.
            if (loaded.path == texturePath) {
                result.push_back(loaded);
                cached = true;
                break;
            }
        }
        if (cached) continue;
        Texture texture;
        texture.id = upload_ == ModelUpload::Gpu ? loadTextureFile(texturePath, directory) : 0;
        texture.type = role;
        texture.path = texturePath;
        result.push_back(texture);
        texturesLoaded.push_back(texture);
    }
    return result;
}

void Model::draw(const Shader& shader) const {
    for (const Mesh& mesh : meshes) mesh.draw(shader);
}

void Model::drawGeometry() const {
    for (const Mesh& mesh : meshes) mesh.drawGeometry();
}

void Model::reverseDrawOrder() {
    std::reverse(meshes.begin(), meshes.end());
    for (Mesh& mesh : meshes) mesh.reverseTriangleOrder();
}

std::vector<glm::vec3> Model::positionList() const {
    std::vector<glm::vec3> positions;
    positions.reserve(vertices.size());
    for (const Vertex& vertex : vertices) positions.push_back(vertex.position);
    return positions;
}

std::vector<std::uint32_t> Model::indexList() const {
    return std::vector<std::uint32_t>(indices.begin(), indices.end());
}

std::size_t Model::meshCount() const { return acceptedMeshes_; }

bool Model::loaded() const { return acceptedMeshes_ > 0; }

GLuint loadTextureFile(const std::string& path, const std::string& directory) {
    const std::string fileName = directory + "/" + path;
    // The name exists before anything is read, so a failed image still has one to bind.
    GLuint textureId = 0;
    glGenTextures(1, &textureId);

    int width = 0;
    int height = 0;
    int channels = 0;
    // 16-bit images arrive narrowed to 8 bits per channel, which is all a material map needs.
    unsigned char* data = stbi_load(fileName.c_str(), &width, &height, &channels, 0);
    GLenum format = GL_NONE;
    switch (channels) {
        case 1:
            format = GL_RED;
            break;
        case 2:
            format = GL_RG;
            break;
        case 3:
            format = GL_RGB;
            break;
        case 4:
            format = GL_RGBA;
            break;
        default:
            break;
    }
    if (data == nullptr || format == GL_NONE || width <= 0 || height <= 0) {
        if (data != nullptr) stbi_image_free(data);
        std::cout << "Texture failed to load at path: " << path << std::endl;
        return textureId;
    }

    glBindTexture(GL_TEXTURE_2D, textureId);
    // stb packs rows tightly; an RGB or RG row of odd width is not 4-byte aligned.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format,
                 GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    if (format == GL_RG) {
        // Two channels from stb are grey and alpha: sample them as such.
        const GLint swizzle[] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    stbi_image_free(data);
    return textureId;
}

}  // namespace render
