// The player's capsule at the level's scale: steps, slopes, walls, loose and moving bodies,
// crouching, and the walk, fall and jump of the frame loop.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

using physics::Shape;
constexpr float kFrame = 1.0f / 60.0f;

// A world with the player, stepped the way the frame loop steps it.
struct Controller : ::testing::Test {
    void SetUp() override {
        world.initPhysics();
        player.controller = world.controller;
        player.deltaTime = kFrame;
    }
    // Play frames in the loop's order: step, gravity, crouch, jump, then W if held.
    void frames(int n, bool forward = false) {
        for (int i = 0; i < n; ++i) {
            world.step();
            physics::gravityStep(player);
            physics::updateCrouch(player);
            if (player.jumpRequested) physics::jumpStep(player);
            if (forward) physics::moveCharacter(player, physics::MoveDirection::Forward);
        }
    }
    physics::CharacterController& capsule() { return *world.controller; }
    glm::dvec3 foot() { return capsule().getFootPosition(); }
    glm::dvec3 centre() { return capsule().getPosition(); }
    const Shape* touched() { return capsule().getState().touchedShape; }
    void turn(float degrees) { player.camera.turnCamera(degrees / 0.2f, 0.0f); }
    void at(double x, double y, double z) { capsule().setFootPosition({x, y, z}); }
    // A static box, or a mesh from lists, of the level's material, optionally named.
    Shape* box(const glm::vec3& centre, const glm::vec3& half, const char* name = "") {
        return place(world.createBoxShape(half, level, false), name, centre);
    }
    Shape* mesh(const app::MeshLists& m) {
        return place(world.createTriangleMeshShape(m.points, m.indices, level, glm::vec3(1)), "");
    }
    Shape* place(Shape* shape, const char* name, const glm::vec3& at = glm::vec3(0.0f)) {
        world.setShapeName(shape, name);
        world.createStaticActor(shape, at);
        return shape;
    }
    // A two-triangle quad with corners a, b, c and b + c - a.
    Shape* quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
        return mesh({"quad", {a, b, c, b + c - a}, {0, 1, 2, 1, 3, 2}});
    }
    physics::PhysicsWorld world;
    physics::Player player;
    const physics::Material level{1.0f, 1.0f, 0.0f};
};

TEST_F(Controller, LedgesOfAStepAreClimbedAndHigherOnesBlock) {
    // Walking along -z into mesh ledges of 0.3 and 0.6 whose near face is at z 45.
    for (const float h : {0.3f, 0.6f}) {
        Shape* ledge =
            mesh(testsupport::boxLists("ledge", {h * 20 - 1, 0, 35}, {h * 20 + 1, h, 45}));
        at(h * 20, 0.0, 50.0);
        for (int i = 0; i < 40; ++i) {
            frames(1, true);
            ASSERT_TRUE(foot().y < h + 0.02 && foot().y > -0.02) << foot().y;
        }
        const bool climbed = h < 0.5f;
        EXPECT_NEAR(centre().z, climbed ? 40.0 : 45.2, 0.05) << h;
        EXPECT_NEAR(foot().y, climbed ? h : 0.0, capsule().contactOffset()) << h;
        EXPECT_EQ(touched() == ledge, climbed) << h;
    }
}

TEST_F(Controller, A30DegreeRampIsWalkedUpEvenInQuarterSecondFramesAndA50DegreeOneBlocks) {
    // Ramps 6 wide around x rising along -z from the ground at z 46.
    const auto ramp = [&](float x, float degrees) {
        quad({x - 3, 0, 46}, {x + 3, 0, 46}, {x - 3, 30 * std::tan(glm::radians(degrees)), 16});
    };
    ramp(0.0f, 30.0f);
    // In 3.75-unit moves each slide up the surface keeps cos² 30° of the horizontal distance.
    for (const float dt : {kFrame, 0.25f}) {
        const bool slow = dt > kFrame;
        at(0.0, 0.0, 50.0);
        player.deltaTime = dt;
        frames(slow ? 4 : 60, true);
        const double walked = 46.0 - centre().z;
        EXPECT_GT(walked, slow ? 3.0 * 3.75 * 0.75 - 0.5 : 10.0);
        EXPECT_NEAR(foot().y, walked * std::tan(glm::radians(30.0)), slow ? 0.1 : 0.05);
    }
    // Straight at a steeper one: the foot stays below a step's height.
    player.deltaTime = kFrame;
    ramp(10.0f, 50.0f);
    at(10.0, 0.0, 50.0);
    frames(120, true);
    EXPECT_LT(foot().y, capsule().stepOffset());
}

