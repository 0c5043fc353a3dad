// Collects triangles with normals and texture coordinates and writes them as one OBJ mesh.
#pragma once

#include <glm/glm.hpp>
#include <string>
#include <vector>

namespace assetgen {

struct MeshVertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

// Texture coordinates for a face are produced by a mapping that turns a world distance along the
// face's u edge and v edge into (u, v). Tiled mappings repeat along u (GL_REPEAT) and keep v inside
// one horizontal band of an atlas, so faces are split wherever v crosses a tile boundary.
struct BandMapping {
    // World units per texture repeat, along both face axes.
    float tile = 4.0f;
    // Image rows [firstRow, firstRow + rows) of an atlas `atlasRows` tall hold this band.
    int firstRow = 0;
    int rows = 128;
    int atlasRows = 128;
    // Texels kept off each band edge so that bilinear filtering does not reach the next band.
    int margin = 2;
};

class MeshBuilder {
public:
    // One triangle, counter-clockwise when seen from the side its normal points to.
    void addTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c);
    // A triangle with a flat normal computed from its winding (counter-clockwise = front).
    void addFlatTriangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ua, glm::vec2 ub,
                         glm::vec2 uc);

    // The parallelogram origin, origin + edgeU, origin + edgeU + edgeV, origin + edgeV, facing
    // along cross(edgeU, edgeV), textured through `band` and split at its tile rows.
    void addTiledQuad(glm::vec3 origin, glm::vec3 edgeU, glm::vec3 edgeV, const BandMapping& band);

    // Faces of an axis-aligned box, all facing outwards. `bottom` false leaves out the face
    // that rests on the floor (never seen, and it would only add triangles to cook).
    struct BoxBands {
        BandMapping top;
        BandMapping sides;
        BandMapping bottom;
    };
    void addBox(glm::vec3 lo, glm::vec3 hi, const BoxBands& bands, bool withBottom = false);

    // A wedge rising along one horizontal axis: a ramp from height lo.y at the low end to hi.y at
    // the high end. `risesTowards` is one of (±1, 0, 0) or (0, 0, ±1).
    void addRamp(glm::vec3 lo, glm::vec3 hi, glm::vec3 risesTowards, const BoxBands& bands);

    const std::vector<MeshVertex>& vertices() const { return vertices_; }
    std::size_t triangleCount() const { return vertices_.size() / 3; }

    // Writes `objPath` (naming `mtlName` through mtllib) and the material file next to it. The
    // material names the diffuse and specular images by file name, relative to the model folder.
    bool writeObj(const std::string& objPath, const std::string& mtlName,
                  const std::string& materialName, const std::string& diffuseFile,
                  const std::string& specularFile, float shininess) const;

private:
    std::vector<MeshVertex> vertices_;
};

}  // namespace assetgen
