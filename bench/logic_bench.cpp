// Logic frames of the real level with no window: world step, player steps, trigger handling.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/game_loop.h"
#include "app/game_rules.h"
#include "app/input.h"
#include "app/level_geometry.h"
#include "bench/bench_modes.h"
#include "physics/character_controller.h"
#include "tools/level_route.h"

namespace bench {

namespace {

class ScriptedWindow : public app::Platform {
public:
    void pollEvents() override {}
    bool isKeyDown(int key) const override { return key == GLFW_KEY_W; }
    std::optional<app::GamepadState> gamepad() const override { return std::nullopt; }
    void requestClose() override {}
    void setWireframe(bool) override {}
    void setFaceCulling(bool) override {}
};

}  // namespace

Stats summarize(std::vector<double> samples) {
    Stats stats;
    if (samples.empty()) return stats;
    std::sort(samples.begin(), samples.end());
    stats.median = samples[samples.size() / 2];
    stats.p99 = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    return stats;
}

int runLogicBench() {
    StepClock clock;
    ScriptedWindow window;
    app::Game game(clock, window);
    game.settings.width = 1280;
    game.settings.height = 720;
    game.settings.brightness = 1.0f;
    app::buildWorld(game, app::loadLevelGeometry());
    app::startClocks(game);

    const double dt = 1.0 / 60.0;
    // The intro, untimed.
    while (!game.rules.inputEnabled) {
        clock.seconds += dt;
        app::runFrame(game, nullptr);
    }

    // The player walks the level's route through the west gate, over the dais (gem 1) and
    // between the tanks to gem 2, aiming with the mouse and holding W, with a jump now and then;
    // at the end of the route it is put back at the start and walks it again (the gems stay
    // collected, so the game goes on).
    std::vector<double> samples;
    samples.reserve(10000);
    double cursorX = 0.0;
    app::handleCursor(game, cursorX, 0.0);
    const size_t lastLeg = 8;  // up to gem 2; the third gem would end the game
    size_t waypoint = 1;
    for (int frame = 0; frame < 10000; ++frame) {
        clock.seconds += dt;
        const glm::vec3 eye = game.player.camera.position;
        const glm::vec2 target(assetgen::route::kRoute[waypoint].x,
                               assetgen::route::kRoute[waypoint].z);
        const glm::vec2 toTarget = target - glm::vec2(eye.x, eye.z);
        if (glm::length(toTarget) < 0.3f) {
            if (++waypoint > lastLeg) {
                waypoint = 1;
                game.player.controller->setFootPosition(glm::dvec3(0.0, 0.0, 50.0));
            }
        } else {
            const float wanted = std::atan2(toTarget.y, toTarget.x) * 57.29578f;
            const float turn = std::remainder(wanted - game.player.camera.yaw, 360.0f);
            cursorX += static_cast<double>(turn / game.player.camera.mouseSensitivity);
            app::handleCursor(game, cursorX, 0.0);
        }
        if (frame % 150 == 0) app::handleKey(game, GLFW_KEY_SPACE, GLFW_PRESS);
        const auto start = std::chrono::steady_clock::now();
        app::runFrame(game, nullptr);
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const Stats stats = summarize(samples);
    const glm::vec3 eye = game.player.camera.position;
    std::printf("frames=10000 gems=%d state=%d eye=(%.1f, %.1f, %.1f)\n", game.rules.gemsCollected,
                static_cast<int>(game.rules.gameState), static_cast<double>(eye.x),
                static_cast<double>(eye.y), static_cast<double>(eye.z));
    std::printf("median_ms=%.4f p99_ms=%.4f\n", stats.median, stats.p99);
    return 0;
}

}  // namespace bench
