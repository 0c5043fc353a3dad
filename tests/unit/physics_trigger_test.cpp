// Trigger reports: touches found and lost by the player's capsule and by loose bodies.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <vector>

#include "physics/character_controller.h"
#include "physics/physics_world.h"
#include "physics/simulation_callback.h"

namespace {

using physics::Actor;
using physics::PhysicsWorld;
using physics::Shape;
using physics::SimulationCallback;
using physics::TriggerPair;
using physics::TriggerStatus;

// Keeps every pair of every call besides doing what the game's callback does.
struct RecordingCallback : SimulationCallback {
    void onTrigger(const TriggerPair* pairs, std::uint32_t count) override {
        ++calls;
        for (std::uint32_t i = 0; i < count; ++i) all.push_back(pairs[i]);
        SimulationCallback::onTrigger(pairs, count);
    }
    int calls = 0;
    std::vector<TriggerPair> all;
};

struct Triggers : ::testing::Test {
    void SetUp() override {
        world.initPhysics();
        world.setSimulationEventCallback(&callback);
    }

    // The game holds a trigger's shape (to match reports) and its actor (to remove it).
    struct Box {
        Shape* shape;
        Actor* actor;
    };

    Box triggerBox(const glm::vec3& centre, const glm::vec3& half) {
        Shape* shape = world.createBoxShape(half, world.defaultMaterial, true);
        return Box{shape, world.createStaticActor(shape, centre)};
    }

    // Steps the world and handles a waiting report the way the frame loop does; returns the
    // trigger shape of an accepted report, or null.
    Shape* frame() {
        world.step();
        if (!callback.triggered) return nullptr;
        callback.triggered = false;
        return callback.triggerShape;
    }

    // Puts the capsule's centre at (x, 2.2, z) and steps; returns an accepted report's shape.
    Shape* playerAt(float x, float z) {
        world.controller->setPosition(glm::dvec3(x, 2.2, z));
        return frame();
    }

