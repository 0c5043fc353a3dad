// The committed assets: the generator makes them byte for byte, the statue stands where the game
// places it, and hazards are tanks a player can see and keep out of.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stb_image.h>

#include "app/level_geometry.h"
#include "app/level_layout.h"
#include "support/gl_context.h"

namespace {

namespace layout = app::layout;
const std::string kAssets = std::string(GLIMMER_SOURCE_DIR) + "/assets/";

TEST(Assets, TheGeneratorMakesTheCommittedTreeByteForByte) {
    const std::string generator = std::string(GLIMMER_BINARY_DIR) + "/glimmerdeep-assets";
    const std::string out = testsupport::makeTempDir("glimmer-assets");
    ASSERT_EQ(std::system(("\"" + generator + "\" \"" + out + "\" > /dev/null").c_str()), 0);
    EXPECT_NE(std::system(("\"" + generator + "\" > /dev/null").c_str()), 0) << "no folder";
    // diff names each file that is missing or differs.
    for (const std::string sub : {"objects", "textures", "sounds", "icons"}) {
        const std::string diff = "diff -r -q \"" + out + "/" + sub + "\" \"" + kAssets + sub + "\"";
        EXPECT_EQ(std::system(diff.c_str()), 0) << sub << ": rerun glimmerdeep-assets assets";
    }
    std::filesystem::remove_all(out);
    // The level's depth is drawn before its lit pass as if every texel were solid: a cut-out
    // (alpha below the lit program's 0.1) in its diffuse map would show as a hole, so none has one.
    const render::Model level(kAssets + app::kLevelModel, render::ModelUpload::CpuOnly);
    int diffuseMaps = 0;
    for (const render::Texture& texture : level.textures) {
        if (texture.type != "texture_diffuse") continue;
        ++diffuseMaps;
        int w = 0, h = 0, n = 0;
        unsigned char* rgba =
            stbi_load((level.directory + "/" + texture.path).c_str(), &w, &h, &n, 4);
        ASSERT_NE(rgba, nullptr) << texture.path;
        int cutOut = 0;
        for (int i = 0; i < w * h; ++i) cutOut += rgba[4 * i + 3] < 26;
        stbi_image_free(rgba);
        EXPECT_EQ(cutOut, 0) << texture.path;
    }
    EXPECT_EQ(diffuseMaps, 1);
}

TEST(Assets, TheStatueStandsOnTheCourtsFloorClearOfTheWallUnderItsSpeechBubble) {
    // A model as the game loads it: its bounds where `placed` puts it, and its triangles.
    const auto bounds = [](const char* path, const glm::mat4& placed) {
        const render::Model model(kAssets + path, render::ModelUpload::CpuOnly);
        glm::vec3 lo(1e9f), hi(-1e9f);
        for (const glm::vec3& p : model.positionList()) {
            lo = glm::min(lo, glm::vec3(placed * glm::vec4(p, 1.0f)));
            hi = glm::max(hi, glm::vec3(placed * glm::vec4(p, 1.0f)));
        }
        return std::tuple(lo, hi, model.indexList().size() / 3);
    };
    // Over 3 units tall, clear of the front wall, smooth enough to mirror the sky.
    const auto [lo, hi, triangles] = bounds(app::kStatueModel, layout::statueMatrix());
    EXPECT_NEAR(lo.y, 0.0f, 0.01f);
    EXPECT_TRUE(hi.y > 3.0f && lo.z > 15.7f && triangles > 2000u);
    EXPECT_GT(std::get<0>(bounds(app::kSpeechModel, layout::speechMatrix())).y, hi.y);
}

// Heights of the level's surfaces crossing the vertical line through (x, z), and the ground's.
std::vector<float> surfacesAt(const app::MeshLists& level, float x, float z) {
    std::vector<float> ys{0.0f};
    for (std::size_t i = 0; i + 2 < level.indices.size(); i += 3) {
        const glm::vec3 a = level.points[level.indices[i]], b = level.points[level.indices[i + 1]],
                        c = level.points[level.indices[i + 2]];
        const float area = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
        if (std::fabs(area) < 1e-6f) continue;
        const float w0 = ((b.x - x) * (c.z - z) - (c.x - x) * (b.z - z)) / area;
        const float w1 = ((c.x - x) * (a.z - z) - (a.x - x) * (c.z - z)) / area;
        if (w0 >= 0 && w1 >= 0 && w0 + w1 <= 1)
            ys.push_back(w0 * a.y + w1 * b.y + (1 - w0 - w1) * c.y);
    }
    return ys;
}

TEST(Assets, HazardsAreTanksWhoseFloorsPutThePlayerThroughTheSlabAndWhoseRimsAreSafe) {
    const app::MeshLists level = app::loadLevelGeometry(kAssets).level;
    const auto top = [&](float x, float z) {
        const std::vector<float> ys = surfacesAt(level, x, z);
        return *std::max_element(ys.begin(), ys.end());
    };
    for (const layout::Slab& h : layout::kHazards) {
        const glm::vec3 c = h.centre, e = h.halfExtents;
        for (float f = -0.95f; f <= 0.95f; f += 0.19f) {
            for (float g = -0.95f; g <= 0.95f; g += 0.19f) {
                // Whatever one lands on in a tank, the capsule (4.4 tall) spans the slab.
                const float floor = top(c.x + f * e.x, c.z + g * e.z);
                EXPECT_TRUE(floor < c.y - e.y && floor + 4.4f > c.y + e.y)
                    << c.x + f * e.x << "," << c.z + g * e.z;
            }
            // The rims, just outside the slab: above it, and too high to step onto from the floor.
            for (const glm::vec2 rim : {glm::vec2(c.x - e.x - 0.35f, c.z + f * e.z),
                                        glm::vec2(c.x + e.x + 0.35f, c.z + f * e.z),
                                        glm::vec2(c.x + f * e.x, c.z - e.z - 0.35f),
                                        glm::vec2(c.x + f * e.x, c.z + e.z + 0.35f)}) {
                EXPECT_GT(top(rim.x, rim.y), std::max(c.y + e.y, 0.99f)) << rim.x << "," << rim.y;
            }
        }
    }
}

}  // namespace
