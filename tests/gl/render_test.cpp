// The rendering core on a live context: program reports and the game's programs, meshes and their
// texture units, texture loading, and what the lit, lamp, gem and water programs draw.
#include <gtest/gtest.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <set>

#include "physics/camera.h"
#include "render/light_set.h"
#include "render/model.h"
#include "support/gl_context.h"

namespace {

using testsupport::gameProgram;
using testsupport::makeQuad;
using testsupport::makeSolidTexture;
using testsupport::writeFile;

struct Render : testsupport::GlTest {
    std::string dir = testsupport::makeTempDir("glimmer-render");
};

TEST_F(Render, ProgramFailuresAreReportedOneLineAStageAndGoodProgramsBuildQuietly) {
    const std::string vertex = writeFile(dir, "v.txt",
                                         "#version 460 core\nlayout(location = 0) in vec3 p;\n"
                                         "void main() { gl_Position = vec4(p, 1.0); }\n");
    const std::string fragment =
        writeFile(dir, "f.txt", "#version 460 core\nout vec4 c;\nvoid main() { c = vec4(1); }\n");
    const std::string broken =
        writeFile(dir, "b.txt", "#version 460 core\nout vec4 c;\nvoid main() { c = nope; }\n");
    const std::string compile = "ERROR::SHADER_COMPILATION_ERROR of type: ";
    const std::string tail = "\n -- --------------------------------------------------- -- \n"
                             "ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\n";
    const std::string cases[][3] = {{dir + "/absent.txt", fragment,
                                     "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ: "},
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
        // One report of the failing stage; a compile report ends with the separator.
        EXPECT_EQ(out.rfind(c[2], 0), 0u) << out;
        EXPECT_EQ(out.find(c[2].substr(0, 20), 1), std::string::npos) << out;
        if (c[2].rfind(compile, 0) == 0) EXPECT_NE(out.find(tail), std::string::npos) << out;
        if (c[2].empty()) EXPECT_EQ(out, "");
    }
}

// Every program of the game builds quietly with the uniforms the game sets.
TEST_F(Render, EveryGameProgramHasTheUniformsTheGameSets) {
    std::vector<std::string> lit = {
        "model", "projectionView", "lightSpaceMatrix", "lightPos", "shadowMap", "cells",
        "specular", "brightness", "viewPos", "material.diffuse", "material.specular",
        "material.shininess", "dirLight.direction", "dirLight.color", "spotLight.position",
        "spotLight.direction", "spotLight.color", "spotLight.constant", "spotLight.linear",
        "spotLight.quadratic", "spotLight.cutOff", "spotLight.outerCutOff", "flashLightToggle"};
    for (int i = 0; i < 40; ++i) {
        const char* fields[] = {"position", "color", "constant", "linear", "quadratic"};
        lit.push_back("pointLights[" + std::to_string(i / 5) + "]." + fields[i % 5]);
    }
    const std::tuple<const char*, const char*, std::vector<std::string>> programs[] = {
        {"vShaderMultipleLights_textured.txt", "fShaderMultipleLights_textured.txt", lit},
        {"vShader_wave.txt", "fShader_wave.txt",
         {"model", "projectionView", "time", "brightness", "viewPos", "material.diffuse",
          "material.shininess", "dirLight.direction", "dirLight.color"}},
        {"vSimpleDepth.txt", "fSimpleDepth.txt", {"lightSpaceMatrix", "model"}},
        {"vPrepass.txt", "fPrepass.txt", {"projectionView", "model"}},
        {"vShader_text.txt", "fShader_text.txt", {"projMatrix", "textColor"}},
        {"vShader_particles.txt", "fShader_particles.txt", {"view", "projection", "color"}},
        {"vShader_skybox.txt", "fShader_skybox.txt", {"view", "projection", "brightness", "skybox"}},
        {"vShader_cubemap.txt", "fShader_cubemap.txt",
         {"projectionView", "model", "cameraPos", "brightness", "skybox"}},
        {"vblur.txt", "fblur.txt", {"image", "horizontal", "tapOffset"}},
        {"vbloom_final.txt", "fbloom_final.txt", {"scene", "bloomBlur", "bloom", "exposure"}},
    };
    for (const auto& [vertex, fragment, uniforms] : programs) {
        const render::Shader shader = gameProgram(vertex, fragment);
        for (const std::string& name : uniforms) {
            EXPECT_NE(glGetUniformLocation(shader.programId, name.c_str()), -1) << fragment << name;
        }
    }
}

TEST_F(Render, MeshesBindTheirTexturesToNumberedSamplersAndTexturesLoadWithTheirOwnRows) {
    const render::Shader shader(
        writeFile(dir, "v.txt",
                  "#version 460 core\nlayout(location = 0) in vec3 p;\n"
                  "void main() { gl_Position = vec4(p, 1.0); }\n")
            .c_str(),
        writeFile(dir, "f.txt",
                  "#version 460 core\nuniform sampler2D texture_diffuse1, texture_diffuse2, "
                  "texture_specular1;\nout vec4 c;\nvoid main() { c = texture(texture_diffuse1, "
                  "vec2(0)) + texture(texture_diffuse2, vec2(0)) + "
                  "texture(texture_specular1, vec2(0)); }\n")
            .c_str());
    shader.use();
    const char* names[] = {"texture_diffuse1", "texture_diffuse2", "texture_specular1"};
    for (const char* name : names) glUniform1i(glGetUniformLocation(shader.programId, name), 7);
    const GLuint ids[] = {makeSolidTexture(255, 0, 0), makeSolidTexture(0, 255, 0),
                          makeSolidTexture(0, 0, 255)};
    const auto quad = makeQuad({{ids[0], "texture_diffuse", "a"},
                                {ids[1], "texture_diffuse", "b"},
                                {ids[2], "texture_specular", "c"}});
    for (int round = 0; round < 2; ++round) {
        quad->draw(shader);
        for (GLuint unit = 0; unit < 3; ++unit) {
            EXPECT_EQ(testsupport::uniformInt(shader.programId, names[unit]), static_cast<int>(unit));
            glActiveTexture(GL_TEXTURE0 + unit);
            GLint bound = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            EXPECT_EQ(static_cast<GLuint>(bound), ids[unit]);
        }
        // A draw ends on unit 0, with or without textures.
        glActiveTexture(GL_TEXTURE3);
        makeQuad()->draw(shader);
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        EXPECT_EQ(active, GL_TEXTURE0);
    }
    // Odd widths: neither row is a multiple of 4 bytes long.
    std::vector<unsigned char> rgb, greyAlpha;
    for (int i = 0; i < 45; ++i) rgb.push_back(static_cast<unsigned char>(i * 5));
    for (int i = 0; i < 12; ++i) greyAlpha.push_back(static_cast<unsigned char>(i * 10 + 10));
    testsupport::writePng(dir + "/rgb.png", 5, 3, 3, rgb);
    testsupport::writePng(dir + "/ga.png", 3, 2, 2, greyAlpha);
    writeFile(dir, "junk.png", "not an image");
    const auto readBack = [](GLuint id, GLenum format, std::size_t bytes) {
        std::vector<unsigned char> pixels(bytes);
        glBindTexture(GL_TEXTURE_2D, id);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    testsupport::CoutCapture capture;
    EXPECT_EQ(readBack(render::loadTextureFile("rgb.png", dir), GL_RGB, 45), rgb);
    EXPECT_EQ(readBack(render::loadTextureFile("ga.png", dir), GL_RG, 12), greyAlpha);
    // A 2 x 1 grey PNG with 16-bit samples 0x1234 and 0xABCD: each texel keeps the high byte.
    writeFile(dir, "deep.png",
              std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x10\0\0\0\0"
                          "\x81\xD9\xFC\x15\0\0\0\x0DIDAT\x78\xDA\x63\x10\x32\x59\x7D\x16\0"
                          "\x03\x0C\x01\xBF\xB1\xE7\xD4\x4D\0\0\0\0IEND\xAE\x42\x60\x82",
                          70));
    EXPECT_EQ(readBack(render::loadTextureFile("deep.png", dir), GL_RED, 2),
              (std::vector<unsigned char>{0x12, 0xAB}));
    EXPECT_EQ(capture.text(), "");
    GLint unpack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(unpack, 4);
    // A failed image still gets a texture name to bind.
    EXPECT_NE(render::loadTextureFile("junk.png", dir), 0u);
    EXPECT_EQ(capture.text(), "Texture failed to load at path: junk.png\n");
}

TEST_F(Render, AModelLoadsEachImageOnceAndEachMeshKeepsItsOwnData) {
    testsupport::writePng(dir + "/a.png", 1, 1, 3, {255, 0, 0});
    testsupport::writePng(dir + "/b.png", 1, 1, 3, {0, 0, 255});
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
    EXPECT_EQ(a.textures[0].id, a.textures[1].id);
    EXPECT_EQ(a.textures[1].type, "texture_diffuse");
    EXPECT_EQ(b.textures[0].path, "b.png");
    EXPECT_EQ(model.texturesLoaded.size(), 3u);
    // Mesh B indexes its own buffer; the model's list is shifted past A's vertices.
    EXPECT_EQ(a.vertices.size() + b.vertices.size(), model.vertices.size());
    for (std::size_t i = 0; i < b.indices.size(); ++i) {
        ASSERT_LT(b.indices[i], b.vertices.size());
        EXPECT_EQ(model.indexList()[a.indices.size() + i], b.indices[i] + a.vertices.size());
    }
}

// A 2 × 2 white quad at z 0 facing +z, seen from `eye` along -z through `fovDegrees` into a
// target with the colour and the glow outputs.
struct LitQuad : Render {
    void SetUp() override {
        Render::SetUp();
        white = makeSolidTexture(255, 255, 255);
        quad = makeQuad({{white, "texture_diffuse", "white"}});
        target = std::make_unique<testsupport::Target>(64, 2);
    }
    static render::LightSet litSet() {
        return render::LightSet(testsupport::shaderPath("vShaderMultipleLights_textured.txt").c_str(),
                                testsupport::shaderPath("fShaderMultipleLights_textured.txt").c_str());
    }
    // Draws the quad (placed by `model`) with the program's uniforms; returns one output.
    std::vector<glm::vec4> draw(const render::Shader& shader, int output = 0,
                                const glm::mat4& model = glm::mat4(1.0f)) {
        shader.use();
        shader.setUniformMat4("projectionView",
                              glm::perspective(glm::radians(fovDegrees), 1.0f, 0.1f, 100.0f) *
                                  glm::lookAt(eye, eye - glm::vec3(0, 0, 1), {0, 1, 0}));
        shader.setUniformMat4("model", model);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, white);
        target->start();
        quad->draw(shader);
        return target->read(output);
    }
    float centre(const render::Shader& shader, int output = 0) { return draw(shader, output)[2080].r; }
    // Only point light `index` on, white, at `position`; no sun, no flashlight.
    static void onlyPointLight(const render::Shader& shader, int index, const glm::vec3& position) {
        shader.setUniformVec3("dirLight.color", glm::vec3(0.0f));
        shader.setUniformBool("flashLightToggle", false);
        for (int i = 0; i < 8; ++i) {
            const std::string light = "pointLights[" + std::to_string(i) + "].";
            shader.setUniformVec3(light + (i == index ? "position" : "color"),
                                  i == index ? position : glm::vec3(0.0f));
        }
    }
    static float peak(const std::vector<glm::vec4>& pixels) {
        float highest = 0.0f;
        for (const glm::vec4& p : pixels) highest = std::max({highest, p.r, p.g, p.b});
        return highest;
    }
    physics::Camera viewer() const {
        physics::Camera camera;
        camera.position = eye;
        camera.front = {0.0f, 0.0f, -1.0f};
        return camera;
    }
    std::unique_ptr<testsupport::Target> target;
    GLuint white = 0;
    std::unique_ptr<render::Mesh> quad;
    glm::vec3 eye{0.0f, 0.0f, 2.4f};
    float fovDegrees = 45.0f;
};

