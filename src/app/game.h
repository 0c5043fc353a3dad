// The whole game's state: settings, physics, player, rules and input switches, owned in one place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/seams.h"
#include "app/settings.h"
#include "app/sound_cues.h"
#include "physics/physics_world.h"
#include "physics/player.h"
#include "physics/simulation_callback.h"

namespace app {

enum class GameState : std::int32_t { Won = 0, Lost = 1, Playing = 2 };

// Switches set by the key and cursor handlers.
struct InputSwitches {
    bool bloomEnabled = true;
    bool celShadingEnabled = true;
    bool flashlightOn = true;
    bool showMenu = false;
    bool showScore = true;
    bool wireframeOn = false;
    bool faceCullingOn = true;
    bool firstMouse = true;
    float lastX = 0.0f;
    float lastY = 0.0f;
    // The gamepad as the last poll found it: all let go and centred while none is connected.
    GamepadState pad;
    // GLFW time at which Back went down; negative while it is up, and once it has quit.
    double padBackSince = -1.0;
};

// The rules' own variables.
struct GameRules {
    GameState gameState = GameState::Playing;
    std::array<bool, 3> gemVisible{true, true, true};
    std::int32_t gemsCollected = 0;
    // One-second ticks since start-up, counted from the calendar second `lastSecond`.
    std::int32_t secondsElapsed = 0;
    std::int64_t lastSecond = 0;
    // False during the intro: mouse look and W/A/S/D do nothing.
    bool inputEnabled = false;
    bool spikesTouched = false;
    bool platformMovingUp = false;
};

// The physics actors the rules hold on to for the whole run.
struct LevelActors {
    physics::Actor* level = nullptr;
    physics::Actor* platform = nullptr;
    physics::Actor* spikes = nullptr;
    std::array<physics::Shape*, 3> gemShapes{};
    std::array<physics::Actor*, 3> gemActors{};
    std::array<physics::Shape*, 3> hazardShapes{};
    std::vector<physics::Actor*> wallBricks;
};

// Collision data of one model: its vertex positions and triangle indices.
struct MeshLists {
    std::string modelPath;
    std::vector<glm::vec3> points;
    std::vector<std::uint32_t> indices;
};

// The three models whose geometry the physics cooks.
struct LevelGeometry {
    MeshLists level;
    MeshLists brick;
    MeshLists platform;
};

struct Game {
    Game(Clock& clock, Platform& platform);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    Clock& clock;
    Platform& platform;

    Settings settings;
    physics::PhysicsWorld world;
    physics::SimulationCallback callback;
    physics::Player player;
    LevelActors actors;
    GameRules rules;
    InputSwitches input;
    // Written only by the frame's last step, read by the sound player.
    SoundCues sound;

    // Seconds of the most recent play frame's GLFW time.
    float lastFrame = 0.0f;
    // Milliseconds from start-up to the start of the current frame (the water's time).
    std::int64_t elapsedMs = 0;
    std::int64_t startMs = 0;

    float& brightness() { return settings.brightness; }
    float deltaTime() const { return player.deltaTime; }
};

}  // namespace app
