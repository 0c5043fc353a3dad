// Our physics layer at the level's scale: falling, resting and knocked bodies, and trigger reports
// found and lost by the player's capsule and by loose bodies.
#include <gtest/gtest.h>

#include "physics/character_controller.h"
#include "physics/physics_world.h"
#include "physics/simulation_callback.h"

namespace {

using physics::Actor;
using physics::Shape;
using physics::TriggerStatus;
using Actors = std::vector<Actor*>;

struct World : ::testing::Test {
    void SetUp() override { world.initPhysics(); }
    Shape* box(float half, float restitution = 0.6f) {
        const physics::Material material = world.createMaterial(0.5f, 0.5f, restitution);
        return world.createBoxShape(glm::vec3(half), material, false);
    }
    Actor* drop(Shape* shape, const glm::vec3& at) {
        return world.createDynamicActor(shape, at, 10.0f);
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i) world.step();
    }
    glm::vec3 at(Actor* actor) const { return world.actorPosition(actor); }
    physics::PhysicsWorld world;
    const physics::Material level{1.0f, 1.0f, 0.0f};
};

TEST_F(World, BodiesFallWithGravityBounceWithTheAverageRestitutionAndTheLooseWallStandsStill) {
    EXPECT_EQ(physics::actorName(world.groundPlane), "groundPlane");
    Actor* body = drop(box(0.5f), {0.0f, 10.0f, 0.0f});
    // A dead box (restitution 0) on the plane (0.6) bounces with 0.3, not their product 0.
    Actor* dead = drop(box(0.5f, 0.0f), {5.0f, 5.5f, 0.0f});
    Actors bricks;
    const auto start = [](std::size_t k) {
        return glm::vec3(13 + static_cast<float>(k % 5), 0.5f + static_cast<float>(k / 5), 15.2f);
    };
    for (std::size_t k = 0; k < 25; ++k) bricks.push_back(drop(box(0.5f), start(k)));
    steps(30);
    EXPECT_NEAR(at(body).y, 10.0f - 0.5f * 9.81f * 0.25f, 0.05f);
    float highest = 0.0f, knock = 0.0f;
    for (int i = 0; i < 600; ++i) {
        world.step();
        knock = std::max(knock, world.strongestImpact().impulse);
        if (highest > 0.0f || at(dead).y < 0.6f) highest = std::max(highest, at(dead).y);
    }
    EXPECT_TRUE(highest > 0.6f && highest < 1.5f) << highest;
    // The hardest knock: the body (10 units of mass) landing at 13.65 a second, bouncing at 0.6.
    EXPECT_NEAR(knock, 10.0f * 13.65f * 1.6f, 3.0f);
    const glm::vec3 rest = at(body);
    EXPECT_TRUE(std::abs(rest.y - 0.5f) < 0.02f && glm::length(glm::vec2(rest.x, rest.z)) < 1.0f);
    world.step();
    EXPECT_LT(glm::length(at(body) - rest), 1e-4f);
    // Stacked as they are, a brick that tipped would have moved its neighbours and itself.
    for (std::size_t k = 0; k < bricks.size(); ++k)
        EXPECT_LT(glm::length(at(bricks[k]) - start(k)), 0.02f) << k;
    // Taking out a bottom brick wakes the one resting on it, which falls into the gap.
    world.removeActor(bricks[2]);
    steps(60);
    EXPECT_LT(at(bricks[7]).y, 1.0f);
}

// Keeps every pair of every call besides doing what the game's callback does.
struct RecordingCallback : physics::SimulationCallback {
    void onTrigger(const physics::TriggerPair* pairs, std::uint32_t count) override {
        all.insert(all.end(), pairs, pairs + count);
        SimulationCallback::onTrigger(pairs, count);
    }
    std::vector<physics::TriggerPair> all;
};