    PhysicsWorld world;
    RecordingCallback callback;
};

TEST_F(Triggers, EnteringGivesOneFoundAndLeavingOneLost) {
    Box gem = triggerBox(glm::vec3(0.0f, 2.0f, 40.0f), glm::vec3(1.0f));
    EXPECT_EQ(playerAt(0.0f, 45.0f), nullptr);
    EXPECT_EQ(callback.calls, 0);
    EXPECT_EQ(playerAt(0.0f, 40.5f), gem.shape);
    ASSERT_EQ(callback.all.size(), 1u);
    EXPECT_EQ(callback.all[0].status, TriggerStatus::TouchFound);
    EXPECT_EQ(callback.all[0].triggerActor, gem.actor);
    EXPECT_EQ(callback.all[0].triggerShape, gem.shape);
    EXPECT_EQ(physics::actorName(callback.all[0].otherActor), "");
    ASSERT_NE(callback.all[0].otherActor, nullptr);
    // Lingering inside reports nothing further.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(playerAt(0.0f, 40.0f - 0.01f * static_cast<float>(i)), nullptr);
    EXPECT_EQ(callback.all.size(), 1u);
    // Leaving is reported as lost, but the callback ignores the same box's second report.
    EXPECT_EQ(playerAt(0.0f, 35.0f), nullptr);
    ASSERT_EQ(callback.all.size(), 2u);
    EXPECT_EQ(callback.all[1].status, TriggerStatus::TouchLost);
    EXPECT_EQ(callback.all[1].triggerActor, gem.actor);
    EXPECT_EQ(callback.all[1].otherActor, callback.all[0].otherActor);
    EXPECT_EQ(callback.calls, 2);
}

TEST_F(Triggers, BoxesABAGiveThreeAcceptedReports) {
    Box a = triggerBox(glm::vec3(0.0f, 2.0f, 40.0f), glm::vec3(1.0f));
    Box b = triggerBox(glm::vec3(0.0f, 2.0f, 30.0f), glm::vec3(1.0f));
    std::vector<Shape*> accepted;
    // Walk from z 50 to 25 and back to 40 in small steps through A, B and A again.
    auto walk = [&](float from, float to) {
        const int steps = 200;
        for (int i = 0; i <= steps; ++i) {
            const float z = from + (to - from) * static_cast<float>(i) / steps;
            if (Shape* s = playerAt(0.0f, z)) accepted.push_back(s);
        }
    };
    walk(50.0f, 25.0f);
    walk(25.0f, 40.0f);
    ASSERT_EQ(accepted.size(), 3u);
    EXPECT_EQ(accepted[0], a.shape);
    EXPECT_EQ(accepted[1], b.shape);
    EXPECT_EQ(accepted[2], a.shape);
}

TEST_F(Triggers, ACapsuleNearABoxCornerButNotTouchingGivesNone) {
    triggerBox(glm::vec3(0.0f, 2.0f, 0.0f), glm::vec3(1.0f));
    // The capsule's axis is 0.212 from the box's vertical edge: bounding boxes overlap, the
    // shapes (radius 0.2) do not.
    EXPECT_EQ(playerAt(1.15f, 1.15f), nullptr);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(frame(), nullptr);
    EXPECT_EQ(callback.calls, 0);
    // 0.141 from the edge: touching.
    EXPECT_NE(playerAt(1.1f, 1.1f), nullptr);
    EXPECT_EQ(callback.calls, 1);
}

TEST_F(Triggers, ALooseBoxFallingThroughAZoneIsReportedThroughTheSamePath) {
    Box water = triggerBox(glm::vec3(0.5f, 2.5f, 1.5f), glm::vec3(9.5f, 0.02f, 4.0f));
    // A dead box, so that its bounce on the ground stays below the zone.
    Shape* box =
        world.createBoxShape(glm::vec3(0.5f), world.createMaterial(0.5f, 0.5f, 0.0f), false);
    Actor* brick = world.createDynamicActor(box, glm::vec3(0.0f, 5.0f, 0.0f), 10.0f);
    Shape* accepted = nullptr;
    for (int i = 0; i < 300 && !accepted; ++i) accepted = frame();
    EXPECT_EQ(accepted, water.shape);
    ASSERT_FALSE(callback.all.empty());
    EXPECT_EQ(callback.all[0].otherActor, brick);
    EXPECT_EQ(callback.all[0].otherShape, box);
    EXPECT_EQ(callback.all[0].status, TriggerStatus::TouchFound);
    // It falls through (triggers are not solid), comes to rest below and is reported lost.
    for (int i = 0; i < 300; ++i) frame();
    EXPECT_NEAR(world.actorPosition(brick).y, 0.5f, 0.05f);
    ASSERT_EQ(callback.all.size(), 2u);
    EXPECT_EQ(callback.all[1].status, TriggerStatus::TouchLost);
}

TEST_F(Triggers, PairsOfOneStepComeInCreationOrder) {
    Box first = triggerBox(glm::vec3(-3.0f, 2.0f, 0.0f), glm::vec3(1.0f));
    Box second = triggerBox(glm::vec3(3.0f, 2.0f, 0.0f), glm::vec3(1.0f));
    Shape* box = world.createBoxShape(glm::vec3(0.25f), world.defaultMaterial, false);
    // Made in the reverse order of the triggers, both inside from the first step.
    Actor* right = world.createDynamicActor(box, glm::vec3(3.0f, 2.5f, 0.0f), 1.0f);
    Actor* left = world.createDynamicActor(box, glm::vec3(-3.0f, 2.5f, 0.0f), 1.0f);
    Actor* alsoRight = world.createDynamicActor(box, glm::vec3(3.0f, 1.5f, 0.5f), 1.0f);
    world.step();
    ASSERT_EQ(callback.calls, 1);
    ASSERT_EQ(callback.all.size(), 3u);
    EXPECT_EQ(callback.all[0].triggerActor, first.actor);
    EXPECT_EQ(callback.all[0].otherActor, left);
    EXPECT_EQ(callback.all[1].triggerActor, second.actor);
    EXPECT_EQ(callback.all[1].otherActor, right);
    EXPECT_EQ(callback.all[2].triggerActor, second.actor);
    EXPECT_EQ(callback.all[2].otherActor, alsoRight);
    // The game's callback took the first pair only.
    EXPECT_EQ(callback.triggerActor, first.actor);
}

TEST_F(Triggers, ARemovedTriggerReportsNothingMore) {
    Box gem = triggerBox(glm::vec3(0.0f, 2.0f, 40.0f), glm::vec3(1.0f));
    Box other = triggerBox(glm::vec3(0.0f, 2.0f, 30.0f), glm::vec3(1.0f));
    EXPECT_EQ(playerAt(0.0f, 40.0f), gem.shape);
    world.removeActor(gem.actor);
    // Neither a lost report for the removed box nor a new found one when passing its place.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(playerAt(0.0f, 40.0f), nullptr);
    EXPECT_EQ(playerAt(0.0f, 45.0f), nullptr);
    EXPECT_EQ(playerAt(0.0f, 40.0f), nullptr);
    EXPECT_EQ(callback.all.size(), 1u);
    for (const TriggerPair& pair : callback.all) EXPECT_EQ(pair.status, TriggerStatus::TouchFound);
    // Other boxes still report.
    EXPECT_EQ(playerAt(0.0f, 30.0f), other.shape);
}

TEST_F(Triggers, RemovingABodyInsideATriggerForgetsItsPair) {
    Box zone = triggerBox(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(3.0f, 1.0f, 3.0f));
    Shape* box = world.createBoxShape(glm::vec3(0.5f), world.defaultMaterial, false);
    Actor* brick = world.createDynamicActor(box, glm::vec3(0.0f, 0.5f, 0.0f), 10.0f);
    EXPECT_EQ(frame(), zone.shape);
    world.removeActor(brick);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(frame(), nullptr);
    EXPECT_EQ(callback.all.size(), 1u);
}

TEST_F(Triggers, SolidShapesAreNeverReported) {
    Shape* spikes = world.createBoxShape(glm::vec3(1.0f), world.defaultMaterial, false);
    world.setShapeName(spikes, "spikesShapePhysX");
    Actor* actor = world.createKinematicActor(spikes, glm::vec3(0.0f, 1.0f, 45.0f));
    Shape* box = world.createBoxShape(glm::vec3(0.5f), world.defaultMaterial, false);
    world.createDynamicActor(box, glm::vec3(0.0f, 4.0f, 45.0f), 10.0f);
    for (int i = 0; i < 120; ++i) {
        world.setKinematicTarget(actor,
                                 glm::vec3(0.0f, 1.0f, 45.0f - 0.05f * static_cast<float>(i)));
        frame();
    }
    EXPECT_EQ(callback.calls, 0);
}

TEST(TriggerCallback, RecordsOnlyTheFirstPairAndIgnoresTheSameActorTwice) {
    // Records are only compared by address here; they are never dereferenced.
    PhysicsWorld world;
    world.initPhysics();
    Shape* shapeA = world.createBoxShape(glm::vec3(1.0f), world.defaultMaterial, true);
    Shape* shapeB = world.createBoxShape(glm::vec3(1.0f), world.defaultMaterial, true);
    Actor* a = world.createStaticActor(shapeA, glm::vec3(0.0f, 10.0f, 0.0f));
    Actor* b = world.createStaticActor(shapeB, glm::vec3(5.0f, 10.0f, 0.0f));
    SimulationCallback callback;
    const TriggerPair two[2] = {{shapeA, a, nullptr, nullptr, TriggerStatus::TouchFound},
                                {shapeB, b, nullptr, nullptr, TriggerStatus::TouchFound}};
    callback.onTrigger(two, 2);
    EXPECT_TRUE(callback.triggered);
    EXPECT_EQ(callback.triggerActor, a);
    EXPECT_EQ(callback.triggerShape, shapeA);
    callback.triggered = false;
    // The same actor again, even as a lost touch: ignored.
    const TriggerPair lostA{shapeA, a, nullptr, nullptr, TriggerStatus::TouchLost};
    callback.onTrigger(&lostA, 1);
    EXPECT_FALSE(callback.triggered);
    // Another actor overwrites even while a report is waiting.
    callback.onTrigger(&two[1], 1);
    callback.onTrigger(&lostA, 1);
    EXPECT_TRUE(callback.triggered);
    EXPECT_EQ(callback.triggerActor, a);
    EXPECT_EQ(callback.triggerShape, shapeA);
    callback.onTrigger(nullptr, 0);
    EXPECT_EQ(callback.triggerActor, a);
}

}  // namespace
