// The committed models: their files and materials, their sizes as the game places them, and the
// level's walls, hazards and walking route as a capsule of the game's proportions meets them.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/level_route.h"
#include "render/model.h"

namespace {

const std::string kObjects = std::string(GLIMMER_SOURCE_DIR) + "/assets/objects/";

struct Corner {
    glm::vec3 position;
    glm::vec2 uv;
    glm::vec3 normal;
};

struct Triangle {
    Corner c[3];
};

// The subset of OBJ that the generator writes: v, vt, vn, triangular f with v/vt/vn, mtllib.
struct ObjFile {
    bool readable = false;
    std::string mtllib;
    std::vector<Triangle> triangles;
    int objects = 0;
    int materialsUsed = 0;
    bool everyFaceComplete = true;
};

ObjFile readObj(const std::string& path) {
    ObjFile obj;
    std::ifstream in(path);
    if (!in) return obj;
    obj.readable = true;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string tag;
        words >> tag;
        if (tag == "v") {
            glm::vec3 p;
            words >> p.x >> p.y >> p.z;
            positions.push_back(p);
        } else if (tag == "vt") {
            glm::vec2 t;
            words >> t.x >> t.y;
            uvs.push_back(t);
        } else if (tag == "vn") {
            glm::vec3 n;
            words >> n.x >> n.y >> n.z;
            normals.push_back(n);
        } else if (tag == "mtllib") {
            words >> obj.mtllib;
        } else if (tag == "o") {
            ++obj.objects;
        } else if (tag == "usemtl") {
            ++obj.materialsUsed;
        } else if (tag == "f") {
            std::vector<std::string> refs;
            std::string ref;
            while (words >> ref) refs.push_back(ref);
            if (refs.size() != 3) {
                obj.everyFaceComplete = false;
                continue;
            }
            Triangle tri{};
            for (int k = 0; k < 3; ++k) {
                std::size_t p = 0, t = 0, n = 0;
                char slash = 0;
                std::istringstream r(refs[static_cast<std::size_t>(k)]);
                r >> p >> slash >> t >> slash >> n;
                if (!r || p == 0 || t == 0 || n == 0 || p > positions.size() || t > uvs.size() ||
                    n > normals.size()) {
                    obj.everyFaceComplete = false;
                    continue;
                }
                tri.c[k] = {positions[p - 1], uvs[t - 1], normals[n - 1]};
            }
            obj.triangles.push_back(tri);
        }
    }
    return obj;
}

struct Bounds {
    glm::vec3 lo{std::numeric_limits<float>::max()};
    glm::vec3 hi{std::numeric_limits<float>::lowest()};
};

Bounds boundsOf(const ObjFile& obj, const glm::mat4& model = glm::mat4(1.0f)) {
    Bounds b;
    for (const Triangle& t : obj.triangles) {
        for (const Corner& c : t.c) {
            const glm::vec3 p = glm::vec3(model * glm::vec4(c.position, 1.0f));
            b.lo = glm::min(b.lo, p);
            b.hi = glm::max(b.hi, p);
        }
    }
    return b;
}

std::string mtlValue(const std::string& mtlPath, const std::string& key) {
    std::ifstream in(mtlPath);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string tag, value;
        words >> tag >> value;
        if (tag == key) return value;
    }
    return {};
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

struct ModelFile {
    const char* path;
};
const ModelFile kModels[] = {
    {"level/lvl3_1.obj"},      {"plattform/plattformOrigin.obj"},
    {"brick/brickOrigin.obj"}, {"lamp/bos.obj"},
    {"spikes/spikes.obj"},     {"diamond/diamant.obj"},
    {"statue/statue.obj"},     {"waves/waves.obj"},
    {"speech/speech.obj"},
};

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

// ---- ray queries on the level ---------------------------------------------------------------

