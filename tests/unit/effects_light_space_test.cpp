// The shadow light's matrix: its 100 x 100 footprint and its depth range from the light.
#include <gtest/gtest.h>

#include "effects/shadow_map.h"

namespace {

// Shadow-map coordinates in [0, 1] for a world point: what the lit pass looks up.
glm::vec3 toShadowMap(const glm::vec3& world) {
    const glm::vec4 clip = effects::computeLightSpaceMatrix() * glm::vec4(world, 1.0f);
    return glm::vec3(clip) / clip.w * 0.5f + 0.5f;
}

const glm::vec3 kLightDirection = glm::normalize(-effects::kLightPos);

TEST(ShadowLightSpace, TheOriginLiesAtTheCentreOfTheFootprint) {
    const glm::vec3 p = toShadowMap(glm::vec3(0.0f));
    EXPECT_NEAR(p.x, 0.5f, 1e-5f);
    EXPECT_NEAR(p.y, 0.5f, 1e-5f);
}

TEST(ShadowLightSpace, PointsInsideTheFootprintMapInsideTheMap) {
    for (const glm::vec3 world : {glm::vec3(-30.0f, 0.0f, 0.0f), glm::vec3(45.0f, 5.0f, 10.0f),
                                  glm::vec3(0.0f, 2.0f, -20.0f)}) {
        const glm::vec3 p = toShadowMap(world);
        EXPECT_GT(p.x, 0.0f);
        EXPECT_LT(p.x, 1.0f);
        EXPECT_GT(p.y, 0.0f);
        EXPECT_LT(p.y, 1.0f);
    }
}

TEST(ShadowLightSpace, PointsOutsideTheFootprintMapOutsideTheMap) {
    // The light's right axis is world x, so 60 units sideways is 10 past the 50-unit half-width.
    EXPECT_GT(toShadowMap(glm::vec3(60.0f, 0.0f, 0.0f)).x, 1.0f);
    EXPECT_LT(toShadowMap(glm::vec3(-60.0f, 0.0f, 0.0f)).x, 0.0f);
    // Along the light's up axis (mostly world -z here) far past the footprint.
    const glm::vec3 lightUp = glm::normalize(
        glm::cross(glm::cross(kLightDirection, glm::vec3(0, 1, 0)), kLightDirection));
    EXPECT_GT(toShadowMap(lightUp * 60.0f).y, 1.0f);
    EXPECT_LT(toShadowMap(lightUp * -60.0f).y, 0.0f);
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
    for (float x : {-50.0f, 0.0f, 50.0f}) {
        for (float z : {-50.0f, -2.0f, 0.0f, 3.0f, 50.0f}) {
            const float depth = toShadowMap(glm::vec3(x, 0.0f, z)).z;
            EXPECT_GT(depth, 0.0f) << x << ", " << z;
            EXPECT_LT(depth, 1.0f) << x << ", " << z;
        }
    }
}

}  // namespace
