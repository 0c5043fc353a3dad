// The effects on a live context: the shadow pass, the glow blur and composite, the sky, the
// particle rain and the screen text. (The statue's reflection is judged on real frames by the
// look test.)
#include <gtest/gtest.h>

#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>

#include "effects/bloom.h"
#include "effects/particles.h"
#include "effects/shadow_map.h"
#include "effects/skybox.h"
#include "effects/text_renderer.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;
using testsupport::gameProgram;
using testsupport::glInteger;
using testsupport::Target;

// The game's run folder in the source tree: "../assets/" there is the real one.
const std::string kGameRun = std::string(GLIMMER_SOURCE_DIR) + "/tests";
constexpr glm::u8vec3 kFaceColors[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                        {255, 255, 0}, {0, 255, 255}, {200, 100, 50}};

struct Effects : testsupport::GlTest {};

using testsupport::toDisplay;
using testsupport::toLinear;
glm::vec3 toLinear(const glm::vec3& c) { return {toLinear(c.r), toLinear(c.g), toLinear(c.b)}; }

TEST_F(Effects, TheShadowPassCullsFrontFacesPushesDepthsBackAndGivesTheWindowBackAsItFoundIt) {
    effects::ShadowMap map;
    map.target = effects::createShadowTarget();
    map.draw(gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt"),
             effects::computeLightSpaceMatrix(), {}, true);
    // Front faces culled (the casters' backs write depth) and depths pushed back.
    EXPECT_EQ(glm::ivec2(glInteger(GL_CULL_FACE_MODE), glIsEnabled(GL_POLYGON_OFFSET_FILL)),
              glm::ivec2(GL_FRONT, GL_TRUE));
    effects::endShadowPass(64, 48);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(
        std::vector<GLint>({glInteger(GL_FRAMEBUFFER_BINDING), viewport[2], viewport[3],
                            glInteger(GL_CULL_FACE_MODE), glIsEnabled(GL_POLYGON_OFFSET_FILL)}),
        std::vector<GLint>({0, 64, 48, GL_BACK, GL_FALSE}));
    glDeleteTextures(1, &map.target.depthMap);
}

