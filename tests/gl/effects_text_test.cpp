// The text renderer with the real font: glyph table, failure message, and where text lands.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "effects/text_renderer.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

// A run folder one level below an assets tree (at root) that holds the real shaders and, when
// asked, the real fonts. Returns the folder to run in.
std::string makeRunTree(const fs::path& root, bool withFont) {
    const fs::path assets = fs::path(GLIMMER_SOURCE_DIR) / "assets";
    fs::create_directories(root / "assets");
    fs::create_directory_symlink(assets / "shaders", root / "assets" / "shaders");
    if (withFont) fs::create_directory_symlink(assets / "fonts", root / "assets" / "fonts");
    fs::create_directories(root / "run");
    return (root / "run").string();
}

// An off-screen RGBA16F colour target of size x size, bound with its viewport.
struct ColorTarget {
    GLuint framebuffer = 0;
    GLuint texture = 0;
    int size = 0;

    explicit ColorTarget(int edge) : size(edge) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, size, size, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glViewport(0, 0, size, size);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~ColorTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
    }
    std::vector<float> read() const {
        std::vector<float> pixels(static_cast<std::size_t>(size * size * 4));
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    }
};

GLint boundInteger(GLenum what) {
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

class TextRenderer : public testsupport::GlTest {
protected:
    // The renderer leaves unpack alignment 1 behind on purpose; other suites share this context
    // and expect its default.
    void TearDown() override {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string runTree(bool withFont) { return makeRunTree(root_, withFont); }
    const fs::path root_ = testsupport::makeTempDir("glimmer-text");
};

TEST_F(TextRenderer, RealFontGivesAGlyphForEveryAsciiCode) {
    testsupport::ScopedWorkingDirectory cwd(runTree(true));
    testsupport::CoutCapture capture;
    const effects::TextRenderer text(320, 200);
    EXPECT_EQ(capture.text(), "");
    ASSERT_EQ(text.glyphs.size(), 128u);
    EXPECT_EQ(text.glyphs.begin()->first, 0);
    EXPECT_EQ(text.glyphs.rbegin()->first, 127);

    const effects::Glyph& a = text.glyphs.at('A');
    EXPECT_TRUE(glIsTexture(a.textureId));
    EXPECT_GT(a.size.x, 0);
    EXPECT_GT(a.size.y, 0);
    EXPECT_LE(a.size.y, 60);
    EXPECT_GT(a.advance, 0u);
    // Advances are in 1/64 pixel: a capital at 48 px is tens of pixels wide.
    EXPECT_GT(a.advance >> 6, 10u);
    EXPECT_LT(a.advance >> 6, 60u);

    const effects::Glyph& space = text.glyphs.at(' ');
    EXPECT_EQ(space.size, glm::ivec2(0, 0));
    EXPECT_GT(space.advance, 0u);

    // The glyph texture carries coverage in red alone, at the bitmap's size.
    glBindTexture(GL_TEXTURE_2D, a.textureId);
    GLint width = 0, redBits = 0, greenBits = 0, minFilter = 0, wrapS = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &redBits);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_GREEN_SIZE, &greenBits);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, a.size.x);
    EXPECT_GT(redBits, 0);
    EXPECT_EQ(greenBits, 0);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE);

    // Left at 1 for every later upload of the run.
    EXPECT_EQ(boundInteger(GL_UNPACK_ALIGNMENT), 1);
    // The quad buffer holds six (x, y, u, v) vertices.
    glBindBuffer(GL_ARRAY_BUFFER, text.quadVbo);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(bytes, 96);
    // Window pixels: the top-right corner lands on clip (1, 1).
    const glm::vec4 corner = text.projection * glm::vec4(320.0f, 200.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(corner.x, 1.0f);
    EXPECT_FLOAT_EQ(corner.y, 1.0f);
}

TEST_F(TextRenderer, MissingFontGivesOneLineAndAnEmptyTable) {
    testsupport::ScopedWorkingDirectory cwd(runTree(false));
    testsupport::CoutCapture capture;
    effects::TextRenderer text(64, 64);
    EXPECT_EQ(capture.text(), "ERROR::FREETYPE: Failed to load font\n");
    EXPECT_TRUE(text.glyphs.empty());

    // Each character then adds an empty record, draws nothing and leaves the bindings clean.
    ColorTarget target(16);
    text.renderText("ab", 2.0f, 2.0f, 1.0f, glm::vec3(1.0f));
    ASSERT_EQ(text.glyphs.size(), 2u);
    EXPECT_EQ(text.glyphs.at('a').textureId, 0u);
    EXPECT_EQ(text.glyphs.at('b').advance, 0u);
    EXPECT_EQ(boundInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(boundInteger(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(TextRenderer, DrawsTheTextColourInsideTheLaidOutQuad) {
    testsupport::ScopedWorkingDirectory cwd(runTree(true));
    constexpr int kSize = 64;
    effects::TextRenderer text(kSize, kSize);
    ColorTarget target(kSize);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const glm::vec3 color(0.2f, 0.9f, 0.4f);
    const float scale = 0.75f;
    float pen = 8.0f;
    const auto quad = effects::layoutGlyph(text.glyphs.at('H'), pen, 12.0f, scale);
    text.renderText("H", 8.0f, 12.0f, scale, color);
    glDisable(GL_BLEND);
    EXPECT_EQ(boundInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(boundInteger(GL_TEXTURE_BINDING_2D), 0);

    // The HUD writes depth where it draws, so the scene drawn after it fills only the pixels it
    // left alone: every pixel it touched must carry the colour itself, never a blend with the
    // cleared black that would stay darker than the scene (a dark rim).
    const std::vector<float> pixels = target.read();
    int lit = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float* p = &pixels[static_cast<std::size_t>((y * kSize + x) * 4)];
            if (p[3] <= 0.0f) continue;
            ++lit;
            // Pixel centres lie inside the quad (left/bottom at vertex 1, right/top at 5).
            EXPECT_GE(static_cast<float>(x) + 0.5f, quad[1].x) << x << "," << y;
            EXPECT_LE(static_cast<float>(x) + 0.5f, quad[5].x) << x << "," << y;
            EXPECT_GE(static_cast<float>(y) + 0.5f, quad[1].y) << x << "," << y;
            EXPECT_LE(static_cast<float>(y) + 0.5f, quad[5].y) << x << "," << y;
            EXPECT_NEAR(glm::distance(glm::vec3(p[0], p[1], p[2]), color), 0.0f, 0.01f)
                << x << "," << y;
        }
    }
    EXPECT_GT(lit, 20);
}

TEST_F(TextRenderer, EmptyStringDrawsNothing) {
    testsupport::ScopedWorkingDirectory cwd(runTree(true));
    effects::TextRenderer text(16, 16);
    ColorTarget target(16);
    text.renderText("", 1.0f, 1.0f, 1.0f, glm::vec3(1.0f));
    EXPECT_EQ(text.glyphs.size(), 128u);
    EXPECT_EQ(boundInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(boundInteger(GL_TEXTURE_BINDING_2D), 0);
    for (const float value : target.read()) EXPECT_EQ(value, 0.0f);
}

}  // namespace
