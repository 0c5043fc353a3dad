// The rendering core on a live context: program reports and the game's programs, meshes and their
// texture units, texture loading, and what the lit, lamp, gem and water programs draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <numeric>
#include <set>
#include <tuple>

#include "physics/camera.h"
#include "render/light_set.h"
#include "render/model.h"
#include "support/gl_context.h"

namespace {

using testsupport::glInteger;
using testsupport::makeQuad;
using testsupport::writeFile;

// A folder for the files under test, with a vertex and a fragment file that build together; the
// fragment stage reads three samplers.
struct Render : testsupport::GlTest {
    std::string source(const std::string& name, const std::string& body) const {
        return writeFile(dir, name, "#version 460 core\n" + body);
    }
    std::string dir = testsupport::makeTempDir("glimmer-render");
    std::string vertex = source("v.txt",
                                "layout(location = 0) in vec3 p;\n"
                                "void main() { gl_Position = vec4(p, 1.0); }\n");
    std::string fragment = source(
        "f.txt",
        "#define T(s) texture(s, vec2(0))\n"
        "uniform sampler2D texture_diffuse1, texture_diffuse2, texture_specular1;\nout vec4 c;\n"
        "void main() { c = T(texture_diffuse1) + T(texture_diffuse2) + T(texture_specular1); }\n");
};

TEST_F(Render, ProgramFailuresAreReportedOneLineAStageAndGoodProgramsBuildQuietly) {
    const std::string broken = source("b.txt", "out vec4 c;\nvoid main() { c = nope; }\n");
    const std::string compile = "ERROR::SHADER_COMPILATION_ERROR of type: ";
    const std::string tail =
        "\n -- --------------------------------------------------- -- \n"
        "ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\n";
    const std::string cases[][3] = {
        {dir + "/absent.txt", fragment, "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ: "},
        {vertex, broken, compile + "FRAGMENT\n"},
        {broken, fragment, compile + "VERTEX\n"},
        {vertex, fragment, ""}};
    for (const auto& c : cases) {
        testsupport::CoutCapture capture;
        const render::Shader shader(c[0].c_str(), c[1].c_str());
        const std::string out = capture.text();
        GLint linked = 0;
        glGetProgramiv(shader.programId, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked == GL_TRUE, c[2].empty()) << out;
        // One report of the failing stage, and from a good program nothing (an empty report found
        // again past its start means output); a compile report ends with the separator.
        EXPECT_EQ(out.rfind(c[2], 0), 0u) << out;
        EXPECT_EQ(out.find(c[2].substr(0, 20), 1), std::string::npos) << out;
        if (c[2].rfind(compile, 0) == 0) EXPECT_NE(out.find(tail), std::string::npos) << out;
    }
}

TEST_F(Render, MeshesBindTheirTexturesToNumberedSamplersAndTexturesLoadWithTheirOwnRows) {
    const render::Shader shader(vertex.c_str(), fragment.c_str());
    shader.use();
    std::vector<render::Texture> textures;
    for (const std::string name : {"texture_diffuse1", "texture_diffuse2", "texture_specular1"}) {
        shader.setUniformInt(name, 7);
        textures.push_back(
            {testsupport::makeSolidTexture(0, 0, 0), name.substr(0, name.size() - 1), name});
    }
    const auto quad = makeQuad(textures);
    for (int round = 0; round < 2; ++round) {
        quad->draw(shader);
        for (GLuint unit = 0; unit < 3; ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            EXPECT_EQ(testsupport::uniformInt(shader.programId, textures[unit].path), int(unit));
            EXPECT_EQ(GLuint(glInteger(GL_TEXTURE_BINDING_2D)), textures[unit].id);
        }
        // A draw ends on unit 0, with or without textures.
        glActiveTexture(GL_TEXTURE3);
        makeQuad()->draw(shader);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    }
    // Odd widths: neither row is a multiple of 4 bytes long.
    std::vector<unsigned char> rgb(45), greyAlpha(12);
    std::iota(rgb.begin(), rgb.end(), 0);
    std::iota(greyAlpha.begin(), greyAlpha.end(), 10);
    testsupport::writePng(dir + "/rgb.png", 5, 3, 3, rgb);
    testsupport::writePng(dir + "/ga.png", 3, 2, 2, greyAlpha);
    // A 2 x 1 grey PNG with 16-bit samples 0x1234 and 0xABCD: each texel keeps the high byte.
    writeFile(dir, "deep.png",
              std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x10\0\0\0\0"
                          "\x81\xD9\xFC\x15\0\0\0\x0DIDAT\x78\xDA\x63\x10\x32\x59\x7D\x16\0"
                          "\x03\x0C\x01\xBF\xB1\xE7\xD4\x4D\0\0\0\0IEND\xAE\x42\x60\x82",
                          70));
    writeFile(dir, "junk.png", "not an image");
    const auto loaded = [&](const char* file, GLenum format, std::size_t bytes) {
        std::vector<unsigned char> pixels(bytes);
        glBindTexture(GL_TEXTURE_2D, render::loadTextureFile(file, dir));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    testsupport::CoutCapture capture;
    EXPECT_EQ(loaded("rgb.png", GL_RGB, 45), rgb);
    EXPECT_EQ(loaded("ga.png", GL_RG, 12), greyAlpha);
    EXPECT_EQ(loaded("deep.png", GL_RED, 2), (std::vector<unsigned char>{0x12, 0xAB}));
    EXPECT_EQ(capture.text(), "");
    // A failed image still gets a texture name to bind.
    EXPECT_NE(render::loadTextureFile("junk.png", dir), 0u);
    EXPECT_EQ(capture.text(), "Texture failed to load at path: junk.png\n");
}

TEST_F(Render, AModelLoadsEachImageOnceAndEachMeshKeepsItsOwnData) {
    for (const char* name : {"/a.png", "/b.png"})
        testsupport::writePng(dir + name, 1, 1, 3, {9, 9, 9});
    // The first material uses one image for both maps: loaded once, as diffuse.
    writeFile(dir, "two.mtl",
              "newmtl first\nmap_Kd a.png\nmap_Ks a.png\nnewmtl second\nmap_Kd b.png\n"
              "map_Ks gone/absent.png\n");
    const std::string path = writeFile(dir, "two.obj",
                                       "mtllib two.mtl\n"
                                       "o A\nusemtl first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                       "o B\nusemtl second\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
                                       "f 4 5 6\nf 5 7 6\n");
    testsupport::CoutCapture capture;
    const render::Model model(path);
    EXPECT_EQ(capture.text(), "Texture failed to load at path: gone/absent.png\n");
    ASSERT_EQ(model.meshes.size(), 2u);
    const render::Mesh& a = model.meshes[0];
    const render::Mesh& b = model.meshes[1];
    ASSERT_EQ(a.textures.size() + b.textures.size(), 4u);
    EXPECT_EQ(std::make_tuple(a.textures[1].id, a.textures[1].type, b.textures[0].path,
                              model.texturesLoaded.size()),
              std::make_tuple(a.textures[0].id, "texture_diffuse", "b.png", 3u));
    // Mesh B indexes its own buffer.
    EXPECT_EQ(a.vertices.size() + b.vertices.size(), model.vertices.size());
    EXPECT_LT(*std::max_element(b.indices.begin(), b.indices.end()), b.vertices.size());
}

// The game's lit program (or another put in `program`) drawing a 2 × 2 white quad at z 0 facing
// +z (or another mesh put in `quad`), seen from the camera along `aim` through `fovDegrees` into a
// 64 × 64 target with the colour and the glow outputs; pixel 2080 is the middle one.
struct LitQuad : Render {
    void SetUp() override {
        Render::SetUp();
        lights = std::make_unique<render::LightSet>(
            testsupport::shaderPath("vShaderMultipleLights_textured.txt").c_str(),
            testsupport::shaderPath("fShaderMultipleLights_textured.txt").c_str());
        program = lights->shader;
        white = testsupport::makeSolidTexture(255, 255, 255);
        quad = makeQuad({{white, "texture_diffuse", "white"}});
        target = std::make_unique<testsupport::Target>(64, 2);
        camera.position = {0.0f, 0.0f, 2.4f};
    }
    // Draws the mesh (placed by `model`) with the program's uniforms; returns one output.
    std::vector<glm::vec4> draw(int output = 0, const glm::mat4& model = glm::mat4(1.0f)) {
        program.use();
        program.setUniformMat4("projectionView",
                               glm::perspective(glm::radians(fovDegrees), 1.0f, 0.1f, 100.0f) *
                                   glm::lookAt(camera.position, camera.position + aim, {0, 1, 0}));
        program.setUniformMat4("model", model);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, white);
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
    glm::vec3 aim{0.0f, 0.0f, -1.0f};
    float fovDegrees = 45.0f;
};

TEST_F(LitQuad, BrightnessScalesTheSceneTheSunLightsWhatFacesItAndCelShadingBandsIt) {
    lights->applySceneLighting(0.0f, camera, true);
    EXPECT_EQ(peak(draw()) + peak(draw(1)), 0.0f);
    lights->applySceneLighting(1.0f, camera, false);
    only(glm::vec3(0.8f), false);
    // The low sun shines towards -z and down: on a face turned to +z, not on one turned away,
    // which keeps only the sky's fill light.
    const float facing = draw()[2080].r;
    const float away = draw(0, glm::rotate(glm::mat4(1.0f), 3.14159f, {0, 1, 0}))[2080].r;
    EXPECT_TRUE(away > 0.0f && facing > 2.0f * away) << facing << " facing, " << away << " away";
    // One white light just off the left edge: intensity falls across the row, in a few bands.
    only(glm::vec3(0.0f), false, 0, {-1.3f, 0.0f, 0.3f});
    program.setUniformVec3("pointLights[0].color", glm::vec3(1.0f));
    for (const bool cells : {false, true}) {
        lights->setCelShading(cells);
        const std::vector<glm::vec4> image = draw();
        std::set<long> levels;
        for (int x = 0; x < 64; ++x) levels.insert(std::lround(image[32 * 64 + x].r * 1000.0f));
        EXPECT_TRUE(cells ? levels.size() >= 2 && levels.size() <= 6 : levels.size() >= 20);
    }
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
        // The pixel's angle from the aim, along the middle row.
        const float ndc = (static_cast<float>(x) + 0.5f) / 32.0f - 1.0f;
        const float angle = glm::degrees(std::atan(ndc * std::tan(glm::radians(60.0f))));
        const float gain = on[32 * 64 + x].r - off[32 * 64 + x].r;
        if (angle < 49.5f) inside += 1, full += gain > 0.05f;
        if (angle > 50.3f && angle < 51.7f) fading += gain > 0.0f;
        if (angle > 52.5f) EXPECT_NEAR(gain, 0.0f, 1e-5f) << angle;
    }
    EXPECT_TRUE(full == inside && inside > 10 && fading > 0)
        << full << " of " << inside << " lit inside, " << fading << " fading";
    // Aimed away from the quad, switching it on changes nothing.
    physics::Camera away = camera;
    away.front = {0.0f, 0.0f, 1.0f};
    EXPECT_EQ(lit(away, true), off);
}

