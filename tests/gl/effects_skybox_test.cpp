// Sky faces into a cube map (channel counts, sizes, missing files) and the sky pass behind all.
#include <GL/glew.h>
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <array>
#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "effects/skybox.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

const char* const kFaceNames[6] = {"right.png",  "left.png",  "top.png",
                                   "bottom.png", "front.png", "back.png"};

// A size x size image with a different colour in every texel, in the given channel count.
// Colour channels are the same whatever the count; extra channels are alpha 200.
std::vector<unsigned char> patternPixels(int size, int channels, int salt) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const auto r = static_cast<unsigned char>(17 * x + 3 * salt + 1);
            const auto g = static_cast<unsigned char>(29 * y + 40);
            const auto b = static_cast<unsigned char>(11 * (x + y) + 7 * salt);
            if (channels <= 2) {
                pixels.push_back(r);
            } else {
                pixels.push_back(r);
                pixels.push_back(g);
                pixels.push_back(b);
            }
            if (channels == 2 || channels == 4) pixels.push_back(200);
        }
    }
    return pixels;
}

void writePng(const fs::path& path, int size, int channels, const std::vector<unsigned char>& px) {
    ASSERT_NE(
        stbi_write_png(path.string().c_str(), size, size, channels, px.data(), size * channels), 0);
}

void writeSolidPng(const fs::path& path, int width, int height, glm::u8vec3 color) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(color.r);
        pixels.push_back(color.g);
        pixels.push_back(color.b);
    }
    ASSERT_NE(stbi_write_png(path.string().c_str(), width, height, 3, pixels.data(), width * 3), 0);
}

std::vector<std::string> facePaths(const fs::path& dir, const std::string& prefix = "") {
    std::vector<std::string> paths;
    for (const char* name : kFaceNames) paths.push_back((dir / (prefix + name)).string());
    return paths;
}

// The RGB texels of one cube face as GL holds them.
std::vector<unsigned char> readFace(GLuint cubemap, int face, int size) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(size * size * 3));
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), 0, GL_RGB,
                  GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint faceWidth(GLuint cubemap, int face) {
    GLint width = -1;
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), 0,
                             GL_TEXTURE_WIDTH, &width);
    return width;
}

class SkyCubemap : public testsupport::GlTest {
protected:
    void SetUp() override {
        testsupport::GlTest::SetUp();
        dir_ = testsupport::makeTempDir("glimmer-sky");
        // The game's text renderer leaves 1 behind; the faces must not depend on it here.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    // Loading sets alignment 1; the other suites sharing this context expect the default back.
    void TearDown() override {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
};

TEST_F(SkyCubemap, MissingFaceIsNamedAndTheOthersLoad) {
    std::vector<std::string> paths = facePaths(dir_);
    for (int i = 0; i < 6; ++i) {
        if (i != 2) writeSolidPng(paths[static_cast<std::size_t>(i)], 4, 4, {10, 20, 30});
    }
    testsupport::CoutCapture capture;
    const GLuint cubemap = effects::loadCubemap(paths);
    EXPECT_EQ(capture.text(), "Cubemap texture failed to load at path: " + paths[2] + "\n");
    EXPECT_TRUE(glIsTexture(cubemap));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(faceWidth(cubemap, i), i == 2 ? 0 : 4) << "face " << i;
    // The result stays bound on the cube-map target of the active unit.
    GLint bound = 0;
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), cubemap);
    glDeleteTextures(1, &cubemap);
}

TEST_F(SkyCubemap, LoadedCubemapIsLeftBound) {
    std::vector<std::string> paths = facePaths(dir_);
    for (const std::string& path : paths) writeSolidPng(path, 2, 2, {1, 2, 3});
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    const GLuint cubemap = effects::loadCubemap(paths);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), cubemap);
    GLint wrapR = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrapR);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(wrapR, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(magFilter, GL_LINEAR);
    glDeleteTextures(1, &cubemap);
}