TEST_F(Effects, ABrightSpotGlowsRoundKeepingItsEnergyAndToneMappingKeepsHues) {
    // The shared window's size; the spot sits in its middle.
    constexpr int kSize = 256, kSpot = 128 * kSize + 128;
    const render::Shader blur = gameProgram("vblur.txt", "fblur.txt");
    const render::Shader composite = gameProgram("vbloom_final.txt", "fbloom_final.txt");
    const effects::HdrTarget hdr = effects::createHdrTarget(kSize, kSize);
    const effects::BlurTargets whole = effects::createBlurTargets(kSize, kSize);
    const effects::BlurTargets half = effects::createBlurTargets(kSize / 2, kSize / 2);
    effects::setBloomStartValues(blur, composite);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kSize, kSize);
    const auto at = [&](const std::vector<glm::vec4>& pixels, int dx, int dy) {
        return pixels[static_cast<std::size_t>(kSpot + dy * kSize + dx)].r;
    };
    const auto texels = [&](GLuint id) {
        std::vector<glm::vec4> pixels(kSize * kSize);
        glBindTexture(GL_TEXTURE_2D, id);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    };
    // The scene colour everywhere, a bright texel at the spot; blurred and composited into the
    // window in the game's standing state, which the passes must give back.
    const auto composited = [&](const glm::vec3& scene, float spot, bool on,
                                bool halfSize = false) {
        std::vector<glm::vec4> pixels(kSize * kSize, glm::vec4(scene, 1)), bright(pixels.size());
        bright[kSpot] = glm::vec4(spot);
        for (int i = 0; i < 2; ++i) {
            glBindTexture(GL_TEXTURE_2D, hdr.colorBuffers[i]);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSize, kSize, GL_RGBA, GL_FLOAT,
                            (i == 0 ? pixels : bright).data());
        }
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        const effects::SceneRegion region = effects::sceneRegion(kSize, kSize, 1.0f);
        effects::blurGlow(blur, hdr, halfSize ? half : whole, region);
        effects::composite(composite, hdr, halfSize ? half : whole, {}, region, on);
        EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_DEPTH_TEST)) << "state restored";
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    };
    const std::vector<glm::vec4> off = composited(glm::vec3(0.0f), 16.0f, false);
    const std::vector<glm::vec4> on = composited(glm::vec3(0.0f), 16.0f, true);
    // The last blur pass wrote texture 0: the glow itself, before tone mapping.
    const std::vector<glm::vec4> glow = texels(whole.textures[0]);
    float previous = at(glow, 0, 0), sum = 0.0f;
    EXPECT_TRUE(previous > 0.0f && previous < 8.0f);
    for (const int d : {3, 5, 8}) {
        // Fading with distance, evenly in every direction as the passes alternate.
        EXPECT_TRUE(at(glow, d, 0) > 0.0f && at(glow, d, 0) < previous);
        previous = at(glow, d, 0);
        for (const glm::ivec2 other : {glm::ivec2(-d, 0), glm::ivec2(0, d), glm::ivec2(0, -d)})
            EXPECT_NEAR(at(glow, other.x, other.y), previous, 0.05f * previous) << d;
    }
    EXPECT_LT(at(glow, 20, 0), at(glow, 0, 0) * 0.01f);
    for (const glm::vec4& texel : glow) sum += texel.r;
    EXPECT_NEAR(sum, 16.0f, 0.8f) << "the glow only spreads the light";
    for (const int d : {0, 2, 4}) EXPECT_TRUE(at(on, d, 0) > 0.02f && at(off, d, 0) == 0.0f) << d;
    // Blurred at half size, the glow keeps its width and strength: the picture moves by less than
    // 16/255 anywhere, even round a single bright pixel, the hardest case.
    const std::vector<glm::vec4> halfOn = composited(glm::vec3(0.0f), 16.0f, true, true);
    float furthest = 0.0f;
    for (std::size_t i = 0; i < on.size(); ++i)
        furthest = std::max(furthest, std::abs(halfOn[i].r - on[i].r));
    EXPECT_LT(furthest, 16.0f / 255.0f) << furthest * 255.0f;
    // A bright orange far above 1 stays orange, not white; an ordinary colour comes through as
    // drawn; brighter input never comes out darker.
    const auto plain = [&](const glm::vec3& scene) {
        return glm::vec3(composited(scene, 0, 0)[0]);
    };
    // The window holds display values: in linear light the orange keeps its hue.
    const glm::vec3 orange = toLinear(plain({4.0f, 1.0f, 0.5f}));
    EXPECT_TRUE(orange.r > 0.9f && orange.r <= 1.0f) << orange.r;
    EXPECT_LT(glm::length(orange / orange.r - glm::vec3(1.0f, 0.25f, 0.125f)), 0.02f);
    EXPECT_LT(glm::length(toLinear(plain({0.3f, 0.2f, 0.1f})) - glm::vec3(0.3f, 0.2f, 0.1f)),
              0.01f);
    EXPECT_GT(plain(glm::vec3(1.5f)).r, plain(glm::vec3(0.9f)).r);
    // At full scale the window shows the scene texel for texel: single-pixel stripes come
    // through unblurred. At half scale only the lower-left quarter holds this frame (the rest an
    // older, brighter one, glowing hard): it alone reaches the window, stretched over all of it.
    const effects::UpscaleTarget upscale = effects::createUpscaleTarget(kSize, kSize);
    for (const float scale : {1.0f, 0.5f}) {
        std::vector<glm::vec4> scene(kSize * kSize), bright(scene.size());
        for (int i = 0; i < kSize * kSize; ++i) {
            const int x = i % kSize, y = i / kSize;
            const bool inside = x < kSize * scale && y < kSize * scale;
            scene[std::size_t(i)] = glm::vec4(scale < 1.0f ? (inside ? 0.3f : 5.0f)
                                                           : ((x + y) % 2 ? 0.5f : 0.1f));
            bright[std::size_t(i)] = glm::vec4(inside ? 0.0f : 100.0f);
        }
        for (int i = 0; i < 2; ++i) {
            glBindTexture(GL_TEXTURE_2D, hdr.colorBuffers[i]);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSize, kSize, GL_RGBA, GL_FLOAT,
                            (i == 0 ? scene : bright).data());
        }
        const effects::SceneRegion region = effects::sceneRegion(kSize, kSize, scale);
        effects::blurGlow(blur, hdr, half, region);
        effects::composite(composite, hdr, half, upscale, region, true);
        std::vector<glm::vec4> window(scene.size());
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, window.data());
        float worst = 0.0f;
        for (int i = 0; i < kSize * kSize; ++i) {
            const int x = i % kSize, y = i / kSize;
            const float want = toDisplay(scale < 1.0f ? 0.3f : ((x + y) % 2 ? 0.5f : 0.1f));
            worst = std::max(worst, std::abs(window[std::size_t(i)].r - want));
        }
        EXPECT_LT(worst, 1.5f / 255.0f) << scale;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(Effects, SkyFacesLoadWhateverTheirChannelsAndTheSkyFillsWhatNothingCoveredAlongTheView) {
    const testsupport::ScopedWorkingDirectory cwd(kGameRun);
    const fs::path dir = testsupport::makeTempDir("glimmer-sky");
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int channels = 1; channels <= 4; ++channels) {
        // 5 texels a row: only 4-channel rows are 4-byte aligned. Every byte of a face differs.
        std::vector<std::string> paths;
        std::vector<std::vector<unsigned char>> faces(6);
        for (int face = 0; face < 6; ++face) {
            for (int i = 0; i < 25 * channels; ++i)
                faces[face].push_back(static_cast<unsigned char>(7 * i + 40 * face));
            paths.push_back((dir / (std::to_string(10 * channels + face) + ".png")).string());
            testsupport::writePng(paths.back(), 5, 5, channels, faces[face]);
        }
        testsupport::CoutCapture capture;
        effects::loadCubemap(paths);
        EXPECT_EQ(capture.text(), "");
        for (int face = 0; face < 6; ++face) {
            // Grey faces come back grey, colour faces in their colours.
            std::vector<unsigned char> rgb(75), want;
            for (int i = 0; i < 75; ++i)
                want.push_back(faces[face][(i / 3) * channels + (channels >= 3 ? i % 3 : 0)]);
            glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), 0, GL_RGB,
                          GL_UNSIGNED_BYTE, rgb.data());
            EXPECT_EQ(rgb, want) << channels << " channels, face " << face;
        }
    }
    // Faces of one texel and one colour each.
    std::vector<std::string> solid;
    for (const glm::u8vec3 c : kFaceColors) {
        solid.push_back((dir / (std::to_string(solid.size()) + ".png")).string());
        testsupport::writePng(solid.back(), 1, 1, 3, {c.r, c.g, c.b});
    }
    effects::Skybox sky;
    sky.cubemapTexture = effects::loadCubemap(solid);
    fs::remove_all(dir);
    const Target target(32, 1);
    const auto draw = [&](const physics::Camera& camera, float brightness) {
        // The left half counts as already drawn: grey and nearer than the far plane.
        target.start();
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 16, 32);
        target.start(glm::vec4(0.25f, 0.25f, 0.25f, 1.0f), 0.99);
        glDisable(GL_SCISSOR_TEST);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        sky.drawSky(camera, physics::projectionMatrix(32, 32, 45.0f), brightness);
        return target.read();
    };
    // The start's view looks down -z, into the last face; from far away too, there dimmed by the
    // brightness.
    physics::Camera far;
    far.position = {-40.0f, 30.0f, 90.0f};
    const std::vector<glm::vec4> ahead = draw(physics::Camera(), 1.0f), dim = draw(far, 0.4f);
    for (std::size_t i = 0; i < 1024; i += 37) {
        // The face's sRGB colour as linear light.
        const glm::vec3 sky =
            i % 32 < 16 ? glm::vec3(0.25f) : toLinear(glm::vec3(kFaceColors[5]) / 255.0f);
        ASSERT_LT(glm::length(glm::vec3(ahead[i]) - sky), 0.02f) << i;
        ASSERT_LT(glm::length(glm::vec3(dim[i]) - (i % 32 < 16 ? sky : 0.4f * sky)), 0.02f) << i;
    }
}

