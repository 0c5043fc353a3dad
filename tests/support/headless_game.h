// A whole game without a window: fake clock and window, the real physics and rules.
#pragma once

#include <memory>
#include <string>

#include "app/game.h"
#include "app/game_loop.h"
#include "support/fake_seams.h"

namespace testsupport {

// Collision lists of an axis-aligned box (outward-facing triangles).
app::MeshLists boxLists(const std::string& name, const glm::vec3& minCorner,
                        const glm::vec3& maxCorner);

// The collision lists of the three cooked models, read from the committed assets without GL.
app::LevelGeometry realLevelGeometry();

// Simple stand-ins: a large slab whose top is the floor for the level, the unit cube for brick
// and platform.
app::LevelGeometry simpleLevelGeometry();

// Why the game's state is unsound, or "": every body and the view finite, the player's feet
// inside the walled court and arena and not below the floor, the capsule not inside level
// geometry.
std::string unsoundState(const app::Game& game);

struct HeadlessGame {
    // `startupSeconds` of GLFW time pass between the window system's start and the first frame.
    explicit HeadlessGame(app::LevelGeometry geometry, double startupSeconds = 0.0);

    // Advances the fake clock by dt and runs one frame with no renderer.
    void frame(double dt = 1.0 / 60.0);
    // Frames until `seconds` of game time have passed.
    void run(double seconds, double dt = 1.0 / 60.0);
    // Runs frames until the intro is over.
    void skipIntro(double dt = 1.0 / 60.0);

    void keyPress(int key);
    void keyRelease(int key);
    void cursor(double x, double y);

    FakeClock clock;
    FakePlatform platform;
    std::unique_ptr<app::Game> game;
};

}  // namespace testsupport
