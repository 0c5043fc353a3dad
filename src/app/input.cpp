// Key bindings, mouse look and W/A/S/D movement.
#include "app/input.h"

#include <GL/glew.h>

namespace app {

namespace {

// Turns the view by travel in mouse pixels (x right, y up) at the settings' sensitivity, the
// vertical turned round for a player who asked for that.
void turnView(Game& game, float xoffset, float yoffset) {
    physics::Camera& camera = game.player.camera;
    camera.mouseSensitivity = game.settings.mouse_sensitivity;
    camera.turnCamera(xoffset, game.settings.invert_look ? -yoffset : yoffset);
}

}  // namespace

void handleKey(Game& game, int key, int action) {
    InputSwitches& in = game.input;
    if (key == GLFW_KEY_LEFT_CONTROL) {
        if (action == GLFW_PRESS) game.player.crouchHeld = true;
        if (action == GLFW_RELEASE) game.player.crouchHeld = false;
        return;
    }
    if (action != GLFW_PRESS) return;
    switch (key) {
        case GLFW_KEY_ESCAPE: game.platform.requestClose(); break;
        case GLFW_KEY_SPACE: game.player.jumpRequested = true; break;
        case GLFW_KEY_B: in.bloomEnabled = !in.bloomEnabled; break;
        case GLFW_KEY_C: in.celShadingEnabled = !in.celShadingEnabled; break;
        case GLFW_KEY_F: in.flashlightOn = !in.flashlightOn; break;
        case GLFW_KEY_M: in.showMenu = !in.showMenu; break;
        case GLFW_KEY_Q: in.showScore = !in.showScore; break;
        case GLFW_KEY_F1:
            in.wireframeOn = !in.wireframeOn;
            game.platform.setWireframe(in.wireframeOn);
            break;
        case GLFW_KEY_F2:
            in.faceCullingOn = !in.faceCullingOn;
            game.platform.setFaceCulling(in.faceCullingOn);
            break;
        // Brightness steps are computed in double precision and stored back as a float; there
        // is no bound either way.
        case GLFW_KEY_KP_SUBTRACT:
            game.brightness() = static_cast<float>(static_cast<double>(game.brightness()) - 0.1);
            break;
        case GLFW_KEY_KP_ADD:
            game.brightness() = static_cast<float>(static_cast<double>(game.brightness()) + 0.1);
            break;
        case GLFW_KEY_LEFT_ALT:
            game.player.gravityEnabled = !game.player.gravityEnabled;
            break;
        default: break;
    }
}

void handleCursor(Game& game, double xpos, double ypos) {
    InputSwitches& in = game.input;
    const float x = static_cast<float>(xpos);
    const float y = static_cast<float>(ypos);
    if (in.firstMouse) {
        in.lastX = x;
        in.lastY = y;
        in.firstMouse = false;
    }
    const float xoffset = x - in.lastX;
    // Screen y grows downwards, pitch grows upwards.
    const float yoffset = in.lastY - y;
    // Tracked during the intro too, so the view does not jump when it ends.
    in.lastX = x;
    in.lastY = y;
    if (!game.rules.inputEnabled) return;
    turnView(game, xoffset, yoffset);
}

void processInput(Game& game) {
    if (!game.rules.inputEnabled) return;
    const Platform& p = game.platform;
    if (p.isKeyDown(GLFW_KEY_W)) physics::moveCharacter(game.player, physics::MoveDirection::Forward);
    if (p.isKeyDown(GLFW_KEY_S)) physics::moveCharacter(game.player, physics::MoveDirection::Backward);
    if (p.isKeyDown(GLFW_KEY_A)) physics::moveCharacter(game.player, physics::MoveDirection::Left);
    if (p.isKeyDown(GLFW_KEY_D)) physics::moveCharacter(game.player, physics::MoveDirection::Right);
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (auto* game = static_cast<Game*>(glfwGetWindowUserPointer(window))) {
        handleKey(*game, key, action);
    }
}

void mouseCallback(GLFWwindow* window, double xpos, double ypos) {
    if (auto* game = static_cast<Game*>(glfwGetWindowUserPointer(window))) {
        handleCursor(*game, xpos, ypos);
    }
}

void framebufferSizeCallback(GLFWwindow* /*window*/, int width, int height) {
    glViewport(0, 0, width, height);
}

}  // namespace app