TEST_F(Effects, LivingParticlesAreDrawnAsRoundGlowingSpritesInTheLastLivingOnesColour) {
    effects::ParticleGenerator generator(
        gameProgram("vShader_particles.txt", "fShader_particles.txt"));
    // One particle 5 units wide, 10 units in front of the camera; the rest behind it, unseen;
    // the last living one, 42, orange.
    std::vector<effects::Particle>& particles = generator.pool.particles;
    for (std::size_t i = 0; i < particles.size(); ++i) {
        particles[i].color = i == 42 ? glm::vec4(8.0f, 2.0f, 1.0f, 1.0f) : glm::vec4(1, 9, 9, 1);
        particles[i].position = glm::vec3(50.0f, 50.0f, i == 0 ? 50.0f : 80.0f);
        if (i > 42) particles[i].life = 0.0f;
    }
    physics::Camera camera;
    camera.position = glm::vec3(50.0f, 50.0f, 60.0f);
    const glm::mat4 projection = physics::projectionMatrix(32, 32, 45.0f);
    const Target target(32, 2);
    target.start();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    generator.draw(camera, projection);
    const std::vector<glm::vec4> scene = target.read(0);
    const glm::vec4 centre = target.at(scene, 16, 16);
    // The HDR colour arrives unclamped at the centre and keeps its hue; it glows.
    EXPECT_TRUE(centre.r > 4.0f && std::abs(centre.g / centre.r - 0.25f) < 0.02f) << centre.r;
    EXPECT_GT(target.at(target.read(1), 16, 16).r, 1.0f);
    // Round and opaque (a see-through edge would stay a dark rim over the scene drawn after):
    // half the sprite is about 9.7 pixels here, so a point 8 pixels along both axes lies inside
    // its square but outside its disc, and one 5 pixels along x has the centre's colour.
    EXPECT_EQ(target.at(scene, 21, 16), centre);
    EXPECT_EQ(target.at(scene, 24, 24) + target.at(scene, 1, 1), glm::vec4(0.0f));

    // Refilling the instance buffer frame after frame raises no driver message. A long frame
    // kills the whole pool (the two respawned die with it): the dead are no longer drawn.
    int messages = 0;
    glDebugMessageCallback(
        [](GLenum, GLenum, GLuint, GLenum, GLsizei, const GLchar*, const void* count) {
            ++*static_cast<int*>(const_cast<void*>(count));
        },
        &messages);
    for (int frame = 0; frame < 30; ++frame) generator.draw(camera, projection);
    glDebugMessageCallback(nullptr, nullptr);
    EXPECT_EQ(messages, 0);
    generator.update(6.0f);
    target.start();
    generator.draw(camera, projection);
    EXPECT_EQ(target.at(target.read(0), 16, 16), glm::vec4(0.0f));
}