TEST_F(LitQuad, LampsShineFromWithinAndGlowWhereTheDimSceneDoesNot) {
    lights->applyLampLighting(1.0f, camera, true);
    // Lamp light 0 right in front: bright enough to glow, the glow being the colour itself.
    only(glm::vec3(0.0f), false, 0, {0.0f, 0.0f, 1.0f});
    EXPECT_GT(draw(1)[2080].g, 1.0f);
    EXPECT_EQ(draw(1)[2080], draw(0)[2080]);
    // A lamp's light grazing its surface still lights it: lamps read as lit from within.
    only(glm::vec3(0.0f), false, 0, {0.0f, 3.0f, 0.0f});
    EXPECT_GT(draw()[2080].g, 1.0f);
    // The flashlight does not reach the lamps.
    only(glm::vec3(0.0f), true);
    EXPECT_EQ(peak(draw()), 0.0f);
    lights->applySceneLighting(1.0f, camera, false);
    EXPECT_GT(peak(draw()), 0.0f);
    EXPECT_EQ(peak(draw(1)), 0.0f);
}

TEST_F(LitQuad, WaterMovesWithTimeStaysTranslucentAndDarkensWithBrightness) {
    program = testsupport::gameProgram("vShader_wave.txt", "fShader_wave.txt");
    // The quad laid flat in the xz plane at 4 × 4, seen from above at an angle.
    const glm::mat4 flat =
        glm::scale(glm::rotate(glm::mat4(1.0f), -1.5708f, {1, 0, 0}), glm::vec3(2.0f));
    camera.position = {0.0f, 2.5f, 2.5f};
    aim = -camera.position;
    program.use();
    program.setUniformVec3("viewPos", camera.position);
    program.setUniformFloat("material.shininess", 100.0f);
    program.setUniformVec3("dirLight.direction", {0.0f, -1.0f, 0.0f});
    program.setUniformVec3("dirLight.color", glm::vec3(1.0f));
    const auto at = [&](float milliseconds, float brightness) {
        program.setUniformFloat("time", milliseconds);
        program.setUniformFloat("brightness", brightness);
        return draw(0, flat);
    };
    const std::vector<glm::vec4> early = at(0.0f, 1.0f), later = at(1500.0f, 1.0f);
    int changed = 0;
    for (std::size_t i = 0; i < early.size(); ++i) changed += early[i].r != later[i].r;
    EXPECT_GT(changed, 64 * 64 / 10);
    const glm::vec4 middle = later[2080];
    EXPECT_TRUE(middle.r > 0.1f && middle.a > 0.3f && middle.a < 1.0f);
    EXPECT_EQ(peak(at(1500.0f, 0.0f)), 0.0f);
}

