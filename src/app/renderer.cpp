// The passes of a frame in their fixed order: shadows, the HDR scene, sky, bloom, end screens.
#include "app/renderer.h"

#include "app/hud.h"
#include "app/level_geometry.h"
#include "app/level_layout.h"

namespace app {

namespace {
constexpr const char* kLitVertex = "../assets/shaders/vShaderMultipleLights_textured.txt";
constexpr const char* kLitFragment = "../assets/shaders/fShaderMultipleLights_textured.txt";

std::string asset(const char* relative) { return std::string(kAssetDir) + relative; }

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
    // The level spans the whole pit, so every lamp would be evaluated on every pixel of it; cut
    // into cells of this size each gets only the two to four lamps whose light reaches it.
    constexpr float kCellSize = 12.0f;
    for (const render::Mesh& mesh : level_.meshes) {
        for (render::MeshCell& cell : render::cutIntoCells(mesh, kCellSize)) {
            levelCells_.push_back(LitCell{std::move(cell), {}, 0});
        }
    }
}

LevelGeometry Renderer::levelGeometry() const {
    return LevelGeometry{meshListsOf(level_, asset(kLevelModel)),
                         meshListsOf(brick_, asset(kBrickModel)),
                         meshListsOf(platform_, asset(kPlatformModel))};
}

const render::Model& Renderer::model(Piece piece) const {
    switch (piece) {
        case Piece::Level: return level_;
        case Piece::Brick: return brick_;
        case Piece::Lamp: return lamp_;
        case Piece::Gem: return gem_;
        case Piece::Platform: return platform_;
        case Piece::Spikes: return spikes_;
        case Piece::WallBrick: return brick_;
        case Piece::Speech: return speech_;
        case Piece::Waves: return waves_;
        case Piece::Statue: return statue_;
    }
    return level_;
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
    // The scene's lights never move: each cell's list is made once.
    for (LitCell& lit : levelCells_) {
        lit.lightCount = 0;
        const auto& positions = sceneShader_->lightPositions;
        for (int i = 0; i < static_cast<int>(positions.size()); ++i) {
            if (render::reaches(positions[static_cast<std::size_t>(i)],
                                render::LightSet::kPointRange, lit.cell.low, lit.cell.high)) {
                lit.lights[static_cast<std::size_t>(lit.lightCount++)] = i;
            }
        }
    }
}

void Renderer::createTargets(const Settings& settings, ShadowMapMemory* memory) {
    hdr_ = effects::createHdrTarget(settings.width, settings.height);
    glow_ = effects::createBlurTargets((settings.width + 1) / 2, (settings.height + 1) / 2);
    upscale_ = effects::createUpscaleTarget(settings.width, settings.height);
    ShadowMapMemory ownMemory;
    ShadowMapMemory& mapMemory = memory != nullptr ? *memory : ownMemory;
    mapMemory.handOver();
    shadow_.target = effects::createShadowTarget();
    mapMemory.restoreAllocator();
    particles_ = std::make_unique<effects::ParticleGenerator>(particleShader_);
    effects::setShadowMapUnit(sceneShader_->shader);
    effects::setBloomStartValues(blurShader_, compositeShader_);
    scale_ = RenderScale(settings.render_scale);
}

void Renderer::beginFrame(const Game& game) {
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, game.settings.width, game.settings.height);
    lightSpaceMatrix_ = effects::computeLightSpaceMatrix();
}

void Renderer::drawShadowPass(const Game& game) {
    passDone("physics");
    sceneList(game, pieces_);
    casters_.clear();
    for (const Placed& placed : pieces_) {
        if (castsShadow(placed.piece)) {
            casters_.push_back(effects::ShadowCaster{&model(placed.piece), placed.model});
        }
    }
    shadow_.draw(depthShader_, lightSpaceMatrix_, casters_, false);
    effects::endShadowPass(game.settings.width, game.settings.height);
    passDone("shadow");
}

void Renderer::drawText(const std::vector<TextLine>& lines) {
    for (const TextLine& line : lines) {
        text_->renderText(line.text, line.x, line.y, line.scale, line.color);
    }
}

Renderer::Program Renderer::programOf(Piece piece) {
    switch (piece) {
        case Piece::Lamp: return Program::Lamp;
        case Piece::Gem: return Program::Gem;
        case Piece::Waves: return Program::Wave;
        case Piece::Statue: return Program::Reflection;
        default: return Program::Scene;
    }
}

