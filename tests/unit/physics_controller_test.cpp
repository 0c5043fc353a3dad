// The capsule controller against level geometry: steps, slopes, walls, loose bodies, platforms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <glm/glm.hpp>
#include <vector>

#include "physics/character_controller.h"
#include "physics/physics_world.h"
#include "physics/player.h"
#include "support/player_world.h"

namespace {

using physics::Actor;
using physics::CharacterController;
using physics::MoveDirection;
using physics::PhysicsWorld;
using physics::Player;
using physics::Shape;

struct Controller : testsupport::PlayerWorld {
    // A ramp 6 wide rising along -z from the ground at z = zStart, as a two-triangle mesh.
    Shape* ramp(float zStart, float length, float degrees) {
        const float rise = length * std::tan(glm::radians(degrees));
        std::vector<glm::vec3> points{{-3.0f, 0.0f, zStart},
                                      {3.0f, 0.0f, zStart},
                                      {-3.0f, rise, zStart - length},
                                      {3.0f, rise, zStart - length}};
        Shape* shape =
            world.createTriangleMeshShape(points, {0, 1, 2, 1, 3, 2}, level, glm::vec3(1.0f));
        world.setShapeName(shape, "pitShapePhysX");
        world.createStaticActor(shape, glm::vec3(0.0f));
        return shape;
    }

