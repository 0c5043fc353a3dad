// Start-up, the frame loop and shutdown of the real game.
#include "app/game_main.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "app/debug_output.h"
#include "app/game_loop.h"
#include "app/game_rules.h"
#include "app/input.h"
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

int failStartup(const char* reason) {
    glfwTerminate();
    std::cout << "ERROR: " << std::flush;
    std::cout << reason << std::endl;
    waitForEnterIfInteractive();
    return 1;
}

}  // namespace

int runGame() {
    SystemClock clock;
    // The window seam needs the window, which comes later; the game reaches it through this.
    struct LateWindow : Platform {
        std::unique_ptr<GlfwPlatform> real;
        void pollEvents() override { real->pollEvents(); }
        bool isKeyDown(int key) const override { return real->isKeyDown(key); }
        void requestClose() override { real->requestClose(); }
        void setWireframe(bool on) override { real->setWireframe(on); }
        void setFaceCulling(bool on) override { real->setFaceCulling(on); }
    } platform;

    auto game = std::make_unique<Game>(clock, platform);
    Settings& settings = game->settings;
    loadSettings(kSettingsPath, settings);

    if (!glfwInit()) return failStartup("Failed to init glfw");
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
    } else if (settings.width > 0 && settings.height > 0) {
        window = glfwCreateWindow(settings.width, settings.height, "Glimmerdeep", nullptr, nullptr);
    }
    if (!window) return failStartup("Window not created");

    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return failStartup("GLEW not loaded");
    platform.real = std::make_unique<GlfwPlatform>(window);

    glDebugMessageCallback(debugMessageCallback, nullptr);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    stbi_set_flip_vertically_on_load(false);

    auto renderer = std::make_unique<Renderer>();
    buildWorld(*game, renderer->levelGeometry());

    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    if (glfwRawMouseMotionSupported()) glfwSetInputMode(window, GLFW_RAW_MOUSE_MOTION, GLFW_TRUE);
    glfwSetWindowUserPointer(window, game.get());
    glfwSetKeyCallback(window, keyCallback);
    glfwSetCursorPosCallback(window, mouseCallback);
    glfwSetFramebufferSizeCallback(window, framebufferSizeCallback);

    renderer->createPrograms(settings);
    startClocks(*game);
    renderer->createTargets(settings);

    while (!glfwWindowShouldClose(window)) {
        runFrame(*game, renderer.get());
        glfwSwapBuffers(window);
    }

    glfwTerminate();
    // GL objects ended with the context; only our own objects are destroyed here.
    renderer.reset();
    game.reset();
    return 0;
}

}  // namespace app
