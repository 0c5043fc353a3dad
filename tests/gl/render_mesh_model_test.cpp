// Meshes and models on a live context: buffer layout, texture units and samplers, texture loading.
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "render/mesh.h"
#include "render/model.h"
#include "render/shader.h"
#include "support/gl_context.h"

namespace {

using testsupport::countOccurrences;
using testsupport::makeSolidTexture;
using testsupport::writeFile;

void writePng(const std::string& path, int width, int height, int channels,
              const std::vector<unsigned char>& pixels) {
    ASSERT_NE(
        stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels), 0);
}

std::vector<render::Vertex> triangleVertices() {
    std::vector<render::Vertex> vertices(3);
    vertices[0].position = {-1.0f, -1.0f, 0.0f};
    vertices[1].position = {1.0f, -1.0f, 0.0f};
    vertices[2].position = {0.0f, 1.0f, 0.0f};
    return vertices;
}

GLint boundTexture(GLuint unit) {
    GLint previous = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previous);
    glActiveTexture(GL_TEXTURE0 + unit);
    GLint id = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    glActiveTexture(static_cast<GLenum>(previous));
    return id;
}

GLint activeUnit() {
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    return unit - GL_TEXTURE0;
}

class RenderMesh : public testsupport::GlTest {
protected:
    std::string dir = testsupport::makeTempDir("glimmer-mesh");
};