TEST_F(SkyCubemap, EveryChannelCountReadsTheSameColours) {
    // 5 texels per row: 15 bytes of RGB and 5 of grey, neither a multiple of 4.
    constexpr int kSize = 5;
    std::array<GLuint, 5> cubemaps{};
    for (int channels = 1; channels <= 4; ++channels) {
        const std::string prefix = std::to_string(channels) + "-";
        const std::vector<std::string> paths = facePaths(dir_, prefix);
        for (int face = 0; face < 6; ++face) {
            writePng(paths[static_cast<std::size_t>(face)], kSize, channels,
                     patternPixels(kSize, channels, face));
        }
        testsupport::CoutCapture capture;
        cubemaps[static_cast<std::size_t>(channels)] = effects::loadCubemap(paths);
        EXPECT_EQ(capture.text(), "") << channels << " channels";
    }
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const std::vector<unsigned char> rgb = patternPixels(kSize, 3, face);
        EXPECT_EQ(readFace(cubemaps[3], face, kSize), rgb);
        EXPECT_EQ(readFace(cubemaps[4], face, kSize), rgb);
        // Grey faces stay grey: every texel has its grey value in all three channels.
        const std::vector<unsigned char> grey = patternPixels(kSize, 1, face);
        std::vector<unsigned char> greyRgb;
        for (const unsigned char value : grey) greyRgb.insert(greyRgb.end(), {value, value, value});
        EXPECT_EQ(readFace(cubemaps[1], face, kSize), greyRgb);
        EXPECT_EQ(readFace(cubemaps[2], face, kSize), greyRgb);
    }
    for (std::size_t i = 1; i < cubemaps.size(); ++i) glDeleteTextures(1, &cubemaps[i]);
}

TEST_F(SkyCubemap, FaceOfAnotherSizeOrShapeIsRefused) {
    std::vector<std::string> paths = facePaths(dir_);
    for (int i = 0; i < 6; ++i) {
        const int width = i == 3 ? 8 : 4;
        const int height = i == 5 ? 6 : width;
        writeSolidPng(paths[static_cast<std::size_t>(i)], width, height, {90, 80, 70});
    }
    testsupport::CoutCapture capture;
    const GLuint cubemap = effects::loadCubemap(paths);
    EXPECT_EQ(capture.text(), "Cubemap texture failed to load at path: " + paths[3] + "\n" +
                                  "Cubemap texture failed to load at path: " + paths[5] + "\n");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(faceWidth(cubemap, i), (i == 3 || i == 5) ? 0 : 4) << "face " << i;
    }
    glDeleteTextures(1, &cubemap);
}

// The sky pass: a run tree whose faces have one solid colour each.
class SkyPass : public testsupport::GlTest {
protected:
    static constexpr int kSize = 32;

    void SetUp() override {
        testsupport::GlTest::SetUp();
        root_ = testsupport::makeTempDir("glimmer-skypass");
        const fs::path& root = root_;
        fs::create_directories(root / "assets" / "textures" / "skybox");
        fs::create_directory_symlink(fs::path(GLIMMER_SOURCE_DIR) / "assets" / "shaders",
                                     root / "assets" / "shaders");
        for (int i = 0; i < 6; ++i) {
            writeSolidPng(root / "assets" / "textures" / "skybox" / kFaceNames[i], 4, 4,
                          faceColors_[i]);
        }
        fs::create_directories(root / "run");
        runDir_ = (root / "run").string();

        glGenTextures(1, &color_);
        glBindTexture(GL_TEXTURE_2D, color_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kSize, kSize);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &color_);
        glDeleteRenderbuffers(1, &depth_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // Clears the target, marks the left half as already drawn (grey, far but not at the far
    // plane: nearer than 1.0, farther than the unit cube would be without the push), and
    // draws the sky; returns the RGBA pixels.
    std::vector<float> drawOver(const effects::Skybox& sky, const physics::Camera& camera,
                                float brightness) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, kSize, kSize);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, kSize / 2, kSize);
        glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
        glClearDepth(0.99);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glClearDepth(1.0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

        sky.drawSky(camera, kSize, kSize, brightness);
        glDisable(GL_CULL_FACE);
        std::vector<float> pixels(static_cast<std::size_t>(kSize * kSize * 4));
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return pixels;
    }

    static glm::vec3 at(const std::vector<float>& pixels, int x, int y) {
        const float* p = &pixels[static_cast<std::size_t>((y * kSize + x) * 4)];
        return {p[0], p[1], p[2]};
    }

    static glm::vec3 faceColor(int face) { return glm::vec3(faceColors_[face]) / 255.0f; }

    static constexpr glm::u8vec3 faceColors_[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                   {255, 255, 0}, {0, 255, 255}, {200, 100, 50}};
    fs::path root_;
    std::string runDir_;
    GLuint framebuffer_ = 0;
    GLuint color_ = 0;
    GLuint depth_ = 0;
};

