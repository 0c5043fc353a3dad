// The rules of a frame: ticks, moving pieces, trigger handling, the spikes and the end of the game.
#include "app/game_rules.h"

#include <gtest/gtest.h>

#include "app/level_layout.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

using testsupport::HeadlessGame;

TEST(OneSecondTick, CountsWholeCalendarSecondsAndEndsTheIntro) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.run(0.95);
    EXPECT_EQ(h.game->rules.secondsElapsed, 0);
    h.run(2.1);
    EXPECT_EQ(h.game->rules.secondsElapsed, 3);
    EXPECT_TRUE(h.game->rules.inputEnabled);
}

TEST(OneSecondTick, AfterASlowStartUpTheFirstFrameIsShortAndTheIntroStillLastsThreeSeconds) {
    HeadlessGame h(testsupport::simpleLevelGeometry(), 6.0);
    h.frame();
    EXPECT_NEAR(h.game->deltaTime(), 1.0 / 60.0, 1e-4);
    h.frame();
    EXPECT_GT(h.game->world.actorPosition(h.game->actors.platform).y, 4.9f);
    h.run(2.9);
    EXPECT_FALSE(h.game->rules.inputEnabled);
    h.run(0.2);
    EXPECT_TRUE(h.game->rules.inputEnabled);
}

TEST(OneSecondTick, StalledSecondsCatchUpOneTickPerFrame) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.frame();
    // The process stalls for five seconds between two frames.
    h.clock.calendarOffset = 5.0;
    for (int frame = 1; frame <= 5; ++frame) {
        h.frame();
        EXPECT_EQ(h.game->rules.secondsElapsed, frame);
    }
    h.frame();
    EXPECT_EQ(h.game->rules.secondsElapsed, 5);
    EXPECT_TRUE(h.game->rules.inputEnabled);
}

TEST(MovingPieces, SpikesStepTenEightNineSevenAndRepeat) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    const float expected[] = {8, 9, 7, 8, 9, 7, 8};
    for (float height : expected) {
        // The target set by a tick is reached in the next physics step.
        h.run(1.0);
        h.frame();
        EXPECT_NEAR(h.game->world.actorPosition(h.game->actors.spikes).y, height, 1e-4f);
    }
}

TEST(MovingPieces, PlatformGoesDownFirstThenBetweenFourAndSixAtOneUnitPerSecond) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    float lowest = 100.0f;
    float highest = -100.0f;
    h.run(0.5);
    EXPECT_LT(h.game->world.actorPosition(h.game->actors.platform).y, 5.0f);
    for (int i = 0; i < 600; ++i) {
        h.frame();
        const float y = h.game->world.actorPosition(h.game->actors.platform).y;
        lowest = std::min(lowest, y);
        highest = std::max(highest, y);
    }
    EXPECT_NEAR(lowest, 4.0f, 0.05f);
    EXPECT_NEAR(highest, 6.0f, 0.05f);
}

TEST(MovingPieces, KeepMovingOnTheEndScreens) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.game->rules.gameState = app::GameState::Lost;
    h.run(2.5);
    EXPECT_EQ(h.game->rules.secondsElapsed, 2);
    EXPECT_NE(h.game->world.actorPosition(h.game->actors.spikes).y, 10.0f);
}

TEST(TriggerHandling, AGemIsCollectedOnceAndItsActorIsGone) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    physics::TriggerPair pair{g.actors.gemShapes[1], g.actors.gemActors[1], nullptr, nullptr,
                              physics::TriggerStatus::TouchFound};
    g.callback.onTrigger(&pair, 1);
    app::handleTriggers(g);
    EXPECT_FALSE(g.rules.gemVisible[1]);
    EXPECT_TRUE(g.rules.gemVisible[0]);
    EXPECT_EQ(g.rules.gemsCollected, 1);
    EXPECT_EQ(g.actors.gemActors[1], nullptr);
    EXPECT_FALSE(g.callback.triggered);
    // A stale report of the same shape cannot count the gem again.
    g.callback.triggered = true;
    app::handleTriggers(g);
    EXPECT_EQ(g.rules.gemsCollected, 1);
    EXPECT_EQ(g.rules.gameState, app::GameState::Playing);
}

TEST(TriggerHandling, AnyBodyInAHazardZoneLoses) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    // A loose box dropped into the water's zone, far from the player.
    physics::Shape* box = g.world.createBoxShape(glm::vec3(0.3f), g.world.defaultMaterial, false);
    g.world.createDynamicActor(box, glm::vec3(5.0f, 4.0f, 1.5f), 10.0f);
    for (int i = 0; i < 120 && g.rules.gameState == app::GameState::Playing; ++i) h.frame();
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
}

TEST(TriggerHandling, AShapeThatIsNeitherGemNorHazardOnlyClearsTheFlag) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    g.callback.triggered = true;
    g.callback.triggerShape = nullptr;
    app::handleTriggers(g);
    EXPECT_FALSE(g.callback.triggered);
    EXPECT_EQ(g.rules.gemsCollected, 0);
    EXPECT_EQ(g.rules.gameState, app::GameState::Playing);
}

TEST(EndOfGame, ThreeGemsWinEvenWhenTheSpikesAreTouchedInTheSameFrame) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    g.rules.gemsCollected = 3;
    g.rules.spikesTouched = true;
    app::endOfGame(g);
    EXPECT_EQ(g.rules.gameState, app::GameState::Won);
}

TEST(EndOfGame, TwoGemsThenAHazardLoses) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    for (size_t k : {0u, 2u}) {
        physics::TriggerPair pair{g.actors.gemShapes[k], g.actors.gemActors[k], nullptr, nullptr,
                                  physics::TriggerStatus::TouchFound};
        g.callback.onTrigger(&pair, 1);
        app::handleTriggers(g);
    }
    EXPECT_EQ(g.rules.gemsCollected, 2);
    physics::TriggerPair hazard{g.actors.hazardShapes[2], nullptr, nullptr, nullptr,
                                physics::TriggerStatus::TouchFound};
    g.callback.onTrigger(&hazard, 1);
    app::handleTriggers(g);
    app::endOfGame(g);
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
    // Nothing brings the game back.
    g.rules.gemsCollected = 2;
    h.run(1.0);
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
}

TEST(SpikesTest, StandingOnTheSpikesLoses) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    h.skipIntro();
    // Put the player just above the spikes' box (top at y 11 at the start of a cycle).
    const glm::vec3 spikes = g.world.actorPosition(g.actors.spikes);
    g.player.controller->setFootPosition(glm::dvec3(spikes.x, spikes.y + 1.3, spikes.z));
    for (int i = 0; i < 30 && g.rules.gameState == app::GameState::Playing; ++i) h.frame();
    EXPECT_TRUE(g.rules.spikesTouched);
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
}

TEST(BuildWorld, AModelWithoutTrianglesGetsOneLineAndNoActor) {
    testing::internal::CaptureStdout();
    app::LevelGeometry geometry = testsupport::simpleLevelGeometry();
    geometry.level.points.clear();
    geometry.level.indices.clear();
    HeadlessGame h(std::move(geometry));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("floor"), std::string::npos) << out;
    EXPECT_EQ(h.game->actors.level, nullptr);
    EXPECT_NE(h.game->actors.platform, nullptr);
    EXPECT_EQ(h.game->actors.wallBricks.size(), 25u);
    // The game still runs.
    h.run(0.5);
}

}  // namespace