// Distance along a unit ray to a triangle, or a negative value when it misses.
float rayHit(glm::vec3 origin, glm::vec3 dir, const Triangle& tri) {
    const glm::vec3 a = tri.c[0].position, b = tri.c[1].position, c = tri.c[2].position;
    const glm::vec3 e1 = b - a, e2 = c - a;
    const glm::vec3 p = glm::cross(dir, e2);
    const float det = glm::dot(e1, p);
    if (std::fabs(det) < 1e-9f) return -1.0f;
    const glm::vec3 s = origin - a;
    const float u = glm::dot(s, p) / det;
    if (u < -1e-5f || u > 1.0f + 1e-5f) return -1.0f;
    const glm::vec3 q = glm::cross(s, e1);
    const float v = glm::dot(dir, q) / det;
    if (v < -1e-5f || u + v > 1.0f + 1e-5f) return -1.0f;
    return glm::dot(e2, q) / det;
}

float nearestHit(const ObjFile& level, glm::vec3 origin, glm::vec3 dir) {
    float best = std::numeric_limits<float>::max();
    for (const Triangle& t : level.triangles) {
        const float d = rayHit(origin, dir, t);
        if (d > 1e-4f) best = std::min(best, d);
    }
    return best;
}

// Heights of every level surface crossing the vertical line through (x, z), plus the ground
// plane at 0 that the physics world always has.
std::vector<float> surfacesAt(const ObjFile& level, float x, float z) {
    std::vector<float> ys{0.0f};
    const glm::vec3 origin(x, 1000.0f, z);
    for (const Triangle& t : level.triangles) {
        const float d = rayHit(origin, {0, -1, 0}, t);
        if (d > 0.0f) ys.push_back(1000.0f - d);
    }
    return ys;
}

float topSurfaceAt(const ObjFile& level, float x, float z) {
    const std::vector<float> ys = surfacesAt(level, x, z);
    return *std::max_element(ys.begin(), ys.end());
}

const ObjFile& level() {
    static const ObjFile file = readObj(kObjects + "level/lvl3_1.obj");
    return file;
}

// The player's capsule: radius 0.2, from the feet to 4.4 above them.
constexpr float kRadius = 0.2f;
constexpr float kHeight = 4.4f;
constexpr float kStep = 0.5f;
constexpr float kJumpRise = 11.0f;  // a little under the ~11.7 the jump reaches

struct Box {
    glm::vec3 centre;
    glm::vec3 half;
};
const Box kHazards[3] = {{{-2.5f, 4.0f, 10.0f}, {1.0f, 0.02f, 2.5f}},
                         {{0.5f, 2.5f, 1.5f}, {9.5f, 0.02f, 4.0f}},
                         {{-1.0f, 3.0f, -20.0f}, {3.5f, 0.02f, 6.0f}}};
const Box kGems[3] = {{{-5.0f, 7.0f, 10.0f}, {1, 1, 1}},
                      {{-10.0f, 2.5f, -8.0f}, {1, 1, 1}},
                      {{15.0f, 15.0f, -20.0f}, {1, 1, 1}}};

bool capsuleTouches(glm::vec2 xz, float footLo, float topHi, const Box& box) {
    return std::fabs(xz.x - box.centre.x) < box.half.x + kRadius &&
           std::fabs(xz.y - box.centre.z) < box.half.z + kRadius &&
           footLo < box.centre.y + box.half.y && topHi > box.centre.y - box.half.y;
}

// ---- files and materials ------------------------------------------------------------------

TEST(ModelFiles, EveryModelIsOneTexturedMeshWithItsMaterialImages) {
    for (const ModelFile& m : kModels) {
        SCOPED_TRACE(m.path);
        const std::string path = kObjects + m.path;
        const ObjFile obj = readObj(path);
        ASSERT_TRUE(obj.readable);
        EXPECT_GT(obj.triangles.size(), 0u);
        EXPECT_TRUE(obj.everyFaceComplete) << "faces must be triangles with v/vt/vn";
        EXPECT_EQ(obj.objects, 1);
        EXPECT_EQ(obj.materialsUsed, 1);
        ASSERT_FALSE(obj.mtllib.empty());
        const std::string folder = folderOf(path);
        const std::string mtl = folder + "/" + obj.mtllib;
        for (const char* key : {"map_Kd", "map_Ks"}) {
            const std::string image = mtlValue(mtl, key);
            ASSERT_FALSE(image.empty()) << key;
            EXPECT_EQ(image.find('/'), std::string::npos) << "textures live next to the model";
            int w = 0, h = 0, channels = 0;
            ASSERT_EQ(stbi_info((folder + "/" + image).c_str(), &w, &h, &channels), 1) << image;
            EXPECT_TRUE(isPowerOfTwo(w) && w <= 1024) << image << " width " << w;
            EXPECT_TRUE(isPowerOfTwo(h) && h <= 1024) << image << " height " << h;
            EXPECT_EQ(channels, 3) << image;
        }
    }
}