TEST_F(SkyPass, BuildsQuietlyAndBindsTheCubemapOnUnitZero) {
    testsupport::ScopedWorkingDirectory cwd(runDir_);
    testsupport::CoutCapture capture;
    const effects::Skybox sky;
    EXPECT_EQ(capture.text(), "");
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), sky.cubemapTexture);
    glBindVertexArray(0);
}

TEST_F(SkyPass, FillsOnlyThePixelsNothingCovered) {
    testsupport::ScopedWorkingDirectory cwd(runDir_);
    const effects::Skybox sky;
    // The default camera looks down -z, into the last face.
    const physics::Camera camera;
    const std::vector<float> pixels = drawOver(sky, camera, 1.0f);
    const glm::vec3 expected = faceColor(5);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const glm::vec3 got = at(pixels, x, y);
            const glm::vec3 want = x < kSize / 2 ? glm::vec3(0.25f) : expected;
            ASSERT_NEAR(got.r, want.r, 0.01f) << x << "," << y;
            ASSERT_NEAR(got.g, want.g, 0.01f) << x << "," << y;
            ASSERT_NEAR(got.b, want.b, 0.01f) << x << "," << y;
        }
    }
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);
}

TEST_F(SkyPass, SkyFollowsTheViewDirectionButNotThePosition) {
    testsupport::ScopedWorkingDirectory cwd(runDir_);
    const effects::Skybox sky;
    physics::Camera camera;
    camera.position = glm::vec3(-40.0f, 30.0f, 90.0f);
    // Turned to look along +x: the first face.
    camera.yaw = 0.0f;
    camera.updateCameraAxes();
    const std::vector<float> pixels = drawOver(sky, camera, 1.0f);
    const glm::vec3 got = at(pixels, 3 * kSize / 4, kSize / 2);
    EXPECT_NEAR(got.r, faceColor(0).r, 0.01f);
    EXPECT_NEAR(got.g, faceColor(0).g, 0.01f);
    EXPECT_NEAR(got.b, faceColor(0).b, 0.01f);
}

TEST_F(SkyPass, BrightnessScalesTheSky) {
    testsupport::ScopedWorkingDirectory cwd(runDir_);
    const effects::Skybox sky;
    const physics::Camera camera;
    const glm::vec3 full = at(drawOver(sky, camera, 1.0f), kSize - 2, 3);
    const glm::vec3 dim = at(drawOver(sky, camera, 0.4f), kSize - 2, 3);
    EXPECT_GT(full.r, 0.5f);
    EXPECT_NEAR(dim.r, full.r * 0.4f, 0.01f);
    EXPECT_NEAR(dim.g, full.g * 0.4f, 0.01f);
    EXPECT_NEAR(dim.b, full.b * 0.4f, 0.01f);
}

}  // namespace

namespace {

// The statue's program over a sky of one colour: a square of stone facing +z, drawn at an angle.
class SkyReflection : public testsupport::GlTest {
protected:
    static constexpr int kSize = 16;