TEST_F(LitQuad, BrightnessScalesTheSceneTheSunLightsWhatFacesItAndCelShadingBandsIt) {
    const render::LightSet scene = litSet();
    scene.applySceneLighting(0.0f, viewer(), true);
    EXPECT_EQ(peak(draw(scene.shader)) + peak(draw(scene.shader, 1)), 0.0f);
    scene.applySceneLighting(1.0f, viewer(), false);
    onlyPointLight(scene.shader, -1, {});
    scene.shader.setUniformVec3("dirLight.color", glm::vec3(0.8f));
    // The low sun shines towards -z and down: on a face turned to +z, not on one turned away,
    // which keeps only the sky's fill light.
    const float facing = centre(scene.shader);
    const float away = draw(scene.shader, 0, glm::rotate(glm::mat4(1.0f), 3.14159f, {0, 1, 0}))[2080].r;
    EXPECT_GT(facing, 2.0f * away);
    EXPECT_GT(away, 0.0f);
    // One white light just off the left edge: intensity falls across the row, in a few bands.
    onlyPointLight(scene.shader, 0, {-1.3f, 0.0f, 0.3f});
    scene.shader.setUniformVec3("pointLights[0].color", glm::vec3(1.0f));
    for (const bool cells : {false, true}) {
        scene.setCelShading(cells);
        const std::vector<glm::vec4> image = draw(scene.shader);
        std::set<long> levels;
        for (int x = 0; x < 64; ++x) levels.insert(std::lround(image[32 * 64 + x].r * 1000.0f));
        EXPECT_TRUE(cells ? levels.size() >= 2 && levels.size() <= 6 : levels.size() >= 20);
    }
}

