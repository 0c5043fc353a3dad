// Start-up, the frame loop and shutdown of the real game.
#include "app/game_main.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "app/debug_output.h"
#include "app/game_loop.h"
#include "app/game_rules.h"
#include "app/input.h"
#include "app/level_geometry.h"
#include "app/renderer.h"
#include "app/settings.h"
#include "app/system_seams.h"

namespace app {

namespace {

// After a failed start the console waits for Enter, but only when a person is at a terminal;
// scripts and tests get the exit status at once.
void waitForEnterIfInteractive() {
    if (!::isatty(STDIN_FILENO)) return;
    std::cout << "Press Enter to close . . ." << std::endl;
    int c = 0;
    while ((c = std::getchar()) != '\n' && c != EOF) {
    }
}

// The windowing library's description of its latest error, kept for a failed start to print.
std::string& lastWindowSystemError() {
    static std::string description;
    return description;
}

void recordWindowSystemError(int /*code*/, const char* description) {
    lastWindowSystemError() = description != nullptr ? description : "";
}

// `why` is the library's own reason, printed on a line of its own after ours when there is one.
int failStartup(const char* reason, const std::string& why = "") {
    glfwTerminate();
    std::cout << "ERROR: " << std::flush;
    std::cout << reason << std::endl;
    if (!why.empty()) std::cerr << "GLFW: " << why << std::endl;
    waitForEnterIfInteractive();
    return 1;
}

}  // namespace

GameSession::GameSession() : GameSession(systemClock) {}

GameSession::GameSession(Clock& chosen)
    : clock(chosen), game(std::make_unique<Game>(chosen, platform)) {}

GameSession::~GameSession() = default;

void GameSession::LateWindow::pollEvents() {
    if (real) real->pollEvents();
}
bool GameSession::LateWindow::isKeyDown(int key) const { return real && real->isKeyDown(key); }
std::optional<GamepadState> GameSession::LateWindow::gamepad() const {
    return real ? real->gamepad() : std::nullopt;
}
void GameSession::LateWindow::requestClose() {
    if (real) real->requestClose();
}
void GameSession::LateWindow::setWireframe(bool on) {
    if (real) real->setWireframe(on);
}
void GameSession::LateWindow::setFaceCulling(bool on) {
    if (real) real->setFaceCulling(on);
}

int startGame(GameSession& session) {
    Game& game = *session.game;
    Settings& settings = game.settings;
    loadSettings(kSettingsPath, settings);
    // The map's memory is faulted in while the window opens and the models load.
    session.shadowMapMemory.reserve();

    lastWindowSystemError().clear();
    glfwSetErrorCallback(recordWindowSystemError);
    if (!glfwInit()) return failStartup("Failed to init glfw", lastWindowSystemError());
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 6);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, settings.refresh_rate);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);

    GLFWwindow* window = nullptr;
    if (settings.fullscreen) {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (mode) {
            window = glfwCreateWindow(mode->width, mode->height, "Glimmerdeep", monitor, nullptr);
            settings.width = mode->width;
            settings.height = mode->height;
        }
    } else {
        // GLFW itself refuses a zero or negative size, and says so.
        window = glfwCreateWindow(settings.width, settings.height, "Glimmerdeep", nullptr, nullptr);
    }
    if (!window) return failStartup("Window not created", lastWindowSystemError());

    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return failStartup("GLEW not loaded");
    // The HDR targets take the window's size: one the driver cannot make a texture of stops the
    // game like a bad value in the settings file.
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    if (const std::string problem = windowSizeProblem(settings, maxTextureSize); !problem.empty()) {
        glfwTerminate();
        std::cerr << problem << std::endl;
        return 1;
    }
    session.window = window;
    session.platform.real = std::make_unique<GlfwPlatform>(window);

    glDebugMessageCallback(debugMessageCallback, nullptr);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    stbi_set_flip_vertically_on_load(false);

    session.renderer = std::make_unique<Renderer>();
    buildWorld(game, session.renderer->levelGeometry());

    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    if (glfwRawMouseMotionSupported()) glfwSetInputMode(window, GLFW_RAW_MOUSE_MOTION, GLFW_TRUE);
    glfwSetWindowUserPointer(window, &game);
    glfwSetKeyCallback(window, keyCallback);
    glfwSetCursorPosCallback(window, mouseCallback);
    glfwSetFramebufferSizeCallback(window, framebufferSizeCallback);

    session.renderer->createPrograms(settings);
    session.renderer->createTargets(settings, &session.shadowMapMemory);
    session.sound.start(std::string(kAssetDir) + "sounds/");
    session.sound.setVolume(settings.volume);
    // Last: the frame clock, the intro's ticks and the water's time start with the first frame.
    startClocks(game);
    return 0;
}

int runGame() {
    auto session = std::make_unique<GameSession>();
    if (const int status = startGame(*session); status != 0) return status;

    // The scene's scale follows the time from one swap to the next.
    double lastSwap = glfwGetTime();
    while (!glfwWindowShouldClose(session->window)) {
        runFrame(*session->game, session->renderer.get());
        session->sound.play(session->game->sound.frame);
        glfwSwapBuffers(session->window);
        const double now = glfwGetTime();
        session->renderer->frameTook(now - lastSwap);
        lastSwap = now;
    }

    glfwTerminate();
    // GL objects ended with the context; only our own objects are destroyed here.
    session.reset();
    return 0;
}

}  // namespace app