const render::Shader& Renderer::useProgram(Program program, const Game& game,
                                           const glm::mat4& projectionView) {
    const unsigned bit = 1u << static_cast<unsigned>(program);
    const bool first = (prepared_ & bit) == 0;
    prepared_ |= bit;
    const float brightness = game.settings.brightness;
    const physics::Camera& camera = game.player.camera;
    const bool flashlight = game.input.flashlightOn;
    switch (program) {
        case Program::Lamp:
            if (first) {
                lampShader_->applyLampLighting(brightness, camera, flashlight);
                lampShader_->shader.setUniformMat4("projectionView", projectionView);
            }
            lampShader_->shader.use();
            return lampShader_->shader;
        case Program::Gem:
            if (first) {
                gemShader_->applyGemLighting(brightness, camera, flashlight);
                gemShader_->shader.setUniformMat4("projectionView", projectionView);
            }
            gemShader_->shader.use();
            return gemShader_->shader;
        case Program::Wave: {
            const render::Shader& wave = waveShader_->shader;
            wave.use();
            if (first) {
                wave.setUniformMat4("projectionView", projectionView);
                wave.setUniformFloat("time", static_cast<float>(game.elapsedMs));
                wave.setUniformFloat("brightness", brightness);
                wave.setUniformVec3("viewPos", camera.position);
                wave.setUniformInt("material.diffuse", 0);
                wave.setUniformFloat("material.shininess", 100.0f);
                wave.setUniformVec3("dirLight.direction", glm::vec3(0.0f, -1.0f, 0.0f));
                wave.setUniformVec3("dirLight.color", glm::vec3(1.0f));
            }
            return wave;
        }
        case Program::Reflection: {
            const render::Shader& reflection = skybox_->reflectionShader;
            reflection.use();
            if (first) {
                reflection.setUniformMat4("projectionView", projectionView);
                reflection.setUniformVec3("cameraPos", camera.position);
                reflection.setUniformFloat("brightness", brightness);
                // The statue shows the toon bands too.
                reflection.setUniformInt("cells", game.input.celShadingEnabled ? 1 : 0);
            }
            return reflection;
        }
        case Program::None:
        case Program::Scene: break;
    }
    const render::Shader& scene = sceneShader_->shader;
    if (first) {
        sceneShader_->applySceneLighting(brightness, camera, flashlight);
        sceneShader_->setCelShading(game.input.celShadingEnabled);
        scene.setUniformMat4("projectionView", projectionView);
        effects::bindShadowMapForScene(scene, lightSpaceMatrix_, shadow_.target);
    }
    // Its uniforms are still set when it comes back after the lamps and gems.
    scene.use();
    return scene;
}

void Renderer::drawPlayFrame(const Game& game) {
    const int width = game.settings.width;
    const int height = game.settings.height;
    const physics::Camera camera = game.player.camera;
    // The scene fills the lower-left part of the HDR target that the scale gives; the composite
    // scales it up to the window.
    const effects::SceneRegion region = effects::sceneRegion(width, height, scale_.scale());
    const glm::mat4 projection =
        physics::projectionMatrix(width, height, game.settings.field_of_view);
    passDone("player");

    effects::bindHdrForScene(hdr_, region);
    passDone("clear");
    particles_->draw(camera, projection);
    particles_->update(game.deltaTime());
    passDone("particles");

    const glm::mat4 projectionView = projection * camera.viewMatrix();
    prepared_ = 0;
    Program current = Program::None;
    const char* const passNames[] = {"", "scene", "lamps", "gems", "water", "statue"};
    for (const Placed& placed : pieces_) {
        const Program program = programOf(placed.piece);
        if (program != current) {
            if (current != Program::None) passDone(passNames[static_cast<int>(current)]);
            current = program;
        }
        if (placed.piece == Piece::Level) {
            drawDepthPrepass(projectionView);
            passDone("prepass");
        }
        const render::Shader& shader = useProgram(program, game, projectionView);
        shader.setUniformMat4("model", placed.model);
        if (placed.piece == Piece::Level) {
            glDepthFunc(GL_LEQUAL);
            for (const LitCell& lit : levelCells_) {
                sceneShader_->listLights(lit.lights.data(), lit.lightCount);
                lit.cell.mesh.draw(shader);
            }
            sceneShader_->listAllLights();
            glDepthFunc(GL_LESS);
        } else {
            model(placed.piece).draw(shader);
        }
    }
    passDone(passNames[static_cast<int>(current)]);

    skybox_->drawSky(camera, projection, game.settings.brightness);
    passDone("sky");
    effects::blurGlow(blurShader_, hdr_, glow_, region);
    passDone("glow");
    effects::composite(compositeShader_, hdr_, glow_, upscale_, region,
                       game.input.bloomEnabled);
    passDone("composite");

    // The HUD goes over the finished picture at the window's own size, sharp at any scale, in the
    // colours the composite would have given it.
    glDisable(GL_DEPTH_TEST);
    text_->setToneMapped(true);
    drawText(overlayLines(game.rules, game.input, width, height));
    if (introShowing(game.rules)) drawText(introLines(width, height));
    glEnable(GL_DEPTH_TEST);
    passDone("text");
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
    // Straight into the window, in the line's own colour.
    glDisable(GL_DEPTH_TEST);
    text_->setToneMapped(false);
    drawText(endScreenLines(game.rules.gameState, game.settings.width, game.settings.height));
    glEnable(GL_DEPTH_TEST);
}

}  // namespace app