TEST_F(Effects, TextEdgesBlendSmoothlyIntoTheSceneWithoutADarkRim) {
    const testsupport::ScopedWorkingDirectory cwd(kGameRun);
    const auto luminance = [](const glm::vec3& c) { return glm::dot(c, {0.2126f, 0.7152f, 0.0722f}); };
    testsupport::CoutCapture capture;
    effects::TextRenderer text(64, 64);
    EXPECT_EQ(capture.text(), "");
    // A bright scene behind the text, and dark text over it.
    const glm::vec3 scene(0.9f, 0.85f, 0.8f), color(0.1f, 0.5f, 0.2f);
    const Target target(64, 1);
    target.start(glm::vec4(scene, 1.0f));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    text.setToneMapped(false);
    text.renderText("H", 8.0f, 12.0f, 0.75f, color);
    text.renderText("", 40.0f, 40.0f, 1.0f, color);
    // Every pixel lies between the scene and the text colour: none darker than both (a rim),
    // and along the glyph's edges some are partly covered (smooth, not stair-stepped).
    int touched = 0, inBetween = 0, rim = 0;
    for (const glm::vec4& p : target.read()) {
        const glm::vec3 rgb(p);
        touched += glm::distance(rgb, scene) > 0.01f;
        inBetween += glm::distance(rgb, scene) > 0.05f && glm::distance(rgb, color) > 0.05f;
        rim += luminance(rgb) < std::min(luminance(scene), luminance(color)) - 0.005f;
    }
    EXPECT_EQ(rim, 0);
    EXPECT_TRUE(touched > 20 && inBetween >= 8) << touched << " touched, " << inBetween << " partly covered";
}

}  // namespace
