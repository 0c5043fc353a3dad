// The level's physics actors and the rules that run every frame.
#include "app/game_rules.h"

#include <iostream>

#include "app/level_layout.h"
#include "physics/character_controller.h"

namespace app {

Game::Game(Clock& clockSeam, Platform& platformSeam) : clock(clockSeam), platform(platformSeam) {}

namespace {

physics::Shape* cookModel(Game& game, MeshLists& lists, const physics::Material& material,
                          const glm::vec3& meshScale) {
    const std::string path = lists.modelPath;
    if (lists.points.empty() || lists.indices.size() < 3) {
        std::cout << "ERROR: no collision mesh for " << path << ": the model has no triangles"
                  << std::endl;
        return nullptr;
    }
    physics::Shape* shape = game.world.createTriangleMeshShape(
        std::move(lists.points), std::move(lists.indices), material, meshScale);
    if (!shape) {
        std::cout << "ERROR: no collision mesh for " << path << ": cooking failed" << std::endl;
    }
    return shape;
}

physics::Actor* staticMeshActor(Game& game, MeshLists lists, const physics::Material& material,
                                const glm::vec3& meshScale, const char* name,
                                const glm::vec3& position) {
    physics::Shape* shape = cookModel(game, lists, material, meshScale);
    if (!shape) return nullptr;
    game.world.setShapeName(shape, name);
    return game.world.createStaticActor(shape, position);
}

}  // namespace

void buildWorld(Game& game, LevelGeometry geometry) {
    physics::PhysicsWorld& world = game.world;
    world.initPhysics();
    game.player.controller = world.controller;
    physics::updateEye(game.player);
    world.setSimulationEventCallback(&game.callback);

    const physics::Material levelMaterial = world.createMaterial(1.0f, 1.0f, 0.0f);
    LevelActors& actors = game.actors;

    actors.level = staticMeshActor(game, geometry.level, levelMaterial, glm::vec3(1.0f),
                                   "pitShapePhysX", glm::vec3(0.0f));
    // Each brick ledge cooks its own copy of the brick mesh.
    staticMeshActor(game, geometry.brick, levelMaterial, layout::kBrickScale, "brickShapePhysX",
                    layout::kBrick1Position);
    staticMeshActor(game, std::move(geometry.brick), levelMaterial, layout::kBrickScale,
                    "brickShapePhysX2", layout::kBrick2Position);

    if (physics::Shape* platformShape =
            cookModel(game, geometry.platform, levelMaterial, layout::kPlatformScale)) {
        world.setShapeName(platformShape, "platformShapePhysX");
        actors.platform = world.createKinematicActor(platformShape, layout::kPlatformStart);
    }

    for (size_t k = 0; k < 3; ++k) {
        physics::Shape* box = world.createBoxShape(glm::vec3(1.0f), levelMaterial, true);
        actors.gemShapes[k] = box;
        actors.gemActors[k] = world.createStaticActor(box, layout::kGemPositions[k]);
    }
    for (size_t k = 0; k < 3; ++k) {
        physics::Shape* box =
            world.createBoxShape(layout::kHazards[k].halfExtents, levelMaterial, true);
        actors.hazardShapes[k] = box;
        world.createStaticActor(box, layout::kHazards[k].centre);
    }

    physics::Shape* brickShape =
        world.createBoxShape(glm::vec3(0.5f), world.defaultMaterial, false);
    world.setShapeName(brickShape, "destroyableWall");
    for (int i = 1; i <= 9; i += 2) {
        for (int j = 0; j <= 8; j += 2) {
            const glm::vec3 position =
                layout::kWallBase + glm::vec3(0.5f * static_cast<float>(j),
                                              0.5f * static_cast<float>(i), 0.0f);
            actors.wallBricks.push_back(
                world.createDynamicActor(brickShape, position, layout::kWallBrickDensity));
        }
    }

    physics::Shape* spikesShape = world.createBoxShape(glm::vec3(1.0f), levelMaterial, false);
    world.setShapeName(spikesShape, "spikesShapePhysX");
    actors.spikes = world.createKinematicActor(spikesShape, layout::kSpikesStart);

    for (const layout::Bound& bound : layout::kBounds) {
        physics::Shape* box =
            world.createBoxShape((bound.hi - bound.lo) * 0.5f, levelMaterial, false);
        world.createStaticActor(box, (bound.lo + bound.hi) * 0.5f);
    }
}

void startClocks(Game& game) {
    game.rules.lastSecond = game.clock.calendarSeconds();
    game.startMs = game.clock.monotonicMs();
    // The first play frame measures from here, not from the start of the window system: a slow
    // start-up must not become one huge first step.
    game.lastFrame = static_cast<float>(game.clock.glfwTime());
}

void updatePlatform(Game& game) {
    if (!game.actors.platform) return;
    const glm::vec3 p = game.world.actorPosition(game.actors.platform);
    const float dt = game.deltaTime();
    float height = p.y;
    // The frame that reaches a limit still moves the old way; the turn shows next frame.
    if (!game.rules.platformMovingUp) {
        height = p.y - dt;
        if (layout::kPlatformBase - 1.0f >= p.y) game.rules.platformMovingUp = true;
    } else {
        height = p.y + dt;
        if (p.y >= layout::kPlatformBase + 1.0f) game.rules.platformMovingUp = false;
    }
    game.world.setKinematicTarget(game.actors.platform, glm::vec3(p.x, height, p.z));
}

void tickSecond(Game& game) {
    GameRules& rules = game.rules;
    if (game.clock.calendarSeconds() - rules.lastSecond < 1) return;
    rules.secondsElapsed += 1;
    rules.lastSecond += 1;
    if (!game.actors.spikes) return;
    // Up one unit a second twice, then down two.
    const glm::vec3 p = game.world.actorPosition(game.actors.spikes);
    const float height = p.y >= layout::kSpikesBase - 1.0f ? p.y - 2.0f : p.y + 1.0f;
    game.world.setKinematicTarget(game.actors.spikes, glm::vec3(p.x, height, p.z));
}

void updateIntro(Game& game) {
    if (game.rules.secondsElapsed > 2) game.rules.inputEnabled = true;
}

void updatePlayer(Game& game) {
    physics::gravityStep(game.player);
    physics::updateCrouch(game.player);
    if (game.player.jumpRequested) physics::jumpStep(game.player);
}

void updateTiming(Game& game) {
    const float now = static_cast<float>(game.clock.glfwTime());
    game.player.deltaTime = now - game.lastFrame;
    game.lastFrame = now;
}

void handleTriggers(Game& game) {
    physics::SimulationCallback& callback = game.callback;
    if (!callback.triggered) return;
    const physics::Shape* shape = callback.triggerShape;
    for (size_t k = 0; k < 3; ++k) {
        if (shape == game.actors.gemShapes[k] && game.actors.gemActors[k]) {
            game.rules.gemVisible[k] = false;
            // The actor goes, so the gem cannot be collected twice.
            game.world.removeActor(game.actors.gemActors[k]);
            game.actors.gemActors[k] = nullptr;
            game.rules.gemsCollected += 1;
        }
    }
    for (physics::Shape* hazard : game.actors.hazardShapes) {
        if (shape == hazard) game.rules.gameState = GameState::Lost;
    }
    callback.triggered = false;
}

void spikesTest(Game& game) {
    if (!game.player.controller) return;
    const physics::ControllerState state = game.player.controller->getState();
    if (state.touchedShape && physics::shapeName(state.touchedShape) == "spikesShapePhysX") {
        game.rules.spikesTouched = true;
    }
}

void endOfGame(Game& game) {
    if (game.rules.spikesTouched) game.rules.gameState = GameState::Lost;
    if (game.rules.gemsCollected == 3) game.rules.gameState = GameState::Won;
}

}  // namespace app
