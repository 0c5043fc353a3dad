// Real frames of the game at the settings' size along a scripted camera path, with the scene's
// scale following the frame time as in the game, against frames of the literal path (the scene
// at full size, the whole shadow map redrawn, the glow blurred at full size) and frames pinned at
// full size; also the time from process start to the first frame, and with --passes the time of
// each pass.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/game_loop.h"
#include "app/game_main.h"
#include "bench/bench_modes.h"
#include "physics/character_controller.h"

namespace bench {

LiteralPath::LiteralPath(app::Renderer& renderer, int width, int height)
    : renderer_(renderer), fullSizeGlow_(effects::createBlurTargets(width, height)) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void LiteralPath::run(const std::function<void()>& frame) {
    const app::RenderScale scale = renderer_.renderScale();
    const effects::BlurTargets glow = renderer_.glowTargets();
    renderer_.renderScale().pin(1.0f);
    renderer_.setGlowTargets(fullSizeGlow_);
    renderer_.shadowMap().invalidate();
    frame();
    renderer_.renderScale() = scale;
    renderer_.setGlowTargets(glow);
}

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds of processor time this process (all its threads, the renderer's included) has
// used: unlike the wall clock, hardly moved by other work on the machine.
double processorMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Seconds since this process started, from the kernel's own record of its start.
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Field 22 (start time in clock ticks after boot) follows the ")" that ends the name.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) fields >> field;
    const double startedAfterBoot =
        std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::ifstream uptime("/proc/uptime");
    double upSeconds = 0.0;
    uptime >> upSeconds;
    return upSeconds - startedAfterBoot;
}

// The camera walks a circle in the entrance court and turns, looking into the pit and back.
void placeCamera(app::Game& game, int frame) {
    const double angle = frame * 0.02;
    const glm::dvec3 foot(8.0 * std::sin(angle), 0.05, 38.0 + 8.0 * std::cos(angle));
    game.player.controller->setFootPosition(foot);
    physics::updateEye(game.player);
    game.player.camera.yaw = -90.0f + static_cast<float>(frame) * 1.2f;
    game.player.camera.pitch = 8.0f;
    game.player.camera.updateCameraAxes();
}

double timeFrame(const std::function<void()>& drawFrame, GLFWwindow* window) {
    const auto start = Clock::now();
    drawFrame();
    glfwSwapBuffers(window);
    glFinish();
    return millisecondsSince(start);
}

// With --passes: each pass of a frame is finished (glFinish) and timed on its own, the frame's
// logic and the swap too, and the medians are printed per pass in the frame's order: wall-clock
// milliseconds, then processor milliseconds.
class PassTimes {
public:
    void start() {
        last_ = Clock::now();
        lastCpu_ = processorMs();
    }
    void mark(const char* pass) {
        glFinish();
        const auto now = Clock::now();
        const double cpu = processorMs();
        if (std::find(order_.begin(), order_.end(), pass) == order_.end()) order_.push_back(pass);
        wall_[pass].push_back(std::chrono::duration<double, std::milli>(now - last_).count());
        cpu_[pass].push_back(cpu - lastCpu_);
        last_ = now;
        lastCpu_ = cpu;
    }
    void print(const char* label) const {
        double wallSum = 0.0;
        double cpuSum = 0.0;
        std::printf("%s passes (wall/cpu ms):", label);
        for (const std::string& pass : order_) {
            const double wall = summarize(wall_.at(pass)).median;
            const double cpu = summarize(cpu_.at(pass)).median;
            wallSum += wall;
            cpuSum += cpu;
            std::printf(" %s=%.1f/%.1f", pass.c_str(), wall, cpu);
        }
        std::printf(" sum=%.1f/%.1f\n", wallSum, cpuSum);
    }

private:
    Clock::time_point last_;
    double lastCpu_ = 0.0;
    std::vector<std::string> order_;
    std::map<std::string, std::vector<double>> wall_;
    std::map<std::string, std::vector<double>> cpu_;
};

}  // namespace

