// A long scripted session without a window: no NaN anywhere, no memory growth, a sane view.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/game_rules.h"
#include "app/input.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

using testsupport::HeadlessGame;

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

bool finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Checks every body, the controller and the camera; returns a description of the first NaN.
std::string firstNonFinite(const app::Game& g) {
    for (size_t i = 0; i < g.actors.wallBricks.size(); ++i) {
        if (!finite(g.world.actorPosition(g.actors.wallBricks[i]))) {
            return "wall brick " + std::to_string(i);
        }
    }
    if (!finite(g.world.actorPosition(g.actors.platform))) return "platform";
    if (!finite(g.world.actorPosition(g.actors.spikes))) return "spikes";
    const glm::dvec3 c = g.player.controller->getPosition();
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z)) return "controller";
    const physics::Camera& cam = g.player.camera;
    if (!finite(cam.position) || !finite(cam.front) || !finite(cam.up) || !finite(cam.right)) {
        return "camera";
    }
    return "";
}

// One scripted minute of play, chosen by the cycle number: walking into the loose wall while
// crouching and jumping, riding the lift, flying about, turning all the while.
void playCycle(HeadlessGame& h, int cycle, double& cursorX) {
    app::Game& g = *h.game;
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            cursorX += 7.0;
            h.cursor(cursorX, 100.0 + 40.0 * std::sin(cursorX * 0.01));
            h.frame();
        }
    };
    // Into the loose bricks from the court.
    g.player.controller->setFootPosition(glm::dvec3(15.0, 0.05, 24.0));
    g.player.camera.yaw = -90.0f;
    g.player.camera.updateCameraAxes();
    h.keyPress(GLFW_KEY_W);
    if (cycle % 2 == 0) h.keyPress(GLFW_KEY_LEFT_CONTROL);
    frames(90);
    h.keyPress(GLFW_KEY_SPACE);
    frames(60);
    h.keyRelease(GLFW_KEY_LEFT_CONTROL);
    h.keyRelease(GLFW_KEY_W);
    // On the lift, walking a little.
    g.player.controller->setFootPosition(glm::dvec3(-15.0, 7.0, 0.0));
    h.keyPress(GLFW_KEY_A);
    frames(120);
    h.keyRelease(GLFW_KEY_A);
    // Flying up and around, then walking again.
    h.keyPress(GLFW_KEY_LEFT_ALT);
    h.keyPress(GLFW_KEY_W);
    h.keyPress(GLFW_KEY_D);
    frames(120);
    h.keyRelease(GLFW_KEY_D);
    h.keyRelease(GLFW_KEY_W);
    h.keyPress(GLFW_KEY_LEFT_ALT);
    g.player.controller->setFootPosition(glm::dvec3(0.0, 0.05, 40.0));
    h.keyPress(GLFW_KEY_S);
    frames(60);
    h.keyRelease(GLFW_KEY_S);
}

TEST(Soak, AHundredThousandFramesStayFiniteAndDoNotGrowMemory) {
    HeadlessGame h(testsupport::realLevelGeometry());
    app::Game& g = *h.game;
    h.skipIntro();
    double cursorX = 0.0;
    long warmKb = 0;
    int cycle = 0;
    while (h.clock.seconds * 60.0 < 100000.0) {
        playCycle(h, cycle, cursorX);
        const std::string bad = firstNonFinite(g);
        ASSERT_EQ(bad, "") << "non-finite value in cycle " << cycle;
        ASSERT_EQ(g.rules.gameState, app::GameState::Playing) << "cycle " << cycle;
        if (cycle == 10) warmKb = residentKilobytes();
        ++cycle;
    }
    const long grownKb = residentKilobytes() - warmKb;
    EXPECT_LT(grownKb, 1024) << "resident memory grew by " << grownKb << " kB after warm-up";

    // Collecting a gem, then losing in the water, still with finite state.
    g.player.controller->setFootPosition(glm::dvec3(-10.0, 0.05, -8.0));
    h.frame();
    h.frame();
    EXPECT_EQ(g.rules.gemsCollected, 1);
    g.player.controller->setFootPosition(glm::dvec3(0.5, 8.0, 1.5));
    for (int i = 0; i < 120 && g.rules.gameState == app::GameState::Playing; ++i) h.frame();
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
    for (int i = 0; i < 600; ++i) h.frame();
    EXPECT_EQ(firstNonFinite(g), "");
}

TEST(Soak, TheViewStaysValidAfterTheYawGrewByTenMillionDegrees) {
    physics::Camera camera;
    // 5e7 pixels at 0.2 degrees a pixel, in steps a mouse could make.
    for (int i = 0; i < 1000; ++i) camera.turnCamera(50000.0f, (i % 2) ? 300.0f : -300.0f);
    EXPECT_GE(camera.yaw, 1.0e7f - 100.0f);
    EXPECT_NEAR(glm::length(camera.front), 1.0f, 1e-4f);
    EXPECT_NEAR(glm::length(camera.right), 1.0f, 1e-4f);
    EXPECT_NEAR(camera.right.y, 0.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(camera.front, camera.up), 0.0f, 1e-4f);
    const glm::mat4 view = camera.viewMatrix();
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) EXPECT_TRUE(std::isfinite(view[c][r]));
    }
    EXPECT_LE(std::abs(camera.pitch), 89.0f);
}

}  // namespace
