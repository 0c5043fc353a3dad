// Key bindings, mouse look, W/A/S/D movement and the gamepad that stands in for them.
#include "app/input.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace app {

namespace {

// Below this deflection a stick counts as centred (worn sticks rest a little off their centre);
// the deflection beyond it is stretched back to the range 0 to 1.
constexpr float kStickDeadZone = 0.2f;
// The mouse travel, in pixels a second, that the right stick stands for at full tilt: a half turn
// a second at the default sensitivity of 0.2 degrees a pixel, faster or slower with it.
constexpr float kStickPixelsPerSecond = 900.0f;
// Back quits once held this long, in seconds: a press in passing ends nothing.
constexpr double kBackHoldSeconds = 1.0;

// Pad buttons that press a key, through the key handler, when they go down.
struct PadBinding {
    int button;
    int key;
};
constexpr PadBinding kPadKeys[] = {
    {GLFW_GAMEPAD_BUTTON_A, GLFW_KEY_SPACE},
    {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_KEY_F},
    {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, GLFW_KEY_B},
    {GLFW_GAMEPAD_BUTTON_DPAD_UP, GLFW_KEY_LEFT_ALT},
    {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, GLFW_KEY_C},
    {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, GLFW_KEY_KP_SUBTRACT},
    {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, GLFW_KEY_KP_ADD},
    {GLFW_GAMEPAD_BUTTON_Y, GLFW_KEY_Q},
    {GLFW_GAMEPAD_BUTTON_START, GLFW_KEY_M},
};

bool pressed(const GamepadState& pad, int button) {
    return pad.buttons[static_cast<std::size_t>(button)];
}

// B (circle) or a click of the left stick: crouch, held like left Ctrl.
bool padCrouches(const GamepadState& pad) {
    return pressed(pad, GLFW_GAMEPAD_BUTTON_B) || pressed(pad, GLFW_GAMEPAD_BUTTON_LEFT_THUMB);
}

// A stick's deflection with the dead zone cut out: zero inside it, then growing to length 1 at
// full tilt, in the stick's direction (x right, y down).
glm::vec2 stickTilt(const GamepadState& pad, int xAxis, int yAxis) {
    const glm::vec2 raw(pad.axes[static_cast<std::size_t>(xAxis)],
                        pad.axes[static_cast<std::size_t>(yAxis)]);
    const float length = glm::length(raw);
    // Also refuses a driver's NaN.
    if (!(length > kStickDeadZone)) return glm::vec2(0.0f);
    return raw / length * std::min((length - kStickDeadZone) / (1.0f - kStickDeadZone), 1.0f);
}

// Turns the view by travel in mouse pixels (x right, y up) at the settings' sensitivity, the
// vertical turned round for a player who asked for that.
void turnView(Game& game, float xoffset, float yoffset) {
    physics::Camera& camera = game.player.camera;
    camera.mouseSensitivity = game.settings.mouse_sensitivity;
    camera.turnCamera(xoffset, game.settings.invert_look ? -yoffset : yoffset);
}

// The pad's buttons against the last poll's, and the right stick's look for this frame.
void handleGamepad(Game& game) {
    InputSwitches& in = game.input;
    const GamepadState before = in.pad;
    // A pad that is gone leaves everything let go and centred: nothing it held stays held.
    in.pad = game.platform.gamepad().value_or(GamepadState{});
    const GamepadState& now = in.pad;
    for (const PadBinding& binding : kPadKeys) {
        if (pressed(now, binding.button) && !pressed(before, binding.button)) {
            handleKey(game, binding.key, GLFW_PRESS);
        }
    }
    // Letting go of the pad's crouch stands up only a player not also holding left Ctrl.
    if (padCrouches(now) && !padCrouches(before))
        handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_PRESS);
    if (!padCrouches(now) && padCrouches(before) &&
        !game.platform.isKeyDown(GLFW_KEY_LEFT_CONTROL)) {
        handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_RELEASE);
    }
    if (!pressed(now, GLFW_GAMEPAD_BUTTON_BACK)) {
        in.padBackSince = -1.0;
    } else if (!pressed(before, GLFW_GAMEPAD_BUTTON_BACK)) {
        in.padBackSince = game.clock.glfwTime();
    } else if (in.padBackSince >= 0.0 &&
               game.clock.glfwTime() - in.padBackSince >= kBackHoldSeconds) {
        in.padBackSince = -1.0;
        handleKey(game, GLFW_KEY_ESCAPE, GLFW_PRESS);
    }

    if (game.rules.gameState != GameState::Playing || !game.rules.inputEnabled) return;
    const glm::vec2 look = stickTilt(now, GLFW_GAMEPAD_AXIS_RIGHT_X, GLFW_GAMEPAD_AXIS_RIGHT_Y);
    // The turn grows with the square of the tilt, so that small deflections aim finely. Pushing
    // the stick up (negative y) looks up.
    const float pixels = glm::length(look) * kStickPixelsPerSecond * game.deltaTime();
    if (pixels > 0.0f) turnView(game, look.x * pixels, -look.y * pixels);
}

}  // namespace

void handleKey(Game& game, int key, int action) {
    InputSwitches& in = game.input;
    if (key == GLFW_KEY_LEFT_CONTROL) {
        if (action == GLFW_PRESS) game.player.crouchHeld = true;
        // The pad's crouch may still be held.
        if (action == GLFW_RELEASE) game.player.crouchHeld = padCrouches(game.input.pad);
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
    // The left stick: one move along each axis it is pushed on, as far as it is pushed (stick y
    // grows towards the player). Full tilt walks as fast as a key.
    const glm::vec2 walk =
        stickTilt(game.input.pad, GLFW_GAMEPAD_AXIS_LEFT_X, GLFW_GAMEPAD_AXIS_LEFT_Y);
    using physics::MoveDirection;
    if (walk.y != 0.0f) {
        physics::moveCharacter(game.player,
                               walk.y < 0.0f ? MoveDirection::Forward : MoveDirection::Backward,
                               std::abs(walk.y));
    }
    if (walk.x != 0.0f) {
        physics::moveCharacter(game.player,
                               walk.x > 0.0f ? MoveDirection::Right : MoveDirection::Left,
                               std::abs(walk.x));
    }
}

bool walkAsked(const Game& game) {
    if (!game.rules.inputEnabled) return false;
    for (int key : {GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_S, GLFW_KEY_D}) {
        if (game.platform.isKeyDown(key)) return true;
    }
    return stickTilt(game.input.pad, GLFW_GAMEPAD_AXIS_LEFT_X, GLFW_GAMEPAD_AXIS_LEFT_Y) !=
           glm::vec2(0.0f);
}

void pollEvents(Game& game) {
    game.platform.pollEvents();
    handleGamepad(game);
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
