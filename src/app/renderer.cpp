// The passes of a frame in their fixed order: shadows, the HDR scene, sky, bloom, end screens.
#include "app/renderer.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>

#include "app/hud.h"
#include "app/level_geometry.h"
#include "effects/render_quad.h"
#include "app/level_layout.h"

namespace app {

namespace {
constexpr const char* kLitVertex = "../assets/shaders/vShaderMultipleLights_textured.txt";
constexpr const char* kLitFragment = "../assets/shaders/fShaderMultipleLights_textured.txt";

std::string asset(const char* relative) { return std::string(kAssetDir) + relative; }

// The software renderer keeps the 10048 x 10048 shadow map (about 400 MB) in ordinary heap
// memory and zeroes it when it is created. Faulted in 4 KiB at a time that took over a second of
// start-up. So, just before the map is created, the heap's top is grown by that much, marked for
// transparent huge pages (2 MiB each: a few hundred faults instead of a hundred thousand) and
// given back without trimming; the driver's allocation then takes exactly that room. Where the
// allocator or the kernel does not play along nothing breaks, the map is only slower to make.
void prepareHugePagesForShadowMap() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t kHugePage = 2u << 20;
    const std::size_t bytes = static_cast<std::size_t>(effects::kShadowSize) *
                                  static_cast<std::size_t>(effects::kShadowSize) * 4u +
                              4 * kHugePage;
    // Big blocks normally get mappings of their own, which free() hands back to the kernel.
    mallopt(M_MMAP_MAX, 0);
    // Free room at the top of the heap is kept unless it exceeds this: twice the block.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * bytes));
    void* block = std::malloc(bytes);
    if (block != nullptr) {
        const auto start = reinterpret_cast<std::uintptr_t>(block);
        const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        std::free(block);
    }
#endif
}

// Back to the allocator's usual behaviour once the shadow map holds its memory.
void restoreAllocator() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    // glibc's defaults: 65536 mappings at most, trim above 128 KiB.
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}
}  // namespace

Renderer::Renderer()
    : level_(asset(kLevelModel)),
      platform_(asset(kPlatformModel)),
      brick_(asset(kBrickModel)),
      lamp_(asset(kLampModel)),
      spikes_(asset(kSpikesModel)),
      gem_(asset(kGemModel)),
      statue_(asset(kStatueModel)),
      waves_(asset(kWavesModel)),
      speech_(asset(kSpeechModel)) {
    // For the depth pre-pass (drawDepthPrepass); depth alone does not depend on the order.
    level_.reverseDrawOrder();
}

LevelGeometry Renderer::levelGeometry() const {
    return LevelGeometry{meshListsOf(level_, asset(kLevelModel)),
                         meshListsOf(brick_, asset(kBrickModel)),
                         meshListsOf(platform_, asset(kPlatformModel))};
}

void Renderer::createPrograms(const Settings& settings) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    text_ = std::make_unique<effects::TextRenderer>(settings.width, settings.height);
    sceneShader_ = std::make_unique<render::LightSet>(kLitVertex, kLitFragment);
    waveShader_ = std::make_unique<render::LightSet>("../assets/shaders/vShader_wave.txt",
                                                     "../assets/shaders/fShader_wave.txt");
    lampShader_ = std::make_unique<render::LightSet>(kLitVertex, kLitFragment);
    gemShader_ = std::make_unique<render::LightSet>(kLitVertex, kLitFragment);
    particleShader_ = render::Shader("../assets/shaders/vShader_particles.txt",
                                     "../assets/shaders/fShader_particles.txt");
    depthShader_ =
        render::Shader("../assets/shaders/vSimpleDepth.txt", "../assets/shaders/fSimpleDepth.txt");
    skybox_ = std::make_unique<effects::Skybox>();
    blurShader_ = render::Shader("../assets/shaders/vblur.txt", "../assets/shaders/fblur.txt");
    compositeShader_ = render::Shader("../assets/shaders/vbloom_final.txt",
                                      "../assets/shaders/fbloom_final.txt");
    prepassShader_ =
        render::Shader("../assets/shaders/vPrepass.txt", "../assets/shaders/fPrepass.txt");
}

void Renderer::createTargets(const Settings& settings) {
    hdr_ = effects::createHdrTarget(settings.width, settings.height);
    blur_ = effects::createBlurTargets((settings.width + 1) / 2, (settings.height + 1) / 2);
    prepareHugePagesForShadowMap();
    shadow_.target = effects::createShadowTarget();
    restoreAllocator();
    particles_ = std::make_unique<effects::ParticleGenerator>(particleShader_);
    effects::setShadowMapUnit(sceneShader_->shader);
    effects::setBloomStartValues(blurShader_, compositeShader_);
}

void Renderer::beginFrame(const Game& game) {
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, game.settings.width, game.settings.height);
    lightSpaceMatrix_ = effects::computeLightSpaceMatrix();
}

void Renderer::beginShadowPass() { casters_.clear(); }