    CharacterController& controller() { return *world.controller; }
    glm::dvec3 foot() { return controller().getFootPosition(); }
    glm::dvec3 centre() { return controller().getPosition(); }

};

struct ControllerSteps : Controller {};

TEST_F(ControllerSteps, ALedgeOf0Point3IsClimbed) {
    Shape* step = solidBox(glm::vec3(0.0f, 0.15f, 40.0f), glm::vec3(3.0f, 0.15f, 5.0f), "step");
    double highest = 0.0;
    for (int i = 0; i < 40; ++i) {
        frame(true);
        highest = std::max(highest, foot().y);
        // Never above the step, never sunk below the floor.
        EXPECT_LT(foot().y, 0.3 + 0.02);
        EXPECT_GT(foot().y, -0.02);
    }
    // 10 units in at z 40: on top of the step.
    EXPECT_NEAR(centre().z, 40.0, 0.05);
    EXPECT_NEAR(foot().y, 0.3, controller().contactOffset());
    EXPECT_EQ(controller().getState().touchedShape, step);
}

TEST_F(ControllerSteps, ALedgeOf0Point6Blocks) {
    solidBox(glm::vec3(0.0f, 0.3f, 40.0f), glm::vec3(3.0f, 0.3f, 5.0f));
    for (int i = 0; i < 60; ++i) frame(true);
    // Stopped at the ledge's face (z 45) by the capsule's radius, on the floor.
    EXPECT_NEAR(centre().z, 45.0 + controller().radius(), 0.03);
    EXPECT_GT(centre().z, 45.0 + controller().radius());
    EXPECT_NEAR(foot().y, 0.0, controller().contactOffset());
}

TEST_F(ControllerSteps, ALedgeOf0Point6IsClimbedByJumping) {
    // Face at z 42; a running jump from z 45 covers about 15 units and lands on it.
    solidBox(glm::vec3(0.0f, 0.3f, 30.0f), glm::vec3(3.0f, 0.3f, 12.0f), "ledge");
    for (int i = 0; i < 20; ++i) frame(true);
    player.jumpRequested = true;
    for (int i = 0; i < 120 && player.jumpRequested; ++i) frame(true);
    EXPECT_FALSE(player.jumpRequested);
    EXPECT_NEAR(foot().y, 0.6, controller().contactOffset());
}

// Ledges cooked as triangle meshes, as the level's are, behave as the boxes above.
TEST_F(ControllerSteps, MeshLedgesOf0Point3AreClimbedAndOf0Point6Block) {
    auto ledge = [this](float height, float x) {
        std::vector<glm::vec3> corners;
        for (int i = 0; i < 8; ++i) {
            corners.emplace_back(x + ((i & 1) ? 1.0f : -1.0f), (i & 2) ? height : 0.0f,
                                 (i & 4) ? 45.0f : 35.0f);
        }
        Shape* shape = world.createTriangleMeshShape(
            corners, {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                      2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5},
            level, glm::vec3(1.0f));
        world.createStaticActor(shape, glm::vec3(0.0f));
        return shape;
    };
    Shape* low = ledge(0.3f, 0.0f);
    ledge(0.6f, 5.0f);
    for (int i = 0; i < 40; ++i) frame(true);
    EXPECT_NEAR(centre().z, 40.0, 0.05);
    EXPECT_NEAR(foot().y, 0.3, controller().contactOffset());
    EXPECT_EQ(controller().getState().touchedShape, low);

    controller().setFootPosition(glm::dvec3(5.0, 0.0, 50.0));
    for (int i = 0; i < 60; ++i) frame(true);
    EXPECT_NEAR(centre().z, 45.0 + controller().radius(), 0.03);
    EXPECT_NEAR(foot().y, 0.0, controller().contactOffset());
}

struct ControllerSlopes : Controller {};

TEST_F(ControllerSlopes, A30DegreeRampIsWalkedUp) {
    ramp(46.0f, 30.0f, 30.0f);
    for (int i = 0; i < 60; ++i) frame(true);
    const double along = 46.0 - centre().z;
    EXPECT_GT(along, 10.0);
    // The foot follows the ramp's surface under the capsule's centre, give or take the rounded
    // bottom's offset on a slope.
    const double surface = along * std::tan(glm::radians(30.0));
    EXPECT_NEAR(foot().y, surface, 0.05);
    EXPECT_NE(controller().getState().touchedShape, nullptr);
}

TEST_F(ControllerSlopes, A50DegreeRampBlocks) {
    ramp(46.0f, 30.0f, 50.0f);
    for (int i = 0; i < 120; ++i) frame(true);
    EXPECT_LT(foot().y, controller().stepOffset());
    EXPECT_GT(centre().z, 46.0 - controller().radius());
    // Also at a slant: sliding along the slope's foot does not climb it either.
    player.camera.turnCamera(-100.0f, 0.0f);
    for (int i = 0; i < 60; ++i) frame(true);
    EXPECT_LT(foot().y, controller().stepOffset());
}

TEST_F(ControllerSlopes, A30DegreeRampIsWalkedUpEvenWithQuarterSecondFrames) {
    ramp(46.0f, 30.0f, 30.0f);
    player.deltaTime = 0.25f;
    for (int i = 0; i < 4; ++i) frame(true);
    // The first 3.75-unit move reaches the ramp; each later one slides up its surface, which
    // keeps cos² 30° of the horizontal distance.
    const double along = 46.0 - centre().z;
    const double slid = 3.75 * std::pow(std::cos(glm::radians(30.0)), 2.0);
    EXPECT_GT(along, 3.0 * slid - 0.5);
    EXPECT_NEAR(foot().y, along * std::tan(glm::radians(30.0)), 0.1);
}

struct ControllerWalls : Controller {};

TEST_F(ControllerWalls, AThinWallIsNeverPassedEvenWithQuarterSecondFrames) {
    // A box wall 0.1 thick and a single two-sided triangle wall behind a gap.
    solidBox(glm::vec3(0.0f, 5.0f, 40.0f), glm::vec3(10.0f, 5.0f, 0.05f));
    std::vector<glm::vec3> sheet{{-10, 0, 30}, {10, 0, 30}, {-10, 10, 30}, {10, 10, 30}};
    world.createStaticActor(
        world.createTriangleMeshShape(sheet, {0, 1, 2, 1, 3, 2}, level, glm::vec3(1.0f)),
        glm::vec3(0.0f));
    player.deltaTime = 0.25f;  // 3.75 units a move
    for (int i = 0; i < 40; ++i) {
        frame(true);
        ASSERT_GT(centre().z, 40.05 + controller().radius()) << "frame " << i;
    }
    // Between the two walls, on into the sheet.
    controller().setFootPosition(glm::dvec3(0.0, 0.0, 35.0));
    for (int i = 0; i < 40; ++i) {
        frame(true);
        ASSERT_GT(centre().z, 30.0 + controller().radius()) << "frame " << i;
    }
    // The sheet from its back, walking along +z (yaw 90).
    controller().setFootPosition(glm::dvec3(0.0, 0.0, 20.0));
    player.camera.turnCamera(180.0f / player.camera.mouseSensitivity, 0.0f);
    for (int i = 0; i < 40; ++i) {
        frame(true);
        ASSERT_LT(centre().z, 30.0 - controller().radius()) << "frame " << i;
    }
    EXPECT_GT(centre().z, 29.0);
    // A fall of 11.25 units a frame does not pass a thin floor either.
    std::vector<glm::vec3> floor{{-5, 20, 0}, {5, 20, 0}, {-5, 20, -5}, {5, 20, -5}};
    world.createStaticActor(
        world.createTriangleMeshShape(floor, {0, 1, 2, 1, 3, 2}, level, glm::vec3(1.0f)),
        glm::vec3(0.0f));
    controller().setFootPosition(glm::dvec3(0.0, 60.0, -2.5));
    for (int i = 0; i < 20; ++i) frame();
    EXPECT_NEAR(foot().y, 20.0, controller().contactOffset());
}

TEST_F(ControllerWalls, WalkingIntoAWallAtASlantSlidesAlongIt) {
    // A wall along z at x = 1.
    solidBox(glm::vec3(1.5f, 5.0f, 20.0f), glm::vec3(0.5f, 5.0f, 30.0f));
    player.camera.turnCamera(45.0f / player.camera.mouseSensitivity, 0.0f);  // yaw -45
    frame();
    for (int i = 0; i < 20; ++i) frame(true);  // reach the wall
    EXPECT_NEAR(centre().x, 1.0 - controller().radius(), 0.03);
    const glm::dvec3 before = centre();
    for (int i = 0; i < 60; ++i) frame(true);
    const glm::dvec3 after = centre();
    // The along-wall part of the walk is kept: 15 × cos 45° units a second.
    EXPECT_NEAR(before.z - after.z, 15.0 * std::cos(glm::radians(45.0)), 0.2);
    EXPECT_LT(after.x, 1.0 - controller().radius());
    EXPECT_NEAR(foot().y, 0.0, controller().contactOffset());
}

TEST_F(ControllerWalls, ACornerStopsTheCapsuleWithoutJitter) {
    solidBox(glm::vec3(0.0f, 5.0f, 39.5f), glm::vec3(5.0f, 5.0f, 0.5f));
    solidBox(glm::vec3(1.5f, 5.0f, 45.0f), glm::vec3(0.5f, 5.0f, 6.0f));
    player.camera.turnCamera(45.0f / player.camera.mouseSensitivity, 0.0f);
    for (int i = 0; i < 60; ++i) frame(true);
    const glm::dvec3 settled = centre();
    EXPECT_NEAR(settled.x, 1.0 - controller().radius(), 0.03);
    EXPECT_NEAR(settled.z, 40.0 + controller().radius(), 0.03);
    for (int i = 0; i < 30; ++i) frame(true);
    EXPECT_LT(glm::length(centre() - settled), 1e-3);
}

struct ControllerBodies : Controller {
    // The loose wall of the level: 5 × 5 unit bricks of density 10 around x 15, z 15.2.
    void buildWall() {
        Shape* brick = world.createBoxShape(glm::vec3(0.5f), world.defaultMaterial, false);
        world.setShapeName(brick, "destroyableWall");
        for (int i = 1; i <= 9; i += 2) {
            for (int j = 0; j <= 8; j += 2) {
                const glm::vec3 at(13.0f + 0.5f * static_cast<float>(j),
                                   0.5f * static_cast<float>(i), 15.2f);
                bricks.push_back(world.createDynamicActor(brick, at, 10.0f));
                start.push_back(at);
            }
        }
    }

