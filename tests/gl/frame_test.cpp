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

struct Frames : testsupport::GlTest {
    Frames() : cwd(std::string(GLIMMER_SOURCE_DIR) + "/tests") {}
    testsupport::ScopedWorkingDirectory cwd;
};

// The map's texels under the sun's box, where every caster lands; the rest is never drawn.
effects::TexelRect usedCorner() {
    return effects::boxTexels(effects::computeLightSpaceMatrix(), glm::mat4(1.0f),
                              effects::kSunCoverMin, effects::kSunCoverMax);
}

std::vector<float> readCorner(const effects::ShadowTarget& target) {
    const effects::TexelRect r = usedCorner();
    std::vector<float> depths(std::size_t(r.x1 - r.x0) * std::size_t(r.y1 - r.y0));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glReadPixels(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

// Writes a depth no caster gives over the whole corner; the next frame's redraw replaces it
// where it clears and draws, and leaves it elsewhere.
constexpr float kMarker = 0.123f;
void markCorner(const effects::ShadowTarget& target) {
    const effects::TexelRect r = usedCorner();
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    glClearDepth(kMarker);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// The share of the corner a frame redrew: the texels that lost the marker (as the map stores it).
double redrawnShare(const effects::ShadowTarget& target) {
    const std::vector<float> depths = readCorner(target);
    const auto marked = std::count_if(depths.begin(), depths.end(),
                                      [](float d) { return std::abs(d - kMarker) < 1e-6f; });
    return 1.0 - static_cast<double>(marked) / static_cast<double>(depths.size());
}

TEST_F(Frames, TheKeptShadowMapEqualsAFreshOneWhilePiecesMoveBricksFallAndAGemGoes) {
    testsupport::HeadlessGame h(testsupport::realLevelGeometry());
    app::Game& game = *h.game;
    game.settings.width = game.settings.height = 64;
    app::Renderer renderer;
    renderer.createPrograms(game.settings);
    renderer.createTargets(game.settings);
    h.skipIntro();
    const effects::ShadowTarget& map = renderer.shadowMap().target;
    const auto frame = [&] {
        h.clock.advance(1.0 / 60.0);
        app::runFrame(game, &renderer);
    };
    // The map drawn whole, then only round the platform as it moves on.
    for (const double share : {1.0, 0.02}) {
        if (share < 1.0) frame();
        markCorner(map);
        if (share == 1.0) renderer.shadowMap().invalidate();
        frame();
        const double redrawn = redrawnShare(map);
        EXPECT_TRUE(share == 1.0 ? redrawn == 1.0 : redrawn > 0.0 && redrawn < share) << redrawn;
    }
    // Without face culling every caster writes other depths: the map is drawn whole again, and
    // once more when culling comes back.
    for (const bool culling : {false, true}) {
        markCorner(map);
        culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        frame();
        EXPECT_EQ(redrawnShare(map), 1.0) << culling;
    }
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
            casters.push_back({&renderer.model(placed.piece), placed.model});
    }
    renderer.shadowMap().draw(testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt"),
                              effects::computeLightSpaceMatrix(), casters, true);
    EXPECT_TRUE(kept == readCorner(map)) << "the kept map differs from a fresh one";
    // The renderer never deletes its objects; 400 MB is worth handing back here.
    glDeleteTextures(1, &map.depthMap);
}

TEST_F(Frames, AtHalfScaleTheSceneFillsTheWindowAndTheHudKeepsItsPixels) {
    testsupport::HeadlessGame h(testsupport::realLevelGeometry());
    app::Game& game = *h.game;
    game.settings.width = 160;
    game.settings.height = 96;
    app::Renderer renderer;
    renderer.createPrograms(game.settings);
    renderer.createTargets(game.settings);
    h.skipIntro();
    game.input.showScore = true;
    // The window's pixels of one frame at a scale.
    const auto frameAt = [&](float scale) {
        renderer.renderScale().pin(scale);
        h.clock.advance(1.0 / 60.0);
        app::runFrame(game, &renderer);
        std::vector<glm::u8vec4> pixels(160 * 96);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadPixels(0, 0, 160, 96, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const std::vector<glm::u8vec4> full = frameAt(1.0f);
    const std::vector<glm::u8vec4> half = frameAt(0.5f);
    // The score's glyph "0" at (25, 25): its inside is the HUD's red (the reddest pixel there) at
    // full size, and exactly the same pixels are that red at half size.
    std::uint8_t red = 0;
    for (const glm::u8vec4& p : full) {
        if (p.g == 0 && p.b == 0) red = std::max(red, p.r);
    }
    const auto hudRed = [red](const glm::u8vec4& p) { return p == glm::u8vec4(red, 0, 0, p.a); };
    int inside = 0, differ = 0;
    for (int y = 20; y < 60; ++y) {
        for (int x = 20; x < 60; ++x) {
            const std::size_t i = std::size_t(y * 160 + x);
            inside += hudRed(full[i]);
            differ += hudRed(full[i]) && full[i] != half[i];
            differ += hudRed(half[i]) != hudRed(full[i]);
        }
    }
    EXPECT_GT(inside, 30);
    EXPECT_EQ(differ, 0);
    // The half-size scene is stretched over the whole window: its far corner is drawn (the sky,
    // or the level), not the cleared black.
    const glm::u8vec4 corner = half[std::size_t(95 * 160 + 159)];
    EXPECT_GT(corner.r + corner.g + corner.b, 0);
    glDeleteTextures(1, &renderer.shadowMap().target.depthMap);
}

}  // namespace
