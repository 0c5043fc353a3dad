// Triangle collection, tiled face mapping and the OBJ/MTL text of the generated models.
#include "mesh_builder.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace assetgen {
namespace {

// Fixed formatting so that the same geometry always gives the same bytes; -0 is printed as 0.
std::string fmt(float value) {
    if (std::fabs(value) < 0.000005f) value = 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", static_cast<double>(value));
    return text;
}

// Texture v (OBJ convention: 0 at the image's bottom row) of the fraction `f` of one tile.
float bandV(const BandMapping& band, float f) {
    const float usable = static_cast<float>(band.rows - 2 * band.margin);
    const float row = static_cast<float>(band.firstRow + band.margin) + (1.0f - f) * usable;
    return 1.0f - row / static_cast<float>(band.atlasRows);
}

}  // namespace

void MeshBuilder::addTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
    vertices_.push_back(a);
    vertices_.push_back(b);
    vertices_.push_back(c);
}

void MeshBuilder::addFlatTriangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ua, glm::vec2 ub,
                                  glm::vec2 uc) {
    const glm::vec3 n = glm::normalize(glm::cross(b - a, c - a));
    addTriangle({a, n, ua}, {b, n, ub}, {c, n, uc});
}

void MeshBuilder::addTiledQuad(glm::vec3 origin, glm::vec3 edgeU, glm::vec3 edgeV,
                               const BandMapping& band) {
    const float lenU = glm::length(edgeU);
    const float lenV = glm::length(edgeV);
    if (lenU <= 0.0f || lenV <= 0.0f) return;
    const glm::vec3 dirU = edgeU / lenU;
    const glm::vec3 dirV = edgeV / lenV;
    const glm::vec3 normal = glm::normalize(glm::cross(edgeU, edgeV));
    // World coordinates along the face axes, so neighbouring faces continue one pattern.
    const float u0 = glm::dot(origin, dirU) / band.tile;
    const float u1 = u0 + lenU / band.tile;
    const float v0 = glm::dot(origin, dirV);

    float t = 0.0f;
    while (t < lenV - 1e-4f) {
        const float tileIndex = std::floor((v0 + t) / band.tile + 1e-4f);
        const float tileEnd = (tileIndex + 1.0f) * band.tile - v0;
        const float tNext = std::fmin(tileEnd, lenV);
        const float fa = (v0 + t) / band.tile - tileIndex;
        const float fb = (v0 + tNext) / band.tile - tileIndex;
        const glm::vec3 pa = origin + dirV * t;
        const glm::vec3 pb = origin + dirV * tNext;
        const MeshVertex a{pa, normal, {u0, bandV(band, fa)}};
        const MeshVertex b{pa + edgeU, normal, {u1, bandV(band, fa)}};
        const MeshVertex c{pb + edgeU, normal, {u1, bandV(band, fb)}};
        const MeshVertex d{pb, normal, {u0, bandV(band, fb)}};
        addTriangle(a, b, c);
        addTriangle(a, c, d);
        t = tNext;
    }
}

void MeshBuilder::addBox(glm::vec3 lo, glm::vec3 hi, const BoxBands& bands, bool withBottom) {
    const glm::vec3 d = hi - lo;
    // Each face: origin and edges ordered so that cross(edgeU, edgeV) points out of the box.
    addTiledQuad({lo.x, hi.y, hi.z}, {d.x, 0, 0}, {0, 0, -d.z}, bands.top);
    if (withBottom) addTiledQuad({lo.x, lo.y, lo.z}, {d.x, 0, 0}, {0, 0, d.z}, bands.bottom);
    addTiledQuad({hi.x, lo.y, hi.z}, {0, 0, -d.z}, {0, d.y, 0}, bands.sides);
    addTiledQuad({lo.x, lo.y, lo.z}, {0, 0, d.z}, {0, d.y, 0}, bands.sides);
    addTiledQuad({lo.x, lo.y, hi.z}, {d.x, 0, 0}, {0, d.y, 0}, bands.sides);
    addTiledQuad({hi.x, lo.y, lo.z}, {-d.x, 0, 0}, {0, d.y, 0}, bands.sides);
}

