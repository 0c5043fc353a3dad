// Playing the real level through the real input path: the route wins without the fly cheat at
// several frame rates, hazards and the spikes lose, the loose wall falls, and no player, however
// they wander, jumps or flies, leaves the walls or ends up inside the level's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/game_rules.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"
#include "tools/level_route.h"

namespace {

using app::GameState;
using testsupport::HeadlessGame;
namespace route = assetgen::route;

// A player at the keyboard: aims with the mouse, holds keys, presses Space. Everything goes
// through the same handlers the GLFW callbacks call; only time is fake. After every frame the
// game's state must be sound; the first fault is kept.
struct Pilot {
    Pilot(HeadlessGame& h, double dt) : h(h), dt(dt) { h.cursor(cursor.x, cursor.y); }

    glm::vec3 feet() const { return glm::vec3(h.game->player.controller->getFootPosition()); }
    // From the feet to (x, z), level.
    glm::vec2 to(float x, float z) const { return glm::vec2(x - feet().x, z - feet().z); }
    bool playing() const { return h.game->rules.gameState == GameState::Playing; }
    double seconds() const { return h.clock.seconds; }
    void frame() {
        h.frame(dt);
        const std::string problem = testsupport::unsoundState(*h.game);
        if (fault.empty() && !problem.empty())
            fault = problem + " after " + std::to_string(seconds()) + " s";
    }
    // Mouse travel in pixels, delivered with the next frame's events.
    void moveMouse(double dx, double dy) {
        cursor += glm::dvec2(dx, dy);
        h.cursor(cursor.x, cursor.y);
    }
    // Turns the view by mouse travel so that it looks towards (x, z).
    void aimAt(float x, float z) {
        const glm::vec2 d = to(x, z);
        const physics::Camera& camera = h.game->player.camera;
        const float turn = std::remainder(glm::degrees(std::atan2(d.y, d.x)) - camera.yaw, 360.0f);
        if (glm::length(d) > 1e-3f) moveMouse(turn / camera.mouseSensitivity, 0.0);
    }
    void hold(int key, bool down) {
        if (down == (h.platform.held.count(key) > 0)) return;
        down ? h.keyPress(key) : h.keyRelease(key);
    }
    void tap(int key) {
        h.keyPress(key);
        h.keyRelease(key);
    }
    void play(double forSeconds) {
        for (const double end = seconds() + forSeconds; seconds() < end;) frame();
    }
    // Walks to (x, z) in a straight line. False when it takes longer than it should.
    bool walkTo(float x, float z) {
        const float tolerance = std::max(0.15f, static_cast<float>(15.0 * dt) * 0.6f);
        const auto away = [&] { return glm::length(to(x, z)); };
        const double limit = seconds() + away() / 15.0 * 1.6 + 1.0;
        while (playing() && seconds() < limit && away() > tolerance) {
            // The turn and a key press reach the game when this frame polls events, after this
            // frame's move, so the first frame of a leg only aims.
            aimAt(x, z);
            hold(GLFW_KEY_W, true);
            frame();
        }
        hold(GLFW_KEY_W, false);
        frame();
        return away() <= tolerance + 0.3f;
    }
    // Presses Space and waits until the jump is over and the player stands again.
    void jump() {
        tap(GLFW_KEY_SPACE);
        frame();
        for (const double limit = seconds() + 3.0;
             playing() && h.game->player.jumpRequested && seconds() < limit;)
            frame();
        for (int i = 0; i < 10 && playing(); ++i) frame();
    }
    // Holds W (after aiming at (x, z)) and jumps again whenever the last jump has ended.
    void runAndJump(float x, float z, double forSeconds) {
        aimAt(x, z);
        hold(GLFW_KEY_W, true);
        for (const double end = seconds() + forSeconds; playing() && seconds() < end; frame()) {
            if (!h.game->player.jumpRequested) tap(GLFW_KEY_SPACE);
        }
    }

