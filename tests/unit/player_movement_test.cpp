// The player's walking, flying, jumping and crouching as the frame loop drives them.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "physics/character_controller.h"
#include "physics/physics_world.h"
#include "physics/player.h"
#include "support/player_world.h"

namespace {

using physics::MoveDirection;
using physics::PhysicsWorld;
using physics::Player;
using physics::Shape;

struct PlayerWalk : testsupport::PlayerWorld {
    double footY() const { return world.controller->getFootPosition().y; }
};

TEST_F(PlayerWalk, StartsWithTheEyeAt4Point2AboveTheFeet) {
    const glm::dvec3 centre = world.controller->getPosition();
    EXPECT_NEAR(centre.x, 0.0, 1e-6);
    EXPECT_NEAR(centre.y, 2.2, 1e-6);
    EXPECT_NEAR(centre.z, 50.0, 1e-6);
    physics::updateEye(player);
    EXPECT_NEAR(player.camera.position.y, 4.2f, 1e-6f);
    EXPECT_FLOAT_EQ(world.controller->radius(), 0.2f);
    EXPECT_FLOAT_EQ(world.controller->height(), 4.0f);
    EXPECT_FLOAT_EQ(world.controller->stepOffset(), 0.5f);
}

TEST_F(PlayerWalk, WalkingForwardOneSecondMovesTheEye15Units) {
    frame();
    const glm::vec3 start = player.camera.position;
    for (int i = 0; i < 60; ++i) frame(true);
    const glm::vec3 end = player.camera.position;
    EXPECT_NEAR(end.z - start.z, -15.0f, 0.01f);
    EXPECT_NEAR(end.x, start.x, 1e-3f);
    EXPECT_NEAR(end.y, 4.2f, 2.0f * world.controller->contactOffset());
    // Standing on the ground plane, the foot within the skin of y = 0.
    EXPECT_NEAR(footY(), 0.0, world.controller->contactOffset());
    EXPECT_EQ(physics::actorName(world.controller->getState().touchedActor), "groundPlane");
}

TEST_F(PlayerWalk, TheFourDirectionsFollowTheView) {
    player.camera.turnCamera(-450.0f, 0.0f);  // yaw -180: looking along -x
    frame();
    const glm::vec3 start = player.camera.position;
    physics::moveCharacter(player, MoveDirection::Forward);
    EXPECT_NEAR(player.camera.position.x - start.x, -0.25f, 1e-3f);
    physics::moveCharacter(player, MoveDirection::Backward);
    EXPECT_NEAR(player.camera.position.x - start.x, 0.0f, 1e-3f);
    physics::moveCharacter(player, MoveDirection::Right);
    EXPECT_NEAR(player.camera.position.z - start.z, -0.25f, 1e-3f);
    physics::moveCharacter(player, MoveDirection::Left);
    physics::moveCharacter(player, MoveDirection::Left);
    EXPECT_NEAR(player.camera.position.z - start.z, 0.25f, 1e-3f);
}

TEST_F(PlayerWalk, LookingUpWalksLevelWithGravityAndRisesWhenFlying) {
    player.camera.turnCamera(0.0f, 1000.0f);
    ASSERT_FLOAT_EQ(player.camera.pitch, 89.0f);
    frame();
    const glm::vec3 start = player.camera.position;
    for (int i = 0; i < 60; ++i) frame(true);
    EXPECT_NEAR(player.camera.position.y, start.y, 2.0f * world.controller->contactOffset());
    EXPECT_NEAR(glm::length(glm::vec2(player.camera.position.x - start.x,
                                      player.camera.position.z - start.z)),
                15.0f, 0.01f);

    player.gravityEnabled = false;
    const glm::vec3 before = player.camera.position;
    for (int i = 0; i < 60; ++i) frame(true);
    const glm::vec3 moved = player.camera.position - before;
    EXPECT_NEAR(moved.y, 15.0f * std::sin(glm::radians(89.0f)), 0.01f);
    EXPECT_LT(glm::length(glm::vec2(moved.x, moved.z)), 0.3f);
}

TEST_F(PlayerWalk, FallingIsAConstant45UnitsPerSecond) {
    world.controller->setFootPosition(glm::dvec3(0.0, 30.0, 50.0));
    frame();
    const double before = footY();
    frame();
    EXPECT_NEAR(before - footY(), 45.0 * kFrame, 1e-4);
    for (int i = 0; i < 60; ++i) frame();
    EXPECT_NEAR(footY(), 0.0, world.controller->contactOffset());
}

struct PlayerJump : PlayerWalk {};

TEST_F(PlayerJump, RisesOver11UnitsAndEndsWhenTheFootIsBackOnTheGround) {
    frame();
    const double ground = footY();
    player.jumpRequested = true;
    double highest = ground;
    int frames = 0;
    while (player.jumpRequested && frames < 200) {
        const float before = player.camera.jumpVelocity.y;
        frame();
        ++frames;
        highest = std::max(highest, footY());
        if (player.jumpRequested) {
            EXPECT_GT(before, -25.0f);
        }
    }
    EXPECT_FALSE(player.jumpRequested);
    // The rise in the jump's own arithmetic: two moves of velocity × deltaTime a frame.
    double rise = 0.0;
    for (float v = player.camera.jumpStartVelocity.y;;) {
        v += player.camera.jumpGravity.y * 0.5f * kFrame;
        if (v <= 0.0f) break;
        rise += static_cast<double>(v * kFrame);
    }
    EXPECT_GT(rise, 11.0);
    EXPECT_NEAR(highest - ground, rise, 0.05);
    // The foot landed on the unnamed ground plane's shape below 0.001 and was put at 0.
    EXPECT_NEAR(footY(), 0.0, 1e-6);
    EXPECT_FLOAT_EQ(player.camera.jumpVelocity.y, player.camera.jumpStartVelocity.y);
    // Rising 23 / 45 s and falling as long again: about 61 frames, well before -25.
    EXPECT_NEAR(frames, 61, 3);
}

TEST_F(PlayerJump, EndsOnLandingOnANamedLevelShape) {
    // A named ledge of height 3 ahead; jumping forward onto it.
    Shape* ledge =
        solidBox(glm::vec3(0.0f, 1.5f, 30.0f), glm::vec3(5.0f, 1.5f, 10.0f), "pitShapePhysX");
    frame();
    player.jumpRequested = true;
    float lastVelocity = 0.0f;
    int frames = 0;
    while (player.jumpRequested && frames < 200) {
        lastVelocity = player.camera.jumpVelocity.y;
        frame(true);
        ++frames;
    }
    EXPECT_FALSE(player.jumpRequested);
    EXPECT_EQ(world.controller->getState().touchedShape, ledge);
    EXPECT_NEAR(footY(), 3.0, world.controller->contactOffset());
    // Ended by the name, long before the velocity rule could.
    EXPECT_GT(lastVelocity, -20.0f);
}

TEST_F(PlayerJump, OnAnUnnamedShapeGoesOnUntilTheVelocityReachesMinus25) {
    // An unnamed block of height 10 to stand on.
    solidBox(glm::vec3(0.0f, 5.0f, 50.0f), glm::vec3(3.0f, 5.0f, 3.0f), nullptr);
    world.controller->setFootPosition(glm::dvec3(0.0, 10.0, 50.0));
    frame();
    ASSERT_NEAR(footY(), 10.0, 0.02);
    player.jumpRequested = true;
    int frames = 0;
    bool landed = false;
    while (player.jumpRequested && frames < 200) {
        // The velocity this frame will reach, in the jump's own arithmetic.
        float expected = player.camera.jumpVelocity.y;
        for (int half = 0; half < 2; ++half)
            expected += player.camera.jumpGravity.y * 0.5f * kFrame;
        frame();
        ++frames;
        if (world.controller->getState().touchedShape != nullptr) landed = true;
        EXPECT_EQ(player.jumpRequested, expected > -25.0f) << "frame " << frames;
    }
    EXPECT_TRUE(landed);
    EXPECT_FALSE(player.jumpRequested);
    EXPECT_NEAR(footY(), 10.0, 0.02);
}

TEST_F(PlayerJump, InTheAirEndsOnceTheVelocityReachesMinus25) {
    player.gravityEnabled = false;
    world.controller->setFootPosition(glm::dvec3(0.0, 100.0, 0.0));
    player.jumpRequested = true;
    int frames = 0;
    while (player.jumpRequested && frames < 200) {
        frame();
        ++frames;
    }
    // From +23 by 0.75 a frame to -25: 64 frames.
    EXPECT_EQ(frames, static_cast<int>(std::ceil((23.0f + 25.0f) / (45.0f * kFrame) - 1e-3f)));
    EXPECT_FALSE(player.jumpRequested);
    EXPECT_EQ(world.controller->getState().touchedShape, nullptr);
}

struct PlayerCrouch : PlayerWalk {};

TEST_F(PlayerCrouch, ShrinksOnTheSecondHeldFrameAndStandsUpTheFrameAfterRelease) {
    frame();
    frame();
    const float standing = player.camera.position.y;
    const double foot = footY();
    player.crouchHeld = true;
    frame();
    EXPECT_FLOAT_EQ(player.camera.position.y, standing) << "a single frame changes nothing";
    EXPECT_FLOAT_EQ(world.controller->height(), 4.0f);
    frame();
    EXPECT_FLOAT_EQ(world.controller->height(), 2.0f);
    EXPECT_NEAR(player.camera.position.y, standing - 1.0f, 1e-4f);
    EXPECT_NEAR(footY(), foot, 1e-4);
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_NEAR(player.camera.position.y, standing - 1.0f, 1e-4f);
    player.crouchHeld = false;
    frame();
    EXPECT_FLOAT_EQ(world.controller->height(), 4.0f);
    EXPECT_NEAR(player.camera.position.y, standing, 1e-4f);
    EXPECT_NEAR(footY(), foot, 1e-4);
    EXPECT_FLOAT_EQ(player.camera.standingHeight, 4.0f);
}

TEST_F(PlayerCrouch, ATapOfOneFrameChangesNothing) {
    frame();
    const float standing = player.camera.position.y;
    for (int tap = 0; tap < 3; ++tap) {
        player.crouchHeld = true;
        frame();
        player.crouchHeld = false;
        frame();
        EXPECT_FLOAT_EQ(world.controller->height(), 4.0f);
        EXPECT_FLOAT_EQ(player.camera.position.y, standing);
    }
}

TEST_F(PlayerCrouch, StaysLowUnderACeilingAndStandsUpOnceClear) {
    // A slab whose underside is at 3.5: room for a crouched capsule (2.4 tall), not a standing one.
    solidBox(glm::vec3(0.0f, 4.0f, 40.0f), glm::vec3(3.0f, 0.5f, 3.0f), "brickShapePhysX");
    frame();
    player.crouchHeld = true;
    frame();
    frame();
    ASSERT_FLOAT_EQ(world.controller->height(), 2.0f);
    for (int i = 0; i < 40; ++i) frame(true);  // walk under the slab to z 40
    EXPECT_NEAR(world.controller->getPosition().z, 40.0, 0.1);
    player.crouchHeld = false;
    frame();
    EXPECT_FLOAT_EQ(world.controller->height(), 2.0f);
    EXPECT_NEAR(footY(), 0.0, world.controller->contactOffset());
    // Keeps trying every frame; stands up once out from under the slab.
    for (int i = 0; i < 24; ++i) frame(true);
    EXPECT_FLOAT_EQ(world.controller->height(), 4.0f);
}

}  // namespace
