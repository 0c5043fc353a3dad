// The particle rain's rules: respawn from the rand sequence, the free-slot search, ageing.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "effects/particle_pool.h"

namespace {

using effects::Particle;
using effects::ParticlePool;

constexpr std::uint32_t kAmount = 100;

// The five rand draws of one respawn, read from a replay of the generator.
struct Draws {
    int r[5];
};

Draws nextDraws() {
    Draws draws{};
    for (int& value : draws.r) value = std::rand();
    return draws;
}

// What a respawn made from these draws must hold, derived from the rain's rules.
void expectRespawnedFrom(const Particle& particle, const Draws& d) {
    const float x = static_cast<float>((d.r[0] % 100) - 100) / 20.0f;
    const float z0 = static_cast<float>((d.r[1] % 100) - 50) / 20.0f;
    EXPECT_FLOAT_EQ(particle.position.x, x);
    EXPECT_FLOAT_EQ(particle.position.y, 20.0f);
    EXPECT_FLOAT_EQ(particle.position.z, -z0);
    EXPECT_FLOAT_EQ(particle.color.r, static_cast<float>(d.r[4] % 10 + 1));
    EXPECT_FLOAT_EQ(particle.color.g, static_cast<float>(d.r[3] % 10 + 1));
    EXPECT_FLOAT_EQ(particle.color.b, static_cast<float>(d.r[2] % 10 + 1));
    EXPECT_FLOAT_EQ(particle.color.a, 1.0f);
    EXPECT_FLOAT_EQ(particle.life, 5.0f);
    EXPECT_FLOAT_EQ(particle.scale, -x / 50.0f);
    EXPECT_EQ(particle.velocity.x, static_cast<float>(static_cast<double>(x) * 0.05));
    EXPECT_EQ(particle.velocity.y, static_cast<float>(static_cast<double>(x) * -0.5));
    EXPECT_EQ(particle.velocity.z, static_cast<float>(static_cast<double>(z0) * 0.05));
}

void killAll(ParticlePool& pool) {
    for (Particle& particle : pool.particles) particle.life = 0.0f;
}

bool sameParticle(const Particle& a, const Particle& b) {
    return a.position == b.position && a.velocity == b.velocity && a.color == b.color &&
           a.life == b.life && a.scale == b.scale;
}

TEST(ParticlePoolStart, HoldsAmountParticlesParkedAboveTheLevel) {
    const ParticlePool pool(kAmount);
    ASSERT_EQ(pool.particles.size(), kAmount);
    EXPECT_EQ(pool.amount, kAmount);
    EXPECT_EQ(pool.lastUsedParticle, 0u);
    for (const Particle& particle : pool.particles) {
        EXPECT_EQ(particle.position, glm::vec3(50.0f, 50.0f, 50.0f));
        EXPECT_EQ(particle.velocity, glm::vec3(0.0f));
        EXPECT_EQ(particle.color, glm::vec4(1.0f));
        EXPECT_FLOAT_EQ(particle.life, 1.0f);
        EXPECT_FLOAT_EQ(particle.scale, 5.0f);
    }
}

TEST(ParticleRespawn, TheRandSequenceDeterminesTheRespawnedParticles) {
    for (const unsigned seed : {1u, 42u, 2024u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        const Draws first = nextDraws();
        const Draws second = nextDraws();
        std::srand(seed);
        ParticlePool pool(kAmount);
        killAll(pool);
        pool.update(0.0f);
        // The first free slot is 0; the second respawn finds 0 alive again and takes 1.
        expectRespawnedFrom(pool.particles[0], first);
        expectRespawnedFrom(pool.particles[1], second);
        EXPECT_EQ(pool.lastUsedParticle, 1u);
        EXPECT_FLOAT_EQ(pool.particles[2].life, 0.0f);
    }
}

TEST(ParticleRespawn, ValuesStayInsideTheSpawnStrip) {
    std::srand(3);
    ParticlePool pool(kAmount);
    for (int frame = 0; frame < 500; ++frame) {
        pool.update(0.0f);
        const Particle& particle = pool.particles[pool.lastUsedParticle];
        EXPECT_GE(particle.position.x, -5.0f);
        EXPECT_LE(particle.position.x, -0.05f);
        EXPECT_GE(particle.position.z, -2.45f);
        EXPECT_LE(particle.position.z, 2.5f);
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(particle.color[c], 1.0f);
            EXPECT_LE(particle.color[c], 10.0f);
        }
        // Falling: y velocity positive, since the update subtracts it.
        EXPECT_GT(particle.velocity.y, 0.0f);
        EXPECT_GE(particle.scale, 0.001f);
        EXPECT_LE(particle.scale, 0.1f);
    }
}

TEST(ParticleRespawn, BothRespawnsReuseIndexZeroWhenEveryParticleLives) {
    ParticlePool pool(kAmount);
    pool.lastUsedParticle = 37;
    const ParticlePool before = pool;
    std::srand(11);
    nextDraws();
    const Draws second = nextDraws();
    std::srand(11);
    pool.update(0.0f);
    EXPECT_EQ(pool.lastUsedParticle, 0u);
    // Slot 0 holds the second respawn; nothing else was touched.
    expectRespawnedFrom(pool.particles[0], second);
    for (std::uint32_t i = 1; i < kAmount; ++i) {
        EXPECT_TRUE(sameParticle(pool.particles[i], before.particles[i])) << "index " << i;
    }
}

TEST(ParticleRespawn, SearchStartsAtLastUsedParticleItself) {
    ParticlePool pool(kAmount);
    pool.particles[3].life = 0.0f;
    pool.particles[10].life = -0.5f;
    pool.lastUsedParticle = 10;
    EXPECT_EQ(pool.firstUnusedParticle(), 10u);
    EXPECT_EQ(pool.lastUsedParticle, 10u);
}

TEST(ParticleRespawn, SearchWrapsToTheStartAfterTheEnd) {
    ParticlePool pool(kAmount);
    pool.particles[3].life = 0.0f;
    pool.particles[10].life = 0.0f;
    pool.lastUsedParticle = 10;
    pool.update(0.0f);
    // 10 is taken first; the second search runs 10..99, then 0..9 and finds 3.
    EXPECT_FLOAT_EQ(pool.particles[10].life, 5.0f);
    EXPECT_FLOAT_EQ(pool.particles[3].life, 5.0f);
    EXPECT_EQ(pool.lastUsedParticle, 3u);
}

TEST(ParticleAgeing, LivingParticlesAgeMoveAndFade) {
    ParticlePool pool(kAmount);
    Particle& particle = pool.particles[5];
    particle.position = glm::vec3(1.0f, 10.0f, -2.0f);
    particle.velocity = glm::vec3(-0.2f, 1.5f, 0.1f);
    particle.color = glm::vec4(3.0f, 4.0f, 5.0f, 0.9f);
    particle.life = 2.0f;
    const float dt = 0.25f;
    pool.update(dt);
    EXPECT_FLOAT_EQ(particle.life, 2.0f - dt);
    EXPECT_FLOAT_EQ(particle.position.x, 1.0f + 0.2f * dt);
    EXPECT_FLOAT_EQ(particle.position.y, 10.0f - 1.5f * dt);
    EXPECT_FLOAT_EQ(particle.position.z, -2.0f - 0.1f * dt);
    EXPECT_FLOAT_EQ(particle.color.a, 0.9f - dt * 0.5f);
    EXPECT_FLOAT_EQ(particle.color.r, 3.0f);
}

TEST(ParticleAgeing, AParticleThatDiesThisStepStopsMoving) {
    ParticlePool pool(kAmount);
    Particle& particle = pool.particles[8];
    particle.position = glm::vec3(2.0f, 3.0f, 4.0f);
    particle.velocity = glm::vec3(1.0f, 1.0f, 1.0f);
    particle.life = 0.1f;
    pool.update(0.25f);
    EXPECT_LT(particle.life, 0.0f);
    EXPECT_EQ(particle.position, glm::vec3(2.0f, 3.0f, 4.0f));
    EXPECT_FLOAT_EQ(particle.color.a, 1.0f);
}

TEST(ParticleAgeing, RespawnedParticlesAgeInTheSameUpdate) {
    std::srand(5);
    const Draws first = nextDraws();
    std::srand(5);
    ParticlePool pool(kAmount);
    killAll(pool);
    const float dt = 0.5f;
    pool.update(dt);
    const Particle& particle = pool.particles[0];
    const float x = static_cast<float>((first.r[0] % 100) - 100) / 20.0f;
    const float vy = static_cast<float>(static_cast<double>(x) * -0.5);
    EXPECT_FLOAT_EQ(particle.life, 5.0f - dt);
    EXPECT_FLOAT_EQ(particle.position.y, 20.0f - vy * dt);
    EXPECT_FLOAT_EQ(particle.color.a, 1.0f - dt * 0.5f);
    // Dead particles that were not respawned only lose life.
    EXPECT_FLOAT_EQ(pool.particles[50].life, -dt);
    EXPECT_EQ(pool.particles[50].position, glm::vec3(50.0f, 50.0f, 50.0f));
}

TEST(ParticleAgeing, ZeroTimeStepChangesOnlyTheRespawnedParticles) {
    ParticlePool pool(kAmount);
    pool.particles[20].life = 0.0f;
    pool.particles[60].life = -1.0f;
    for (std::uint32_t i = 0; i < kAmount; ++i) {
        pool.particles[i].velocity = glm::vec3(0.1f * static_cast<float>(i), 1.0f, -2.0f);
        pool.particles[i].color.a = 0.5f;
    }
    const ParticlePool before = pool;
    pool.update(0.0f);
    for (std::uint32_t i = 0; i < kAmount; ++i) {
        if (i == 20 || i == 60) {
            EXPECT_FLOAT_EQ(pool.particles[i].life, 5.0f) << "index " << i;
        } else {
            EXPECT_TRUE(sameParticle(pool.particles[i], before.particles[i])) << "index " << i;
        }
    }
}

}  // namespace