// The sun's shadow: a low sun, 60 degrees from the quad's normal (a steep depth slope across the
// map), a 512 × 512 depth map on unit 2 seen through "lightSpaceMatrix", and the depth program.
struct Shadow : LitQuad {
    void SetUp() override {
        LitQuad::SetUp();
        map = std::make_unique<testsupport::Target>(512, 0);
        depth = testsupport::gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt");
    }
    // The sun looking at the origin, a 4 × 4 footprint (moved by `shift`), depth to `far`.
    glm::mat4 sunMatrix(float far, float shift = 0.0f) const {
        return glm::ortho(-2.0f + shift, 2.0f + shift, -2.0f, 2.0f, 0.1f, far) *
               glm::lookAt(sun, glm::vec3(0.0f), {0, 1, 0});
    }
    // Casters into the map: the quad itself, and a small one half a unit in front of its centre.
    void cast(const glm::mat4& lightSpace, bool withCaster) {
        map->start();
        glEnable(GL_DEPTH_TEST);
        depth.use();
        depth.setUniformMat4("lightSpaceMatrix", lightSpace);
        depth.setUniformMat4("model", glm::mat4(1.0f));
        quad->drawGeometry();
        depth.setUniformMat4("model", glm::scale(glm::translate(glm::mat4(1.0f), {0, 0, 0.5f}),
                                                 glm::vec3(withCaster ? 0.2f : 0.0f)));
        quad->drawGeometry();
    }
    // Scene lighting with only the sun, its matrix and the map.
    std::vector<glm::vec4> drawSunlit(const glm::mat4& lightSpace) {
        lights->applySceneLighting(1.0f, camera, false);
        only(glm::vec3(0.8f), false);
        program.setUniformVec3("dirLight.direction", -sun);
        program.setUniformMat4("lightSpaceMatrix", lightSpace);
        program.setUniformVec3("lightPos", sun);
        program.setUniformInt("shadowMap", 2);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, map->depth);
        return draw();
    }
    const glm::vec3 sun{0.0f, 6.0f, 3.4641f};
    std::unique_ptr<testsupport::Target> map;
    render::Shader depth;
};

