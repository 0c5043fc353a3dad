// glimmerdeep-bench play: runs the real game for a number of frames while a fixed script presses
// keys and moves the mouse through the handlers the GLFW callbacks call, or walks a route that
// ends in a death, with the game's sound on. The sanitizer stage of the test command runs it,
// the sound test listens to it; it draws nothing of its own and measures nothing.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "app/game_loop.h"
#include "app/game_main.h"
#include "app/input.h"
#include "app/system_seams.h"
#include "bench/bench_modes.h"
#include "physics/character_controller.h"

// g++ says __SANITIZE_ADDRESS__, clang says __has_feature(address_sanitizer).
#if defined(__SANITIZE_ADDRESS__)
#define GLIMMER_HAS_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLIMMER_HAS_LSAN 1
#endif
#endif
#ifndef GLIMMER_HAS_LSAN
#define GLIMMER_HAS_LSAN 0
#endif
#if GLIMMER_HAS_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace bench {

namespace {

// The real window, except that held keys come from the script: Xvfb has no keyboard to hold W.
class ScriptedPlatform : public app::GlfwPlatform {
public:
    explicit ScriptedPlatform(GLFWwindow* window) : app::GlfwPlatform(window) {}
    bool isKeyDown(int key) const override { return held.count(key) != 0; }
    std::set<int> held;
};

// One key press (and its release on the next frame) at a frame of a 100-frame cycle, so every
// switch is flipped at least once in the first hundred frames and back again later.
struct Tap {
    int frame;
    int key;
};

constexpr Tap kTaps[] = {
    {5, GLFW_KEY_F},
    {10, GLFW_KEY_B},
    {15, GLFW_KEY_C},
    {20, GLFW_KEY_M},
    {25, GLFW_KEY_Q},
    {30, GLFW_KEY_KP_ADD},
    {32, GLFW_KEY_KP_SUBTRACT},
    {35, GLFW_KEY_F1},
    {40, GLFW_KEY_F1},
    {45, GLFW_KEY_F2},
    {50, GLFW_KEY_F2},
    {55, GLFW_KEY_SPACE},
    {75, GLFW_KEY_LEFT_ALT},
    {95, GLFW_KEY_LEFT_ALT},
    {97, GLFW_KEY_UNKNOWN},
};

// Movement keys held over a span of the cycle [from, to).
struct Hold {
    int from;
    int to;
    int key;
};

constexpr Hold kHolds[] = {
    {0, 30, GLFW_KEY_W},  {30, 45, GLFW_KEY_D}, {45, 60, GLFW_KEY_S},
    {60, 75, GLFW_KEY_A}, {76, 94, GLFW_KEY_W},
};

// Where a route ends: in the water tank or on the spikes.
enum class Route { None, Water, Spikes };

struct PlayOptions {
    int frames = 300;
    bool skipIntro = true;
    Route route = Route::None;
};

bool parse(int argc, char** argv, PlayOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            o.frames = std::atoi(argv[++i]);
            if (o.frames <= 0) return false;
        } else if (arg == "--intro") {
            o.skipIntro = false;
        } else if (arg == "--route" && i + 1 < argc) {
            const std::string end = argv[++i];
            if (end != "water" && end != "spikes") return false;
            o.route = end == "water" ? Route::Water : Route::Spikes;
        } else {
            return false;
        }
    }
    return true;
}

// Feeds this frame's part of the script: taps, releases, crouch, held keys and the cursor.
void feedScript(app::Game& game, ScriptedPlatform& platform, int frame) {
    const int step = frame % 100;
    for (const Tap& tap : kTaps) {
        if (step == tap.frame) app::handleKey(game, tap.key, GLFW_PRESS);
        // A repeat never toggles; the release follows one frame later.
        if (step == tap.frame + 1) {
            app::handleKey(game, tap.key, GLFW_REPEAT);
            app::handleKey(game, tap.key, GLFW_RELEASE);
        }
    }
    // Crouch is held from the press to the release, like the player's Left Ctrl.
    if (step == 60) app::handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_PRESS);
    if (step == 72) app::handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_RELEASE);

    platform.held.clear();
    for (const Hold& hold : kHolds) {
        if (step >= hold.from && step < hold.to) platform.held.insert(hold.key);
    }

    // Screen pixels: a slow sweep right with a small nod up and down, and one big jerk a cycle
    // that swings the pitch past its clamp.
    const double x = 640.0 + 9.0 * frame;
    const double y = 360.0 + ((frame / 10) % 2 == 0 ? 4.0 : -4.0) * (frame % 10);
    app::handleCursor(game, x, step == 50 ? y - 5000.0 : y);
}

