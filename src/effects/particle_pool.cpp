// Respawn and ageing rules of the particle rain.
#include "effects/particle_pool.h"

#include <cstdlib>

namespace effects {

namespace {
constexpr int kRespawnsPerUpdate = 2;
// Seconds a respawned particle lives.
constexpr float kLifetime = 5.0f;
// Height of the strip the rain starts from, in world units.
constexpr float kSpawnHeight = 20.0f;
// Alpha lost per second of age.
constexpr float kFadePerSecond = 0.5f;
}  // namespace

ParticlePool::ParticlePool(std::uint32_t count) : particles(count), amount(count) {}

std::uint32_t ParticlePool::firstUnusedParticle() {
    for (std::uint32_t i = lastUsedParticle; i < amount; ++i) {
        if (particles[i].life <= 0.0f) {
            lastUsedParticle = i;
            return i;
        }
    }
    for (std::uint32_t i = 0; i < lastUsedParticle; ++i) {
        if (particles[i].life <= 0.0f) {
            lastUsedParticle = i;
            return i;
        }
    }
    // Every particle is alive: the first one is taken over.
    lastUsedParticle = 0;
    return 0;
}

void ParticlePool::respawnParticle(Particle& particle) {
    // The generator is never seeded, so every run rains the same sequence.
    const int r1 = std::rand();
    const int r2 = std::rand();
    const int r3 = std::rand();
    const int r4 = std::rand();
    const int r5 = std::rand();
    // x from -5.0 to -0.05, z from -2.45 to 2.5 (z0 is negated).
    const float x = static_cast<float>((r1 % 100) - 100) / 20.0f;
    const float z0 = static_cast<float>((r2 % 100) - 50) / 20.0f;
    particle.position = glm::vec3(x, kSpawnHeight, -z0);
    // Whole numbers from 1 to 10: red from the fifth draw, blue from the third.
    particle.color = glm::vec4(static_cast<float>((r5 % 10) + 1), static_cast<float>((r4 % 10) + 1),
                               static_cast<float>((r3 % 10) + 1), 1.0f);
    particle.life = kLifetime;
    particle.scale = x * -1.0f / 50.0f;
    // The products are formed in double and rounded once, which decides the last bit.
    particle.velocity = glm::vec3(static_cast<float>(static_cast<double>(x) * 0.05),
                                  static_cast<float>(static_cast<double>(x) * -0.5),
                                  static_cast<float>(static_cast<double>(z0) * 0.05));
}

void ParticlePool::update(float dt) {
    for (int i = 0; i < kRespawnsPerUpdate; ++i) {
        respawnParticle(particles[firstUnusedParticle()]);
    }
    for (Particle& particle : particles) {
        particle.life -= dt;
        if (particle.life > 0.0f) {
            particle.position -= particle.velocity * dt;
            particle.color.a -= dt * kFadePerSecond;
        }
    }
}

}  // namespace effects
