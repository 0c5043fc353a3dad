// A fake clock and a fake window for driving the game logic without GLFW or GL.
#pragma once

#include <GLFW/glfw3.h>

#include <cmath>
#include <deque>
#include <functional>
#include <set>

#include "app/seams.h"

namespace testsupport {

// Time moves only when a test says so. Calendar seconds follow the same time from an arbitrary
// epoch, so ticks land exactly on whole seconds of game time.
class FakeClock : public app::Clock {
public:
    double glfwTime() override { return seconds; }
    std::int64_t calendarSeconds() override {
        return epoch + static_cast<std::int64_t>(std::floor(seconds + calendarOffset));
    }
    std::int64_t monotonicMs() override {
        return static_cast<std::int64_t>(std::floor(seconds * 1000.0));
    }
    void advance(double dt) { seconds += dt; }

    double seconds = 0.0;
    // Lets a test stall or jump the calendar clock independently of frame time.
    double calendarOffset = 0.0;
    std::int64_t epoch = 1'800'000'000;
};

// Held keys and queued events; events reach the game only when the frame polls, like GLFW's.
class FakePlatform : public app::Platform {
public:
    void pollEvents() override {
        for (; !events.empty(); events.pop_front()) events.front()();
    }
    bool isKeyDown(int key) const override { return held.count(key) > 0; }
    std::optional<app::GamepadState> gamepad() const override { return pad; }
    void requestClose() override { closeRequested = true; }
    void setWireframe(bool on) override { wireframe = on; }
    void setFaceCulling(bool on) override { faceCulling = on; }

    std::set<int> held;
    std::deque<std::function<void()>> events;
    // The pad the game finds at its next poll; empty while none is connected.
    std::optional<app::GamepadState> pad;
    bool closeRequested = false;
    bool wireframe = false;
    bool faceCulling = true;
};

}  // namespace testsupport