struct Triggers : World {
    void SetUp() override {
        World::SetUp();
        world.setSimulationEventCallback(&callback);
    }
    Actor* trigger(const glm::vec3& centre, const glm::vec3& half = glm::vec3(1.0f)) {
        shapes.push_back(world.createBoxShape(half, level, true));
        return world.createStaticActor(shapes.back(), centre);
    }
    // Steps and handles a waiting report as the frame loop does: the accepted trigger or null.
    Actor* frame() {
        world.step();
        if (!callback.triggered) return nullptr;
        callback.triggered = false;
        return callback.triggerActor;
    }
    // The capsule's centre at (x, 2.2, z), then a step; accepted triggers are collected.
    void playerAt(float x, float z) {
        world.controller->setPosition(glm::dvec3(x, 2.2, z));
        if (Actor* accepted = frame()) seen.push_back(accepted);
    }
    // The trigger actors, or the other actors, of every pair reported so far.
    Actors reported(Actor* physics::TriggerPair::*which) const {
        Actors actors;
        for (const physics::TriggerPair& pair : callback.all) actors.push_back(pair.*which);
        return actors;
    }
    RecordingCallback callback;
    std::vector<Shape*> shapes;
    Actors seen;
};

TEST_F(Triggers, ThePlayerEnteringAndLeavingIsReportedOnceEachAndABAGivesThreeReports) {
    Actor* a = trigger({0.0f, 2.0f, 40.0f});
    Actor* b = trigger({0.0f, 2.0f, 30.0f});
    // Near a box's corner, bounding boxes overlapping but shapes apart (0.212 from the edge).
    Actor* corner = trigger({5.0f, 2.0f, 45.0f});
    playerAt(6.15f, 46.15f);
    EXPECT_TRUE(callback.all.empty());
    playerAt(6.1f, 46.1f);
    for (int i = 0; i <= 250; ++i) playerAt(0.0f, 50.0f - 0.1f * static_cast<float>(i));
    for (int i = 0; i <= 200; ++i) playerAt(0.0f, 25.0f + 0.1f * static_cast<float>(i));
    EXPECT_EQ(seen, (Actors{corner, a, b, a}));
    // Found and lost for each passage, the capsule as the other actor; lingering adds nothing.
    EXPECT_EQ(reported(&physics::TriggerPair::triggerActor),
              (Actors{corner, corner, a, a, b, b, b, b, a, a}));
    EXPECT_EQ(reported(&physics::TriggerPair::otherActor), Actors(10, callback.all[0].otherActor));
    for (std::size_t i = 0; i < callback.all.size(); ++i) {
        EXPECT_EQ(callback.all[i].status,
                  i % 2 ? TriggerStatus::TouchLost : TriggerStatus::TouchFound);
    }
    EXPECT_EQ(callback.all[0].triggerShape, shapes[2]);
}

TEST_F(Triggers, LooseBodiesAreReportedInCreationOrderAndNothingIsReportedOfWhatWasRemoved) {
    Actor* first = trigger({-3.0f, 2.0f, 0.0f});
    Actor* second = trigger({3.0f, 2.0f, 0.0f});
    // Made in the reverse order of the triggers, all inside from the first step.
    Actor* right = drop(box(0.25f), {3.0f, 2.5f, 0.0f});
    Actor* left = drop(box(0.25f), {-3.0f, 2.5f, 0.0f});
    Actor* alsoRight = drop(box(0.25f), {3.0f, 1.5f, 0.5f});
    EXPECT_EQ(frame(), first) << "the game takes the first pair only";
    EXPECT_EQ(reported(&physics::TriggerPair::triggerActor), (Actors{first, second, second}));
    EXPECT_EQ(reported(&physics::TriggerPair::otherActor), (Actors{left, right, alsoRight}));
    // Removed while touching: no lost report, nor for a body removed from inside a trigger.
    world.removeActor(first);
    world.removeActor(right);
    world.removeActor(alsoRight);
    callback.all.clear();
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_TRUE(callback.all.empty());
}

}  // namespace
