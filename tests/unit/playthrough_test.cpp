// Playing the real level through the real input path: the route wins without the fly cheat at
// several frame rates, and each hazard and the spikes lose.
#include <gtest/gtest.h>

#include <cmath>

#include "app/game_rules.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"
#include "tools/level_route.h"

namespace {

using testsupport::HeadlessGame;
namespace route = assetgen::route;

constexpr float kDegrees = 57.29578f;

// A player at the keyboard: aims with the mouse, holds W, presses Space. Everything goes through
// the same handlers the GLFW callbacks call; only time is fake.
class Pilot {
public:
    Pilot(HeadlessGame& h, double dt) : h_(h), dt_(dt) {
        // The first cursor event only sets the reference point.
        h_.cursor(cursorX_, 0.0);
    }

    glm::vec2 feet() const {
        const glm::vec3 eye = h_.game->player.camera.position;
        return {eye.x, eye.z};
    }

    // Turns the view by mouse travel so that it looks towards (x, z).
    void aimAt(float x, float z) {
        const glm::vec2 d = glm::vec2(x, z) - feet();
        if (glm::length(d) < 1e-3f) return;
        float wanted = std::atan2(d.y, d.x) * kDegrees;
        float turn = wanted - h_.game->player.camera.yaw;
        turn = std::remainder(turn, 360.0f);
        cursorX_ += static_cast<double>(turn / h_.game->player.camera.mouseSensitivity);
        h_.cursor(cursorX_, 0.0);
    }

    // Walks to (x, z) in a straight line. False when it takes longer than it should.
    bool walkTo(float x, float z) {
        const float tolerance = std::max(0.15f, static_cast<float>(15.0 * dt_) * 0.6f);
        const double limit = h_.clock.seconds + glm::length(glm::vec2(x, z) - feet()) / 15.0 * 1.6 + 1.0;
        while (playing() && h_.clock.seconds < limit) {
            if (glm::length(glm::vec2(x, z) - feet()) <= tolerance) break;
            aimAt(x, z);
            // The turn reaches the camera when this frame polls events, after this frame's move;
            // a key press lands the same way, so the first frame of a leg only aims.
            if (!h_.platform.held.count(GLFW_KEY_W)) {
                h_.keyPress(GLFW_KEY_W);
            }
            h_.frame(dt_);
        }
        h_.keyRelease(GLFW_KEY_W);
        h_.frame(dt_);
        return glm::length(glm::vec2(x, z) - feet()) <= tolerance + 0.3f;
    }

    // Presses Space and waits until the jump is over and the player stands again.
    void jump() {
        h_.keyPress(GLFW_KEY_SPACE);
        h_.keyRelease(GLFW_KEY_SPACE);
        h_.frame(dt_);
        const double limit = h_.clock.seconds + 3.0;
        while (playing() && h_.game->player.jumpRequested && h_.clock.seconds < limit) h_.frame(dt_);
        for (int i = 0; i < 10 && playing(); ++i) h_.frame(dt_);
    }

    bool playing() const { return h_.game->rules.gameState == app::GameState::Playing; }

private:
    HeadlessGame& h_;
    double dt_;
    double cursorX_ = 500.0;
};

void playTheRoute(double dt) {
    HeadlessGame h(testsupport::realLevelGeometry());
    h.skipIntro(dt);
    Pilot pilot(h, dt);
    ASSERT_FALSE(h.game->player.gravityEnabled == false);
    for (size_t i = 1; i < std::size(route::kRoute); ++i) {
        const route::Waypoint& w = route::kRoute[i];
        const bool arrived = pilot.walkTo(w.x, w.z);
        ASSERT_TRUE(pilot.playing()) << "lost on the way to waypoint " << i;
        ASSERT_TRUE(arrived) << "did not reach waypoint " << i << " (" << w.x << ", " << w.z
                             << "); feet at (" << pilot.feet().x << ", " << pilot.feet().y << ")";
        if (w.jump) pilot.jump();
        if (w.gem > 0) {
            EXPECT_FALSE(h.game->rules.gemVisible[static_cast<size_t>(w.gem - 1)])
                << "gem " << w.gem << " not collected at waypoint " << i;
        }
    }
    // The third gem ends the game in the frame it is handled.
    for (int i = 0; i < 5 && pilot.playing(); ++i) h.frame(dt);
    EXPECT_EQ(h.game->rules.gemsCollected, 3);
    EXPECT_EQ(h.game->rules.gameState, app::GameState::Won);
    EXPECT_TRUE(h.game->player.gravityEnabled) << "the route must not need the fly cheat";
}

TEST(Playthrough, TheRouteWinsAtSixtyFramesPerSecond) { playTheRoute(1.0 / 60.0); }

TEST(Playthrough, TheRouteWinsAtThirtyFramesPerSecond) { playTheRoute(1.0 / 30.0); }

TEST(Playthrough, TheRouteWinsAtAHundredAndFortyFourFramesPerSecond) {
    playTheRoute(1.0 / 144.0);
}

// Drops the player from above a point; gravity and the frame's rules do the rest.
app::GameState dropOnto(float x, float z, float fromHeight) {
    HeadlessGame h(testsupport::realLevelGeometry());
    h.skipIntro();
    h.game->player.controller->setFootPosition(glm::dvec3(x, fromHeight, z));
    for (int i = 0; i < 240 && h.game->rules.gameState == app::GameState::Playing; ++i) h.frame();
    return h.game->rules.gameState;
}

TEST(Playthrough, EachHazardZoneLoses) {
    EXPECT_EQ(dropOnto(-2.5f, 10.0f, 9.0f), app::GameState::Lost) << "acid 1";
    EXPECT_EQ(dropOnto(0.5f, 1.5f, 8.0f), app::GameState::Lost) << "water";
    EXPECT_EQ(dropOnto(-1.0f, -20.0f, 8.0f), app::GameState::Lost) << "acid 3";
}

TEST(Playthrough, StandingOnTheSpikesLoses) {
    HeadlessGame h(testsupport::realLevelGeometry());
    h.skipIntro();
    const glm::vec3 spikes = h.game->world.actorPosition(h.game->actors.spikes);
    h.game->player.controller->setFootPosition(glm::dvec3(spikes.x, spikes.y + 1.5, spikes.z));
    for (int i = 0; i < 60 && h.game->rules.gameState == app::GameState::Playing; ++i) h.frame();
    EXPECT_TRUE(h.game->rules.spikesTouched);
    EXPECT_EQ(h.game->rules.gameState, app::GameState::Lost);
}

TEST(Playthrough, WalkingIntoTheWaterTankWithAJumpLoses) {
    HeadlessGame h(testsupport::realLevelGeometry());
    h.skipIntro();
    Pilot pilot(h, 1.0 / 60.0);
    for (size_t i = 1; i <= 7; ++i) ASSERT_TRUE(pilot.walkTo(route::kRoute[i].x, route::kRoute[i].z));
    // Beside the tank at (-11.5, -8): face it, run at its rim and jump over.
    pilot.aimAt(5.0f, 1.5f);
    h.keyPress(GLFW_KEY_W);
    for (int i = 0; i < 10; ++i) h.frame();
    h.keyPress(GLFW_KEY_SPACE);
    for (int i = 0; i < 180 && pilot.playing(); ++i) h.frame();
    EXPECT_EQ(h.game->rules.gameState, app::GameState::Lost);
}

}  // namespace
