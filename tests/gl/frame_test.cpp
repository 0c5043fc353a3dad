// The real game's frames on a live context: the sun's map, kept from frame to frame, equals the
// map drawn afresh while the pieces move, the loose wall falls and a gem goes.
#include <gtest/gtest.h>

#include "app/renderer.h"
#include "physics/character_controller.h"
#include "support/gl_context.h"
#include "support/headless_game.h"

namespace {

struct Frames : testsupport::GlTest {};

// The map's texels under the sun's box, where every caster lands; the rest is never drawn.
std::vector<float> usedCorner(const effects::ShadowTarget& target) {
    const effects::TexelRect r =
        effects::boxTexels(effects::computeLightSpaceMatrix(), glm::mat4(1.0f),
                           effects::kSunCoverMin, effects::kSunCoverMax);
    std::vector<float> depths(std::size_t(r.x1 - r.x0) * std::size_t(r.y1 - r.y0));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glReadPixels(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

TEST_F(Frames, TheKeptShadowMapEqualsAFreshOneWhilePiecesMoveBricksFallAndAGemGoes) {
    testsupport::ScopedWorkingDirectory cwd(std::string(GLIMMER_SOURCE_DIR) + "/tests");
    testsupport::HeadlessGame h(testsupport::realLevelGeometry());
    app::Game& game = *h.game;
    game.settings.width = game.settings.height = 64;
    app::Renderer renderer;
    renderer.createPrograms(game.settings);
    renderer.createTargets(game.settings);
    h.skipIntro();
    effects::ShadowMap& map = renderer.shadowMap();
    // One frame; returns the texels it redrew.
    const auto frame = [&] {
        h.clock.advance(1.0 / 60.0);
        app::runFrame(game, &renderer);
        long texels = 0;
        for (const effects::TexelRect& r : map.redrawn())
            texels += long(r.x1 - r.x0) * (r.y1 - r.y0);
        return texels;
    };
    constexpr long kWholeMap = long(effects::kShadowSize) * effects::kShadowSize;
    EXPECT_EQ(frame(), kWholeMap) << "a new map is drawn whole";
    const long platformOnly = frame();
    EXPECT_TRUE(platformOnly > 0 && platformOnly < kWholeMap / 100) << platformOnly;
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

    const std::vector<float> kept = usedCorner(map.target);
    map.draw(testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt"),
             effects::computeLightSpaceMatrix(), std::vector(map.casters()), true);
    EXPECT_TRUE(kept == usedCorner(map.target)) << "the kept map differs from a fresh one";
    // Without face culling every caster writes other depths: the map is drawn whole again.
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(frame(), kWholeMap);
    // The renderer never deletes its objects; 400 MB is worth handing back here.
    glDeleteTextures(1, &map.target.depthMap);
}

}  // namespace