TEST_F(LitQuad, TheFlashlightLightsAFullConeOf50DegreesThatFadesOutBy52) {
    const render::LightSet scene = litSet();
    // Close to a quad four times as large, through a wide lens: the cone's edge is on screen.
    eye = {0.0f, 0.0f, 1.0f};
    fovDegrees = 120.0f;
    const glm::mat4 large = glm::scale(glm::mat4(1.0f), glm::vec3(4.0f));
    const auto lit = [&](const physics::Camera& camera, bool on) {
        scene.applySceneLighting(1.0f, camera, on);
        onlyPointLight(scene.shader, -1, {});
        scene.shader.setUniformBool("flashLightToggle", on);
        return draw(scene.shader, 0, large);
    };
    const std::vector<glm::vec4> off = lit(viewer(), false), on = lit(viewer(), true);
    int inside = 0, full = 0, fading = 0;
    for (int x = 32; x < 64; ++x) {
        // The pixel's angle from the aim, along the middle row.
        const float ndc = (static_cast<float>(x) + 0.5f) / 32.0f - 1.0f;
        const float angle = glm::degrees(std::atan(ndc * std::tan(glm::radians(60.0f))));
        const float gain = on[static_cast<std::size_t>(32 * 64 + x)].r - off[32 * 64 + x].r;
        if (angle < 49.5f) inside += 1, full += gain > 0.05f;
        if (angle > 50.3f && angle < 51.7f) fading += gain > 0.0f;
        if (angle > 52.5f) EXPECT_NEAR(gain, 0.0f, 1e-5f) << angle;
    }
    EXPECT_EQ(full, inside);
    EXPECT_GT(inside, 10);
    EXPECT_GT(fading, 0);
    // Aimed away from the quad, switching it on changes nothing.
    physics::Camera away = viewer();
    away.front = {0.0f, 0.0f, 1.0f};
    EXPECT_EQ(lit(away, true), off);
}