    int bricksMoved(float distance) {
        int moved = 0;
        for (std::size_t k = 0; k < bricks.size(); ++k) {
            if (glm::length(world.actorPosition(bricks[k]) - start[k]) > distance) ++moved;
        }
        return moved;
    }

    std::vector<Actor*> bricks;
    std::vector<glm::vec3> start;
};

TEST_F(ControllerBodies, WalkingIntoTheLooseWallKnocksBricksOver) {
    buildWall();
    controller().setFootPosition(glm::dvec3(15.0, 0.0, 20.0));
    for (int i = 0; i < 60; ++i) frame();
    EXPECT_EQ(bricksMoved(0.02f), 0);
    int blockedFrames = 0;
    for (int i = 0; i < 240; ++i) {
        const double z = centre().z;
        frame(true);
        if (z - centre().z < 0.2) ++blockedFrames;
    }
    // The player is held up by the bricks for a while, and several bricks fall.
    EXPECT_GT(blockedFrames, 5);
    EXPECT_GE(bricksMoved(0.5f), 3);
    for (int i = 0; i < 300; ++i) frame();
    for (Actor* brick : bricks) {
        const glm::vec3 p = world.actorPosition(brick);
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        EXPECT_GT(p.y, 0.0f);
    }
}

TEST_F(ControllerBodies, AFallingBrickIsStoppedByThePlayersHead) {
    Shape* box =
        world.createBoxShape(glm::vec3(0.5f), world.createMaterial(1.0f, 1.0f, 0.0f), false);
    Actor* brick = world.createDynamicActor(box, glm::vec3(0.0f, 8.0f, 50.0f), 10.0f);
    // It reaches the head after about 1.1 s; for a while it balances there, no lower than the
    // capsule's top at 4.4 (plus the skin) allows.
    const float restingOnHead = 4.4f + 0.5f;
    float lowest = 100.0f;
    float previous = world.actorPosition(brick).y;
    int framesAtRestOnHead = 0;
    for (int i = 0; i < 90; ++i) {
        frame();
        const float y = world.actorPosition(brick).y;
        lowest = std::min(lowest, y);
        if (std::abs(y - restingOnHead) < 0.03f && std::abs(y - previous) < 0.01f) {
            ++framesAtRestOnHead;
        }
        previous = y;
    }
    EXPECT_GT(framesAtRestOnHead, 3);
    // Tipping over, its centre stays well above the head: it never sinks into the capsule.
    EXPECT_GT(lowest, 4.4f + 0.3f);
    // It then tips off the rounded head to the ground beside the player, who stays standing.
    for (int i = 0; i < 240; ++i) frame();
    EXPECT_LT(world.actorPosition(brick).y, 1.0f);
    EXPECT_NEAR(foot().y, 0.0, controller().contactOffset());
    EXPECT_NEAR(centre().z, 50.0, 0.1);
}

TEST_F(ControllerBodies, AMovingKinematicPlatformCarriesThePlayer) {
    // As in the level: a closed mesh stretched by (2, 1, 5), here 4 × 0.5 × 10 in all.
    std::vector<glm::vec3> corners;
    for (int i = 0; i < 8; ++i) {
        corners.emplace_back((i & 1) ? 1.0f : -1.0f, (i & 2) ? 0.25f : -0.25f,
                             (i & 4) ? 1.0f : -1.0f);
    }
    Shape* slab = world.createTriangleMeshShape(
        corners, {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                  2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5},
        level, glm::vec3(2.0f, 1.0f, 5.0f));
    ASSERT_NE(slab, nullptr);
    world.setShapeName(slab, "platformShapePhysX");
    Actor* platform = world.createKinematicActor(slab, glm::vec3(0.0f, 5.0f, 50.0f));
    controller().setFootPosition(glm::dvec3(0.0, 5.25, 50.0));
    frame();
    EXPECT_EQ(controller().getState().touchedShape, slab);
    float height = 5.0f;
    for (int i = 0; i < 60; ++i) {
        height += kFrame;
        world.setKinematicTarget(platform, glm::vec3(0.0f, height, 50.0f));
        frame();
        EXPECT_NEAR(foot().y, static_cast<double>(world.actorPosition(platform).y) + 0.25, 0.03);
    }
    for (int i = 0; i < 60; ++i) {
        height -= kFrame;
        world.setKinematicTarget(platform, glm::vec3(0.0f, height, 50.0f));
        frame();
        EXPECT_NEAR(foot().y, static_cast<double>(world.actorPosition(platform).y) + 0.25, 0.03);
    }
    EXPECT_EQ(controller().getState().touchedShape, slab);
}

TEST_F(ControllerBodies, TheKinematicSpikesBlockThePlayerAndAreTouchedFromAbove) {
    Shape* spikes = world.createBoxShape(glm::vec3(1.0f), level, false);
    world.setShapeName(spikes, "spikesShapePhysX");
    world.createKinematicActor(spikes, glm::vec3(0.0f, 1.0f, 45.0f));
    for (int i = 0; i < 40; ++i) frame(true);
    EXPECT_NEAR(centre().z, 46.0 + controller().radius(), 0.03);
    EXPECT_NE(controller().getState().touchedShape, spikes);
    controller().setFootPosition(glm::dvec3(0.0, 4.0, 45.0));
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_EQ(physics::shapeName(controller().getState().touchedShape), "spikesShapePhysX");
}

struct ControllerResize : Controller {};

TEST_F(ControllerResize, KeepsTheBottomAndRefusesToGrowIntoACeiling) {
    frame();
    const glm::dvec3 before = foot();
    EXPECT_TRUE(controller().resize(2.0f));
    EXPECT_NEAR(foot().y, before.y, 1e-5);
    EXPECT_NEAR(centre().y, before.y + controller().contactOffset() + 0.2 + 1.0, 1e-5);
    // A ceiling at 3.5 right above.
    solidBox(glm::vec3(0.0f, 4.0f, 50.0f), glm::vec3(2.0f, 0.5f, 2.0f));
    EXPECT_FALSE(controller().resize(4.0f));
    EXPECT_FLOAT_EQ(controller().height(), 2.0f);
    EXPECT_NEAR(foot().y, before.y, 1e-5);
    // Growing a little still fits.
    EXPECT_TRUE(controller().resize(2.8f));
    EXPECT_FALSE(controller().resize(3.5f));
    // Out from under it, growing is fine.
    controller().setFootPosition(glm::dvec3(5.0, before.y, 50.0));
    EXPECT_TRUE(controller().resize(4.0f));
    EXPECT_NEAR(foot().y, before.y, 1e-5);
    EXPECT_FALSE(controller().resize(0.0f));
    EXPECT_FALSE(controller().resize(std::nanf("")));
}

TEST_F(ControllerResize, PenetrationIsResolvedOnTheNextMove) {
    solidBox(glm::vec3(0.0f, 0.5f, 48.0f), glm::vec3(2.0f, 0.5f, 2.0f));
    // Put the capsule half a unit into the box's top.
    controller().setFootPosition(glm::dvec3(0.0, 0.5, 48.0));
    frame();
    EXPECT_NEAR(foot().y, 1.0, 0.02);
}

struct ControllerLongPlay : ControllerBodies {};

TEST_F(ControllerLongPlay, EverythingStaysFiniteOverThousandsOfFrames) {
    buildWall();
    solidBox(glm::vec3(0.0f, 1.0f, 30.0f), glm::vec3(4.0f, 1.0f, 4.0f), "pitShapePhysX");
    ramp(10.0f, 10.0f, 30.0f);
    // Odd frame times and every kind of input in a fixed pattern.
    for (int i = 0; i < 4000; ++i) {
        player.deltaTime =
            (i % 97 == 0) ? 0.25f : kFrame * (1.0f + 0.3f * static_cast<float>(i % 5));
        if (i % 150 == 0) player.jumpRequested = true;
        player.crouchHeld = (i % 400) > 350;
        if (i % 1000 == 999) player.gravityEnabled = !player.gravityEnabled;
        player.camera.turnCamera(static_cast<float>((i * 37) % 23 - 11),
                                 static_cast<float>((i * 17) % 9 - 4));
        frame(true);
        if (i % 3 == 0) physics::moveCharacter(player, MoveDirection::Left);
        const glm::dvec3 c = centre();
        ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z)) << i;
        ASSERT_GT(foot().y, -0.05) << i;
    }
    for (Actor* brick : bricks) {
        const glm::vec3 p = world.actorPosition(brick);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    }
}

}  // namespace
