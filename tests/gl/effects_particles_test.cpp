// The particle generator on the GPU: its vertex layout, billboard matrices, shared colour, sprite.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>
#include <vector>

#include "effects/particles.h"
#include "support/gl_context.h"

namespace {

std::string shaderPath(const char* file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

// Counts the driver's debug messages while it is installed.
void GLAPIENTRY countMessage(GLenum, GLenum, GLuint, GLenum, GLsizei, const GLchar*,
                             const void* count) {
    ++*static_cast<int*>(const_cast<void*>(count));
}

class ParticleGpu : public testsupport::GlTest {
protected:
    void SetUp() override {
        testsupport::GlTest::SetUp();
        testsupport::CoutCapture capture;
        shader_ = render::Shader(shaderPath("vShader_particles.txt").c_str(),
                                 shaderPath("fShader_particles.txt").c_str());
        ASSERT_EQ(capture.text(), "");
    }

    std::vector<glm::mat4> instanceBuffer(const effects::ParticleGenerator& generator) const {
        std::vector<glm::mat4> matrices(generator.pool.amount);
        glBindBuffer(GL_ARRAY_BUFFER, generator.instanceVbo);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0,
                           static_cast<GLsizeiptr>(matrices.size() * sizeof(glm::mat4)),
                           matrices.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return matrices;
    }

    glm::vec4 colorUniform() const {
        glm::vec4 value(-1.0f);
        glGetUniformfv(shader_.programId, glGetUniformLocation(shader_.programId, "color"),
                       glm::value_ptr(value));
        return value;
    }

    render::Shader shader_;
};

TEST_F(ParticleGpu, InstanceMatrixArrivesAsFourColumnsStepPerInstance) {
    const effects::ParticleGenerator generator(shader_);
    EXPECT_EQ(generator.pool.amount, 100u);
    glBindVertexArray(generator.vao);
    for (GLuint location = 0; location <= 4; ++location) {
        SCOPED_TRACE(location);
        GLint enabled = 0, divisor = -1, size = 0, stride = -1;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &divisor);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        EXPECT_EQ(enabled, GL_TRUE);
        EXPECT_EQ(size, 4);
        EXPECT_EQ(divisor, location == 0 ? 0 : 1);
        EXPECT_EQ(stride, location == 0 ? 16 : 64);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, generator.instanceVbo);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(bytes, 100 * 64);
}

TEST_F(ParticleGpu, LivingParticlesGetCameraFacingMatrices) {
    effects::ParticleGenerator generator(shader_);
    effects::Particle& particle = generator.pool.particles[3];
    particle.position = glm::vec3(1.0f, 2.0f, 3.0f);
    particle.scale = 0.5f;
    physics::Camera camera;
    camera.turnCamera(40.0f, 25.0f);
    generator.draw(camera, 64, 64);

    const std::vector<glm::mat4> uploaded = instanceBuffer(generator);
    const glm::mat4& m = uploaded[3];
    EXPECT_EQ(m, generator.instanceMatrices[3]);
    EXPECT_EQ(m[3], glm::vec4(1.0f, 2.0f, 3.0f, 1.0f));
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(glm::length(glm::vec3(m[c])), 0.5f, 1e-5f);
        EXPECT_FLOAT_EQ(m[c].w, 0.0f);
    }
    // The quad's plane is the camera's: its x along the camera's right, its normal back at it.
    EXPECT_NEAR(glm::dot(glm::normalize(glm::vec3(m[0])), camera.right), 1.0f, 1e-4f);
    EXPECT_NEAR(glm::dot(glm::normalize(glm::vec3(m[1])), camera.up), 1.0f, 1e-4f);
    EXPECT_NEAR(glm::dot(glm::normalize(glm::vec3(m[2])), -camera.front), 1.0f, 1e-4f);
}

TEST_F(ParticleGpu, RefillingTheInstanceBufferEveryFrameRaisesNoDebugMessage) {
    effects::ParticleGenerator generator(shader_);
    int messages = 0;
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(countMessage, &messages);
    for (int frame = 0; frame < 10; ++frame) generator.draw(physics::Camera(), 64, 64);
    glDebugMessageCallback(nullptr, nullptr);
    EXPECT_EQ(messages, 0);
}

