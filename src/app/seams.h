// The two seams through which time and the window reach the game logic; tests replace both.
#pragma once

#include <cstdint>

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

// What the logic asks of the window: held keys, pending events, and the switches that act on the
// window or on global GL state.
class Platform {
public:
    virtual ~Platform() = default;
    // Delivers pending key and cursor events to the game's handlers.
    virtual void pollEvents() = 0;
    // True while the key (a GLFW key code) is held down.
    virtual bool isKeyDown(int key) const = 0;
    virtual void requestClose() = 0;
    virtual void setWireframe(bool on) = 0;
    virtual void setFaceCulling(bool on) = 0;
};

}  // namespace app