// A route through the level that holds every overlap of sounds the mix must take, in seconds
// of game time (frames come as fast as the machine draws them): a walk from the start with a
// jump, a walk into the loose brick wall (knocks, a jump landing among them), a drop onto the
// moving platform beside the spikes and a walk off its end (the hum, the clank, a landing and
// steps), then a fall into the water tank or onto the spikes. `from` is the last frame's time.
void feedRoute(app::Game& game, ScriptedPlatform& platform, Route route, double from, double to) {
    const auto at = [&](double t) { return from < t && t <= to; };
    const auto place = [&](const glm::dvec3& feet) {
        game.player.controller->setFootPosition(feet);
    };
    if (at(2.4)) place({15.0, 0.0, 20.0});
    if (at(4.5)) place({-15.0, 7.5, 0.0});
    if (at(6.3)) {
        place(route == Route::Water ? glm::dvec3(0.5, 6.0, 1.5) : glm::dvec3(-7.0, 12.5, 0.0));
    }
    if (at(1.2) || at(3.5)) app::handleKey(game, GLFW_KEY_SPACE, GLFW_PRESS);
    platform.held.clear();
    if (to < 2.2 || (to >= 2.5 && to < 4.3) || (to >= 4.9 && to < 6.0)) {
        platform.held.insert(GLFW_KEY_W);
    }
}

// Runs LeakSanitizer's exit check now, when built with it; the check at exit is then skipped.
void checkLeaksNow() {
#if GLIMMER_HAS_LSAN
    __lsan_do_leak_check();
#endif
}

}  // namespace

int runScriptedPlay(int argc, char** argv) {
    PlayOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: glimmerdeep-bench play [--frames n] [--intro] [--route water|spikes]\n");
        return 2;
    }
    auto session = std::make_unique<app::GameSession>();
    if (const int status = app::startGame(*session); status != 0) return status;
    app::Game& game = *session->game;
    // The session forwards to whatever platform it holds; ours keeps the real window.
    auto scripted = std::make_unique<ScriptedPlatform>(session->window);
    ScriptedPlatform& platform = *scripted;
    session->platform.real = std::move(scripted);
    if (options.skipIntro) {
        // The intro ends on the third tick; pretend three seconds have passed.
        game.rules.lastSecond -= 3;
    }

    // A route runs on for 4 s after the game has ended: its last sound, the 2 s sting, rings out
    // and a second of silence follows.
    const int frames = options.route == Route::None ? options.frames : 100000;
    const double start = glfwGetTime();
    double ended = start;
    double last = start;
    int frame = 0;
    for (; frame < frames; ++frame) {
        const double now = glfwGetTime();
        if (options.route == Route::None) {
            feedScript(game, platform, frame);
        } else if (game.rules.gameState == app::GameState::Playing) {
            feedRoute(game, platform, options.route, last - start, now - start);
            ended = now;
        } else if (now - ended > 4.0) {
            break;
        }
        last = now;
        app::runFrame(game, session->renderer.get());
        session->sound.play(game.sound.frame);
        glfwSwapBuffers(session->window);
    }
    // Escape last: the close request goes through the real window.
    app::handleKey(game, GLFW_KEY_ESCAPE, GLFW_PRESS);
    const bool closeRequested = glfwWindowShouldClose(session->window) == GLFW_TRUE;
    // A route that does not end in a death has failed.
    const bool routeDone =
        options.route == Route::None || game.rules.gameState == app::GameState::Lost;
    std::printf("play: %d frames, state %d, gems %d, close requested %s\n", frame,
                static_cast<int>(game.rules.gameState), game.rules.gemsCollected,
                closeRequested ? "yes" : "no");

    // Our own objects go first (GL objects end with the context), then LeakSanitizer looks while
    // the GL driver is still loaded: glfwTerminate unloads Mesa, and anything Mesa keeps after
    // that shows up as a leak in an unknown module that no suppression can name.
    session.reset();
    checkLeaksNow();
    glfwTerminate();
    return closeRequested && routeDone ? 0 : 1;
}

}  // namespace bench
