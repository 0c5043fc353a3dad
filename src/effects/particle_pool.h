// The particle rain's pool: fixed records that respawn from C's rand and age every frame.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

namespace effects {

// One falling sprite. Units: world units, seconds, units per second.
struct Particle {
    glm::vec3 position{50.0f, 50.0f, 50.0f};
    // Subtracted from the position each second, so a positive y falls.
    glm::vec3 velocity{0.0f, 0.0f, 0.0f};
    // HDR colour: components up to 10 so the sprites glow; alpha fades 0.5 per second.
    glm::vec4 color{1.0f, 1.0f, 1.0f, 1.0f};
    // Seconds left; alive while above 0.
    float life = 1.0f;
    // Edge length of the sprite's square.
    float scale = 5.0f;
};

// Pure game-side state of the rain: no GL, so the rules can be checked without a context.
class ParticlePool {
public:
    explicit ParticlePool(std::uint32_t amount);

    // Two respawns, then every particle ages by dt seconds; living ones move and fade.
    void update(float dt);

    // Index of the first dead particle from lastUsedParticle on, wrapping; 0 when all live.
    // Records the index in lastUsedParticle.
    std::uint32_t firstUnusedParticle();

    // Draws five values from std::rand and restarts the particle at the top of the strip.
    static void respawnParticle(Particle& particle);

    std::uint32_t lastUsedParticle = 0;
    std::vector<Particle> particles;
    std::uint32_t amount = 0;
};

}  // namespace effects