TEST_F(RenderMesh, BuffersHoldEightyEightBytesPerVertexAndIntegerBoneIds) {
    const render::Mesh mesh(triangleVertices(), {0, 1, 2}, {});
    glBindVertexArray(mesh.vao);
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 3 * 88);
    GLint elementBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    EXPECT_EQ(static_cast<GLuint>(elementBuffer), mesh.ebo);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 3 * 4);

    const GLint expectedOffsets[] = {0, 12, 24, 32, 44, 56, 72};
    const GLint expectedSizes[] = {3, 3, 2, 3, 3, 4, 4};
    for (GLuint location = 0; location < 7; ++location) {
        GLint enabled = 0;
        GLint stride = 0;
        GLint components = 0;
        GLint integer = 0;
        void* offset = nullptr;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &components);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_INTEGER, &integer);
        glGetVertexAttribPointerv(location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
        EXPECT_EQ(enabled, GL_TRUE) << location;
        EXPECT_EQ(stride, 88) << location;
        EXPECT_EQ(components, expectedSizes[location]) << location;
        EXPECT_EQ(integer, location == 5 ? GL_TRUE : GL_FALSE) << location;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset),
                  static_cast<std::uintptr_t>(expectedOffsets[location]))
            << location;
    }
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderMesh, TexturesGoToTheirOwnUnitsWithNumberedSamplerNames) {
    const std::string vertexPath = writeFile(dir, "v.txt",
                                             "#version 460 core\n"
                                             "layout(location = 0) in vec3 aPos;\n"
                                             "void main() { gl_Position = vec4(aPos, 1.0); }\n");
    const std::string fragmentPath = writeFile(
        dir, "f.txt",
        "#version 460 core\n"
        "uniform sampler2D texture_diffuse1;\n"
        "uniform sampler2D texture_diffuse2;\n"
        "uniform sampler2D texture_specular1;\n"
        "out vec4 color;\n"
        "void main() { color = texture(texture_diffuse1, vec2(0.5)) +\n"
        "    texture(texture_diffuse2, vec2(0.5)) + texture(texture_specular1, vec2(0.5)); }\n");
    testsupport::CoutCapture capture;
    const render::Shader shader(vertexPath.c_str(), fragmentPath.c_str());
    ASSERT_EQ(capture.text(), "");
    shader.use();
    const char* names[] = {"texture_diffuse1", "texture_diffuse2", "texture_specular1"};
    // Start from values the draw must overwrite.
    for (const char* name : names) glUniform1i(glGetUniformLocation(shader.programId, name), 7);

    const GLuint first = makeSolidTexture(255, 0, 0);
    const GLuint second = makeSolidTexture(0, 255, 0);
    const GLuint third = makeSolidTexture(0, 0, 255);
    const render::Mesh mesh(triangleVertices(), {0, 1, 2},
                            {{first, "texture_diffuse", "a.png"},
                             {second, "texture_diffuse", "b.png"},
                             {third, "texture_specular", "c.png"}});
    for (int round = 0; round < 2; ++round) {
        mesh.draw(shader);
        for (GLint unit = 0; unit < 3; ++unit) {
            GLint value = -1;
            glGetUniformiv(shader.programId, glGetUniformLocation(shader.programId, names[unit]),
                           &value);
            EXPECT_EQ(value, unit) << names[unit] << " in draw " << round;
        }
        EXPECT_EQ(boundTexture(0), static_cast<GLint>(first));
        EXPECT_EQ(boundTexture(1), static_cast<GLint>(second));
        EXPECT_EQ(boundTexture(2), static_cast<GLint>(third));
        EXPECT_EQ(activeUnit(), 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderMesh, MeshWithoutTexturesLeavesUnitsAloneButEndsOnUnitZero) {
    const render::Shader shader;
    const GLuint marker = makeSolidTexture(1, 2, 3);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, marker);
    const render::Mesh mesh(triangleVertices(), {0, 1, 2}, {});
    mesh.drawGeometry();
    EXPECT_EQ(activeUnit(), 3);
    mesh.draw(shader);
    EXPECT_EQ(activeUnit(), 0);
    EXPECT_EQ(boundTexture(3), static_cast<GLint>(marker));
}

class RenderModelTextures : public testsupport::GlTest {
protected:
    std::string dir = testsupport::makeTempDir("glimmer-texture");

    std::string writeTexturedTriangle(const std::string& mtlBody) {
        writeFile(dir, "m.mtl", "newmtl skin\n" + mtlBody);
        return writeFile(dir, "t.obj",
                         "mtllib m.mtl\nusemtl skin\n"
                         "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n");
    }
};

TEST_F(RenderModelTextures, OneImageForDiffuseAndSpecularLoadsOnceAsDiffuse) {
    writePng(dir + "/shared.png", 2, 2, 3, std::vector<unsigned char>(12, 200));
    const std::string path = writeTexturedTriangle("map_Kd shared.png\nmap_Ks shared.png\n");
    testsupport::CoutCapture capture;
    const render::Model model(path);
    EXPECT_EQ(capture.text(), "");
    ASSERT_EQ(model.meshes.size(), 1u);
    ASSERT_EQ(model.texturesLoaded.size(), 1u);
    const std::vector<render::Texture>& textures = model.meshes[0].textures;
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0].id, textures[1].id);
    EXPECT_EQ(textures[0].type, "texture_diffuse");
    EXPECT_EQ(textures[1].type, "texture_diffuse");
    EXPECT_EQ(textures[1].path, "shared.png");
    EXPECT_EQ(glIsTexture(textures[0].id), GL_TRUE);
}

TEST_F(RenderModelTextures, MissingImageReportsTheMaterialsOwnPathAndStaysCached) {
    const std::string path = writeTexturedTriangle("map_Kd pics/absent.png\n");
    testsupport::CoutCapture capture;
    const render::Model model(path);
    EXPECT_EQ(capture.text(), "Texture failed to load at path: pics/absent.png\n");
    ASSERT_EQ(model.texturesLoaded.size(), 1u);
    EXPECT_NE(model.texturesLoaded[0].id, 0u);
    EXPECT_EQ(model.meshes.size(), 1u);
}

TEST_F(RenderModelTextures, TwoChannelImageLoadsAsRedGreen) {
    // Width 3 makes each 2-byte row 6 bytes long: not 4-byte aligned.
    const std::vector<unsigned char> pixels = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    writePng(dir + "/ga.png", 3, 2, 2, pixels);
    testsupport::CoutCapture capture;
    const GLuint id = render::loadTextureFile("ga.png", dir);
    EXPECT_EQ(capture.text(), "");
    glBindTexture(GL_TEXTURE_2D, id);
    GLint red = 0;
    GLint green = 0;
    GLint blue = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &red);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_GREEN_SIZE, &green);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_BLUE_SIZE, &blue);
    EXPECT_GT(red, 0);
    EXPECT_GT(green, 0);
    EXPECT_EQ(blue, 0);
    std::vector<unsigned char> readBack(pixels.size(), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RG, GL_UNSIGNED_BYTE, readBack.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(readBack, pixels);
}

