// The shadow light's matrix: its footprint over the walled level and its depth range.
#include <gtest/gtest.h>

#include "effects/shadow_map.h"

namespace {

// Shadow-map coordinates in [0, 1] for a world point: what the lit pass looks up.
glm::vec3 toShadowMap(const glm::vec3& world) {
    const glm::vec4 clip = effects::computeLightSpaceMatrix() * glm::vec4(world, 1.0f);
    return glm::vec3(clip) / clip.w * 0.5f + 0.5f;
}

const glm::vec3 kLightDirection = glm::normalize(-effects::kLightPos);

TEST(ShadowLightSpace, TheMapCoversTheWalledLevelAtTheOldFootprintsDensity) {
    // The walls' outer corners at the floor and at their tops, and the strip of the court behind
    // the start: inside. The floor past the west wall and past the court's back wall: outside.
    const struct {
        glm::vec3 world;
        bool inside;
    } cases[] = {
        {{-33.5f, 0.0f, -29.5f}, true}, {{20.5f, 22.0f, -29.5f}, true},
        {{-21.0f, 0.0f, 55.0f}, true},  {{23.0f, 18.0f, 55.0f}, true},
        {{0.0f, 0.0f, 53.0f}, true},    {{-33.5f, 22.0f, 14.7f}, true},
        {{-38.0f, 0.0f, 0.0f}, false},  {{0.0f, 0.0f, 59.0f}, false},
    };
    for (const auto& c : cases) {
        const glm::vec3 p = toShadowMap(c.world);
        const bool inside = p.x > 0.0f && p.x < 1.0f && p.y > 0.0f && p.y < 1.0f;
        EXPECT_EQ(inside, c.inside) << c.world.x << ", " << c.world.y << ", " << c.world.z;
    }
    // No blurrier than the 100-unit footprint was: a unit along the light's right and up axes
    // spans 10048 / 100 texels or more.
    const glm::vec3 up =
        glm::cross(glm::cross(kLightDirection, glm::vec3(0.0f, 1.0f, 0.0f)), kLightDirection);
    for (const glm::vec3 axis : {glm::vec3(1.0f, 0.0f, 0.0f), glm::normalize(up)}) {
        const glm::vec2 step(toShadowMap(axis) - toShadowMap(glm::vec3(0.0f)));
        EXPECT_GE(glm::length(step) * static_cast<float>(effects::kShadowSize), 100.47f);
    }
}

TEST(ShadowLightSpace, DepthRunsFromNearToFarAlongTheLight) {
    const glm::vec3 nearPoint = effects::kLightPos + kLightDirection * 1.0f;
    const glm::vec3 farPoint = effects::kLightPos + kLightDirection * effects::kShadowFar;
    EXPECT_NEAR(toShadowMap(nearPoint).z, 0.0f, 1e-5f);
    EXPECT_NEAR(toShadowMap(farPoint).z, 1.0f, 1e-5f);
    // Depth is linear in the distance from the light (orthographic projection).
    const float distance = glm::length(effects::kLightPos);
    EXPECT_NEAR(toShadowMap(glm::vec3(0.0f)).z,
                (distance - effects::kShadowNear) / (effects::kShadowFar - effects::kShadowNear),
                1e-5f);
}

TEST(ShadowLightSpace, TheWholeFloorOfTheFootprintLiesWithinTheDepthRange) {
    // Every floor point the map covers, the corners included, gets a depth it can store; the
    // middle of the level (the origin lies 72.8 units from the light) above all.
    for (float x : {-33.5f, 0.0f, 23.0f}) {
        for (float z : {-29.5f, -2.0f, 0.0f, 3.0f, 55.0f}) {
            const float depth = toShadowMap(glm::vec3(x, 0.0f, z)).z;
            EXPECT_GT(depth, 0.0f) << x << ", " << z;
            EXPECT_LT(depth, 1.0f) << x << ", " << z;
        }
    }
}

}  // namespace