TEST_F(Shadow, CoveredFragmentsKeepTheirAmbientASurfaceDoesNotShadowItselfAndOffTheMapNothingIs) {
    const glm::mat4 lightSpace = sunMatrix(20.0f);
    map->start();
    const std::vector<glm::vec4> open = drawSunlit(lightSpace);
    map->start(glm::vec4(0.0f), 0.0);
    const float covered = drawSunlit(lightSpace)[2080].r;
    EXPECT_TRUE(covered > 0.0f && covered < 0.5f * open[2080].r) << covered;
    // The quad lies about 7 units from the sun: beyond a far plane at 3, and off a footprint
    // moved 10 units aside, nothing is known about casters: unshadowed.
    EXPECT_EQ(drawSunlit(sunMatrix(3.0f)), open);
    EXPECT_EQ(drawSunlit(sunMatrix(20.0f, 10.0f)), open);
    cast(lightSpace, false);
    const std::vector<glm::vec4> self = drawSunlit(lightSpace);
    int acne = 0;
    for (std::size_t i = 0; i < self.size(); ++i) acne += self[i].r < open[i].r - 1e-3f;
    EXPECT_EQ(acne, 0);
    cast(lightSpace, true);
    const std::vector<glm::vec4> shaded = drawSunlit(lightSpace);
    int shadowed = 0;
    for (std::size_t i = 0; i < shaded.size(); ++i) shadowed += shaded[i].r < 0.5f * open[i].r;
    // The sun is above: the caster's shadow lands below the centre and leaves the top alone.
    EXPECT_TRUE(shadowed > 20 && shadowed < 64 * 64 / 8) << shadowed;
    EXPECT_LT(shaded[5 * 64 + 32].r, 0.5f * open[5 * 64 + 32].r);
    EXPECT_NEAR(shaded[60 * 64 + 32].r, open[60 * 64 + 32].r, 1e-3f);
}

}  // namespace