TEST_F(LitQuad, LampsShineFromWithinAndGlowWhereTheDimSceneDoesNot) {
    const render::LightSet lamps = litSet();
    lamps.applyLampLighting(1.0f, viewer(), true);
    // Lamp light 0 right in front: bright enough to glow, the glow being the colour itself.
    onlyPointLight(lamps.shader, 0, {0.0f, 0.0f, 1.0f});
    EXPECT_GT(draw(lamps.shader, 1)[2080].g, 1.0f);
    EXPECT_EQ(draw(lamps.shader, 1)[2080], draw(lamps.shader, 0)[2080]);
    // A lamp's light grazing its surface still lights it: lamps read as lit from within.
    onlyPointLight(lamps.shader, 0, {0.0f, 3.0f, 0.0f});
    EXPECT_GT(draw(lamps.shader)[2080].g, 1.0f);
    // Neither the flashlight nor the sun reaches the lamps.
    onlyPointLight(lamps.shader, -1, {});
    lamps.shader.setUniformBool("flashLightToggle", true);
    EXPECT_EQ(peak(draw(lamps.shader)), 0.0f);
    const render::LightSet scene = litSet();
    scene.applySceneLighting(1.0f, viewer(), false);
    EXPECT_GT(peak(draw(scene.shader)), 0.0f);
    EXPECT_EQ(peak(draw(scene.shader, 1)), 0.0f);
}

