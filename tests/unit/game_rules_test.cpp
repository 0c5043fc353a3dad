// The rules of a frame: ticks and the intro, the moving pieces, gems and hazards, the end.
#include "app/game_rules.h"

#include <gtest/gtest.h>

#include "support/headless_game.h"

namespace {

using testsupport::HeadlessGame;

TEST(Rules, TheIntroLastsThreeWholeSecondsFromTheFirstFrameHoweverSlowTheStartOrAStall) {
    for (const double startup : {0.0, 6.0}) {
        HeadlessGame h(testsupport::simpleLevelGeometry(), startup);
        const app::GameRules& rules = h.game->rules;
        h.frame();
        // The first frame is one frame long, whatever start-up took.
        EXPECT_NEAR(h.game->deltaTime(), 1.0 / 60.0, 1e-4);
        h.run(0.9);
        EXPECT_EQ(rules.secondsElapsed, 0);
        h.run(2.0);
        EXPECT_FALSE(rules.inputEnabled);
        h.run(0.2);
        EXPECT_TRUE(rules.secondsElapsed == 3 && rules.inputEnabled);
        // A stall of five seconds is caught up one tick a frame.
        h.clock.calendarOffset = 5.0;
        for (int frame = 1; frame <= 6; ++frame) {
            h.frame();
            EXPECT_EQ(rules.secondsElapsed, 3 + std::min(frame, 5));
        }
    }
}

TEST(Rules, ThePlatformGoesDownFirstThenBetweenFourAndSixAndTheSpikesStepEvenOnTheEndScreen) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    const auto height = [&](physics::Actor* actor) { return h.game->world.actorPosition(actor).y; };
    h.run(0.5);
    EXPECT_NEAR(height(h.game->actors.platform), 4.5f, 0.05f);
    h.game->rules.gameState = app::GameState::Lost;
    float lowest = 100.0f, highest = -100.0f;
    // From 10 the spikes step 8, 9, 7, 8, 9, 7: up one a second twice, then down two.
    for (const float expected : {8.0f, 9.0f, 7.0f, 8.0f, 9.0f, 7.0f}) {
        for (int i = 0; i < 60; ++i) {
            h.frame();
            lowest = std::min(lowest, height(h.game->actors.platform));
            highest = std::max(highest, height(h.game->actors.platform));
        }
        // The target set by a tick is reached in the next physics step.
        h.frame();
        EXPECT_NEAR(height(h.game->actors.spikes), expected, 1e-4f);
    }
    EXPECT_NEAR(lowest, 4.0f, 0.05f);
    EXPECT_NEAR(highest, 6.0f, 0.05f);
}

TEST(Rules, AGemCountsOnceABodyInAHazardLosesForGoodAndThreeGemsWinOverTheSpikes) {
    // The floor's model has no triangles: one line, no actor for it, and the game goes on.
    testing::internal::CaptureStdout();
    app::LevelGeometry geometry = testsupport::simpleLevelGeometry();
    geometry.level.points.clear();
    HeadlessGame h(std::move(geometry));
    app::Game& g = *h.game;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: no collision mesh for floor: the model has no triangles\n");
    EXPECT_TRUE(g.actors.level == nullptr && g.actors.wallBricks.size() == 25u);
    const auto report = [&](physics::Shape* shape, physics::Actor* actor) {
        const physics::TriggerPair pair{shape, actor, nullptr, nullptr,
                                        physics::TriggerStatus::TouchFound};
        g.callback.onTrigger(&pair, 1);
        app::handleTriggers(g);
        app::endOfGame(g);
    };
    report(g.actors.gemShapes[1], g.actors.gemActors[1]);
    EXPECT_EQ(g.rules.gemVisible, (std::array<bool, 3>{true, false, true}));
    EXPECT_TRUE(g.rules.gemsCollected == 1 && g.actors.gemActors[1] == nullptr &&
                !g.callback.triggered);
    // A stale report of the same shape, and one of no known shape, only clear the flag.
    g.callback.triggered = true;
    app::handleTriggers(g);
    g.callback.triggered = true;
    g.callback.triggerShape = nullptr;
    app::handleTriggers(g);
    EXPECT_TRUE(g.rules.gemsCollected == 1 && !g.callback.triggered &&
                g.rules.gameState == app::GameState::Playing);
    report(g.actors.gemShapes[0], g.actors.gemActors[0]);
    // With two gems, a loose box dropped into the water's zone, far from the player, loses.
    h.skipIntro();
    physics::Shape* box = g.world.createBoxShape(glm::vec3(0.3f), g.world.defaultMaterial, false);
    g.world.createDynamicActor(box, {5.0f, 4.0f, 1.5f}, 10.0f);
    for (int i = 0; i < 120 && g.rules.gameState == app::GameState::Playing; ++i) h.frame();
    EXPECT_TRUE(g.rules.gameState == app::GameState::Lost && !g.rules.spikesTouched);
    // Nothing brings a lost game back; three gems in the frame of the spikes win.
    h.run(1.0);
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
    g.rules = app::GameRules{.gemsCollected = 3, .spikesTouched = true};
    app::endOfGame(g);
    EXPECT_EQ(g.rules.gameState, app::GameState::Won);
}

}  // namespace
