// Everything the game draws: the nine models, the programs, the targets and the passes of a frame.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/game_loop.h"
#include "app/hud.h"
#include "app/render_scale.h"
#include "app/scene_list.h"
#include "app/shadow_map_memory.h"
#include "effects/bloom.h"
#include "effects/particles.h"
#include "effects/shadow_map.h"
#include "effects/skybox.h"
#include "effects/text_renderer.h"
#include "render/light_set.h"
#include "render/mesh_cells.h"
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
    // HDR, blur and shadow targets, the particles, the programs' start values and the scene's
    // scale (the settings' render_scale). The map takes the room `memory` reserved, if given.
    void createTargets(const Settings& settings, ShadowMapMemory* memory = nullptr);

    void beginFrame(const Game& game) override;
    void drawShadowPass(const Game& game) override;
    void drawPlayFrame(const Game& game) override;
    void drawEndScreen(const Game& game) override;

    // The time from one buffer swap to the next: the scale follows it (see RenderScale).
    void frameTook(double seconds) { scale_.frameTook(seconds); }
    RenderScale& renderScale() { return scale_; }

    // Seams for the benchmark and tests; the game itself uses none of them.
    const render::Model& model(Piece piece) const;
    // The sun's map: invalidate() makes the next frame redraw all of it.
    effects::ShadowMap& shadowMap() { return shadow_; }
    // The glow's blur targets: half the window's size unless others are handed in (full-size
    // ones give the glow as it was first designed).
    const effects::BlurTargets& glowTargets() const { return glow_; }
    void setGlowTargets(const effects::BlurTargets& targets) { glow_ = targets; }
    // Called after each pass of a frame with the pass's name.
    void setPassObserver(std::function<void(const char*)> observer) {
        passObserver_ = std::move(observer);
    }

private:
    enum class Program { None, Scene, Lamp, Gem, Wave, Reflection };
    static Program programOf(Piece piece);
    void passDone(const char* pass) const {
        if (passObserver_) passObserver_(pass);
    }
    // Makes the piece's program current; the first time in a frame it also gets its uniforms.
    const render::Shader& useProgram(Program program, const Game& game,
                                     const glm::mat4& projectionView);
    void drawDepthPrepass(const glm::mat4& projectionView) const;
    void drawText(const std::vector<TextLine>& lines);

    render::Model level_;
    render::Model platform_;
    render::Model brick_;
    render::Model lamp_;
    render::Model spikes_;
    render::Model gem_;
    render::Model statue_;
    render::Model waves_;
    render::Model speech_;
    // The level cut into cells, each lit only by the point lights that reach it (see Renderer()).
    struct LitCell {
        render::MeshCell cell;
        std::array<int, std::tuple_size_v<decltype(render::LightSet::lightPositions)>> lights{};
        int lightCount = 0;
    };
    std::vector<LitCell> levelCells_;

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
    effects::BlurTargets glow_{};
    effects::UpscaleTarget upscale_{};
    effects::ShadowMap shadow_;
    std::unique_ptr<effects::ParticleGenerator> particles_;
    glm::mat4 lightSpaceMatrix_{1.0f};
    RenderScale scale_{kRenderScaleAuto};

    // This frame's pieces and the casters among them; kept so a steady frame allocates nothing.
    std::vector<Placed> pieces_;
    std::vector<effects::ShadowCaster> casters_;
    // Programs whose frame uniforms are set in the current play frame, one bit each.
    unsigned prepared_ = 0;
    std::function<void(const char*)> passObserver_;
};

}  // namespace app