TEST_F(LitQuad, WaterMovesWithTimeStaysTranslucentAndDarkensWithBrightness) {
    const render::Shader water = gameProgram("vShader_wave.txt", "fShader_wave.txt");
    // A flat grid in the xz plane, 24 cells a side, seen from above at an angle.
    std::vector<render::Vertex> vertices(625);
    std::vector<GLuint> indices;
    for (GLuint i = 0; i < 625; ++i) {
        vertices[i].position = {-2.0f + static_cast<float>(i % 25) / 6.0f, 0.0f,
                                -2.0f + static_cast<float>(i / 25) / 6.0f};
        vertices[i].normal = {0.0f, 1.0f, 0.0f};
        if (i % 25 < 24 && i < 600) indices.insert(indices.end(), {i, i + 25, i + 1, i + 1, i + 25, i + 26});
    }
    const render::Mesh grid(vertices, indices, {{white, "texture_diffuse", "white"}});
    water.use();
    water.setUniformMat4("projectionView",
                         glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f) *
                             glm::lookAt(glm::vec3(0.0f, 2.5f, 2.5f), glm::vec3(0.0f), {0, 1, 0}));
    water.setUniformMat4("model", glm::mat4(1.0f));
    water.setUniformVec3("viewPos", {0.0f, 2.5f, 2.5f});
    water.setUniformFloat("material.shininess", 100.0f);
    water.setUniformVec3("dirLight.direction", {0.0f, -1.0f, 0.0f});
    water.setUniformVec3("dirLight.color", glm::vec3(1.0f));
    const auto at = [&](float milliseconds, float brightness) {
        water.setUniformFloat("time", milliseconds);
        water.setUniformFloat("brightness", brightness);
        target->start();
        grid.draw(water);
        return target->read();
    };
    const std::vector<glm::vec4> early = at(0.0f, 1.0f), later = at(1500.0f, 1.0f);
    int changed = 0;
    for (std::size_t i = 0; i < early.size(); ++i) changed += early[i].r != later[i].r;
    EXPECT_GT(changed, 64 * 64 / 10);
    const glm::vec4 middle = later[2080];
    EXPECT_TRUE(middle.r > 0.1f && middle.a > 0.3f && middle.a < 1.0f);
    EXPECT_EQ(peak(at(1500.0f, 0.0f)), 0.0f);
}