void Renderer::drawCaster(Caster caster, const glm::mat4& model) {
    const render::Model* drawn = &level_;
    switch (caster) {
        case Caster::Level: drawn = &level_; break;
        case Caster::Brick: drawn = &brick_; break;
        case Caster::Lamp: drawn = &lamp_; break;
        case Caster::Gem: drawn = &gem_; break;
        case Caster::Platform: drawn = &platform_; break;
        case Caster::Spikes: drawn = &spikes_; break;
        case Caster::WallBrick: drawn = &brick_; break;
    }
    casters_.push_back(effects::ShadowCaster{drawn, model});
}

void Renderer::endShadowPass(const Game& game) {
    shadow_.draw(depthShader_, lightSpaceMatrix_, casters_, literal_);
    effects::endShadowPass(game.settings.width, game.settings.height);
}

void Renderer::drawText(const std::vector<TextLine>& lines) {
    for (const TextLine& line : lines) {
        text_->renderText(line.text, line.x, line.y, line.scale, line.color);
    }
}

void Renderer::drawPlayFrame(const Game& game) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    const float brightness = game.settings.brightness;
    const physics::Camera camera = game.player.camera;
    const glm::mat4 projection =
        physics::projectionMatrix(width, height, game.settings.field_of_view);

    effects::bindHdrForScene(hdr_);
    particles_->draw(camera, projection);
    particles_->update(game.deltaTime());
    drawText(overlayLines(game.rules, game.input, width, height));

    const glm::mat4 projectionView = projection * camera.viewMatrix();

    drawDepthPrepass(projectionView);
    const render::Shader& scene = sceneShader_->shader;
    sceneShader_->applySceneLighting(brightness, camera, game.input.flashlightOn);
    sceneShader_->setCelShading(game.input.celShadingEnabled);
    scene.setUniformMat4("projectionView", projectionView);
    effects::bindShadowMapForScene(scene, lightSpaceMatrix_, shadow_.target);
    scene.setUniformMat4("model", glm::mat4(1.0f));
    glDepthFunc(GL_LEQUAL);
    level_.draw(scene);
    glDepthFunc(GL_LESS);
    for (int b = 0; b < 2; ++b) {
        scene.setUniformMat4("model", layout::brickMatrix(b));
        brick_.draw(scene);
    }

    lampShader_->applyLampLighting(brightness, camera, game.input.flashlightOn);
    lampShader_->shader.setUniformMat4("projectionView", projectionView);
    for (int lamp = 0; lamp < 8; ++lamp) {
        lampShader_->shader.setUniformMat4("model", layout::lampMatrix(lamp));
        lamp_.draw(lampShader_->shader);
    }

    gemShader_->applyGemLighting(brightness, camera, game.input.flashlightOn);
    gemShader_->shader.setUniformMat4("projectionView", projectionView);
    for (int gem = 0; gem < 3; ++gem) {
        if (!game.rules.gemVisible[static_cast<size_t>(gem)]) continue;
        gemShader_->shader.setUniformMat4("model", layout::gemMatrix(gem));
        gem_.draw(gemShader_->shader);
    }

    scene.use();
    if (game.actors.platform) {
        scene.setUniformMat4("model",
                             layout::platformMatrix(game.world.actorPosition(game.actors.platform)));
        platform_.draw(scene);
    }
    if (game.actors.spikes) {
        scene.setUniformMat4("model",
                             layout::spikesMatrix(game.world.actorPosition(game.actors.spikes)));
        spikes_.draw(scene);
    }
    for (physics::Actor* brick : game.actors.wallBricks) {
        scene.setUniformMat4("model", layout::wallBrickMatrix(game.world.actorPosition(brick)));
        brick_.draw(scene);
    }

    // The intro: the statue's speech bubble and its two lines for the first three seconds.
    if (game.rules.secondsElapsed <= 2) {
        scene.setUniformMat4("model", layout::speechMatrix());
        speech_.draw(scene);
        drawText(introLines(width, height));
    }

    const render::Shader& wave = waveShader_->shader;
    wave.use();
    wave.setUniformMat4("model", layout::wavesMatrix());
    wave.setUniformMat4("projectionView", projectionView);
    wave.setUniformFloat("time", static_cast<float>(game.elapsedMs));
    wave.setUniformFloat("brightness", brightness);
    wave.setUniformVec3("viewPos", camera.position);
    wave.setUniformInt("material.diffuse", 0);
    wave.setUniformFloat("material.shininess", 100.0f);
    wave.setUniformVec3("dirLight.direction", glm::vec3(0.0f, -1.0f, 0.0f));
    wave.setUniformVec3("dirLight.color", glm::vec3(1.0f));
    waves_.draw(wave);

    const render::Shader& reflection = skybox_->reflectionShader;
    reflection.use();
    reflection.setUniformMat4("projectionView", projectionView);
    reflection.setUniformMat4("model", layout::statueMatrix());
    reflection.setUniformVec3("cameraPos", camera.position);
    reflection.setUniformFloat("brightness", brightness);
    statue_.draw(reflection);

    skybox_->drawSky(camera, projection, brightness);
    bloomComposite(game);
}

