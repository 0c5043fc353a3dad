// The real game's frames on a live context: the sun's map, kept from frame to frame, equals the
// map drawn afresh while the pieces move, the loose wall falls and a gem goes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "app/game_loop.h"
#include "app/renderer.h"
#include "physics/character_controller.h"
#include "support/gl_context.h"
#include "support/headless_game.h"

namespace {

struct Frames : testsupport::GlTest {};

// The map's texels under the sun's box, where every caster lands; the rest is never drawn.
std::vector<float> usedCorner(const effects::ShadowTarget& target) {
    const effects::TexelRect box =
        effects::boxTexels(effects::computeLightSpaceMatrix(), glm::mat4(1.0f),
                           effects::kSunCoverMin, effects::kSunCoverMax);
    const int width = box.x1 - box.x0;
    std::vector<float> depths(static_cast<std::size_t>(width) *
                              static_cast<std::size_t>(box.y1 - box.y0));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    // In strips: the driver stages each read in a copy of its own.
    for (int y = box.y0; y < box.y1; y += 512) {
        glReadPixels(
            box.x0, y, width, std::min(512, box.y1 - y), GL_DEPTH_COMPONENT, GL_FLOAT,
            &depths[static_cast<std::size_t>(y - box.y0) * static_cast<std::size_t>(width)]);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
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
    const auto frame = [&] {
        h.clock.advance(1.0 / 60.0);
        app::runFrame(game, &renderer);
    };
    const auto redrawnTexels = [&] {
        long texels = 0;
        for (const effects::TexelRect& r : map.redrawn())
            texels += long(r.x1 - r.x0) * (r.y1 - r.y0);
        return texels;
    };
    constexpr long kWholeMap = long(effects::kShadowSize) * effects::kShadowSize;

    frame();
    EXPECT_EQ(redrawnTexels(), kWholeMap) << "a new map is drawn whole";
    frame();
    EXPECT_TRUE(redrawnTexels() > 0 && redrawnTexels() < kWholeMap / 100)
        << "only the moving platform's texels are redrawn: " << redrawnTexels();
    // A tick steps the spikes; their new place shows a frame later.
    h.clock.advance(1.0);
    frame();
    frame();
    // Into the loose wall from the court until bricks fall, then a gem is taken.
    game.player.controller->setFootPosition(glm::dvec3(15.0, 0.0, 20.0));
    const glm::vec3 brick = game.world.actorPosition(game.actors.wallBricks[12]);
    h.keyPress(GLFW_KEY_W);
    for (int i = 0; i < 400 && glm::length(game.world.actorPosition(game.actors.wallBricks[12]) -
                                           brick) < 0.5f;
         ++i) {
        frame();
    }
    EXPECT_GT(glm::length(game.world.actorPosition(game.actors.wallBricks[12]) - brick), 0.5f);
    h.keyRelease(GLFW_KEY_W);
    const physics::TriggerPair gem{game.actors.gemShapes[2], game.actors.gemActors[2], nullptr,
                                   nullptr, physics::TriggerStatus::TouchFound};
    game.callback.onTrigger(&gem, 1);
    frame();
    frame();
    EXPECT_FALSE(game.rules.gemVisible[2]);

    const std::vector<float> kept = usedCorner(map.target);
    const render::Shader depth = testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt");
    map.draw(depth, effects::computeLightSpaceMatrix(), std::vector(map.casters()), true);
    effects::endShadowPass(64, 64);
    const std::vector<float> fresh = usedCorner(map.target);
    ASSERT_EQ(kept.size(), fresh.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        differing +=
            std::bit_cast<std::uint32_t>(kept[i]) != std::bit_cast<std::uint32_t>(fresh[i]);
    }
    EXPECT_EQ(differing, 0u) << "of " << kept.size() << " texels";
    // Turning face culling off changes what every caster writes: the map is drawn whole again.
    glDisable(GL_CULL_FACE);
    frame();
    EXPECT_EQ(redrawnTexels(), kWholeMap);
    // The renderer never deletes its objects; 400 MB is worth handing back here.
    glDeleteTextures(1, &map.target.depthMap);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

}  // namespace
