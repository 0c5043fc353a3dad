// The particle rain on the GPU: one instanced draw of camera-facing sprites per frame.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

#include "effects/particle_pool.h"
#include "physics/camera.h"
#include "render/shader.h"

namespace effects {

class ParticleGenerator {
public:
    // 100 particles, all alive at (50, 50, 50) until the first update.
    explicit ParticleGenerator(const render::Shader& shader);

    // Draws the living particles into the bound framebuffer through the view's `projection`.
    // Every instance shares the colour of the last living particle.
    void draw(const physics::Camera& camera, const glm::mat4& projection);

    // Advances the rain by dt seconds (the frame's deltaTime).
    void update(float dt);

    ParticlePool pool;
    // Per-instance model matrices of the last draw's living particles, packed from the front in
    // pool order; the entries past them are stale.
    std::vector<glm::mat4> instanceMatrices;
    // Copies of a Shader share its program.
    render::Shader shader;
    GLuint vao = 0;
    GLuint instanceVbo = 0;
};

}  // namespace effects
