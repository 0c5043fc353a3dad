// A long session without a window: a hundred thousand frames of play stay sound and do not grow
// the memory, and the game goes on running after it is lost.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

long residentKilobytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * 4;
}

TEST(Soak, AHundredThousandFramesStaySoundWithoutGrowingTheMemory) {
    testsupport::HeadlessGame h(testsupport::realLevelGeometry());
    app::Game& g = *h.game;
    h.skipIntro();
    double cursor = 0.0;
    const auto frames = [&](int n, std::initializer_list<int> keys) {
        for (int key : keys) h.keyPress(key);
        for (int i = 0; i < n; ++i) {
            cursor += 7.0;
            h.cursor(cursor, 100.0 + 40.0 * std::sin(cursor * 0.01));
            h.frame();
        }
        for (int key : keys) h.keyRelease(key);
    };
    long warm = 0;
    // A minute a cycle: into the loose bricks crouching and jumping, along the lift, flying about
    // with the yaw growing without bound.
    for (int cycle = 0; h.clock.seconds * 60.0 < 100000.0; ++cycle) {
        g.player.controller->setFootPosition(glm::dvec3(15.0, 0.05, 24.0));
        frames(90, {GLFW_KEY_W, GLFW_KEY_LEFT_CONTROL});
        frames(60, {GLFW_KEY_W, GLFW_KEY_SPACE});
        g.player.controller->setFootPosition(glm::dvec3(-15.0, 7.0, 0.0));
        frames(120, {GLFW_KEY_A});
        h.keyPress(GLFW_KEY_LEFT_ALT);
        frames(120, {GLFW_KEY_W, GLFW_KEY_D});
        h.keyPress(GLFW_KEY_LEFT_ALT);
        ASSERT_EQ(testsupport::unsoundState(g), "") << "cycle " << cycle;
        ASSERT_EQ(g.rules.gameState, app::GameState::Playing) << "cycle " << cycle;
        if (cycle == 10) warm = residentKilobytes();
    }
    EXPECT_LT(residentKilobytes() - warm, 1024) << "kilobytes grown after warm-up";
    EXPECT_GT(g.player.camera.yaw, 10000.0f);
    // Into the water: lost, and the world keeps turning soundly on the end screen.
    g.player.controller->setFootPosition(glm::dvec3(0.5, 8.0, 1.5));
    h.run(10.0);
    EXPECT_EQ(g.rules.gameState, app::GameState::Lost);
    EXPECT_EQ(testsupport::unsoundState(g), "");
}

}  // namespace
