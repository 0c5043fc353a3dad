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

void GlfwPlatform::pollEvents() { glfwPollEvents(); }

bool GlfwPlatform::isKeyDown(int key) const { return glfwGetKey(window_, key) == GLFW_PRESS; }

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
