// The asset tree as files: the generator reproduces it byte for byte, and the sky faces join up.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>
#include <iterator>
#include <string>
#include <vector>

#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

const std::string kAssets = std::string(GLIMMER_SOURCE_DIR) + "/assets";
const std::string kGenerator = std::string(GLIMMER_BINARY_DIR) + "/glimmerdeep-assets";

// Relative paths of every generated file (models, textures, sounds) under root, sorted.
std::vector<std::string> generatedFiles(const std::string& root) {
    std::vector<std::string> files;
    for (const char* sub : {"objects", "textures", "sounds"}) {
        const fs::path base = fs::path(root) / sub;
        if (!fs::exists(base)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(base))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AssetRegeneration, GeneratorReproducesTheCommittedTreeByteForByte) {
    ASSERT_TRUE(fs::exists(kGenerator)) << "build the glimmerdeep-assets target first";
    const std::string out = testsupport::makeTempDir("glimmer-assets");
    const std::string command = "\"" + kGenerator + "\" \"" + out + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> fresh = generatedFiles(out);
    const std::vector<std::string> committed = generatedFiles(kAssets);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh, committed);
    for (const std::string& file : fresh) {
        EXPECT_TRUE(bytesOf(out + "/" + file) == bytesOf(kAssets + "/" + file))
            << file << " differs from the committed copy: rerun glimmerdeep-assets assets";
    }
    fs::remove_all(out);
}

TEST(AssetRegeneration, RejectsAMissingOutputFolderArgument) {
    ASSERT_TRUE(fs::exists(kGenerator));
    const std::string command = "\"" + kGenerator + "\" > /dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

// ---- sky -------------------------------------------------------------------------------------

const char* kFaces[6] = {"right", "left", "top", "bottom", "front", "back"};

struct Face {
    int size = 0;
    std::vector<unsigned char> rgb;
    glm::vec3 at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                               static_cast<std::size_t>(x)) *
                              3u;
        return glm::vec3(rgb[i], rgb[i + 1], rgb[i + 2]) / 255.0f;
    }
};

std::vector<Face> loadSky() {
    std::vector<Face> faces;
    for (const char* name : kFaces) {
        const std::string path = kAssets + "/textures/skybox/" + name + ".png";
        int w = 0, h = 0, n = 0;
        unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
        Face f;
        if (data != nullptr && w == h) {
            f.size = w;
            f.rgb.assign(data,
                         data + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3u);
        }
        stbi_image_free(data);
        faces.push_back(f);
    }
    return faces;
}

// GL's cube-map lookup: the face with the largest component, then (s, t) from its table row.
void lookUp(glm::vec3 d, int& face, float& s, float& t) {
    const glm::vec3 a = glm::abs(d);
    float sc = 0, tc = 0, ma = 0;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0 ? 0 : 1;
        ma = a.x;
        sc = d.x > 0 ? -d.z : d.z;
        tc = -d.y;
    } else if (a.y >= a.z) {
        face = d.y > 0 ? 2 : 3;
        ma = a.y;
        sc = d.x;
        tc = d.y > 0 ? d.z : -d.z;
    } else {
        face = d.z > 0 ? 4 : 5;
        ma = a.z;
        sc = d.z > 0 ? d.x : -d.x;
        tc = -d.y;
    }
    s = 0.5f * (sc / ma + 1.0f);
    t = 0.5f * (tc / ma + 1.0f);
}

glm::vec3 sample(const std::vector<Face>& faces, glm::vec3 d) {
    int face = 0;
    float s = 0, t = 0;
    lookUp(d, face, s, t);
    const Face& f = faces[static_cast<std::size_t>(face)];
    const int x = std::clamp(static_cast<int>(s * static_cast<float>(f.size)), 0, f.size - 1);
    const int y = std::clamp(static_cast<int>(t * static_cast<float>(f.size)), 0, f.size - 1);
    return f.at(x, y);
}

TEST(SkyFaces, SixThreeChannelSquaresOfOneSize) {
    int size = 0;
    for (const char* name : kFaces) {
        const std::string path = kAssets + "/textures/skybox/" + name + ".png";
        int w = 0, h = 0, n = 0;
        ASSERT_EQ(stbi_info(path.c_str(), &w, &h, &n), 1) << path;
        EXPECT_EQ(n, 3) << path;
        EXPECT_EQ(w, h) << path;
        if (size == 0) size = w;
        EXPECT_EQ(w, size) << path;
    }
    EXPECT_EQ(size, 512);
}

TEST(SkyFaces, NeighbouringFacesAgreeAlongEverySharedEdge) {
    const std::vector<Face> faces = loadSky();
    for (const Face& f : faces) ASSERT_GT(f.size, 0);
    // Walk the twelve cube edges: directions on an edge, nudged to either side, must look alike.
    const glm::vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    int edges = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            const int k = 3 - i - j;
            for (float si : {-1.0f, 1.0f}) {
                for (float sj : {-1.0f, 1.0f}) {
                    std::vector<float> diffs;
                    for (float u = -0.95f; u <= 0.95f; u += 0.01f) {
                        const glm::vec3 base = axes[i] * si + axes[j] * sj + axes[k] * u;
                        const float nudge = 1.5f / static_cast<float>(faces[0].size);
                        const glm::vec3 onI = glm::normalize(base - axes[j] * sj * nudge);
                        const glm::vec3 onJ = glm::normalize(base - axes[i] * si * nudge);
                        diffs.push_back(glm::length(sample(faces, onI) - sample(faces, onJ)));
                    }
                    // Stars are clipped so that one on a single side of the edge does not
                    // decide; a face that is turned or swapped moves the milky way and the
                    // horizon glow across the whole edge and fails it.
                    float total = 0.0f;
                    for (float diff : diffs) total += std::min(diff, 0.1f);
                    EXPECT_LT(total / static_cast<float>(diffs.size()), 0.025f)
                        << "seam between axes " << i << " and " << j << " at " << si << "," << sj;
                    ++edges;
                }
            }
        }
    }
    EXPECT_EQ(edges, 12);
}

TEST(SkyFaces, SkyIsDarkAboveAndGlowsAtTheHorizon) {
    const std::vector<Face> faces = loadSky();
    for (const Face& f : faces) ASSERT_GT(f.size, 0);
    // Mean over a small patch, so a single star does not decide the comparison.
    const auto brightness = [&](glm::vec3 d) {
        float sum = 0.0f;
        for (int i = -3; i <= 3; ++i) {
            for (int j = -3; j <= 3; ++j) {
                const glm::vec3 c =
                    sample(faces, glm::normalize(d + glm::vec3(0.01f * static_cast<float>(i), 0.0f,
                                                               0.01f * static_cast<float>(j))));
                sum += c.r + c.g + c.b;
            }
        }
        return sum / 49.0f;
    };
    // Straight up is darker than the horizon in every direction around.
    for (int k = 0; k < 8; ++k) {
        const float a = 0.785398f * static_cast<float>(k);
        EXPECT_LT(brightness({0.0f, 1.0f, 0.0f}), brightness({std::cos(a), 0.03f, std::sin(a)}))
            << k;
    }
}

}  // namespace
