// HDR and blur targets, the ten-pass glow blur and the tone-mapping composite into the window.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <vector>

#include "effects/bloom.h"
#include "support/gl_context.h"

namespace {

std::string shaderPath(const char* file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

GLint internalFormat(GLuint texture) {
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glBindTexture(GL_TEXTURE_2D, 0);
    return format;
}

class BloomTargets : public testsupport::GlTest {};

TEST_F(BloomTargets, HdrTargetIsCompleteWithTwoFloatColoursAndDepth) {
    testsupport::CoutCapture capture;
    const effects::HdrTarget hdr = effects::createHdrTarget(64, 48);
    EXPECT_EQ(capture.text(), "");
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);

    glBindFramebuffer(GL_FRAMEBUFFER, hdr.framebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    GLint drawBuffer0 = 0, drawBuffer1 = 0;
    glGetIntegerv(GL_DRAW_BUFFER0, &drawBuffer0);
    glGetIntegerv(GL_DRAW_BUFFER1, &drawBuffer1);
    EXPECT_EQ(drawBuffer0, GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(drawBuffer1, GL_COLOR_ATTACHMENT1);
    GLint depthType = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType);
    EXPECT_EQ(depthType, GL_RENDERBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    for (const GLuint texture : hdr.colorBuffers) {
        EXPECT_EQ(internalFormat(texture), GL_RGBA16F);
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, 64);
        EXPECT_EQ(height, 48);
    }
}

TEST_F(BloomTargets, BlurTargetsAreCompleteAndTheSecondStaysBound) {
    testsupport::CoutCapture capture;
    const effects::BlurTargets blur = effects::createBlurTargets(64, 48);
    EXPECT_EQ(capture.text(), "");
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), blur.framebuffers[1]);
    for (int i = 0; i < 2; ++i) {
        glBindFramebuffer(GL_FRAMEBUFFER, blur.framebuffers[i]);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
        EXPECT_EQ(internalFormat(blur.textures[i]), GL_RGBA16F);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Targets the size of the test window, so the composite fills its default framebuffer.
class BloomPass : public testsupport::GlTest {
protected:
    void SetUp() override {
        testsupport::GlTest::SetUp();
        glfwGetFramebufferSize(testsupport::sharedGlWindow(), &width_, &height_);
        testsupport::CoutCapture capture;
        blurShader_ =
            render::Shader(shaderPath("vblur.txt").c_str(), shaderPath("fblur.txt").c_str());
        compositeShader_ = render::Shader(shaderPath("vbloom_final.txt").c_str(),
                                          shaderPath("fbloom_final.txt").c_str());
        hdr_ = effects::createHdrTarget(width_, height_);
        blur_ = effects::createBlurTargets(width_, height_);
        ASSERT_EQ(capture.text(), "");
        effects::setBloomStartValues(blurShader_, compositeShader_);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width_, height_);
        // The game's standing state while the passes run.
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glActiveTexture(GL_TEXTURE0);
    }

    void TearDown() override {
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glActiveTexture(GL_TEXTURE0);
    }

    // Fills both HDR textures: scene colour everywhere, bright part black but one texel.
    void fillHdr(const glm::vec3& scene, const glm::ivec2& spot, float spotValue) {
        const std::size_t count = static_cast<std::size_t>(width_ * height_);
        std::vector<float> sceneTexels;
        std::vector<float> brightTexels(count * 4, 0.0f);
        for (std::size_t i = 0; i < count; ++i) {
            sceneTexels.insert(sceneTexels.end(), {scene.r, scene.g, scene.b, 1.0f});
        }
        const std::size_t s = static_cast<std::size_t>(spot.y * width_ + spot.x) * 4;
        brightTexels[s] = brightTexels[s + 1] = brightTexels[s + 2] = spotValue;
        glBindTexture(GL_TEXTURE_2D, hdr_.colorBuffers[0]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RGBA, GL_FLOAT,
                        sceneTexels.data());
        glBindTexture(GL_TEXTURE_2D, hdr_.colorBuffers[1]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RGBA, GL_FLOAT,
                        brightTexels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    std::vector<float> readTexture(GLuint texture) const {
        std::vector<float> texels(static_cast<std::size_t>(width_ * height_ * 4));
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return texels;
    }

    std::vector<float> readWindow() const {
        std::vector<float> pixels(static_cast<std::size_t>(width_ * height_ * 4));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    }

    float red(const std::vector<float>& texels, int x, int y) const {
        return texels[static_cast<std::size_t>(y * width_ + x) * 4];
    }

    int width_ = 0;
    int height_ = 0;
    render::Shader blurShader_;
    render::Shader compositeShader_;
    effects::HdrTarget hdr_;
    effects::BlurTargets blur_;
};

TEST_F(BloomPass, ABrightSpotSpreadsEvenlyAndKeepsItsEnergy) {
    const glm::ivec2 spot(width_ / 2, height_ / 2);
    const float energy = 16.0f;
    fillHdr(glm::vec3(0.0f), spot, energy);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, true);

    // After ten passes the last (vertical) one wrote blur texture 0.
    const std::vector<float> glow = readTexture(blur_.textures[0]);
    const float centre = red(glow, spot.x, spot.y);
    EXPECT_GT(centre, 0.0f);
    EXPECT_LT(centre, energy * 0.5f);
    float previous = energy;
    for (const int d : {3, 5, 8}) {
        SCOPED_TRACE(d);
        const float right = red(glow, spot.x + d, spot.y);
        const float up = red(glow, spot.x, spot.y + d);
        // The glow fades with distance...
        EXPECT_GT(right, 0.0f);
        EXPECT_LT(right, previous);
        previous = right;
        // ...evenly in every direction, as horizontal and vertical passes alternate.
        EXPECT_NEAR(right, up, 0.05f * right);
        EXPECT_NEAR(right, red(glow, spot.x - d, spot.y), 0.05f * right);
        EXPECT_NEAR(right, red(glow, spot.x, spot.y - d), 0.05f * right);
    }
    // Nothing reaches far away.
    EXPECT_LT(red(glow, spot.x + 20, spot.y), centre * 0.01f);
    float sum = 0.0f;
    for (std::size_t i = 0; i < glow.size(); i += 4) sum += glow[i];
    // The kernel's weights add up to one: the glow only spreads the light.
    EXPECT_NEAR(sum, energy, energy * 0.05f);
}

TEST_F(BloomPass, WithBloomOffTheNeighboursStayDark) {
    const glm::ivec2 spot(width_ / 2, height_ / 2);
    fillHdr(glm::vec3(0.0f), spot, 16.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, true);
    const std::vector<float> on = readWindow();
    fillHdr(glm::vec3(0.0f), spot, 16.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, false);
    const std::vector<float> off = readWindow();
    for (const int d : {0, 2, 4}) {
        SCOPED_TRACE(d);
        EXPECT_GT(red(on, spot.x + d, spot.y), 0.02f);
        EXPECT_LT(red(off, spot.x + d, spot.y), red(on, spot.x + d, spot.y));
        EXPECT_FLOAT_EQ(red(off, spot.x + d, spot.y), 0.0f);
    }
    // The blur still ran: texture 0 holds the glow even with the switch off.
    EXPECT_GT(red(readTexture(blur_.textures[0]), spot.x, spot.y), 0.0f);
    // The composite leaves unit 1 active.
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE1);
}

TEST_F(BloomPass, ToneMappingKeepsHuesAndOrdinaryColours) {
    // A bright orange far above 1 stays orange, not white.
    fillHdr(glm::vec3(4.0f, 1.0f, 0.5f), glm::ivec2(0, 0), 0.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, false);
    std::vector<float> pixels = readWindow();
    const std::size_t c = static_cast<std::size_t>((height_ / 2) * width_ + width_ / 2) * 4;
    EXPECT_GT(pixels[c], 0.9f);
    EXPECT_LE(pixels[c], 1.0f);
    EXPECT_NEAR(pixels[c + 1] / pixels[c], 0.25f, 0.02f);
    EXPECT_NEAR(pixels[c + 2] / pixels[c], 0.125f, 0.02f);
    EXPECT_FLOAT_EQ(pixels[c + 3], 1.0f);

    // A plain lit colour in the ordinary range comes through as it was drawn.
    fillHdr(glm::vec3(0.3f, 0.2f, 0.1f), glm::ivec2(0, 0), 0.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, false);
    pixels = readWindow();
    EXPECT_NEAR(pixels[c], 0.3f, 0.01f);
    EXPECT_NEAR(pixels[c + 1], 0.2f, 0.01f);
    EXPECT_NEAR(pixels[c + 2], 0.1f, 0.01f);

    // Brighter input never gives a darker output.
    fillHdr(glm::vec3(0.9f), glm::ivec2(0, 0), 0.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, false);
    const float lower = readWindow()[c];
    fillHdr(glm::vec3(1.5f), glm::ivec2(0, 0), 0.0f);
    effects::bloomComposite(blurShader_, compositeShader_, hdr_, blur_, false);
    EXPECT_GT(readWindow()[c], lower);
}

TEST_F(BloomPass, BindingTheHdrTargetClearsIt) {
    fillHdr(glm::vec3(0.7f), glm::ivec2(1, 1), 5.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    effects::bindHdrForScene(hdr_);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), hdr_.framebuffer);
    EXPECT_FLOAT_EQ(red(readTexture(hdr_.colorBuffers[0]), 3, 3), 0.0f);
    EXPECT_FLOAT_EQ(red(readTexture(hdr_.colorBuffers[1]), 1, 1), 0.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace
