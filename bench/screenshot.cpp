// glimmerdeep-bench shot: runs the real game, puts the camera at a fixed pose, and writes what
// the window shows as a PNG. Used by the look tests and for the README's picture.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "app/game_loop.h"
#include "app/game_main.h"
#include "app/input.h"
#include "app/level_layout.h"
#include "bench/bench_modes.h"
#include "physics/character_controller.h"

namespace bench {

namespace {

struct ShotOptions {
    glm::dvec3 foot{0.0, 0.0, 50.0};
    float yaw = -90.0f;
    float pitch = 0.0f;
    int frames = 4;
    bool skipIntro = true;
    bool bloom = true;
    bool flashlight = true;
    bool cel = true;
    bool fly = false;
    std::string out = "shot.png";
    // World points whose window pixel is printed, so a test knows where to look.
    std::vector<glm::vec3> probes;
    // Where to write the statue's outline (white on black) seen from the same pose; empty: none.
    std::string statueMask;
    // The literal path's frames instead of the game's (see LiteralPath).
    bool literal = false;
    // The scale the scene is pinned at; 0: full scale.
    float scale = 0.0f;
};

bool parse(int argc, char** argv, ShotOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--at") {
            if (std::sscanf(next(), "%lf,%lf,%lf", &o.foot.x, &o.foot.y, &o.foot.z) != 3) {
                return false;
            }
        } else if (arg == "--yaw") {
            o.yaw = std::strtof(next(), nullptr);
        } else if (arg == "--pitch") {
            o.pitch = std::strtof(next(), nullptr);
        } else if (arg == "--frames") {
            o.frames = std::atoi(next());
        } else if (arg == "--intro") {
            o.skipIntro = false;
        } else if (arg == "--no-bloom") {
            o.bloom = false;
        } else if (arg == "--no-flashlight") {
            o.flashlight = false;
        } else if (arg == "--no-cel") {
            o.cel = false;
        } else if (arg == "--fly") {
            o.fly = true;
        } else if (arg == "--out") {
            o.out = next();
        } else if (arg == "--probe") {
            glm::vec3 p(0.0f);
            if (std::sscanf(next(), "%f,%f,%f", &p.x, &p.y, &p.z) != 3) return false;
            o.probes.push_back(p);
        } else if (arg == "--statue-mask") {
            o.statueMask = next();
        } else if (arg == "--literal") {
            o.literal = true;
        } else if (arg == "--scale") {
            o.scale = std::strtof(next(), nullptr);
            if (!(o.scale >= 0.25f && o.scale <= 1.0f)) return false;
        } else {
            return false;
        }
    }
    return true;
}

void place(app::Game& game, const ShotOptions& o) {
    game.player.controller->setFootPosition(o.foot);
    physics::updateEye(game.player);
    game.player.camera.yaw = o.yaw;
    game.player.camera.pitch = o.pitch;
    game.player.camera.updateCameraAxes();
}

bool writeWindow(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL rows run bottom to top; a PNG's top to bottom.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(path.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}

// Prints "probe x,y,z -> column row" per point: the pixel of a PNG row-major from the top-left
// corner, or "behind" when the point is behind the camera.
void printProbes(const app::Game& game, const std::vector<glm::vec3>& probes) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    const glm::mat4 projectionView =
        physics::projectionMatrix(width, height, game.settings.field_of_view) *
        game.player.camera.viewMatrix();
    for (const glm::vec3& p : probes) {
        const glm::vec4 clip = projectionView * glm::vec4(p, 1.0f);
        std::printf("probe %g,%g,%g -> ", static_cast<double>(p.x), static_cast<double>(p.y),
                    static_cast<double>(p.z));
        if (clip.w <= 0.0f) {
            std::printf("behind\n");
            continue;
        }
        const float column = (clip.x / clip.w * 0.5f + 0.5f) * static_cast<float>(width);
        const float row = (0.5f - clip.y / clip.w * 0.5f) * static_cast<float>(height);
        std::printf("%d %d\n", static_cast<int>(column), static_cast<int>(row));
    }
    std::fflush(stdout);
}

// A program that writes white wherever a mesh covers, through "projectionView" and "model".
render::Shader flatWhiteProgram() {
    const std::string stem = "/tmp/glimmer-shot-" + std::to_string(::getpid());
    const std::string vertexPath = stem + ".vert";
    const std::string fragmentPath = stem + ".frag";
    std::ofstream(vertexPath) << "#version 460 core\nlayout(location = 0) in vec3 aPos;\n"
                                 "uniform mat4 model;\nuniform mat4 projectionView;\n"
                                 "void main() { gl_Position = projectionView * model * "
                                 "vec4(aPos, 1.0); }\n";
    std::ofstream(fragmentPath) << "#version 460 core\nout vec4 color;\n"
                                   "void main() { color = vec4(1.0); }\n";
    render::Shader shader(vertexPath.c_str(), fragmentPath.c_str());
    std::remove(vertexPath.c_str());
    std::remove(fragmentPath.c_str());
    return shader;
}

// The statue's outline from the camera: the window cleared to black and the statue's triangles
// drawn in white, nothing else.
void drawStatueMask(const app::Game& game, const render::Model& statue) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    const render::Shader flat = flatWhiteProgram();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    flat.use();
    flat.setUniformMat4("projectionView",
                        physics::projectionMatrix(width, height, game.settings.field_of_view) *
                            game.player.camera.viewMatrix());
    flat.setUniformMat4("model", app::layout::statueMatrix());
    statue.drawGeometry();
}

}  // namespace

int runScreenshot(int argc, char** argv) {
    ShotOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: glimmerdeep-bench shot [--at x,y,z] [--yaw deg] [--pitch deg] "
                     "[--frames n] [--intro] [--no-bloom] [--no-flashlight] [--no-cel] [--fly] "
                     "[--out file.png] [--probe x,y,z]... [--statue-mask file.png] "
                     "[--literal] [--scale s]\n");
        return 2;
    }
    // Every frame is a sixtieth of a second after the one before, however long it takes to
    // draw: the moving pieces, the water and the rain come out the same in every run.
    StepClock clock;
    clock.seconds = 1000.0;
    auto session = std::make_unique<app::GameSession>(clock);
    if (const int status = app::startGame(*session); status != 0) return status;
    app::Game& game = *session->game;
    app::Renderer& renderer = *session->renderer;
    // Pictures are compared with each other and with what a fast machine shows: the full scale
    // unless asked otherwise.
    renderer.renderScale().pin(options.scale > 0.0f ? options.scale : 1.0f);
    LiteralPath literalPath(renderer, game.settings.width, game.settings.height);
    if (options.skipIntro) {
        // The intro ends on the third tick; pretend three seconds have passed.
        game.rules.lastSecond -= 3;
    }
    game.input.bloomEnabled = options.bloom;
    game.input.flashlightOn = options.flashlight;
    game.input.celShadingEnabled = options.cel;
    game.player.gravityEnabled = !options.fly;
    for (int frame = 0; frame < options.frames; ++frame) {
        place(game, options);
        clock.seconds += 1.0 / 60.0;
        if (options.literal) {
            literalPath.run([&] { app::runFrame(game, &renderer); });
        } else {
            app::runFrame(game, &renderer);
        }
        if (frame + 1 == options.frames) {
            glFinish();
            if (!writeWindow(options.out, game.settings.width, game.settings.height)) {
                std::fprintf(stderr, "could not write %s\n", options.out.c_str());
                return 1;
            }
            printProbes(game, options.probes);
            if (!options.statueMask.empty()) {
                drawStatueMask(game, renderer.model(app::Piece::Statue));
                glFinish();
                if (!writeWindow(options.statueMask, game.settings.width, game.settings.height)) {
                    std::fprintf(stderr, "could not write %s\n", options.statueMask.c_str());
                    return 1;
                }
            }
        }
        glfwSwapBuffers(session->window);
    }
    glfwTerminate();
    return 0;
}

}  // namespace bench
