// A physics world with the player's controller, stepped the way the frame loop steps it.
#pragma once

#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "physics/character_controller.h"
#include "physics/physics_world.h"
#include "physics/player.h"

namespace testsupport {

class PlayerWorld : public ::testing::Test {
protected:
    static constexpr float kFrame = 1.0f / 60.0f;

    void SetUp() override {
        world.initPhysics();
        player.controller = world.controller;
        player.deltaTime = kFrame;
    }

    // One play frame in the frame loop's order: step, gravity, crouch, jump, then the keys.
    void frame(bool forward = false) {
        world.step();
        physics::gravityStep(player);
        physics::updateCrouch(player);
        if (player.jumpRequested) physics::jumpStep(player);
        if (forward) physics::moveCharacter(player, physics::MoveDirection::Forward);
    }

    // A solid static box of the level's material, optionally named.
    physics::Shape* solidBox(const glm::vec3& centre, const glm::vec3& half,
                             const char* name = nullptr) {
        physics::Shape* shape = world.createBoxShape(half, level, false);
        if (name) world.setShapeName(shape, name);
        world.createStaticActor(shape, centre);
        return shape;
    }

    physics::PhysicsWorld world;
    physics::Player player;
    physics::Material level{1.0f, 1.0f, 0.0f};
};

}  // namespace testsupport