int runRenderBench(int argc, char** argv) {
    // Frames timed of each kind: 300 unless "--frames n" says otherwise.
    int timedFrames = 300;
    bool passes = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            timedFrames = std::max(5, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--passes") == 0) {
            passes = true;
        }
    }
    auto session = std::make_unique<app::GameSession>();
    if (const int status = app::startGame(*session); status != 0) return status;
    app::Game& game = *session->game;
    app::Renderer& renderer = *session->renderer;

    app::runFrame(game, &renderer);
    glfwSwapBuffers(session->window);
    glFinish();
    const double startup = secondsSinceProcessStart();

    LiteralPath literalPath(renderer, game.settings.width, game.settings.height);
    const auto gameFrame = [&] {
        app::runFrame(game, &renderer);
        session->sound.play(game.sound.frame);
    };
    // A frame at the scale the game would choose now; its time is what the game feeds the scale.
    const auto realFrame = [&](int frame) {
        placeCamera(game, frame);
        const double ms = timeFrame(gameFrame, session->window);
        renderer.frameTook(ms / 1000.0);
        return ms;
    };
    const auto pinnedFrame = [&](int frame) {
        placeCamera(game, frame);
        const app::RenderScale scale = renderer.renderScale();
        renderer.renderScale().pin(1.0f);
        const double ms = timeFrame(gameFrame, session->window);
        renderer.renderScale() = scale;
        return ms;
    };

    // The game's first moments, while the scale finds its level, are not timed: as in the game,
    // real frames follow each other until the scale has held for two seconds (ten at most).
    int frame = 0;
    for (double elapsed = 0.0, held = 0.0; held < 2000.0 && elapsed < 10000.0;) {
        const float before = renderer.renderScale().scale();
        const double ms = realFrame(frame++);
        elapsed += ms;
        held = renderer.renderScale().scale() == before ? held + ms : 0.0;
    }

    // Input stays off so that the scripted camera alone moves the view. The real frames come one
    // after another, as in the game, and only their times reach the scale; then the same poses
    // pinned at full size, then on the literal path (whose whole-map redraws would otherwise
    // flush the caches the real frames find warm).
    std::vector<double> real;
    std::vector<double> full;
    std::vector<double> literal;
    std::vector<double> scales;
    const int first = frame;
    for (int i = 0; i < timedFrames; ++i) {
        real.push_back(realFrame(first + i));
        scales.push_back(renderer.renderScale().scale());
    }
    for (int i = 0; i < timedFrames; ++i) full.push_back(pinnedFrame(first + i));
    for (int i = 0; i < timedFrames; ++i) {
        literalPath.run([&] {
            placeCamera(game, first + i);
            literal.push_back(timeFrame(gameFrame, session->window));
        });
    }
    frame = first + timedFrames;

    if (passes) {
        // Each kind of frame again, a pass at a time.
        const auto timedPasses = [&](PassTimes& into) {
            renderer.setPassObserver([&](const char* pass) { into.mark(pass); });
            into.start();
            gameFrame();
            glfwSwapBuffers(session->window);
            into.mark("swap");
            renderer.setPassObserver(nullptr);
        };
        const int passFrames = std::max(5, timedFrames / 5);
        PassTimes literalTimes;
        PassTimes fullTimes;
        PassTimes realTimes;
        for (int i = 0; i < passFrames; ++i, ++frame) {
            placeCamera(game, frame);
            literalPath.run([&] { timedPasses(literalTimes); });
            const app::RenderScale scale = renderer.renderScale();
            renderer.renderScale().pin(1.0f);
            timedPasses(fullTimes);
            renderer.renderScale() = scale;
            timedPasses(realTimes);
        }
        literalTimes.print("literal");
        fullTimes.print("full");
        realTimes.print("real");
    }
    glfwTerminate();

    const Stats realStats = summarize(real);
    const Stats fullStats = summarize(full);
    const Stats literalStats = summarize(literal);
    std::sort(scales.begin(), scales.end());
    std::printf("full_ms=%.2f full_p99_ms=%.2f literal_p99_ms=%.2f min_scale=%.3f\n",
                fullStats.median, fullStats.p99, literalStats.p99, scales.front());
    std::printf("median_ms=%.2f p99_ms=%.2f scale=%.3f literal_ms=%.2f ratio=%.2f startup_s=%.2f\n",
                realStats.median, realStats.p99, scales[scales.size() / 2], literalStats.median,
                realStats.median / literalStats.median, startup);
    return 0;
}

}  // namespace bench
