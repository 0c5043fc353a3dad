// Model files read without a GL context: meshes, collision lists, and files refused with a line.
#include <gtest/gtest.h>

#include "render/model.h"
#include "support/gl_context.h"

namespace {

using testsupport::writeFile;

struct ModelFiles : ::testing::Test {
    render::Model load(const std::string& name, const std::string& text, std::string& out) {
        const std::string path = writeFile(dir, name, text);
        testsupport::CoutCapture capture;
        render::Model model(path, render::ModelUpload::CpuOnly);
        out = capture.text();
        return model;
    }
    std::string dir = testsupport::makeTempDir("glimmer-model");
};

TEST_F(ModelFiles, EveryGoodMeshReachesTheCollisionListsWithIndicesShiftedPastTheOthers) {
    std::string out;
    // A refused mesh (NaN), a triangle at z 0, a quad at z 1 and one collapsed face at z 2;
    // a material library that the CPU-only load never reads images of.
    writeFile(dir, "m.mtl", "newmtl skin\nmap_Kd nowhere.png\n");
    const render::Model model =
        load("mixed.obj",
             "mtllib m.mtl\nusemtl skin\no Bad\nv nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
             "o A\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 4 5 6\n"
             "o B\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\nv 2 0 1\nf 7 8 9\nf 8 10 9\nf 7 8 11\n",
             out);
    EXPECT_EQ(out, "ERROR::ASSIMP:: " + dir + "/mixed.obj: mesh 0 has non-finite vertex coordinates\n");
    EXPECT_EQ(model.meshCount(), 2u);
    EXPECT_EQ(model.directory, dir);
    EXPECT_TRUE(model.texturesLoaded.empty());
    const std::vector<glm::vec3> positions = model.positionList();
    const std::vector<std::uint32_t> indices = model.indexList();
    ASSERT_EQ(indices.size(), 9u);
    // Every corner lands on its own object's plane, and B's quad reaches (1, 1).
    bool farCorner = false;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        ASSERT_LT(indices[i], positions.size());
        const glm::vec3 p = positions[indices[i]];
        EXPECT_EQ(p.z, i < 3 ? 0.0f : 1.0f) << i;
        farCorner = farCorner || (p.x == 1.0f && p.y == 1.0f);
    }
    EXPECT_TRUE(farCorner);
    // Without texture coordinates: zero coordinates and a unit tangent across the normal.
    for (const render::Vertex& v : model.vertices) {
        EXPECT_EQ(v.texCoords, glm::vec2(0.0f));
        EXPECT_NEAR(glm::length(v.tangent), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::dot(v.normal, v.tangent), 0.0f, 1e-5f);
    }
}

TEST_F(ModelFiles, BadFilesAndUnusableMeshesGetOneLineAndNoGeometry) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    const struct {
        const char* name;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty.obj", "", ""},
        {"truncated.obj", "v 0 0 0\nv 1 0", ""},
        {"garbage.obj", garbage, ""},
        {"badindex.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n", ""},
        {"collinear.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n", "mesh 0 has no triangles"},
        {"repeated.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 1 2\n", "mesh 0 has no triangles"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", "mesh 0 has no triangles"},
        {"inf.obj", "v 1e999 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "mesh 0 has non-finite"},
    };
    for (const auto& c : cases) {
        std::string out;
        const render::Model model = load(c.name, c.text, out);
        EXPECT_EQ(out.rfind("ERROR::ASSIMP:: ", 0), 0u) << c.name << ": " << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << c.name << ": " << out;
        EXPECT_NE(out.find(c.reason), std::string::npos) << out;
        EXPECT_FALSE(model.loaded()) << c.name;
        EXPECT_TRUE(model.positionList().empty() && model.indexList().empty()) << c.name;
    }
    std::string out;
    testsupport::CoutCapture capture;
    EXPECT_FALSE(render::Model(dir + "/absent.obj", render::ModelUpload::CpuOnly).loaded());
    EXPECT_EQ(capture.text().rfind("ERROR::ASSIMP:: ", 0), 0u);
}

TEST_F(ModelFiles, TextureStatementsBeforeAnyMaterialAreIgnoredNotFatal) {
    // Assimp's own reader crashes on a map_Kd that belongs to no material.
    writeFile(dir, "loose.mtl",
              "# made by hand\nKd 1 1 1\n  map_Kd loose.png\nnewmtl stone\nKd 0.5 0.5 0.5\n");
    writeFile(dir, "orphan.mtl", "map_Kd lost.png\nmap_Ks lost.png\n");
    for (const char* library : {"loose.mtl", "orphan.mtl"}) {
        std::string out;
        const render::Model model =
            load("tri.obj",
                 std::string("mtllib ") + library + "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl stone\nf 1 2 3\n",
                 out);
        EXPECT_EQ(model.indexList().size(), 3u) << library;
    }
}

}  // namespace
