// Model import without a GL context: mesh splitting, collision lists, and refused input.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "render/model.h"
#include "support/gl_context.h"

namespace {

using testsupport::countOccurrences;
using testsupport::writeFile;

std::size_t countLines(const std::string& text) {
    std::size_t lines = 0;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Object A: one triangle at z = 0. Object B: a quad (two triangles) at z = 1.
const char* kTwoObjects =
    "o A\n"
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
    "f 1 2 3\n"
    "o B\n"
    "v 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
    "f 4 5 6\nf 5 7 6\n";

class RenderModelFiles : public ::testing::Test {
protected:
    std::string dir = testsupport::makeTempDir("glimmer-model");
};

TEST_F(RenderModelFiles, TwoMeshesShareOneCollisionListWithOffsetIndices) {
    const std::string path = writeFile(dir, "two.obj", kTwoObjects);
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    EXPECT_EQ(capture.text(), "");
    EXPECT_TRUE(model.loaded());
    EXPECT_EQ(model.meshCount(), 2u);
    EXPECT_TRUE(model.meshes.empty());

    const std::vector<glm::vec3> positions = model.positionList();
    const std::vector<std::uint32_t> indices = model.indexList();
    ASSERT_EQ(positions.size(), model.vertices.size());
    ASSERT_EQ(indices.size(), 9u);
    for (const std::uint32_t index : indices) ASSERT_LT(index, positions.size());

    // The first triangle belongs to A, the other two to B: every corner must land on its own
    // object's plane, which only holds when B's indices are shifted past A's vertices.
    for (std::size_t i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(positions[indices[i]].z, 0.0f);
    for (std::size_t i = 3; i < 9; ++i) EXPECT_FLOAT_EQ(positions[indices[i]].z, 1.0f);
    // B's quad spans the unit square, so its corners reach (1, 1).
    bool reachesFarCorner = false;
    for (std::size_t i = 3; i < 9; ++i) {
        const glm::vec3 p = positions[indices[i]];
        reachesFarCorner = reachesFarCorner || (p.x == 1.0f && p.y == 1.0f);
    }
    EXPECT_TRUE(reachesFarCorner);
}

TEST_F(RenderModelFiles, DirectoryIsThePathUpToItsLastSlash) {
    const std::string path = writeFile(dir, "two.obj", kTwoObjects);
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    EXPECT_EQ(model.directory, dir);
}

TEST_F(RenderModelFiles, MissingTexCoordsGiveZeroAndAnOrthonormalFrame) {
    const std::string path = writeFile(dir, "plain.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    ASSERT_EQ(model.vertices.size(), 3u);
    for (const render::Vertex& v : model.vertices) {
        EXPECT_EQ(v.texCoords, glm::vec2(0.0f));
        EXPECT_NEAR(glm::length(v.normal), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::length(v.tangent), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::dot(v.normal, v.tangent), 0.0f, 1e-5f);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(v.boneIds[k], 0);
            EXPECT_EQ(v.boneWeights[k], 0.0f);
        }
    }
}

TEST_F(RenderModelFiles, CpuOnlyLoadsNoTextures) {
    writeFile(dir, "m.mtl", "newmtl skin\nmap_Kd nowhere.png\n");
    const std::string path =
        writeFile(dir, "t.obj", "mtllib m.mtl\nusemtl skin\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    EXPECT_EQ(capture.text(), "");
    EXPECT_TRUE(model.textures.empty());
    EXPECT_TRUE(model.texturesLoaded.empty());
    EXPECT_EQ(model.indexList().size(), 3u);
}

TEST_F(RenderModelFiles, MissingFileGivesOneAssimpLineAndAnEmptyModel) {
    testsupport::CoutCapture capture;
    const render::Model model(dir + "/absent.obj", render::ModelUpload::CpuOnly);
    const std::string out = capture.text();
    EXPECT_TRUE(startsWith(out, "ERROR::ASSIMP:: ")) << out;
    EXPECT_EQ(countLines(out), 1u) << out;
    EXPECT_FALSE(model.loaded());
    EXPECT_EQ(model.meshCount(), 0u);
    EXPECT_TRUE(model.positionList().empty());
    EXPECT_TRUE(model.indexList().empty());
}

TEST_F(RenderModelFiles, EmptyTruncatedAndGarbageFilesAreReportedNotFatal) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    const std::vector<std::string> paths = {
        writeFile(dir, "empty.obj", ""),
        writeFile(dir, "truncated.obj", "v 0 0 0\nv 1 0"),
        writeFile(dir, "garbage.obj", garbage),
        writeFile(dir, "badindex.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"),
    };
    for (const std::string& path : paths) {
        testsupport::CoutCapture capture;
        const render::Model model(path, render::ModelUpload::CpuOnly);
        const std::string out = capture.text();
        EXPECT_TRUE(startsWith(out, "ERROR::ASSIMP:: ")) << path << ": " << out;
        EXPECT_EQ(countLines(out), 1u) << path << ": " << out;
        EXPECT_FALSE(model.loaded()) << path;
        EXPECT_TRUE(model.positionList().empty()) << path;
        EXPECT_TRUE(model.indexList().empty()) << path;
    }
}

struct RefusedMesh {
    const char* name;
    const char* text;
    const char* reason;
};

TEST_F(RenderModelFiles, UnusableMeshIsRefusedWithOneLineNamingTheFile) {
    const RefusedMesh cases[] = {
        {"collinear.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n", "no triangles"},
        {"repeated.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 1 2\n", "no triangles"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", "no triangles"},
        {"nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "non-finite"},
        {"inf.obj", "v 1e999 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "non-finite"},
    };
    for (const RefusedMesh& c : cases) {
        const std::string path = writeFile(dir, c.name, c.text);
        testsupport::CoutCapture capture;
        const render::Model model(path, render::ModelUpload::CpuOnly);
        const std::string out = capture.text();
        EXPECT_EQ(countLines(out), 1u) << c.name << ": " << out;
        EXPECT_TRUE(startsWith(out, "ERROR::ASSIMP:: " + path + ": mesh 0 ")) << out;
        EXPECT_NE(out.find(c.reason), std::string::npos) << out;
        EXPECT_EQ(model.meshCount(), 0u) << c.name;
        EXPECT_TRUE(model.positionList().empty()) << c.name;
        EXPECT_TRUE(model.indexList().empty()) << c.name;
    }
}

TEST_F(RenderModelFiles, RefusedMeshTakesNoRoomInTheListsOfTheOthers) {
    // A NaN mesh first, then a good triangle: the good one must index from 0 and stand alone.
    const std::string path = writeFile(dir, "mixed.obj",
                                       "o Bad\nv nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                       "o Good\nv 0 0 5\nv 1 0 5\nv 0 1 5\nf 4 5 6\n");
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    EXPECT_EQ(countLines(capture.text()), 1u) << capture.text();
    EXPECT_EQ(model.meshCount(), 1u);
    const std::vector<glm::vec3> positions = model.positionList();
    const std::vector<std::uint32_t> indices = model.indexList();
    ASSERT_EQ(positions.size(), 3u);
    ASSERT_EQ(indices.size(), 3u);
    for (const std::uint32_t index : indices) {
        ASSERT_LT(index, positions.size());
        EXPECT_FLOAT_EQ(positions[index].z, 5.0f);
    }
}

TEST_F(RenderModelFiles, DegenerateFacesAreDroppedFromAnOtherwiseGoodMesh) {
    const std::string path =
        writeFile(dir, "partly.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4\n");
    testsupport::CoutCapture capture;
    const render::Model model(path, render::ModelUpload::CpuOnly);
    EXPECT_EQ(capture.text(), "");
    const std::vector<glm::vec3> positions = model.positionList();
    const std::vector<std::uint32_t> indices = model.indexList();
    ASSERT_EQ(indices.size(), 3u);
    const glm::vec3 a = positions[indices[0]];
    const glm::vec3 cross = glm::cross(positions[indices[1]] - a, positions[indices[2]] - a);
    EXPECT_GT(glm::length(cross), 0.0f);
}

}  // namespace

namespace {

TEST_F(RenderModelFiles, TextureStatementsBeforeAnyMaterialAreIgnoredNotFatal) {
    // The importer's own reader crashes on a map_Kd that belongs to no material.
    writeFile(dir, "loose.mtl",
              "# made by hand\nKd 1 1 1\nmap_Kd loose.png\nnewmtl stone\nKd 0.5 0.5 0.5\n");
    writeFile(dir, "orphan.mtl", "map_Kd lost.png\nmap_Ks lost.png\n");
    for (const char* library : {"loose.mtl", "orphan.mtl"}) {
        const std::string path =
            writeFile(dir, "tri.obj",
                      std::string("mtllib ") + library +
                          "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl stone\nf 1 2 3\n");
        const render::Model model(path, render::ModelUpload::CpuOnly);
        EXPECT_TRUE(model.loaded()) << library;
        EXPECT_EQ(model.indexList().size(), 3u) << library;
    }
}

}  // namespace
