// The effects' rules without a GL context: the particle rain and where glyphs land.
#include <gtest/gtest.h>

#include "effects/particle_pool.h"
#include "effects/text_renderer.h"

namespace {

using effects::Particle;
using effects::ParticlePool;

TEST(ParticleRain, EachUpdateRespawnsTwoParticlesIntoFreeSlotsFallingFromTheStripAboveTheWater) {
    ParticlePool pool(100);
    for (Particle& particle : pool.particles) particle.life = 0.0f;
    for (int update = 0; update < 50; ++update) pool.update(0.0f);
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (const Particle& p : pool.particles) {
        lo = glm::min(lo, p.position);
        hi = glm::max(hi, p.position);
        // Alive, opaque, falling (the update subtracts the velocity) and small.
        EXPECT_EQ(glm::vec2(p.color.a, p.life), glm::vec2(1.0f, 5.0f));
        EXPECT_TRUE(p.velocity.y > 0.0f && p.scale > 0.0f && p.scale <= 0.1f);
    }
    // Two a frame, slot after slot: 50 updates filled all 100 with different drops.
    EXPECT_TRUE(lo.x >= -5.0f && hi.x <= -0.05f && lo.z >= -2.45f && hi.z <= 2.5f);
    EXPECT_TRUE(lo.y == 20.0f && hi.y == 20.0f && hi.x - lo.x > 4.0f && hi.z - lo.z > 4.0f);
    EXPECT_EQ(pool.lastUsedParticle, 99u);
}

TEST(ParticleRain, LivingParticlesAgeFallAndFadeAndOneThatDiesStopsWhereItIs) {
    ParticlePool pool(100);
    const Particle drop{{1, 10, -2}, {-0.2f, 1.5f, 0.1f}, {3, 4, 5, 0.9f}, 2.0f, 1.0f};
    pool.particles[5] = pool.particles[8] = pool.particles[50] = drop;
    pool.particles[8].life = 0.1f;
    pool.particles[50].life = -1.0f;
    // The update's two respawns take these.
    pool.particles[20].life = pool.particles[21].life = 0.0f;
    pool.lastUsedParticle = 20;
    pool.update(0.25f);
    const Particle& living = pool.particles[5];
    EXPECT_FLOAT_EQ(living.life, 1.75f);
    EXPECT_LT(glm::length(living.position - glm::vec3(1.05f, 9.625f, -2.025f)), 1e-5f);
    EXPECT_EQ(glm::vec2(living.color.r, living.color.a), glm::vec2(3.0f, 0.9f - 0.125f));
    for (const Particle& p : {pool.particles[8], pool.particles[50]})
        EXPECT_TRUE(p.position == glm::vec3(1, 10, -2) && p.color.a == 0.9f) << p.life;
    EXPECT_LT(pool.particles[8].life, 0.0f);
}

TEST(TextLayout, AGlyphSitsOnTheBaselineAndMovesThePenByItsWholePixelAdvance) {
    const struct {
        effects::Glyph glyph;
        float x, y, scale;
        glm::vec4 box;  // left, bottom, right, top
        float pen;
    } cases[] = {
        // A descender at scale 2: 10 below the baseline becomes 20.
        {{0, {12, 30}, {1, 20}, 14 * 64}, 0.0f, 100.0f, 2.0f, {2, 80, 26, 140}, 28.0f},
        // The 63/64 of the advance are dropped before scaling; the pen itself is not rounded.
        {{0, {9, 14}, {3, 11}, 10 * 64 + 63}, 10.25, 3.5, 0.75, {12.5, 1.25, 19.25, 11.75}, 17.75},
        // A space covers nothing; a byte without a glyph does not move the pen.
        {{0, {0, 0}, {0, 0}, 13 * 64 + 40}, 20.0f, 30.0f, 1.0f, {20, 30, 20, 30}, 33.0f},
        {effects::Glyph{}, 55.5f, 10.0f, 2.0f, {55.5f, 10, 55.5f, 10}, 55.5f}};
    for (const auto& c : cases) {
        float pen = c.x;
        const auto quad = effects::layoutGlyph(c.glyph, pen, c.y, c.scale);
        EXPECT_EQ(pen, c.pen);
        // Two triangles, texture row 0 at the top.
        const glm::vec4 expected[6] = {{c.box.x, c.box.w, 0, 0}, {c.box.x, c.box.y, 0, 1},
                                       {c.box.z, c.box.y, 1, 1}, {c.box.x, c.box.w, 0, 0},
                                       {c.box.z, c.box.y, 1, 1}, {c.box.z, c.box.w, 1, 0}};
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_LT(glm::length(quad[i] - expected[i]), 1e-4f) << c.pen << " vertex " << i;
        }
    }
}

}  // namespace