    HeadlessGame& h;
    double dt;
    glm::dvec2 cursor{500.0, 300.0};
    std::string fault;
};

const app::LevelGeometry& level() {
    static const app::LevelGeometry geometry = testsupport::realLevelGeometry();
    return geometry;
}

TEST(Playthrough, TheRouteWinsWithoutTheFlyCheatAt30And60And144FramesPerSecond) {
    for (const double dt : {1.0 / 30.0, 1.0 / 60.0, 1.0 / 144.0}) {
        SCOPED_TRACE("frame time " + std::to_string(dt));
        HeadlessGame h(level());
        h.skipIntro(dt);
        Pilot pilot(h, dt);
        for (size_t i = 1; i < std::size(route::kRoute); ++i) {
            const route::Waypoint& w = route::kRoute[i];
            ASSERT_TRUE(pilot.walkTo(w.x, w.z) && pilot.playing())
                << "waypoint " << i << " not reached; feet at " << pilot.feet().x << ", "
                << pilot.feet().z;
            if (w.jump) pilot.jump();
            EXPECT_FALSE(w.gem > 0 && h.game->rules.gemVisible[static_cast<size_t>(w.gem - 1)])
                << "gem " << w.gem;
        }
        // The third gem ends the game in the frame it is handled.
        for (int i = 0; i < 5 && pilot.playing(); ++i) pilot.frame();
        const app::GameRules& rules = h.game->rules;
        EXPECT_TRUE(rules.gemsCollected == 3 && rules.gameState == GameState::Won &&
                    h.game->player.gravityEnabled);
        EXPECT_EQ(pilot.fault, "");
    }
}

TEST(Playthrough, EachHazardZoneAndTheSpikesLose) {
    // Dropped from above: acid 1, the water, acid 3, and onto the spikes (whatever their height).
    const glm::vec3 drops[] = {
        {-2.5f, 9.0f, 10.0f}, {0.5f, 8.0f, 1.5f}, {-1.0f, 8.0f, -20.0f}, {-7.0f, 12.0f, 0.0f}};
    for (const glm::vec3& drop : drops) {
        HeadlessGame h(level());
        h.skipIntro();
        h.game->player.controller->setFootPosition(glm::dvec3(drop));
        for (int i = 0; i < 240 && h.game->rules.gameState == GameState::Playing; ++i) h.frame();
        EXPECT_EQ(h.game->rules.gameState, GameState::Lost) << drop.x << ", " << drop.z;
        EXPECT_EQ(h.game->rules.spikesTouched, drop.x == -7.0f);
    }
}

TEST(Playthrough, WalkingIntoTheLooseWallFromTheCourtKnocksItOverAndLeadsIntoTheArena) {
    for (const float x : {13.0f, 15.0f, 17.0f}) {
        HeadlessGame h(level());
        h.skipIntro();
        Pilot pilot(h, 1.0 / 60.0);
        h.game->player.controller->setFootPosition(glm::dvec3(x, 0.0, 20.0));
        const auto brick = [&](size_t k) {
            return h.game->world.actorPosition(h.game->actors.wallBricks[k]);
        };
        std::vector<glm::vec3> standing;
        for (size_t k = 0; k < 25; ++k) standing.push_back(brick(k));
        const auto fallen = [&] {
            int count = 0;
            for (size_t k = 0; k < 25; ++k) count += glm::length(brick(k) - standing[k]) > 0.5f;
            return count;
        };
        pilot.aimAt(x, 0.0f);
        pilot.hold(GLFW_KEY_W, true);
        const double start = pilot.seconds();
        while (pilot.seconds() < start + 5.0 && fallen() < 3) pilot.frame();
        EXPECT_GE(fallen(), 3) << "at x " << x << ": the bricks stand after 5 s";
        while (pilot.seconds() < start + 10.0 && pilot.feet().z > 14.0f) pilot.frame();
        EXPECT_LT(pilot.feet().z, 14.0f) << "at x " << x << ": not through the door in 10 s";
        EXPECT_EQ(pilot.fault, "");
    }
}

// Perches near the outer walls, and the runs with chained jumps that once led over them.
TEST(LevelBounds, NoPerchOrChainOfJumpsLeadsOverTheOuterWalls) {
    const struct {
        const char* what;
        glm::vec3 perch;
        glm::vec2 towards;
    } escapes[] = {
        {"lamp post 3 to the buttress and the south wall", {5.0f, 19.5f, -13.7f}, {8.0f, -29.0f}},
        {"lamp post 2 to the west wall", {-18.0f, 15.5f, 0.5f}, {-40.0f, 0.5f}},
        {"a buttress top to the west", {-31.7f, 22.0f, 6.0f}, {-40.0f, 6.0f}},
        {"the front wall's top to the west", {-18.0f, 22.0f, 15.2f}, {-40.0f, 15.2f}},
        {"the court's corner", {21.0f, 0.0f, 53.0f}, {30.0f, 60.0f}},
    };
    for (const auto& e : escapes) {
        HeadlessGame h(level());
        h.skipIntro();
        Pilot pilot(h, 1.0 / 60.0);
        h.game->player.controller->setFootPosition(glm::dvec3(e.perch));
        pilot.runAndJump(e.towards.x, e.towards.y, 8.0);
        EXPECT_EQ(pilot.fault, "") << e.what;
    }
}

TEST(LevelBounds, FlyingRisesUpAWallFarAboveItAndCrossesIntoTheArenaButNotOut) {
    for (const double dt : {1.0 / 60.0, 1.0 / 144.0}) {
        HeadlessGame h(level());
        h.skipIntro(dt);
        Pilot pilot(h, dt);
        // Into the front wall, then flying and looking up 85 degrees: up along it to the lid
        // (seams in the wall must not hold a climb) and on over the wall.
        pilot.hold(GLFW_KEY_W, true);
        pilot.play(3.0);
        pilot.tap(GLFW_KEY_LEFT_ALT);
        pilot.moveMouse(0.0, -1500.0);
        pilot.frame();
        pilot.moveMouse(0.0, 20.0);
        float highest = 0.0f;
        for (const double end = pilot.seconds() + 8.0; pilot.seconds() < end; pilot.frame()) {
            highest = std::max(highest, pilot.feet().y);
        }
        EXPECT_GE(highest, 35.0f);
        EXPECT_LT(pilot.feet().z, 14.7f) << "the flight did not cross into the arena";
        // On down across the arena into its far wall, at every height on the way.
        pilot.moveMouse(0.0, 800.0);
        pilot.play(6.0);
        EXPECT_EQ(pilot.fault, "");
    }
}

TEST(LevelBounds, TheDescendingPlatformSqueezesACrouchedPlayerOffThePedestalNotIntoIt) {
    HeadlessGame h(level());
    h.skipIntro();
    Pilot pilot(h, 1.0 / 60.0);
    pilot.hold(GLFW_KEY_LEFT_CONTROL, true);
    h.game->player.controller->setFootPosition(glm::dvec3(-15.0, 2.0, 0.0));
    pilot.play(10.0);
    EXPECT_EQ(pilot.fault, "");
}

// Seeded random play from the start: keys held and released at random, mouse sweeps, and on some
// runs the fly cheat switched on and off. A game that ends starts over until 90 s are played.
TEST(LevelBounds, WanderingPlayersStayInsideTheWallsAndOutOfTheGeometry) {
    for (unsigned seed = 1; seed <= 26; ++seed) {
        // Seeds 1 to 20 at 60 frames a second (every third flies), 21 to 23 at 20, 24 to 26 at 144.
        const double dt = seed <= 20 ? 1.0 / 60.0 : seed <= 23 ? 1.0 / 20.0 : 1.0 / 144.0;
        const bool flies = seed <= 20 ? seed % 3 == 0 : seed == 22 || seed == 25;
        std::mt19937 random(seed);
        const auto pick = [&](double lo, double hi) {
            return std::uniform_real_distribution<double>(lo, hi)(random);
        };
        const auto chance = [&](double perSecond) { return pick(0.0, 1.0) < perSecond * dt; };
        for (double played = 0.0; played < 90.0;) {
            HeadlessGame h(level());
            Pilot pilot(h, dt);
            glm::dvec2 sweep(0.0);
            const double start = h.clock.seconds;
            while (pilot.playing() && played + h.clock.seconds - start < 90.0) {
                // W is held most of the time, the others now and then; Space is mashed in bursts.
                if (chance(0.6)) pilot.hold(GLFW_KEY_W, pick(0, 1) < 0.75);
                for (int key : {GLFW_KEY_A, GLFW_KEY_S, GLFW_KEY_D, GLFW_KEY_LEFT_CONTROL}) {
                    if (chance(0.5)) pilot.hold(key, pick(0, 1) < 0.25);
                }
                if (chance(1.5)) pilot.tap(GLFW_KEY_SPACE);
                if (flies && chance(0.15)) pilot.tap(GLFW_KEY_LEFT_ALT);
                if (chance(1.0)) sweep = glm::dvec2(pick(-1500, 1500), pick(-400, 400));
                pilot.moveMouse(sweep.x * dt, sweep.y * dt);
                pilot.frame();
                ASSERT_EQ(pilot.fault, "")
                    << "seed " << seed << ", " << played << " s played before this game";
            }
            played += h.clock.seconds - start;
        }
    }
}

}  // namespace