TEST(ModelFiles, TheGamesLoaderReadsEachFileAsOneMeshWithATangentFrame) {
    for (const ModelFile& m : kModels) {
        SCOPED_TRACE(m.path);
        const render::Model model(kObjects + m.path, render::ModelUpload::CpuOnly);
        ASSERT_TRUE(model.loaded());
        EXPECT_EQ(model.meshCount(), 1u);
        // Every triangle of the file reaches the collision lists.
        EXPECT_EQ(model.indexList().size(), 3u * readObj(kObjects + m.path).triangles.size());
        // Texture coordinates are there, so every vertex gets a tangent from them.
        std::size_t flat = 0;
        for (const render::Vertex& v : model.vertices)
            if (glm::length(v.tangent) < 0.5f) ++flat;
        EXPECT_EQ(flat, 0u);
    }
}

TEST(ModelFiles, TrianglesWindCounterClockwiseTowardsTheirNormals) {
    for (const ModelFile& m : kModels) {
        SCOPED_TRACE(m.path);
        const ObjFile obj = readObj(kObjects + m.path);
        int wrong = 0;
        for (const Triangle& t : obj.triangles) {
            const glm::vec3 face =
                glm::cross(t.c[1].position - t.c[0].position, t.c[2].position - t.c[0].position);
            const glm::vec3 n = t.c[0].normal + t.c[1].normal + t.c[2].normal;
            if (glm::dot(face, n) <= 0.0f) ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ModelFiles, ClosedPropsFaceOutwards) {
    for (const char* path :
         {"brick/brickOrigin.obj", "diamond/diamant.obj", "plattform/plattformOrigin.obj"}) {
        SCOPED_TRACE(path);
        const ObjFile obj = readObj(kObjects + path);
        ASSERT_FALSE(obj.triangles.empty());
        for (const Triangle& t : obj.triangles) {
            const glm::vec3 centroid = (t.c[0].position + t.c[1].position + t.c[2].position) / 3.0f;
            const glm::vec3 face =
                glm::cross(t.c[1].position - t.c[0].position, t.c[2].position - t.c[0].position);
            EXPECT_GT(glm::dot(face, centroid), 0.0f);
        }
    }
}

// ---- sizes as the game draws them ---------------------------------------------------------

TEST(ModelBounds, BrickIsTheCubeOfHalfSizeOne) {
    const Bounds b = boundsOf(readObj(kObjects + "brick/brickOrigin.obj"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(b.lo[k], -1.0f);
        EXPECT_FLOAT_EQ(b.hi[k], 1.0f);
    }
}

TEST(ModelBounds, GemFitsInsideItsTriggerWithRoomToSpare) {
    const Bounds b = boundsOf(readObj(kObjects + "diamond/diamant.obj"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(b.lo[k], -0.8f);
        EXPECT_LE(b.hi[k], 0.8f);
    }
    // Big enough to be seen: wider than one unit across.
    EXPECT_GT(b.hi.x - b.lo.x, 1.0f);
}

TEST(ModelBounds, SpikedBlockFillsItsCollisionBoxWithSpikesOnTop) {
    const ObjFile obj = readObj(kObjects + "spikes/spikes.obj");
    const Bounds b = boundsOf(obj);
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(b.lo[k], -1.0f);
        EXPECT_LE(b.hi[k], 1.0f);
    }
    EXPECT_GT(b.hi.y, 0.9f);
    EXPECT_LT(b.lo.y, -0.9f);
    // Tips: vertices at the top that are not on the box's corners.
    int tips = 0;
    for (const Triangle& t : obj.triangles)
        for (const Corner& c : t.c)
            if (c.position.y > 0.99f && std::fabs(c.position.x) < 0.9f) ++tips;
    EXPECT_GT(tips, 0);
}

TEST(ModelBounds, PlatformDeckIsFourByTenWhenDrawnAtItsScale) {
    const glm::mat4 drawn =
        glm::scale(glm::translate(glm::mat4(1.0f), {-15.0f, 5.0f, 0.0f}), {2.0f, 1.0f, 5.0f});
    const Bounds b = boundsOf(readObj(kObjects + "plattform/plattformOrigin.obj"), drawn);
    EXPECT_NEAR(b.hi.x - b.lo.x, 4.0f, 0.01f);
    EXPECT_NEAR(b.hi.z - b.lo.z, 10.0f, 0.01f);
    EXPECT_NEAR(b.hi.y, 5.25f, 0.01f);
    EXPECT_NEAR(b.lo.y, 4.75f, 0.01f);
}

TEST(ModelBounds, LanternFitsTheUnitBox) {
    const Bounds b = boundsOf(readObj(kObjects + "lamp/bos.obj"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(b.lo[k], -1.0f);
        EXPECT_LE(b.hi[k], 1.0f);
    }
}

TEST(ModelBounds, StatueStandsZUpAndIsAboutFourAndAHalfUnitsTallWhenDrawn) {
    const ObjFile obj = readObj(kObjects + "statue/statue.obj");
    const Bounds b = boundsOf(obj);
    EXPECT_NEAR(b.lo.z, 0.0f, 0.01f);
    EXPECT_GE(b.hi.z, 100.0f);
    EXPECT_LE(b.hi.z, 170.0f);
    EXPECT_GT(b.hi.z - b.lo.z, 1.5f * (b.hi.y - b.lo.y));
    EXPECT_GT(obj.triangles.size(), 2000u) << "smooth enough to mirror the sky";
    // Drawn with T(6, 0, 17) S(0.03) R(-90° about x): standing on the court floor.
    glm::mat4 drawn = glm::translate(glm::mat4(1.0f), {6.0f, 0.0f, 17.0f});
    drawn = glm::scale(drawn, glm::vec3(0.03f));
    drawn = glm::rotate(drawn, -1.5707964f, glm::vec3(1, 0, 0));
    const Bounds w = boundsOf(obj, drawn);
    EXPECT_NEAR(w.lo.y, 0.0f, 0.01f);
    EXPECT_GT(w.hi.y, 3.0f);
    // In the court, clear of the front wall's outer face at z 15.7.
    EXPECT_GT(w.lo.z, 15.7f);
}

TEST(ModelBounds, WaterCoversTheWaterHazardAtItsHeight) {
    const glm::mat4 drawn = glm::translate(glm::mat4(1.0f), {0.5f, 4.0f, 2.3f});
    const ObjFile obj = readObj(kObjects + "waves/waves.obj");
    const Bounds b = boundsOf(obj, drawn);
    const Box& water = kHazards[1];
    EXPECT_LE(b.lo.x, water.centre.x - water.half.x);
    EXPECT_GE(b.hi.x, water.centre.x + water.half.x);
    EXPECT_LE(b.lo.z, water.centre.z - water.half.z);
    EXPECT_GE(b.hi.z, water.centre.z + water.half.z);
    EXPECT_NEAR(b.lo.y, water.centre.y, 0.05f);
    EXPECT_NEAR(b.hi.y, water.centre.y, 0.05f);
    // Cells of about a unit, so the vertex waves have something to move.
    EXPECT_GE(obj.triangles.size(), 2u * 19u * 8u);
}

TEST(ModelBounds, SpeechBubbleIsAboutSixByThreeAndReadsFromPlusZ) {
    const glm::mat4 drawn = glm::translate(glm::mat4(1.0f), {6.0f, 10.0f, 17.0f});
    const ObjFile obj = readObj(kObjects + "speech/speech.obj");
    const Bounds b = boundsOf(obj, drawn);
    EXPECT_NEAR(b.hi.x - b.lo.x, 6.0f, 0.5f);
    EXPECT_GE(b.hi.y - b.lo.y, 3.0f);
    EXPECT_LE(b.hi.y - b.lo.y, 5.0f);
    EXPECT_LT(b.hi.z - b.lo.z, 1.0f);
    float frontArea = 0.0f;
    for (const Triangle& t : obj.triangles) {
        const glm::vec3 face =
            glm::cross(t.c[1].position - t.c[0].position, t.c[2].position - t.c[0].position);
        if (face.z > 0.0f && std::fabs(face.z) > 0.9f * glm::length(face))
            frontArea += 0.5f * glm::length(face);
    }
    EXPECT_GT(frontArea, 12.0f);
}

// ---- the level ------------------------------------------------------------------------------

TEST(LevelEnclosure, WallsSurroundTheStartAndEveryGem) {
    ASSERT_FALSE(level().triangles.empty());
    const glm::vec3 origins[] = {{0.0f, 1.0f, 50.0f}, kGems[0].centre,        kGems[1].centre,
                                 kGems[2].centre,     {-25.0f, 1.0f, -20.0f}, {15.0f, 1.0f, 10.0f}};
    for (const glm::vec3& o : origins) {
        for (int k = 0; k < 24; ++k) {
            const float a = 6.2831853f * static_cast<float>(k) / 24.0f;
            const glm::vec3 dir(std::cos(a), 0.0f, std::sin(a));
            EXPECT_LT(nearestHit(level(), o, dir), 100.0f)
                << "open towards " << dir.x << "," << dir.z << " from " << o.x << "," << o.y << ","
                << o.z;
        }
    }
}

TEST(LevelEnclosure, StaysWithinTheCameraRangeAndTheSunShadow) {
    float farthest = 0.0f;
    for (const Triangle& t : level().triangles)
        for (const Corner& c : t.c)
            farthest = std::max(farthest, glm::length(glm::vec2(c.position.x, c.position.z)));
    EXPECT_LT(farthest, 62.0f);
    EXPECT_LT(level().triangles.size(), 5000u);
}

TEST(LevelEnclosure, BrickDoorIsLeftOpenForTheLooseWall) {
    // No level surface inside the 5 × 5 × 1 space that the 25 bricks fill.
    for (float x = 12.75f; x < 17.5f; x += 0.5f) {
        for (float y = 0.25f; y < 5.0f; y += 0.5f) {
            EXPECT_GT(nearestHit(level(), {x, y, 14.0f}, {0, 0, 1}), 2.0f) << x << "," << y;
        }
    }
    // And a lintel right above it, so the bricks fill a real opening.
    EXPECT_LT(nearestHit(level(), {15.0f, 5.5f, 14.0f}, {0, 0, 1}), 1.0f);
}

TEST(LevelEnclosure, EveryLampHangsOnOrStandsOnSomething) {
    const glm::vec3 lamps[] = {{17.5f, 16, -3}, {-18, 16, 0.5f},   {5, 20, -13.7f},
                               {5, 20, -26.5f}, {-30.5f, 16, -20}, {-25, 16, 13.5f},
                               {0, 16, 13.5f},  {17.5f, 16, 10}};
    for (const glm::vec3& lamp : lamps) {
        // The lantern is drawn at half size: its top ring is 0.5 above, its base 0.5 below.
        const float above = nearestHit(level(), lamp, {0, 1, 0});
        const float below = nearestHit(level(), lamp, {0, -1, 0});
        EXPECT_TRUE(std::fabs(above - 0.5f) < 0.05f || std::fabs(below - 0.5f) < 0.05f)
            << lamp.x << "," << lamp.y << "," << lamp.z;
    }
}

TEST(LevelHazards, AnyFloorUnderAHazardPutsTheCapsuleThroughIt) {
    for (const Box& h : kHazards) {
        for (float fx = -0.95f; fx <= 0.95f; fx += 0.19f) {
            for (float fz = -0.95f; fz <= 0.95f; fz += 0.19f) {
                const float x = h.centre.x + fx * h.half.x;
                const float z = h.centre.z + fz * h.half.z;
                // Whatever one lands on there, the capsule spans the slab.
                const float top = topSurfaceAt(level(), x, z);
                EXPECT_LT(top, h.centre.y - h.half.y) << x << "," << z;
                EXPECT_GT(top + kHeight, h.centre.y + h.half.y) << x << "," << z;
            }
        }
    }
}

TEST(LevelHazards, RimsCannotBeSteppedOnToAndAreSafeToStandOn) {
    for (const Box& h : kHazards) {
        // Points just outside each edge of the slab, on the rim.
        for (float f = -0.9f; f <= 0.9f; f += 0.3f) {
            const glm::vec2 rims[4] = {{h.centre.x - h.half.x - 0.35f, h.centre.z + f * h.half.z},
                                       {h.centre.x + h.half.x + 0.35f, h.centre.z + f * h.half.z},
                                       {h.centre.x + f * h.half.x, h.centre.z - h.half.z - 0.35f},
                                       {h.centre.x + f * h.half.x, h.centre.z + h.half.z + 0.35f}};
            for (const glm::vec2& r : rims) {
                const float rim = topSurfaceAt(level(), r.x, r.y);
                EXPECT_GT(rim, h.centre.y + h.half.y) << r.x << "," << r.y;
                EXPECT_GE(rim, kStep + 0.49f) << r.x << "," << r.y;
            }
        }
    }
}

// Walks the route of level_route.h over the level's surfaces: the feet follow the highest surface
// within a step's reach, nothing may stand between the feet's step and the capsule's top, no
// hazard slab may touch the capsule, and each gem must have been touched by the waypoint that
// names it (standing, or at the top of a jump).
TEST(LevelRoute, TheRouteCollectsEveryGemWithoutTouchingAHazard) {
    using assetgen::route::kRoute;
    ASSERT_FLOAT_EQ(kRoute[0].x, 0.0f);
    ASSERT_FLOAT_EQ(kRoute[0].z, 50.0f);
    float foot = 0.0f;
    bool collected[3] = {false, false, false};
    const auto visit = [&](glm::vec2 p, float top) {
        for (int g = 0; g < 3; ++g)
            if (capsuleTouches(p, foot, top, kGems[g])) collected[g] = true;
        for (const Box& h : kHazards) {
            EXPECT_FALSE(capsuleTouches(p, foot, top, h)) << p.x << "," << p.y;
        }
    };
    for (std::size_t i = 1; i < std::size(kRoute); ++i) {
        const glm::vec2 a(kRoute[i - 1].x, kRoute[i - 1].z);
        const glm::vec2 b(kRoute[i].x, kRoute[i].z);
        const int samples = static_cast<int>(glm::length(b - a) / 0.05f) + 1;
        for (int s = 1; s <= samples; ++s) {
            const glm::vec2 p = glm::mix(a, b, static_cast<float>(s) / static_cast<float>(samples));
            float support = 0.0f;
            for (float y : surfacesAt(level(), p.x, p.y))
                if (y <= foot + kStep) support = std::max(support, y);
            foot = support;
            // Obstacles across the capsule's width between its step height and its top.
            const glm::vec2 probes[5] = {p, p + glm::vec2(kRadius, 0), p - glm::vec2(kRadius, 0),
                                         p + glm::vec2(0, kRadius), p - glm::vec2(0, kRadius)};
            for (const glm::vec2& q : probes) {
                for (float y : surfacesAt(level(), q.x, q.y)) {
                    ASSERT_FALSE(y > foot + kStep && y < foot + kHeight)
                        << "blocked at " << q.x << "," << q.y << " by a surface at " << y
                        << " (feet at " << foot << ") on leg " << i;
                }
            }
            visit(p, foot + kHeight);
        }
        if (kRoute[i].jump) {
            for (float y : surfacesAt(level(), b.x, b.y)) {
                EXPECT_FALSE(y > foot + kHeight && y < foot + kHeight + kJumpRise) << "ceiling";
            }
            visit(b, foot + kHeight + kJumpRise);
        }
        if (kRoute[i].gem > 0) {
            EXPECT_TRUE(collected[kRoute[i].gem - 1]) << "gem " << kRoute[i].gem;
        }
    }
    EXPECT_TRUE(collected[0] && collected[1] && collected[2]);
}

TEST(LevelRoute, TheGateIsOpenWhereTheRouteCrossesTheFrontWall) {
    // A second, always-open way in: a ray at chest height through the west gate meets no wall.
    EXPECT_GT(nearestHit(level(), {-14.5f, 2.0f, 20.0f}, {0, 0, -1}), 6.0f);
    // And the front wall between the two openings is solid.
    EXPECT_LT(nearestHit(level(), {0.0f, 2.0f, 20.0f}, {0, 0, -1}), 5.0f);
}

}  // namespace
