// Model files read without a GL context: meshes, collision lists, and what a material names.
#include <gtest/gtest.h>

#include "render/model.h"
#include "support/gl_context.h"

namespace {

// Loads a model from `text` (CPU only); `out` gets what it printed.
render::Model load(const std::string& name, const std::string& text, std::string& out) {
    static const std::string dir = testsupport::makeTempDir("glimmer-model");
    testsupport::CoutCapture capture;
    render::Model model(testsupport::writeFile(dir, name, text), render::ModelUpload::CpuOnly);
    out = capture.text();
    return model;
}

TEST(ModelFiles, EveryGoodMeshReachesTheCollisionListsWithIndicesShiftedPastTheOthers) {
    std::string out;
    // A refused mesh (NaN), a triangle at z 0, a quad at z 1 and one collapsed face at z 2.
    const render::Model model =
        load("mixed.obj",
             "o Bad\nv nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
             "o A\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 4 5 6\n"
             "o B\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\nv 2 0 1\nf 7 8 9\nf 8 10 9\nf 7 8 11\n",
             out);
    EXPECT_EQ(out, "ERROR::ASSIMP:: " + model.directory +
                       "/mixed.obj: mesh 0 has non-finite vertex coordinates\n");
    EXPECT_EQ(model.meshCount(), 2u);
    const std::vector<glm::vec3> positions = model.positionList();
    const std::vector<std::uint32_t> indices = model.indexList();
    ASSERT_EQ(indices.size(), 9u);
    // Every corner lands on its own object's plane, and B's quad reaches (1, 1).
    bool farCorner = false;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        ASSERT_LT(indices[i], positions.size());
        EXPECT_EQ(positions[indices[i]].z, i < 3 ? 0.0f : 1.0f) << i;
        farCorner = farCorner || positions[indices[i]] == glm::vec3(1, 1, 1);
    }
    EXPECT_TRUE(farCorner);
}

TEST(ModelFiles, TextureStatementsReachTheirMaterialAndThoseBeforeAnyMaterialAreDropped) {
    // Texture statements before any material crash Debian's Assimp; blanks open lines anywhere.
    const std::string libraries[] = {
        "# exported\n  newmtl skin\n  map_Kd skin.png\n", " newmtl skin\nmap_Kd skin.png\n",
        "  map_Kd lost.png\n newmtl other\nmap_Kd other.png\nnewmtl skin\n\tmap_Kd skin.png\n",
        "\xEF\xBB\xBFnewmtl skin\r\nmap_Kd skin.png\r\n", "map_Kd lost.png\n  newmtlskin\n"};
    for (std::size_t i = 0; i < std::size(libraries); ++i) {
        const std::string name = "m" + std::to_string(i);
        std::string out, seen;
        load(name + ".mtl", libraries[i], out);
        const render::Model model =
            load(name + ".obj",
                 "mtllib " + name + ".mtl\nusemtl skin\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3", out);
        for (const render::Texture& t : model.texturesLoaded) seen += t.type + " " + t.path + ";";
        EXPECT_EQ(out + seen, i < 4 ? "texture_diffuse skin.png;" : "") << libraries[i];
    }
}

}  // namespace
