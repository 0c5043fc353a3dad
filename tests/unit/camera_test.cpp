// The camera's axes, mouse turning with its pitch clamp, and the projection.
#include "physics/camera.h"

#include <gtest/gtest.h>

#include <glm/glm.hpp>

namespace {

using physics::Camera;

TEST(Camera, StartsLookingAlongNegativeZWithHorizontalRight) {
    const Camera camera;
    EXPECT_NEAR(camera.front.x, 0.0f, 1e-6f);
    EXPECT_NEAR(camera.front.y, 0.0f, 1e-6f);
    EXPECT_NEAR(camera.front.z, -1.0f, 1e-6f);
    EXPECT_NEAR(camera.right.x, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(camera.right.y, 0.0f);
    EXPECT_NEAR(camera.up.y, 1.0f, 1e-6f);
    EXPECT_EQ(camera.position, glm::vec3(0.0f, 4.2f, 50.0f));
}

TEST(Camera, TurningScalesTravelBySensitivity) {
    Camera camera;
    camera.turnCamera(50.0f, 25.0f);
    EXPECT_FLOAT_EQ(camera.yaw, -90.0f + 50.0f * camera.mouseSensitivity);
    EXPECT_FLOAT_EQ(camera.pitch, 25.0f * camera.mouseSensitivity);
    // Yaw is never wrapped.
    for (int i = 0; i < 100; ++i) camera.turnCamera(100.0f, 0.0f);
    EXPECT_GT(camera.yaw, 360.0f);
    EXPECT_NEAR(glm::length(camera.front), 1.0f, 1e-5f);
    EXPECT_NEAR(camera.right.y, 0.0f, 1e-6f);
}

TEST(Camera, PitchStopsAtPlusAndMinus89Degrees) {
    Camera camera;
    camera.turnCamera(0.0f, 10000.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
    EXPECT_GT(camera.front.y, 0.99f);
    camera.turnCamera(0.0f, 10.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
    camera.turnCamera(0.0f, -20000.0f);
    EXPECT_FLOAT_EQ(camera.pitch, -89.0f);
    EXPECT_LT(camera.front.y, -0.99f);
    // Just inside the limit is kept as it is.
    camera.turnCamera(0.0f, 5.0f);
    EXPECT_FLOAT_EQ(camera.pitch, -89.0f + 5.0f * camera.mouseSensitivity);
}

TEST(Camera, ViewMatrixLooksFromTheEyeAlongFront) {
    Camera camera;
    camera.turnCamera(123.0f, -40.0f);
    const glm::mat4 view = camera.viewMatrix();
    const glm::vec4 eye = view * glm::vec4(camera.position, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(eye)), 0.0f, 1e-4f);
    const glm::vec4 ahead = view * glm::vec4(camera.position + camera.front * 3.0f, 1.0f);
    EXPECT_NEAR(ahead.z, -3.0f, 1e-4f);
    EXPECT_NEAR(ahead.x, 0.0f, 1e-4f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-4f);
}

TEST(CameraProjection, AspectFollowsTheWindowAndFieldOfViewIs45Degrees) {
    const glm::mat4 wide = physics::projectionMatrix(1920, 1080);
    // m[0][0] = f / aspect and m[1][1] = f with f = 1 / tan(fov / 2).
    EXPECT_FLOAT_EQ(wide[1][1] / wide[0][0], 1.7777778f);
    EXPECT_NEAR(wide[1][1], 1.0f / std::tan(0.39269909f), 1e-5f);
    const glm::mat4 square = physics::projectionMatrix(800, 800);
    EXPECT_FLOAT_EQ(square[1][1] / square[0][0], 1.0f);
    // Near 0.1 maps to depth -1 and far 100 to +1.
    const glm::vec4 nearPoint = wide * glm::vec4(0.0f, 0.0f, -0.1f, 1.0f);
    const glm::vec4 farPoint = wide * glm::vec4(0.0f, 0.0f, -100.0f, 1.0f);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, -1.0f, 1e-4f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-4f);
}

}  // namespace
