// The rendering core on a live context: meshes and their texture units, texture and model
// loading, and what the lit, lamp and shadowed programs draw.
#include <gtest/gtest.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <numeric>
#include <set>

#include "physics/camera.h"
#include "render/light_set.h"
#include "render/model.h"
#include "support/gl_context.h"

namespace {

using testsupport::glInteger;
using testsupport::makeQuad;
using testsupport::writeFile;

using Render = testsupport::GlTest;

TEST_F(Render, MeshesBindTheirTexturesToNumberedSamplersAndTexturesLoadWithTheirOwnRows) {
    const std::string dir = testsupport::makeTempDir("glimmer-render");
    // A program whose two stages are one source that reads three samplers.
    const std::string source = writeFile(
        dir, "s.txt",
        "#version 460 core\n#define T(s) texture(s, vec2(0))\n"
        "uniform sampler2D texture_diffuse1, texture_diffuse2, texture_specular1;\n"
        "out vec4 c;\n"
        "void main() { c = T(texture_diffuse1) + T(texture_diffuse2) + T(texture_specular1); }\n");
    const render::Shader shader(source.c_str(), source.c_str());
    shader.use();
    std::vector<render::Texture> textures;
    for (const std::string name : {"texture_diffuse1", "texture_diffuse2", "texture_specular1"}) {
        shader.setUniformInt(name, 7);
        textures.push_back({0, name.substr(0, name.size() - 1), name});
        glGenTextures(1, &textures.back().id);
    }
    const auto quad = makeQuad(textures);
    quad->draw(shader);
    for (GLuint unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint sampler = -1;
        glGetUniformiv(shader.programId,
                       glGetUniformLocation(shader.programId, textures[unit].path.c_str()),
                       &sampler);
        EXPECT_EQ(glm::uvec2(sampler, glInteger(GL_TEXTURE_BINDING_2D)),
                  glm::uvec2(unit, textures[unit].id));
    }
    // A draw ends on unit 0, with or without textures.
    glActiveTexture(GL_TEXTURE3);
    makeQuad()->draw(shader);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    // Odd widths: neither row is a multiple of 4 bytes long.
    std::vector<unsigned char> rgb(45), greyAlpha(12);
    std::iota(rgb.begin(), rgb.end(), 0);
    std::iota(greyAlpha.begin(), greyAlpha.end(), 10);
    testsupport::writePng(dir + "/rgb.png", 5, 3, 3, rgb);
    testsupport::writePng(dir + "/ga.png", 3, 2, 2, greyAlpha);
    const auto loaded = [&](const char* file, GLenum format, std::size_t bytes) {
        std::vector<unsigned char> pixels(bytes);
        glBindTexture(GL_TEXTURE_2D, render::loadTextureFile(file, dir));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    // The context's default row alignment, whatever an earlier test left behind.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(loaded("rgb.png", GL_RGB, 45), rgb);
    EXPECT_EQ(loaded("ga.png", GL_RG, 12), greyAlpha);
}

// The game's lit program drawing a 2 × 2 white quad at z 0 facing +z, seen from the camera on the
// z axis through `fovDegrees` into a 64 × 64 target with the colour and the glow outputs; pixel
// 2080 is the middle one.
struct LitQuad : testsupport::GlTest {
    void SetUp() override {
        GlTest::SetUp();
        lights = std::make_unique<render::LightSet>(
            testsupport::shaderPath("vShaderMultipleLights_textured.txt").c_str(),
            testsupport::shaderPath("fShaderMultipleLights_textured.txt").c_str());
        program = lights->shader;
        // A 1 × 1 white texture: a target's output cleared to white.
        const testsupport::Target texel(1, 1);
        texel.start(glm::vec4(1.0f));
        white = texel.colors[0];
        // White on unit 0 (the diffuse map) and unit 1 (the specular map).
        quad =
            makeQuad({{white, "texture_diffuse", "white"}, {white, "texture_specular", "white"}});
        target = std::make_unique<testsupport::Target>(64, 2);
        camera.position = {0.0f, 0.0f, 2.4f};
    }
    // Draws the mesh (placed by `model`) with the program's uniforms; returns one output.
    std::vector<glm::vec4> draw(int output = 0, const glm::mat4& model = glm::mat4(1.0f)) {
        program.use();
        program.setUniformMat4("projectionView",
                               glm::perspective(glm::radians(fovDegrees), 1.0f, 0.1f, 100.0f) *
                                   glm::lookAt(camera.position, glm::vec3(0.0f), {0, 1, 0}));
        program.setUniformMat4("model", model);
        target->start();
        quad->draw(program);
        return target->read(output);
    }
    // The sun in colour `sun`, the flashlight on or off, and of the point lights only `index`,
    // moved to `position`.
    void only(const glm::vec3& sun, bool flashlight, int index = -1,
              const glm::vec3& position = {}) const {
        program.setUniformVec3("dirLight.color", sun);
        program.setUniformBool("flashLightToggle", flashlight);
        for (int i = 0; i < 8; ++i) {
            const std::string light = "pointLights[" + std::to_string(i) + "].";
            program.setUniformVec3(light + (i == index ? "position" : "color"),
                                   i == index ? position : glm::vec3(0.0f));
        }
    }
    static float peak(const std::vector<glm::vec4>& pixels) {
        float highest = 0.0f;
        for (const glm::vec4& p : pixels) highest = std::max({highest, p.r, p.g, p.b});
        return highest;
    }
    std::unique_ptr<render::LightSet> lights;
    render::Shader program;
    GLuint white = 0;
    std::unique_ptr<render::Mesh> quad;
    std::unique_ptr<testsupport::Target> target;
    physics::Camera camera;
    float fovDegrees = 45.0f;
};

// Linear light as the composite shows it below its knee: the display's sRGB value, 0 to 255.
float displayed(float linear) { return 255.0f * testsupport::toDisplay(std::clamp(linear, 0.0f, 1.0f)); }

TEST_F(LitQuad, BrightnessScalesTheSceneTheSunLightsWhatFacesItInBandsAndLampPoolsFadeOut) {
    lights->applySceneLighting(0.0f, camera, true);
    EXPECT_EQ(peak(draw()) + peak(draw(1)), 0.0f);
    lights->applySceneLighting(1.0f, camera, false);
    only(glm::vec3(0.8f), false);
    // The low sun shines towards -z and down: on a face turned to +z, not on one turned away,
    // which keeps only the sky's and the ground's fill light.
    const float facing = draw()[2080].r;
    const float away = draw(0, glm::rotate(glm::mat4(1.0f), 3.14159f, {0, 1, 0}))[2080].r;
    EXPECT_TRUE(away > 0.0f && facing > 1.6f * away) << facing << " facing, " << away << " away";
    // Turned a degree at a time from facing the sun to edge-on, the quad's light follows the
    // angle smoothly, or in a few toon bands with cel shading.
    for (const bool cells : {false, true, false}) {
        lights->setCelShading(cells);
        std::set<long> levels;
        for (int degrees = 0; degrees <= 85; ++degrees) {
            const glm::mat4 turned =
                glm::rotate(glm::mat4(1.0f), glm::radians(float(degrees)), {0, 1, 0});
            levels.insert(std::lround(draw(0, turned)[2080].r * 100.0f));
        }
        EXPECT_TRUE(cells ? levels.size() <= 8 : levels.size() >= 30) << levels.size();
    }
    // One white lamp close in front of the quad's left part: along the row its light falls
    // without a visible step, cel shading or not (one band on a flat wall); a lamp 30 units off
    // adds nothing at all.
    only(glm::vec3(0.0f), false, 0, {-0.8f, 0.0f, 1.5f});
    program.setUniformVec3("pointLights[0].color", glm::vec3(1.0f));
    for (const bool cells : {false, true}) {
        lights->setCelShading(cells);
        const std::vector<glm::vec4> image = draw();
        float step = 0.0f;
        for (int x = 1; x < 64; ++x)
            step = std::max(step, std::abs(displayed(image[32 * 64 + x].r) -
                                           displayed(image[32 * 64 + x - 1].r)));
        EXPECT_TRUE(step <= 3.0f && displayed(image[32 * 64].r) > 60.0f)
            << cells << ": " << step << ", " << displayed(image[32 * 64].r);
    }
    const std::vector<glm::vec4> unlit = draw();
    only(glm::vec3(0.0f), false, 0, {0.0f, 0.0f, 30.0f});
    program.setUniformVec3("pointLights[0].color", glm::vec3(1.0f));
    const std::vector<glm::vec4> far = draw();
    only(glm::vec3(0.0f), false);
    EXPECT_EQ(far, draw());
    EXPECT_NE(unlit, far);
}

TEST_F(LitQuad, TheFlashlightLightsAFullConeOf50DegreesThatFadesOutBy52) {
    // Close to a quad four times as large, through a wide lens: the cone's edge is on screen.
    camera.position = {0.0f, 0.0f, 1.0f};
    fovDegrees = 120.0f;
    const auto lit = [&](const physics::Camera& from, bool on) {
        lights->applySceneLighting(1.0f, from, on);
        only(glm::vec3(0.0f), on);
        return draw(0, glm::scale(glm::mat4(1.0f), glm::vec3(4.0f)));
    };
    const std::vector<glm::vec4> off = lit(camera, false), on = lit(camera, true);
    int inside = 0, full = 0, fading = 0;
    for (std::size_t x = 32; x < 64; ++x) {
        // The pixel's angle from the view's axis, along the middle row.
        const float ndc = (static_cast<float>(x) + 0.5f) / 32.0f - 1.0f;
        const float angle = glm::degrees(std::atan(ndc * std::tan(glm::radians(60.0f))));
        const float gain = on[32 * 64 + x].r - off[32 * 64 + x].r;
        if (angle < 49.5f) inside += 1, full += gain > 0.05f;
        if (angle > 50.3f && angle < 51.7f) fading += gain > 0.0f;
        EXPECT_TRUE(angle <= 52.5f || std::abs(gain) <= 1e-5f) << angle << " degrees: " << gain;
    }
    EXPECT_TRUE(full == inside && inside > 10 && fading > 0)
        << full << " of " << inside << " lit inside, " << fading << " fading";
    // Aimed away from the quad, switching it on changes nothing.
    physics::Camera away = camera;
    away.front = {0.0f, 0.0f, 1.0f};
    EXPECT_EQ(lit(away, true), off);
}

TEST_F(LitQuad, CoveredFragmentsKeepTheirAmbientASurfaceDoesNotShadowItselfAndOffTheMapNothingIs) {
    // A low sun, 60 degrees from the quad's normal (a steep depth slope across the map), looking
    // at the origin over a 4 × 4 footprint (moved by `shift`) with depth to `far`.
    const glm::vec3 sun(0.0f, 6.0f, 3.4641f);
    const auto sunMatrix = [&](float far, float shift) {
        return glm::ortho(-2.0f + shift, 2.0f + shift, -2.0f, 2.0f, 0.1f, far) *
               glm::lookAt(sun, glm::vec3(0.0f), {0, 1, 0});
    };
    const glm::mat4 lightSpace = sunMatrix(20.0f, 0.0f);
    const testsupport::Target map(512, 0);
    const render::Shader depth = testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt");
    // Scene lighting with only the sun, its matrix and the map on unit 2.
    const auto sunlit = [&](const glm::mat4& matrix) {
        lights->applySceneLighting(1.0f, camera, false);
        only(glm::vec3(0.8f), false);
        program.setUniformVec3("dirLight.direction", -sun);
        program.setUniformMat4("lightSpaceMatrix", matrix);
        program.setUniformVec3("lightPos", sun);
        program.setUniformInt("shadowMap", 2);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, map.depth);
        return draw();
    };
    map.start();
    const std::vector<glm::vec4> open = sunlit(lightSpace);
    map.start(glm::vec4(0.0f), 0.0);
    const float covered = sunlit(lightSpace)[2080].r;
    EXPECT_TRUE(covered > 0.0f && covered < 0.7f * open[2080].r) << covered;
    // The quad lies about 7 units from the sun: beyond a far plane at 3, and off a footprint
    // moved 10 units aside, nothing is known about casters: unshadowed.
    EXPECT_EQ(sunlit(sunMatrix(3.0f, 0.0f)), open);
    EXPECT_EQ(sunlit(sunMatrix(20.0f, 10.0f)), open);
    // Casters into the map: the quad itself, and a small one half a unit in front of its centre.
    map.start();
    glEnable(GL_DEPTH_TEST);
    depth.use();
    depth.setUniformMat4("lightSpaceMatrix", lightSpace);
    for (const glm::mat4& model :
         {glm::mat4(1.0f),
          glm::scale(glm::translate(glm::mat4(1.0f), {0, 0, 0.5f}), glm::vec3(0.2f))}) {
        depth.setUniformMat4("model", model);
        quad->drawGeometry();
    }
    // The sun is above: the caster's shadow lands below the centre, and in the upper half, far from
    // it, the quad does not shadow itself.
    const std::vector<glm::vec4> shaded = sunlit(lightSpace);
    int shadowed = 0, acne = 0;
    for (std::size_t i = 0; i < shaded.size(); ++i) {
        shadowed += shaded[i].r < 0.7f * open[i].r;
        acne += i >= 32 * 64 && shaded[i].r < open[i].r - 1e-3f;
    }
    EXPECT_TRUE(shadowed > 20 && shadowed < 64 * 64 / 8 && acne == 0) << shadowed << ", " << acne;
}

}  // namespace
