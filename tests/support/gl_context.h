// The GL tests' fixture: one hidden window with a 4.6 core debug context per test process, small
// float targets to draw into and read back, and files to feed the loaders.
#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <glm/glm.hpp>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "render/mesh.h"

namespace testsupport {

// Creates the context on first use; later calls make it current again. Null without a display
// or a 4.6 context.
GLFWwindow* sharedGlWindow();

// Fails the test early when the context cannot be had.
struct GlTest : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(sharedGlWindow(), nullptr)
            << "no OpenGL 4.6 context: run GL tests under Xvfb with the Mesa version overrides";
    }
};

// A size × size framebuffer of RGBA32F colour outputs (each one an attachment in order) with a
// depth texture (a sun map when there are no outputs); read() returns one output's pixels.
struct Target {
    Target(int size, int outputs);
    // Bound with its viewport, cleared to `clear` colour and `clearDepth`; depth test, blending and
    // culling off.
    void start(const glm::vec4& clear = glm::vec4(0.0f), double clearDepth = 1.0) const;
    std::vector<glm::vec4> read(int output = 0) const;
    glm::vec4 at(const std::vector<glm::vec4>& pixels, int x, int y) const {
        return pixels[static_cast<std::size_t>(y * size + x)];
    }
    int size;
    GLuint framebuffer = 0, depth = 0;
    std::vector<GLuint> colors;
};

// The path of a shader file of the game.
std::string shaderPath(const std::string& file);
// A program from two of the game's shader files; the test fails if it prints anything.
render::Shader gameProgram(const std::string& vertex, const std::string& fragment);
// A 2 × 2 quad in the xy plane facing +z, texture coordinates 0..1, with the given textures.
std::unique_ptr<render::Mesh> makeQuad(std::vector<render::Texture> textures = {});
// Writes an 8-bit PNG of width × height pixels with `channels` bytes each.
void writePng(const std::string& path, int width, int height, int channels,
              const std::vector<unsigned char>& pixels);

// One integer of GL state (glGetIntegerv).
GLint glInteger(GLenum name);

// The standard sRGB curves, for what the passes write: linear light in the HDR target, display
// values in the window.
inline float toDisplay(float c) {
    return c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
}
inline float toLinear(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

// Runs with the working directory set to `dir` while it lives (the game reads "../assets/...").
struct ScopedWorkingDirectory {
    explicit ScopedWorkingDirectory(const std::string& dir) { std::filesystem::current_path(dir); }
    ~ScopedWorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
    }
    const std::filesystem::path previous = std::filesystem::current_path();
};

// A fresh empty folder under the system's temporary directory.
std::string makeTempDir(const std::string& prefix);
// Writes `text` to dir/name byte for byte and returns the path.
std::string writeFile(const std::string& dir, const std::string& name, const std::string& text);

// Captures everything written to std::cout while it lives.
class CoutCapture {
public:
    CoutCapture() : previous_(std::cout.rdbuf(buffer_.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(previous_); }
    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;  // built before previous_ takes its buffer
    std::streambuf* previous_;
};

}  // namespace testsupport
