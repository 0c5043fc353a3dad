// The real clocks and the GLFW window behind the game's seams.
#pragma once

#include <GLFW/glfw3.h>

#include "app/seams.h"

namespace app {

class SystemClock : public Clock {
public:
    double glfwTime() override;
    std::int64_t calendarSeconds() override;
    std::int64_t monotonicMs() override;
};

class GlfwPlatform : public Platform {
public:
    explicit GlfwPlatform(GLFWwindow* window) : window_(window) {}
    void pollEvents() override;
    bool isKeyDown(int key) const override;
    std::optional<GamepadState> gamepad() const override;
    void requestClose() override;
    void setWireframe(bool on) override;
    void setFaceCulling(bool on) override;

private:
    GLFWwindow* window_;
    // The playing pad as the last poll found it.
    std::optional<GamepadState> pad_;
};

}  // namespace app
