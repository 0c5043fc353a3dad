// GLFW time, calendar seconds and a steady clock; GLFW events, keys and GL switches.
#include "app/system_seams.h"

#include <GL/glew.h>

#include <chrono>
#include <ctime>

namespace app {

double SystemClock::glfwTime() { return glfwGetTime(); }

std::int64_t SystemClock::calendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::int64_t SystemClock::monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

static_assert(GamepadState{}.buttons.size() == GLFW_GAMEPAD_BUTTON_LAST + 1 &&
              GamepadState{}.axes.size() == GLFW_GAMEPAD_AXIS_LAST + 1);

void GlfwPlatform::pollEvents() {
    glfwPollEvents();
    // The first connected gamepad plays. GLFW notices pads plugged in or out while it polls, and
    // reports none for a joystick its built-in mappings do not know as a gamepad.
    pad_.reset();
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST && !pad_; ++jid) {
        GLFWgamepadstate raw;
        if (glfwGetGamepadState(jid, &raw) != GLFW_TRUE) continue;
        GamepadState& pad = pad_.emplace();
        for (std::size_t b = 0; b < pad.buttons.size(); ++b) {
            pad.buttons[b] = raw.buttons[b] == GLFW_PRESS;
        }
        for (std::size_t a = 0; a < pad.axes.size(); ++a) pad.axes[a] = raw.axes[a];
    }
}

bool GlfwPlatform::isKeyDown(int key) const { return glfwGetKey(window_, key) == GLFW_PRESS; }

std::optional<GamepadState> GlfwPlatform::gamepad() const { return pad_; }

void GlfwPlatform::requestClose() { glfwSetWindowShouldClose(window_, GLFW_TRUE); }

void GlfwPlatform::setWireframe(bool on) { glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL); }

void GlfwPlatform::setFaceCulling(bool on) {
    if (on) {
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
}

}  // namespace app
