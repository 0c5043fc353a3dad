// Everything the game draws: the nine models, the programs, the targets and the passes of a frame.
#pragma once

#include <memory>
#include <optional>

#include "app/game_loop.h"
#include "app/hud.h"
#include "effects/bloom.h"
#include "effects/particles.h"
#include "effects/shadow_map.h"
#include "effects/skybox.h"
#include "effects/text_renderer.h"
#include "render/light_set.h"
#include "render/model.h"
#include "render/shader.h"

namespace app {

class Renderer : public FrameRenderer {
public:
    // Loads the nine models (the context must be current).
    Renderer();
    // The three models the physics cooks, as collision lists.
    LevelGeometry levelGeometry() const;
    // Global GL state, the text renderer and every shader program, in start-up order.
    void createPrograms(const Settings& settings);
    // HDR, blur and shadow targets, the particles and the programs' start values.
    void createTargets(const Settings& settings);

    void beginFrame(const Game& game) override;
    void beginShadowPass() override;
    void drawCaster(Caster caster, const glm::mat4& model) override;
    void endShadowPass(const Game& game) override;
    void drawPlayFrame(const Game& game) override;
    void drawEndScreen(const Game& game) override;

    // The frame as it was before its savings, for the benchmark and tests to measure and compare
    // against: the whole shadow map redrawn every frame and the glow blurred at the window's full
    // size. The game never sets it.
    void setLiteralPath(bool on);
    // The play frame's last pass: blurs the HDR target's bright part and draws the composite into
    // the window. The benchmark runs it again on a finished frame to compare the blur sizes.
    void bloomComposite(const Game& game);
    // The sun's map with the casters it holds (tests compare it with a full redraw).
    effects::ShadowMap& shadowMap() { return shadow_; }

    // The benchmark's reference frame: the same passes with the cheapest programs that still
    // write their outputs (casters into the shadow map, every object into the HDR target, ten
    // single-tap passes between the blur targets, the composite into the window).
    struct FloorPrograms {
        render::Shader depth;
        render::Shader flat;
        render::Shader copy;
    };
    void drawFloorFrame(const Game& game, const FloorPrograms& programs);
    // The look tests' outline of the statue: the window cleared to black and the statue's
    // triangles drawn from the camera with `flat` (which writes a constant colour), nothing else.
    void drawStatueMask(const Game& game, const render::Shader& flat);

private:
    void drawText(const std::vector<TextLine>& lines);
    void drawDepthPrepass(const glm::mat4& projectionView) const;
    // Made on first use; leaves framebuffer 0 bound.
    const effects::BlurTargets& fullSizeBlur();

    render::Model level_;
    render::Model platform_;
    render::Model brick_;
    render::Model lamp_;
    render::Model spikes_;
    render::Model gem_;
    render::Model statue_;
    render::Model waves_;
    render::Model speech_;

    std::unique_ptr<effects::TextRenderer> text_;
    std::unique_ptr<render::LightSet> sceneShader_;
    std::unique_ptr<render::LightSet> waveShader_;
    std::unique_ptr<render::LightSet> lampShader_;
    std::unique_ptr<render::LightSet> gemShader_;
    render::Shader particleShader_;
    render::Shader depthShader_;
    std::unique_ptr<effects::Skybox> skybox_;
    render::Shader blurShader_;
    render::Shader compositeShader_;
    render::Shader prepassShader_;
    effects::HdrTarget hdr_{};
    // Half the window's size; the full-size pair is made only for the literal path.
    effects::BlurTargets blur_{};
    std::optional<effects::BlurTargets> fullSizeBlur_;
    effects::ShadowMap shadow_;
    // This frame's casters, gathered during the shadow list and drawn at its end.
    std::vector<effects::ShadowCaster> casters_;
    bool literal_ = false;
    std::unique_ptr<effects::ParticleGenerator> particles_;
    glm::mat4 lightSpaceMatrix_{1.0f};
};

}  // namespace app
