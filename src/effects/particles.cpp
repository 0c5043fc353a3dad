// Builds the particle quad and instance buffer and draws the pool in one instanced call.
#include "effects/particles.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace effects {

namespace {
constexpr std::uint32_t kParticleCount = 100;
// A unit square centred on the origin, (x, y, u, v) per vertex.
const float kQuad[] = {
    -0.5f, 0.5f, 0.0f, 1.0f, -0.5f, -0.5f, 0.0f, 0.0f, 0.5f, -0.5f, 1.0f, 0.0f,
    -0.5f, 0.5f, 0.0f, 1.0f, 0.5f,  -0.5f, 1.0f, 0.0f, 0.5f, 0.5f,  1.0f, 1.0f,
};
}  // namespace

ParticleGenerator::ParticleGenerator(const render::Shader& particleShader)
    : pool(kParticleCount),
      instanceMatrices(kParticleCount, glm::mat4(1.0f)),
      shader(particleShader) {
    GLuint quadVbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &quadVbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, quadVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuad), kQuad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindVertexArray(0);

    const auto bufferBytes = static_cast<GLsizeiptr>(pool.amount * sizeof(glm::mat4));
    glGenBuffers(1, &instanceVbo);
    glBindBuffer(GL_ARRAY_BUFFER, instanceVbo);
    // Refilled every frame (see draw).
    glBufferData(GL_ARRAY_BUFFER, bufferBytes, nullptr, GL_STREAM_DRAW);

    // The instance matrix arrives as four column attributes, 1 to 4, one step per instance.
    glBindVertexArray(vao);
    for (GLuint column = 0; column < 4; ++column) {
        const GLuint location = 1 + column;
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              reinterpret_cast<void*>(column * sizeof(glm::vec4)));
        glVertexAttribDivisor(location, 1);
    }
    glBindVertexArray(0);
}

void ParticleGenerator::draw(const physics::Camera& camera, const glm::mat4& projection) {
    shader.use();
    const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.front, camera.up);
    // The camera's axes in world space: rotating the quad by them turns it to face the viewer.
    const glm::mat4 inverse = glm::inverse(view);
    // Only living particles are drawn: their matrices are packed at the front, in pool order.
    std::uint32_t living = 0;
    const Particle* lastLiving = nullptr;
    for (const Particle& particle : pool.particles) {
        if (particle.life <= 0.0f) continue;
        glm::mat4 model(0.0f);
        for (int column = 0; column < 3; ++column) {
            model[column] = glm::vec4(glm::vec3(inverse[column]) * particle.scale, 0.0f);
        }
        model[3] = glm::vec4(particle.position, 1.0f);
        instanceMatrices[living++] = model;
        lastLiving = &particle;
    }
    // The uniforms hold one value for the whole draw: that of the last living particle. With
    // none alive they keep last frame's values.
    if (lastLiving) {
        shader.setUniformMat4("view", view);
        shader.setUniformMat4("projection", projection);
        glUniform4fv(glGetUniformLocation(shader.programId, "color"), 1,
                     glm::value_ptr(lastLiving->color));
    }

    const auto bufferBytes = static_cast<GLsizeiptr>(pool.amount * sizeof(glm::mat4));
    glBindBuffer(GL_ARRAY_BUFFER, instanceVbo);
    // Fresh storage each frame, so the driver need not wait for last frame's draw; written once
    // and drawn once, as the stream usage says.
    glBufferData(GL_ARRAY_BUFFER, bufferBytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(living * sizeof(glm::mat4)),
                    instanceMatrices.data());

    glBindVertexArray(0);
    glBindVertexArray(vao);
    glDrawArraysInstanced(GL_TRIANGLES, 0, 6, static_cast<GLsizei>(living));
    glBindVertexArray(0);
}

void ParticleGenerator::update(float dt) { pool.update(dt); }

}  // namespace effects