void MeshBuilder::addRamp(glm::vec3 lo, glm::vec3 hi, glm::vec3 risesTowards,
                          const BoxBands& bands) {
    const glm::vec3 centre = (lo + hi) * 0.5f;
    const glm::vec3 rise = glm::normalize(risesTowards);
    const glm::vec3 across = glm::vec3(std::fabs(rise.z), 0.0f, std::fabs(rise.x));
    const float length = std::fabs(glm::dot(hi - lo, rise));
    const float width = std::fabs(glm::dot(hi - lo, across));
    const float height = hi.y - lo.y;
    // Bottom-centre of the low end, then the corners relative to it.
    glm::vec3 lowMid = centre - rise * (length * 0.5f);
    lowMid.y = lo.y;
    const glm::vec3 halfAcross = across * (width * 0.5f);
    const glm::vec3 lowA = lowMid - halfAcross;
    const glm::vec3 lowB = lowMid + halfAcross;
    const glm::vec3 highA = lowA + rise * length + glm::vec3(0, height, 0);
    const glm::vec3 highB = lowB + rise * length + glm::vec3(0, height, 0);

    // Sloped top: flip the across edge when needed so that its normal points up.
    glm::vec3 origin = lowA;
    glm::vec3 edgeU = lowB - lowA;
    const glm::vec3 edgeV = highA - lowA;
    if (glm::cross(edgeU, edgeV).y < 0.0f) {
        origin = lowB;
        edgeU = -edgeU;
    }
    addTiledQuad(origin, edgeU, edgeV, bands.top);

    // The high end's vertical face, facing along the rise.
    const glm::vec3 highBaseA = highA - glm::vec3(0, height, 0);
    const glm::vec3 highBaseB = highB - glm::vec3(0, height, 0);
    glm::vec3 endOrigin = highBaseA;
    glm::vec3 endU = highBaseB - highBaseA;
    if (glm::dot(glm::cross(endU, glm::vec3(0, height, 0)), rise) < 0.0f) {
        endOrigin = highBaseB;
        endU = -endU;
    }
    addTiledQuad(endOrigin, endU, {0, height, 0}, bands.sides);

    // The two triangular sides, textured by height and distance along the rise.
    const auto sideUv = [&](glm::vec3 p) {
        const float along = glm::dot(p - lowA, rise) / bands.sides.tile;
        const float f = height > 0.0f ? (p.y - lo.y) / height : 0.0f;
        return glm::vec2(along, bandV(bands.sides, f));
    };
    const glm::vec3 sides[2][3] = {{lowA, highBaseA, highA}, {lowB, highBaseB, highB}};
    const glm::vec3 outward[2] = {-across, across};
    for (int s = 0; s < 2; ++s) {
        glm::vec3 a = sides[s][0];
        glm::vec3 b = sides[s][1];
        const glm::vec3 c = sides[s][2];
        if (glm::dot(glm::cross(b - a, c - a), outward[s]) < 0.0f) std::swap(a, b);
        addFlatTriangle(a, b, c, sideUv(a), sideUv(b), sideUv(c));
    }
}

bool MeshBuilder::writeObj(const std::string& objPath, const std::string& mtlName,
                           const std::string& materialName, const std::string& diffuseFile,
                           const std::string& specularFile, float shininess) const {
    // Shared positions, texture coordinates and normals are written once each, numbered in the
    // order they first appear, so the file stays small and its bytes stay fixed.
    std::map<std::string, std::size_t> positionIds;
    std::map<std::string, std::size_t> uvIds;
    std::map<std::string, std::size_t> normalIds;
    std::string positions;
    std::string uvs;
    std::string normals;
    std::string faces;
    const auto idOf = [](std::map<std::string, std::size_t>& ids, std::string& lines,
                         const std::string& key, const char* prefix) {
        const auto found = ids.find(key);
        if (found != ids.end()) return found->second;
        const std::size_t id = ids.size() + 1;
        ids.emplace(key, id);
        lines += prefix;
        lines += key;
        lines += '\n';
        return id;
    };
    for (std::size_t i = 0; i < vertices_.size(); i += 3) {
        faces += "f";
        for (std::size_t k = 0; k < 3; ++k) {
            const MeshVertex& v = vertices_[i + k];
            const std::size_t p =
                idOf(positionIds, positions,
                     fmt(v.position.x) + " " + fmt(v.position.y) + " " + fmt(v.position.z), "v ");
            const std::size_t t = idOf(uvIds, uvs, fmt(v.uv.x) + " " + fmt(v.uv.y), "vt ");
            const glm::vec3 n = glm::normalize(v.normal);
            const std::size_t q =
                idOf(normalIds, normals, fmt(n.x) + " " + fmt(n.y) + " " + fmt(n.z), "vn ");
            faces += " " + std::to_string(p) + "/" + std::to_string(t) + "/" + std::to_string(q);
        }
        faces += "\n";
    }

    std::FILE* obj = std::fopen(objPath.c_str(), "wb");
    if (obj == nullptr) return false;
    std::string header =
        "# Generated by glimmerdeep-assets.\nmtllib " + mtlName + "\no " + materialName + "\n";
    std::string body =
        header + positions + uvs + normals + "usemtl " + materialName + "\ns off\n" + faces;
    const bool objOk = std::fwrite(body.data(), 1, body.size(), obj) == body.size();
    std::fclose(obj);
    if (!objOk) return false;

    const std::string mtlPath = objPath.substr(0, objPath.find_last_of('/') + 1) + mtlName;
    std::FILE* mtl = std::fopen(mtlPath.c_str(), "wb");
    if (mtl == nullptr) return false;
    std::string material = "# Generated by glimmerdeep-assets.\nnewmtl " + materialName +
                           "\nKa 0.10000 0.10000 0.10000\nKd 1.00000 1.00000 1.00000\n"
                           "Ks 0.50000 0.50000 0.50000\nNs " +
                           fmt(shininess) + "\nillum 2\nmap_Kd " + diffuseFile + "\nmap_Ks " +
                           specularFile + "\n";
    const bool mtlOk = std::fwrite(material.data(), 1, material.size(), mtl) == material.size();
    std::fclose(mtl);
    return mtlOk;
}

}  // namespace assetgen
