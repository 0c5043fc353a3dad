// HUD text and particles drawn into the HDR target before the scene leave no dark rim on it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "effects/particles.h"
#include "effects/text_renderer.h"
#include "support/gl_context.h"

namespace {

constexpr int kSize = 64;
// The scene behind them: bright grey, darker than either in every channel.
constexpr float kScene = 0.5f;

std::string sourcePath(const char* relative) {
    return std::string(GLIMMER_SOURCE_DIR) + "/" + relative;
}

void drawGlyph() {
    // The renderer reads "../assets/": one folder down from the source tree reaches it.
    testsupport::ScopedWorkingDirectory cwd(sourcePath("tests"));
    effects::TextRenderer text(kSize, kSize);
    text.renderText("H", 8.0f, 12.0f, 0.75f, glm::vec3(1.0f, 0.9f, 0.8f));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void drawSprite() {
    render::Shader shader(sourcePath("assets/shaders/vShader_particles.txt").c_str(),
                          sourcePath("assets/shaders/fShader_particles.txt").c_str());
    effects::ParticleGenerator generator(shader);
    // One sprite 10 units in front of the camera, the rest behind it.
    for (effects::Particle& particle : generator.pool.particles) {
        particle.color = glm::vec4(8.0f, 2.0f, 1.0f, 0.4f);
        particle.position = glm::vec3(0.0f, 0.0f, 30.0f);
    }
    generator.pool.particles[0].position = glm::vec3(0.0f);
    physics::Camera camera;
    camera.position = glm::vec3(0.0f, 0.0f, 10.0f);
    generator.draw(camera, kSize, kSize);
}

class HdrEdges : public testsupport::GlTest {};

TEST_F(HdrEdges, NothingDrawnBeforeTheSceneLeavesAPixelDarkerThanTheScene) {
    const struct {
        const char* what;
        std::function<void()> draw;
    } cases[] = {{"glyph", drawGlyph}, {"particle", drawSprite}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GLuint framebuffer = 0, color = 0, depth = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(1, &color);
        glBindRenderbuffer(GL_RENDERBUFFER, color);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA16F, kSize, kSize);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kSize, kSize);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The game's state for the whole frame.
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        c.draw();
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);

        std::vector<float> pixels(kSize * kSize * 4), depths(kSize * kSize);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, pixels.data());
        glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
        // The scene, drawn next with the depth test, fills every pixel left at the far plane;
        // the others keep what was drawn there.
        int kept = 0, darker = 0;
        for (std::size_t i = 0; i < depths.size(); ++i) {
            if (depths[i] >= 1.0f) continue;
            ++kept;
            const float* p = &pixels[i * 4];
            if (p[0] < kScene || p[1] < kScene || p[2] < kScene) ++darker;
        }
        EXPECT_GT(kept, 20);
        EXPECT_EQ(darker, 0) << "of " << kept;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        GLuint buffers[2] = {color, depth};
        glDeleteRenderbuffers(2, buffers);
    }
}

}  // namespace