TEST_F(Controller, WallsAreNeverPassedEvenInLongMovesAndTheCapsuleSlidesAlongThemWithoutJitter) {
    // A box wall 0.1 thick at z 40, a two-sided sheet at z 30, a thin floor at y 20.
    box({0.0f, 5.0f, 40.0f}, {10.0f, 5.0f, 0.05f});
    quad({-10, 0, 30}, {10, 0, 30}, {-10, 10, 30});
    quad({-5, 20, 0}, {5, 20, 0}, {-5, 20, -5});
    player.deltaTime = 0.25f;  // 3.75 units a move
    // Start z, the wall's z, which side of it, the turn.
    const double runs[][4] = {{50, 40.05, 1, 0}, {35, 30.0, 1, 0}, {20, 30.0, -1, 180}};
    for (const auto& r : runs) {
        at(0.0, 0.0, r[0]);
        turn(static_cast<float>(r[3]));
        for (int i = 0; i < 40; ++i) {
            frames(1, true);
            ASSERT_GT(r[2] * (centre().z - r[1]), capsule().radius() - 1e-3) << r[1];
        }
    }
    // A fall of 11.25 units a move does not pass the thin floor either.
    at(0.0, 60.0, -2.5);
    frames(20);
    EXPECT_NEAR(foot().y, 20.0, capsule().contactOffset());
    // Into a wall along z at x 1 at 45 degrees: the capsule slides along it into the corner with
    // a wall across at z -30.5, and stops dead there.
    player.deltaTime = kFrame;
    box({1.5f, 5.0f, -20.0f}, {0.5f, 5.0f, 15.0f});
    box({0.0f, 5.0f, -31.0f}, {5.0f, 5.0f, 0.5f});
    at(0.0, 0.0, -10.0);
    turn(-135.0f);
    frames(170, true);
    const glm::dvec3 settled = centre();
    EXPECT_NEAR(settled.x, 0.8, 0.03);
    EXPECT_NEAR(settled.z, -30.3, 0.03);
    frames(30, true);
    EXPECT_LT(glm::length(centre() - settled), 1e-3);
}

TEST_F(Controller, WalkingFollowsTheViewLevelWithGravityAndFallingIsSteady) {
    frames(1);
    frames(60, true);
    EXPECT_LT(glm::length(player.camera.position - glm::vec3(0, 4.2f, 35)), 0.02f);
    EXPECT_EQ(physics::actorName(capsule().getState().touchedActor), "groundPlane");
    // Looking straight up (the pitch stops at 89 degrees), the walk stays level.
    player.camera.turnCamera(0.0f, 1000.0f);
    EXPECT_EQ(player.camera.pitch, 89.0f);
    const glm::vec3 before = player.camera.position;
    frames(60, true);
    const glm::vec3 moved = player.camera.position - before;
    EXPECT_NEAR(moved.y, 0.0f, 0.01f);
    EXPECT_NEAR(glm::length(glm::vec2(moved.x, moved.z)), 15.0f, 0.01f);
    // Falling is a constant 45 units a second.
    at(0.0, 30.0, 50.0);
    frames(1);
    const double top = foot().y;
    frames(1);
    EXPECT_NEAR(top - foot().y, 45.0 * kFrame, 1e-4);
}

TEST_F(Controller, AJumpRisesAbout11Point7AndEndsOnTheGroundOnANamedShapeOrAtMinus25) {
    // Runs a jump; the frames it took and the velocity before its last frame.
    double highest = 0.0;
    const auto jump = [&](bool forward) {
        player.jumpRequested = true;
        int count = 0;
        float last = 0.0f;
        for (highest = foot().y; player.jumpRequested && count < 200; ++count) {
            last = player.camera.jumpVelocity.y;
            frames(1, forward);
            highest = std::max(highest, foot().y);
        }
        EXPECT_EQ(player.camera.jumpVelocity.y, 23.0f);
        return std::pair(count, last);
    };
    frames(1);
    // On the (unnamed) ground plane: about 61 frames, the foot put back at 0 exactly.
    EXPECT_NEAR(jump(false).first, 61, 3);
    EXPECT_NEAR(highest, 11.6, 0.2);
    EXPECT_NEAR(foot().y, 0.0, 1e-6);
    // Onto a named ledge 3 high ahead: ended by the name, long before -25.
    Shape* ledge = box({0.0f, 1.5f, 30.0f}, {5.0f, 1.5f, 10.0f}, "pitShapePhysX");
    EXPECT_GT(jump(true).second, -20.0f);
    EXPECT_EQ(touched(), ledge);
    EXPECT_NEAR(foot().y, 3.0, capsule().contactOffset());
    // In the air it ends when the fall reaches 25 a second: from +23 by 0.75 a frame, 64 frames.
    at(0.0, 100.0, 0.0);
    EXPECT_EQ(jump(false).first, 64);
}

TEST_F(Controller, CrouchingLowersTheEyeFromTheSecondHeldFrameAndStandingWaitsForRoom) {
    frames(2);
    const float standing = player.camera.position.y;
    // A tap of one frame changes nothing.
    for (int tap = 0; tap < 2; ++tap) {
        player.crouchHeld = true;
        frames(1);
        EXPECT_FLOAT_EQ(player.camera.position.y, standing);
        player.crouchHeld = false;
        frames(1);
    }
    player.crouchHeld = true;
    frames(2);
    EXPECT_FLOAT_EQ(capsule().height(), 2.0f);
    EXPECT_NEAR(player.camera.position.y, standing - 1.0f, 1e-4f);
    // Under a slab 3.5 high the player stays low after letting go, until out from under it.
    box({0.0f, 4.0f, 40.0f}, {3.0f, 0.5f, 3.0f}, "brickShapePhysX");
    frames(40, true);
    player.crouchHeld = false;
    frames(2);
    EXPECT_FLOAT_EQ(capsule().height(), 2.0f);
    EXPECT_NEAR(foot().y, 0.0, capsule().contactOffset());
    frames(24, true);
    EXPECT_FLOAT_EQ(capsule().height(), 4.0f);
    EXPECT_NEAR(player.camera.position.y, standing, 0.01f);
}

}  // namespace
