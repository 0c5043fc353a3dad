// Headless game set-up for logic tests and the playthroughs.
#include "support/headless_game.h"

#include <cfloat>
#include <cmath>
#include <sstream>

#include "app/game_rules.h"
#include "app/input.h"
#include "app/level_geometry.h"
#include "physics/character_controller.h"

namespace testsupport {

app::MeshLists boxLists(const std::string& name, const glm::vec3& lo, const glm::vec3& hi) {
    app::MeshLists lists;
    lists.modelPath = name;
    for (int i = 0; i < 8; ++i) {
        lists.points.emplace_back((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y,
                                  (i & 4) ? hi.z : lo.z);
    }
    // Two triangles per face, counter-clockwise seen from outside.
    const std::uint32_t faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                       {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& f : faces) {
        lists.indices.insert(lists.indices.end(), {f[0], f[1], f[2], f[0], f[2], f[3]});
    }
    return lists;
}

app::LevelGeometry realLevelGeometry() {
    return app::loadLevelGeometry(std::string(GLIMMER_SOURCE_DIR) + "/assets/");
}

app::LevelGeometry simpleLevelGeometry() {
    return app::LevelGeometry{
        boxLists("floor", {-200.0f, -1.0f, -200.0f}, {200.0f, 0.0f, 200.0f}),
        boxLists("brick", glm::vec3(-1.0f), glm::vec3(1.0f)),
        boxLists("platform", glm::vec3(-1.0f, -0.25f, -1.0f), glm::vec3(1.0f, 0.25f, 1.0f))};
}

namespace {

bool finite(const glm::vec3& v) {
    return glm::all(glm::lessThanEqual(glm::abs(v), glm::vec3(FLT_MAX)));
}

// The arena, the strip of the front wall between it and the court, and the court (x, z).
constexpr glm::vec4 kWalledAreas[] = {
    {-32.0f, -28.0f, 19.0f, 14.7f}, {-20.0f, 14.7f, 22.0f, 15.7f}, {-20.0f, 15.7f, 22.0f, 54.0f}};

}  // namespace

std::string unsoundState(const app::Game& g) {
    std::vector<physics::Actor*> pieces = g.actors.wallBricks;
    pieces.insert(pieces.end(), {g.actors.platform, g.actors.spikes});
    for (physics::Actor* piece : pieces) {
        if (!finite(g.world.actorPosition(piece))) return "a brick or moving piece is not finite";
    }
    const physics::Camera& cam = g.player.camera;
    const glm::vec3 foot(g.player.controller->getFootPosition());
    if (!finite(foot) || !finite(cam.position) || !finite(cam.front) || !finite(cam.up)) {
        return "the player or the view is not finite";
    }
    std::ostringstream where;
    where << " at feet (" << foot.x << ", " << foot.y << ", " << foot.z << ")";
    bool inside = false;
    for (const glm::vec4& a : kWalledAreas) {
        inside = inside || (foot.x >= a.x - 0.01f && foot.x <= a.z + 0.01f &&
                            foot.z >= a.y - 0.01f && foot.z <= a.w + 0.01f);
    }
    if (!inside) return "outside the walls" + where.str();
    if (foot.y < -0.05f) return "below the floor" + where.str();
    const float overlap = g.player.controller->staticOverlap();
    return overlap > 0.05f ? "inside level geometry by " + std::to_string(overlap) + where.str()
                           : "";
}

HeadlessGame::HeadlessGame(app::LevelGeometry geometry, double startupSeconds)
    : game(std::make_unique<app::Game>(clock, platform)) {
    game->settings.width = 1280;
    game->settings.height = 720;
    game->settings.brightness = 1.0f;
    app::buildWorld(*game, std::move(geometry));
    clock.advance(startupSeconds);
    app::startClocks(*game);
}

void HeadlessGame::frame(double dt) {
    clock.advance(dt);
    app::runFrame(*game, nullptr);
}

void HeadlessGame::run(double seconds, double dt) {
    const double end = clock.seconds + seconds - 1e-9;
    while (clock.seconds < end) frame(dt);
}

void HeadlessGame::skipIntro(double dt) {
    while (!game->rules.inputEnabled) frame(dt);
}

// Keys go through the same handler as the GLFW callback, delivered when the frame polls events;
// the held set is what movement polling reads.
void HeadlessGame::keyPress(int key) {
    platform.held.insert(key);
    platform.events.push_back([g = game.get(), key] { app::handleKey(*g, key, GLFW_PRESS); });
}

void HeadlessGame::keyRelease(int key) {
    platform.held.erase(key);
    platform.events.push_back([g = game.get(), key] { app::handleKey(*g, key, GLFW_RELEASE); });
}

void HeadlessGame::cursor(double x, double y) {
    platform.events.push_back([g = game.get(), x, y] { app::handleCursor(*g, x, y); });
}

}  // namespace testsupport
