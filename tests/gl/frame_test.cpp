// The real game's frames on a live context: the sun's map, kept from frame to frame, equals the
// map drawn afresh while the pieces move, the loose wall falls and a gem goes; a scene drawn at a
// reduced scale keeps the HUD as sharp as at full size.
#include <gtest/gtest.h>

#include "app/renderer.h"
#include "app/scene_list.h"
#include "physics/character_controller.h"
#include "support/gl_context.h"
#include "support/headless_game.h"

namespace {

// The real game in a 160 x 96 window, past its intro.
struct Frames : testsupport::GlTest {
    void SetUp() override {
        GlTest::SetUp();
        game.settings.width = 160;
        game.settings.height = 96;
        renderer = std::make_unique<app::Renderer>();
        renderer->createPrograms(game.settings);
        renderer->createTargets(game.settings);
        h.skipIntro();
    }
    // The renderer never deletes its objects; 400 MB is worth handing back here.
    void TearDown() override {
        if (renderer) glDeleteTextures(1, &renderer->shadowMap().target.depthMap);
    }
    void frame() {
        h.clock.advance(1.0 / 60.0);
        app::runFrame(game, renderer.get());
    }
    testsupport::ScopedWorkingDirectory cwd{std::string(GLIMMER_SOURCE_DIR) + "/tests"};
    testsupport::HeadlessGame h{testsupport::realLevelGeometry()};
    app::Game& game = *h.game;
    // Made once the context is there.
    std::unique_ptr<app::Renderer> renderer;
};

// The map's depths under the sun's box, where every caster lands; the rest is never drawn.
std::vector<float> readCorner(const effects::ShadowTarget& target, float marker = -1.0f) {
    const effects::TexelRect r = effects::boxTexels(
        effects::computeLightSpaceMatrix(), glm::mat4(1.0f), effects::kSunCoverMin,
        effects::kSunCoverMax);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    // With a marker: first writes that depth, which no caster gives, over the whole corner.
    if (marker >= 0.0f) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        glClearDepth(marker);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glDisable(GL_SCISSOR_TEST);
    }
    std::vector<float> depths(std::size_t(r.x1 - r.x0) * std::size_t(r.y1 - r.y0));
    glReadPixels(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return depths;
}

TEST_F(Frames, TheKeptShadowMapEqualsAFreshOneWhilePiecesMoveBricksFallAndAGemGoes) {
    const effects::ShadowTarget& map = renderer->shadowMap().target;
    // The share of the corner that `change` and a frame redraw: the texels that lost a marker.
    const auto redrawn = [&](const std::function<void()>& change) {
        const float marker = readCorner(map, 0.123f)[0];
        change();
        frame();
        const std::vector<float> depths = readCorner(map);
        return 1.0 - double(std::count(depths.begin(), depths.end(), marker)) / depths.size();
    };
    // A new map is drawn whole; then only round the platform as it moves on; all of it again
    // without face culling (every caster writes other depths), and once more with it back.
    EXPECT_EQ(redrawn([&] { renderer->shadowMap().invalidate(); }), 1.0);
    const double platform = redrawn([] {});
    EXPECT_TRUE(platform > 0.0 && platform < 0.02) << platform;
    EXPECT_EQ(redrawn([] { glDisable(GL_CULL_FACE); }), 1.0);
    EXPECT_EQ(redrawn([] { glEnable(GL_CULL_FACE); }), 1.0);
    // A tick steps the spikes; they move in the next frame's physics step.
    h.clock.advance(1.0);
    for (int i = 0; i < 2; ++i) frame();
    // Into the loose wall from the court until a brick falls; then a gem goes.
    game.player.controller->setFootPosition(glm::dvec3(15.0, 0.0, 20.0));
    const glm::vec3 standing = game.world.actorPosition(game.actors.wallBricks[12]);
    const auto fallen = [&] {
        return glm::length(game.world.actorPosition(game.actors.wallBricks[12]) - standing);
    };
    h.keyPress(GLFW_KEY_W);
    for (int i = 0; i < 400 && fallen() < 0.5f; ++i) frame();
    EXPECT_GT(fallen(), 0.5f);
    game.rules.gemVisible[2] = false;
    frame();

    // The same casters drawn into a cleared map, from the frame's own list.
    const std::vector<float> kept = readCorner(map);
    std::vector<app::Placed> pieces;
    app::sceneList(game, pieces);
    std::vector<effects::ShadowCaster> casters;
    for (const app::Placed& placed : pieces) {
        if (app::castsShadow(placed.piece))
            casters.push_back({&renderer->model(placed.piece), placed.model});
    }
    renderer->shadowMap().draw(testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt"),
                              effects::computeLightSpaceMatrix(), casters, true);
    EXPECT_TRUE(kept == readCorner(map)) << "the kept map differs from a fresh one";
}

TEST_F(Frames, AtHalfScaleTheHudKeepsItsPixels) {
    game.input.showScore = true;
    // The window's pixels of one frame at a scale.
    const auto frameAt = [&](float scale) {
        renderer->renderScale().pin(scale);
        frame();
        std::vector<glm::u8vec4> pixels(160 * 96);
        glReadPixels(0, 0, 160, 96, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const std::vector<glm::u8vec4> full = frameAt(1.0f), half = frameAt(0.5f);
    // The score's glyph "0" at (25, 25): its inside is the HUD's red (the reddest pixel there) at
    // full size, and exactly the same pixels are that red at half size.
    std::uint8_t red = 0;
    for (const glm::u8vec4& p : full) red = p.g == 0 && p.b == 0 ? std::max(red, p.r) : red;
    int inside = 0, differ = 0;
    for (int y = 20; y < 60; ++y) {
        for (int x = 20; x < 60; ++x) {
            const std::size_t i = std::size_t(y * 160 + x);
            const bool fullRed = full[i] == glm::u8vec4(red, 0, 0, full[i].a);
            inside += fullRed;
            differ += fullRed != (half[i] == glm::u8vec4(red, 0, 0, half[i].a));
        }
    }
    EXPECT_TRUE(inside > 30 && differ == 0) << inside << " inside, " << differ << " differ";
}

}  // namespace
