// The two seams through which time and the window reach the game logic; tests replace both.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace app {

// The game's three clocks.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the window system started (GLFW time).
    virtual double glfwTime() = 0;
    // Whole calendar seconds (drives the one-second tick).
    virtual std::int64_t calendarSeconds() = 0;
    // Milliseconds on a monotonic clock (drives the water's wave time).
    virtual std::int64_t monotonicMs() = 0;
};

// A gamepad as GLFW's gamepad mapping lays it out, indexed by GLFW_GAMEPAD_BUTTON_* and
// GLFW_GAMEPAD_AXIS_*. Sticks run from -1 to 1, x to the right and y downwards.
struct GamepadState {
    std::array<bool, 15> buttons{};
    std::array<float, 6> axes{};
};

// What the logic asks of the window: held keys, pending events, the gamepad, and the switches that
// act on the window or on global GL state.
class Platform {
public:
    virtual ~Platform() = default;
    // Delivers pending key and cursor events to the game's handlers.
    virtual void pollEvents() = 0;
    // True while the key (a GLFW key code) is held down.
    virtual bool isKeyDown(int key) const = 0;
    // The state of the gamepad that plays, as of the last pollEvents; none while none is
    // connected.
    virtual std::optional<GamepadState> gamepad() const = 0;
    virtual void requestClose() = 0;
    virtual void setWireframe(bool on) = 0;
    virtual void setFaceCulling(bool on) = 0;
};

}  // namespace app