TEST_F(RenderModelTextures, OddWidthRgbRowsArriveUnskewed) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 5 * 3 * 3; ++i) pixels.push_back(static_cast<unsigned char>(i * 5));
    writePng(dir + "/rgb.png", 5, 3, 3, pixels);
    const GLuint id = render::loadTextureFile("rgb.png", dir);
    glBindTexture(GL_TEXTURE_2D, id);
    std::vector<unsigned char> readBack(pixels.size(), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, readBack.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(readBack, pixels);
    GLint unpack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(unpack, 4);
}

TEST_F(RenderModelTextures, SixteenBitImagesLoadNarrowedAndUndecodableOnesAreRefused) {
    // A 2 x 1 grey PNG with 16-bit samples 0x1234 and 0xABCD: each texel keeps the high byte.
    writeFile(dir, "deep.png",
              std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x10\0\0\0\0"
                          "\x81\xD9\xFC\x15\0\0\0\x0DIDAT\x78\xDA\x63\x10\x32\x59\x7D\x16\0"
                          "\x03\x0C\x01\xBF\xB1\xE7\xD4\x4D\0\0\0\0IEND\xAE\x42\x60\x82",
                          70));
    writeFile(dir, "junk.png", "not an image at all");
    testsupport::CoutCapture capture;
    glBindTexture(GL_TEXTURE_2D, render::loadTextureFile("deep.png", dir));
    unsigned char texels[2] = {0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(texels[0], 0x12);
    EXPECT_EQ(texels[1], 0xAB);
    EXPECT_NE(render::loadTextureFile("junk.png", dir), 0u);
    EXPECT_EQ(capture.text(), "Texture failed to load at path: junk.png\n");
}

TEST_F(RenderModelTextures, EachMeshKeepsOnlyItsOwnDataWhileTheListsSpanTheModel) {
    writePng(dir + "/a.png", 1, 1, 3, {255, 0, 0});
    writePng(dir + "/b.png", 1, 1, 3, {0, 0, 255});
    writeFile(dir, "two.mtl", "newmtl first\nmap_Kd a.png\nnewmtl second\nmap_Kd b.png\n");
    const std::string path = writeFile(dir, "two.obj",
                                       "mtllib two.mtl\n"
                                       "o A\nusemtl first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                       "o B\nusemtl second\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
                                       "f 4 5 6\nf 5 7 6\n");
    testsupport::CoutCapture capture;
    const render::Model model(path);
    EXPECT_EQ(capture.text(), "");
    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.meshCount(), 2u);
    const render::Mesh& a = model.meshes[0];
    const render::Mesh& b = model.meshes[1];
    EXPECT_EQ(a.vertices.size(), 3u);
    EXPECT_EQ(b.vertices.size() + a.vertices.size(), model.vertices.size());
    ASSERT_EQ(a.textures.size(), 1u);
    ASSERT_EQ(b.textures.size(), 1u);
    EXPECT_EQ(a.textures[0].path, "a.png");
    EXPECT_EQ(b.textures[0].path, "b.png");
    // Mesh B indexes its own buffer; the model's list is shifted past A's vertices.
    for (std::size_t i = 0; i < b.indices.size(); ++i) {
        ASSERT_LT(b.indices[i], b.vertices.size());
        EXPECT_EQ(model.indexList()[a.indices.size() + i], b.indices[i] + a.vertices.size());
    }
    GLint bufferSize = 0;
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bufferSize);
    EXPECT_EQ(static_cast<std::size_t>(bufferSize), b.vertices.size() * sizeof(render::Vertex));
    EXPECT_EQ(countOccurrences(capture.text(), "ERROR"), 0u);
}

}  // namespace
