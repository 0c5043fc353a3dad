// Real frames of the game at the settings' size along a scripted camera path, against frames of
// the literal path (the whole shadow map redrawn, the glow blurred at full size) and the cheapest
// frame the same passes allow; also the time from process start to the first frame.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/game_loop.h"
#include "app/game_main.h"
#include "bench/bench_modes.h"
#include "physics/character_controller.h"

namespace bench {

namespace {

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

std::string writeShader(const std::string& name, const std::string& source) {
    const std::string path = "/tmp/glimmer-bench-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path) << source;
    return path;
}

render::Shader floorProgram(const std::string& name, const std::string& vertex,
                            const std::string& fragment) {
    const std::string v = writeShader(name + ".vert", vertex);
    const std::string f = writeShader(name + ".frag", fragment);
    render::Shader shader(v.c_str(), f.c_str());
    std::remove(v.c_str());
    std::remove(f.c_str());
    return shader;
}

app::Renderer::FloorPrograms makeFloorPrograms() {
    const std::string meshVertex =
        "#version 460 core\nlayout(location = 0) in vec3 aPos;\nuniform mat4 model;\n"
        "uniform mat4 projectionView;\nvoid main() { gl_Position = projectionView * model * "
        "vec4(aPos, 1.0); }\n";
    const std::string depthVertex =
        "#version 460 core\nlayout(location = 0) in vec3 aPos;\nuniform mat4 model;\n"
        "uniform mat4 lightSpaceMatrix;\nvoid main() { gl_Position = lightSpaceMatrix * model * "
        "vec4(aPos, 1.0); }\n";
    const std::string quadVertex =
        "#version 460 core\nlayout(location = 0) in vec3 aPos;\nlayout(location = 1) in vec2 aUv;\n"
        "out vec2 uv;\nvoid main() { uv = aUv; gl_Position = vec4(aPos, 1.0); }\n";
    return app::Renderer::FloorPrograms{
        floorProgram("depth", depthVertex, "#version 460 core\nvoid main() {}\n"),
        floorProgram("flat", meshVertex,
                     "#version 460 core\nlayout(location = 0) out vec4 color;\n"
                     "layout(location = 1) out vec4 bright;\nvoid main() { color = vec4(0.5); "
                     "bright = vec4(0.0); }\n"),
        floorProgram("copy", quadVertex,
                     "#version 460 core\nin vec2 uv;\nuniform sampler2D image;\nout vec4 color;\n"
                     "void main() { color = vec4(texture(image, uv).rgb, 1.0); }\n")};
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
    const auto start = std::chrono::steady_clock::now();
    drawFrame();
    glfwSwapBuffers(window);
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int runRenderBench(int argc, char** argv) {
    // Real frames timed (300 unless "--frames n" says otherwise), as many literal ones; the floor
    // gets a fifth as many.
    int realFrames = 300;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--frames") realFrames = std::max(5, std::atoi(argv[i + 1]));
    }
    auto session = std::make_unique<app::GameSession>();
    if (const int status = app::startGame(*session); status != 0) return status;
    app::Game& game = *session->game;
    app::Renderer& renderer = *session->renderer;

    app::runFrame(game, &renderer);
    glfwSwapBuffers(session->window);
    glFinish();
    const double startup = secondsSinceProcessStart();

    // Input stays off so that the scripted camera alone moves the view. Each real frame follows a
    // frame of the literal path from the same pose, and every fifth pair a floor frame: drawn in
    // turn, all three see the same load on the machine, so their ratios hold even when other
    // work competes for the cores. The floor frame draws into the shadow map, so the literal frame
    // (which redraws all of it anyway) comes next, and the real frame finds the map as a real
    // frame after a real frame would.
    const app::Renderer::FloorPrograms programs = makeFloorPrograms();
    std::vector<double> frames;
    std::vector<double> literal;
    std::vector<double> floor;
    const auto gameFrame = [&] {
        app::runFrame(game, &renderer);
        session->sound.play(game.sound.frame);
    };
    for (int frame = 0; frame < realFrames; ++frame) {
        placeCamera(game, frame);
        if (frame % 5 == 4) {
            floor.push_back(
                timeFrame([&] { renderer.drawFloorFrame(game, programs); }, session->window));
        }
        renderer.setLiteralPath(true);
        literal.push_back(timeFrame(gameFrame, session->window));
        renderer.setLiteralPath(false);
        placeCamera(game, frame);
        frames.push_back(timeFrame(gameFrame, session->window));
    }
    glfwTerminate();

    const Stats real = summarize(frames);
    const Stats before = summarize(literal);
    const Stats reference = summarize(floor);
    std::printf("p99_ms=%.2f literal_p99_ms=%.2f\n", real.p99, before.p99);
    std::printf("median_ms=%.2f literal_ms=%.2f ratio=%.2f floor_ms=%.2f startup_s=%.2f\n",
                real.median, before.median, real.median / before.median, reference.median, startup);
    return 0;
}

}  // namespace bench