// The sun's shadow: a depth map on its own unit seen through "lightSpaceMatrix".
struct Shadow : LitQuad {
    void SetUp() override {
        LitQuad::SetUp();
        glGenTextures(1, &map);
        glBindTexture(GL_TEXTURE_2D, map);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 512, 512, 0, GL_DEPTH_COMPONENT,
                     GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        // Edge clamping, unlike the game's border: off-map lookups must be handled by the shader.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glGenFramebuffers(1, &mapTarget);
        glBindFramebuffer(GL_FRAMEBUFFER, mapTarget);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, map, 0);
        glDrawBuffer(GL_NONE);
    }
    // A sun at `sun` looking at the origin, a 4 × 4 footprint (moved by `shift`), depth to `far`.
    static glm::mat4 sunMatrix(const glm::vec3& sun, float far, float shift = 0.0f) {
        return glm::ortho(-2.0f + shift, 2.0f + shift, -2.0f, 2.0f, 0.1f, far) *
               glm::lookAt(sun, glm::vec3(0.0f), {0, 1, 0});
    }
    // Casters into the map: the quad itself, and a small one half a unit in front of its centre.
    void cast(const render::Shader& depth, const glm::mat4& lightSpace, bool withCaster) {
        depth.use();
        depth.setUniformMat4("lightSpaceMatrix", lightSpace);
        glBindFramebuffer(GL_FRAMEBUFFER, mapTarget);
        glViewport(0, 0, 512, 512);
        glEnable(GL_DEPTH_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        depth.setUniformMat4("model", glm::mat4(1.0f));
        quad->drawGeometry();
        depth.setUniformMat4("model", glm::scale(glm::translate(glm::mat4(1.0f), {0, 0, 0.5f}),
                                                 glm::vec3(withCaster ? 0.2f : 0.0f)));
        quad->drawGeometry();
    }
    void fillMap(float depth) const {
        glBindFramebuffer(GL_FRAMEBUFFER, mapTarget);
        glClearDepth(depth);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
    }
    // Scene lighting with only the sun at `sun`, its matrix and the map on unit 2.
    std::vector<glm::vec4> drawSunlit(const render::LightSet& scene, const glm::vec3& sun,
                                      const glm::mat4& lightSpace) {
        scene.applySceneLighting(1.0f, viewer(), false);
        onlyPointLight(scene.shader, -1, {});
        scene.shader.setUniformVec3("dirLight.color", glm::vec3(0.8f));
        scene.shader.setUniformVec3("dirLight.direction", -sun);
        scene.shader.setUniformMat4("lightSpaceMatrix", lightSpace);
        scene.shader.setUniformVec3("lightPos", sun);
        scene.shader.setUniformInt("shadowMap", 2);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, map);
        return draw(scene.shader);
    }
    GLuint map = 0, mapTarget = 0;
};

TEST_F(Shadow, CoveredFragmentsKeepTheirAmbientASurfaceDoesNotShadowItselfAndOffTheMapNothingIs) {
    const render::Shader depth = gameProgram("vSimpleDepth.txt", "fSimpleDepth.txt");
    const render::LightSet scene = litSet();
    // A low sun, 60 degrees from the quad's normal: a steep depth slope across the map.
    const glm::vec3 sun(0.0f, 6.0f, 3.4641f);
    const glm::mat4 lightSpace = sunMatrix(sun, 20.0f);
    fillMap(1.0f);
    const std::vector<glm::vec4> open = drawSunlit(scene, sun, lightSpace);
    fillMap(0.0f);
    const float covered = drawSunlit(scene, sun, lightSpace)[2080].r;
    EXPECT_TRUE(covered > 0.0f && covered < 0.5f * open[2080].r) << covered;
    // The quad lies about 7 units from the sun: beyond a far plane at 3, and off a footprint
    // moved 10 units aside, nothing is known about casters: unshadowed.
    EXPECT_EQ(drawSunlit(scene, sun, sunMatrix(sun, 3.0f)), open);
    EXPECT_EQ(drawSunlit(scene, sun, sunMatrix(sun, 20.0f, 10.0f)), open);
    cast(depth, lightSpace, false);
    const std::vector<glm::vec4> self = drawSunlit(scene, sun, lightSpace);
    int acne = 0;
    for (std::size_t i = 0; i < self.size(); ++i) acne += self[i].r < open[i].r - 1e-3f;
    EXPECT_EQ(acne, 0);
    cast(depth, lightSpace, true);
    const std::vector<glm::vec4> shaded = drawSunlit(scene, sun, lightSpace);
    int shadowed = 0;
    for (std::size_t i = 0; i < shaded.size(); ++i) shadowed += shaded[i].r < 0.5f * open[i].r;
    // The sun is above: the caster's shadow lands below the centre and leaves the top alone.
    EXPECT_TRUE(shadowed > 20 && shadowed < 64 * 64 / 8) << shadowed;
    EXPECT_LT(shaded[5 * 64 + 32].r, 0.5f * open[5 * 64 + 32].r);
    EXPECT_NEAR(shaded[60 * 64 + 32].r, open[60 * 64 + 32].r, 1e-3f);
}

}  // namespace