void Renderer::bloomComposite(const Game& game) {
    effects::bloomComposite(blurShader_, compositeShader_, hdr_,
                            literal_ ? fullSizeBlur() : blur_, game.input.bloomEnabled);
}

// As drawn, the level's surfaces pass the depth test about 1.35 times per pixel they cover, and
// each time the software renderer runs the lit program (ten lights, the sun's shadow), the
// frame's costliest. So the level's depth goes first, colour masked, and its lit draw then shades
// only its front surface (depth test LEQUAL). Where two of its surfaces meet at the same depth
// that lets the last drawn win, while LESS alone keeps the first; the level's triangles are kept
// in reverse order (see Renderer()) so that both show the same surface, and the picture stays the
// same pixel for pixel. The objects drawn after the level keep LESS against it, as before.
void Renderer::drawDepthPrepass(const glm::mat4& projectionView) const {
    prepassShader_.use();
    prepassShader_.setUniformMat4("projectionView", projectionView);
    prepassShader_.setUniformMat4("model", glm::mat4(1.0f));
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    level_.drawGeometry();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void Renderer::drawEndScreen(const Game& game) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawText(endScreenLines(game.rules.gameState, game.settings.width, game.settings.height));
}

void Renderer::setLiteralPath(bool on) {
    literal_ = on;
    // Made now rather than inside a timed frame.
    if (on) fullSizeBlur();
}

const effects::BlurTargets& Renderer::fullSizeBlur() {
    if (!fullSizeBlur_) {
        fullSizeBlur_ = effects::createBlurTargets(hdr_.width, hdr_.height);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    return *fullSizeBlur_;
}

void Renderer::drawFloorFrame(const Game& game, const FloorPrograms& programs) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Every object with its model, as the frame draws it.
    std::vector<std::pair<const render::Model*, glm::mat4>> objects;
    objects.emplace_back(&level_, glm::mat4(1.0f));
    objects.emplace_back(&brick_, layout::brickMatrix(0));
    objects.emplace_back(&brick_, layout::brickMatrix(1));
    for (int lamp = 0; lamp < 8; ++lamp) objects.emplace_back(&lamp_, layout::lampMatrix(lamp));
    for (int gem = 0; gem < 3; ++gem) objects.emplace_back(&gem_, layout::gemMatrix(gem));
    if (game.actors.platform) {
        objects.emplace_back(&platform_,
                             layout::platformMatrix(game.world.actorPosition(game.actors.platform)));
    }
    if (game.actors.spikes) {
        objects.emplace_back(&spikes_,
                             layout::spikesMatrix(game.world.actorPosition(game.actors.spikes)));
    }
    for (physics::Actor* brick : game.actors.wallBricks) {
        objects.emplace_back(&brick_, layout::wallBrickMatrix(game.world.actorPosition(brick)));
    }
    const size_t casters = objects.size();
    objects.emplace_back(&waves_, layout::wavesMatrix());
    objects.emplace_back(&statue_, layout::statueMatrix());

    programs.depth.use();
    programs.depth.setUniformMat4("lightSpaceMatrix", lightSpaceMatrix_);
    glViewport(0, 0, effects::kShadowSize, effects::kShadowSize);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow_.target.framebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    // Drawn without the real pass's offset: the next real frame starts from a cleared map.
    shadow_.invalidate();
    for (size_t i = 0; i < casters; ++i) {
        programs.depth.setUniformMat4("model", objects[i].second);
        objects[i].first->drawGeometry();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);

    const physics::Camera& camera = game.player.camera;
    glBindFramebuffer(GL_FRAMEBUFFER, hdr_.framebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    programs.flat.use();
    programs.flat.setUniformMat4(
        "projectionView", physics::projectionMatrix(width, height, game.settings.field_of_view) *
                              camera.viewMatrix());
    for (const auto& [model, matrix] : objects) {
        programs.flat.setUniformMat4("model", matrix);
        model->drawGeometry();
    }

    // At the window's full size, as the literal path blurs.
    const effects::BlurTargets& blur = fullSizeBlur();
    programs.copy.use();
    glActiveTexture(GL_TEXTURE0);
    for (int pass = 0; pass < effects::kBlurPasses; ++pass) {
        glBindFramebuffer(GL_FRAMEBUFFER, blur.framebuffers[pass % 2]);
        glBindTexture(GL_TEXTURE_2D,
                      pass == 0 ? hdr_.colorBuffers[1] : blur.textures[(pass + 1) % 2]);
        effects::renderQuad();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, hdr_.colorBuffers[0]);
    effects::renderQuad();
}

void Renderer::drawStatueMask(const Game& game, const render::Shader& flat) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    flat.use();
    flat.setUniformMat4("projectionView",
                        physics::projectionMatrix(width, height, game.settings.field_of_view) *
                            game.player.camera.viewMatrix());
    flat.setUniformMat4("model", layout::statueMatrix());
    statue_.drawGeometry();
}

}  // namespace app