TEST_F(ParticleGpu, EveryInstanceSharesTheLastLivingParticlesColour) {
    effects::ParticleGenerator generator(shader_);
    for (std::uint32_t i = 0; i < generator.pool.amount; ++i) {
        generator.pool.particles[i].color = glm::vec4(static_cast<float>(i), 1.0f, 2.0f, 0.5f);
    }
    generator.pool.particles[99].life = -1.0f;
    generator.pool.particles[98].life = 0.0f;
    const physics::Camera camera;
    generator.draw(camera, 64, 64);
    EXPECT_EQ(colorUniform(), generator.pool.particles[97].color);

    // With nobody alive the uniforms keep their values from before.
    for (effects::Particle& particle : generator.pool.particles) particle.life = 0.0f;
    generator.pool.particles[0].color = glm::vec4(9.0f);
    generator.draw(camera, 64, 64);
    EXPECT_EQ(colorUniform(), generator.pool.particles[97].color);
}

TEST_F(ParticleGpu, DrawsARoundGlowingSpriteFacingTheCamera) {
    constexpr int kSize = 32;
    GLuint textures[2] = {};
    GLuint framebuffer = 0;
    glGenTextures(2, textures);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    for (GLuint i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, textures[i],
                               0);
    }
    const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
    glViewport(0, 0, kSize, kSize);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // One particle parked at (50, 50, 50), 5 units wide, the camera 10 units in front of it;
    // the others behind the camera, out of view.
    effects::ParticleGenerator generator(shader_);
    for (effects::Particle& particle : generator.pool.particles) {
        particle.color = glm::vec4(8.0f, 2.0f, 1.0f, 1.0f);
        particle.position = glm::vec3(50.0f, 50.0f, 80.0f);
    }
    generator.pool.particles[0].position = glm::vec3(50.0f, 50.0f, 50.0f);
    physics::Camera camera;
    camera.position = glm::vec3(50.0f, 50.0f, 60.0f);
    generator.draw(camera, kSize, kSize);
    glDisable(GL_BLEND);

    auto read = [&](GLenum attachment) {
        std::vector<float> pixels(kSize * kSize * 4);
        glReadBuffer(attachment);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    };
    const std::vector<float> scene = read(GL_COLOR_ATTACHMENT0);
    const std::vector<float> bright = read(GL_COLOR_ATTACHMENT1);
    auto pixel = [&](const std::vector<float>& pixels, int x, int y) {
        const float* p = &pixels[static_cast<std::size_t>((y * kSize + x) * 4)];
        return glm::vec3(p[0], p[1], p[2]);
    };
    const glm::vec3 centre = pixel(scene, kSize / 2, kSize / 2);
    // The HDR colour arrives unclamped at the centre and keeps its hue.
    EXPECT_GT(centre.r, 4.0f);
    EXPECT_NEAR(centre.g / centre.r, 0.25f, 0.02f);
    EXPECT_GT(pixel(bright, kSize / 2, kSize / 2).r, 1.0f);
    // Round and opaque (a see-through edge would stay a dark rim over the scene drawn after):
    // half the sprite's 5 units at 10 units away is 2.5 / (10 tan 22.5 deg) of half the view,
    // about 9.7 pixels. A point 8 pixels along both axes lies inside its square, outside its
    // disc; one 5 pixels along x has the centre's colour.
    EXPECT_EQ(pixel(scene, kSize / 2 + 8, kSize / 2 + 8), glm::vec3(0.0f));
    EXPECT_EQ(pixel(scene, kSize / 2 + 5, kSize / 2), centre);
    EXPECT_EQ(pixel(scene, 1, 1), glm::vec3(0.0f));

    // A long frame kills the whole pool; the two respawned fall far from view. The dead
    // particle is no longer drawn.
    generator.update(6.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    generator.draw(camera, kSize, kSize);
    EXPECT_EQ(pixel(read(GL_COLOR_ATTACHMENT0), kSize / 2, kSize / 2), glm::vec3(0.0f));

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(2, textures);
}

}  // namespace
