// Start-up, the frame loop and shutdown of the real game.
#pragma once

#include <memory>

#include "app/game.h"
#include "app/renderer.h"
#include "app/shadow_map_memory.h"
#include "app/sound_player.h"
#include "app/system_seams.h"

struct GLFWwindow;

namespace app {

// Everything start-up makes, in one place, so tools (benchmark, screenshots) can run the real
// game with their own loop.
struct GameSession {
    // The real clocks.
    GameSession();
    // Another clock: a tool that steps time itself, so its frames come out the same every run.
    explicit GameSession(Clock& clock);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // The window seam exists before the window; it forwards once the window is there.
    struct LateWindow : Platform {
        std::unique_ptr<GlfwPlatform> real;
        void pollEvents() override;
        bool isKeyDown(int key) const override;
        std::optional<GamepadState> gamepad() const override;
        void requestClose() override;
        void setWireframe(bool on) override;
        void setFaceCulling(bool on) override;
    };

    // Reserved first thing in start-up, handed to the sun's map when it is made.
    ShadowMapMemory shadowMapMemory;
    SystemClock systemClock;
    Clock& clock;
    LateWindow platform;
    std::unique_ptr<Game> game;
    std::unique_ptr<Renderer> renderer;
    // Started last; plays each frame's sound cues.
    SoundPlayer sound;
    GLFWwindow* window = nullptr;
};

// Runs start-up into `session`; returns 0, or 1 after a start-up failure (reported already).
int startGame(GameSession& session);

// Returns the process exit status: 0 after an orderly shutdown, 1 after a start-up failure.
int runGame();

}  // namespace app