    void SetUp() override {
        testsupport::GlTest::SetUp();
        dir_ = testsupport::makeTempDir("glimmer-reflect");
        std::vector<std::string> paths = facePaths(dir_);
        for (const std::string& path : paths) writeSolidPng(path, 2, 2, {0, 255, 0});
        testsupport::CoutCapture capture;
        const std::string shaders = std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/";
        shader_ = render::Shader((shaders + "vShader_cubemap.txt").c_str(),
                                 (shaders + "fShader_cubemap.txt").c_str());
        glActiveTexture(GL_TEXTURE0);
        cubemap_ = effects::loadCubemap(paths);
        ASSERT_EQ(capture.text(), "");

        // Position then normal, the mesh layout's first two locations.
        const float square[] = {-1, -1, 0, 0, 0, 1, 1, -1, 0, 0, 0, 1, 1,  1, 0, 0, 0, 1,
                                -1, -1, 0, 0, 0, 1, 1, 1,  0, 0, 0, 1, -1, 1, 0, 0, 0, 1};
        glGenVertexArrays(1, &vao_);
        glGenBuffers(1, &vbo_);
        glBindVertexArray(vao_);
        glBindBuffer(GL_ARRAY_BUFFER, vbo_);
        glBufferData(GL_ARRAY_BUFFER, sizeof(square), square, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 6 * sizeof(float), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 6 * sizeof(float),
                              reinterpret_cast<void*>(3 * sizeof(float)));
        glBindVertexArray(0);

        glGenTextures(1, &color_);
        glBindTexture(GL_TEXTURE_2D, color_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &color_);
        glDeleteTextures(1, &cubemap_);
        glDeleteBuffers(1, &vbo_);
        glDeleteVertexArrays(1, &vao_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // The centre pixel of the square turned by `degrees` about y, seen from 3 units along +z.
    glm::vec3 centreAt(float degrees, float brightness) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const glm::vec3 eye(0.0f, 0.0f, 3.0f);
        const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        const glm::mat4 model =
            glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::vec3(0.0f, 1.0f, 0.0f));
        shader_.use();
        shader_.setUniformMat4("projectionView", physics::projectionMatrix(kSize, kSize) * view);
        shader_.setUniformMat4("model", model);
        shader_.setUniformVec3("cameraPos", eye);
        shader_.setUniformFloat("brightness", brightness);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap_);
        glBindVertexArray(vao_);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glBindVertexArray(0);
        float pixel[4] = {};
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_FLOAT, pixel);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return {pixel[0], pixel[1], pixel[2]};
    }

    fs::path dir_;
    render::Shader shader_;
    GLuint cubemap_ = 0;
    GLuint vao_ = 0;
    GLuint vbo_ = 0;
    GLuint color_ = 0;
    GLuint framebuffer_ = 0;
};

TEST_F(SkyReflection, StoneMirrorsTheSkyMoreAtGrazingAngles) {
    const glm::vec3 headOn = centreAt(0.0f, 1.0f);
    const glm::vec3 grazing = centreAt(80.0f, 1.0f);
    // Seen head-on the stone's own tint shows (the green sky has no red in it)...
    EXPECT_GT(headOn.r, 0.05f);
    EXPECT_GT(headOn.g, headOn.r);
    // ...and at a grazing angle the sky's colour takes over.
    EXPECT_LT(grazing.r, headOn.r * 0.8f);
    EXPECT_GT(grazing.g, headOn.g);
}

TEST_F(SkyReflection, BrightnessScalesTheStatue) {
    const glm::vec3 full = centreAt(30.0f, 1.0f);
    const glm::vec3 dim = centreAt(30.0f, 0.5f);
    EXPECT_GT(full.g, 0.1f);
    EXPECT_NEAR(dim.r, full.r * 0.5f, 0.01f);
    EXPECT_NEAR(dim.g, full.g * 0.5f, 0.01f);
    EXPECT_EQ(centreAt(30.0f, 0.0f), glm::vec3(0.0f));
}

}  // namespace
