// Light sets on a live context: the uniforms each lighting sends, and small off-screen renders of a
// lit quad (brightness, flashlight cone, cel bands, glow output, sun shadow).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "physics/camera.h"
#include "render/light_set.h"
#include "render/mesh.h"
#include "render/shader.h"
#include "support/gl_context.h"

namespace {

constexpr int kSize = 64;

std::string shaderPath(const std::string& file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

render::LightSet makeLitSet() {
    return render::LightSet(shaderPath("vShaderMultipleLights_textured.txt").c_str(),
                            shaderPath("fShaderMultipleLights_textured.txt").c_str());
}

float uniformFloat(const render::Shader& shader, const std::string& name) {
    GLfloat value = -12345.0f;
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, name.c_str()), &value);
    return value;
}

glm::vec3 uniformVec3(const render::Shader& shader, const std::string& name) {
    GLfloat value[3] = {-1.0f, -1.0f, -1.0f};
    glGetUniformfv(shader.programId, glGetUniformLocation(shader.programId, name.c_str()), value);
    return {value[0], value[1], value[2]};
}

GLint uniformInt(const render::Shader& shader, const std::string& name) {
    GLint value = -12345;
    glGetUniformiv(shader.programId, glGetUniformLocation(shader.programId, name.c_str()), &value);
    return value;
}

physics::Camera cameraAt(const glm::vec3& position, const glm::vec3& front) {
    physics::Camera camera;
    camera.position = position;
    camera.front = front;
    return camera;
}

class RenderLightSet : public testsupport::GlTest {};

TEST_F(RenderLightSet, SceneLightingSendsTheFullSpotlightEvenWithTheFlashlightOff) {
    const render::LightSet scene = makeLitSet();
    const physics::Camera camera = cameraAt({1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, -1.0f});
    scene.applySceneLighting(0.75f, camera, false);
    EXPECT_EQ(uniformInt(scene.shader, "flashLightToggle"), 0);
    EXPECT_EQ(uniformVec3(scene.shader, "spotLight.color"), glm::vec3(1.0f));
    EXPECT_EQ(uniformVec3(scene.shader, "spotLight.position"), camera.position);
    EXPECT_EQ(uniformVec3(scene.shader, "spotLight.direction"), camera.front);
    EXPECT_EQ(uniformVec3(scene.shader, "viewPos"), camera.position);
    EXPECT_FLOAT_EQ(uniformFloat(scene.shader, "brightness"), 0.75f);
    // Full light within 50 degrees of the aim, none beyond 52.
    EXPECT_NEAR(uniformFloat(scene.shader, "spotLight.cutOff"), std::cos(glm::radians(50.0f)),
                1e-6f);
    EXPECT_NEAR(uniformFloat(scene.shader, "spotLight.outerCutOff"), std::cos(glm::radians(52.0f)),
                1e-6f);
    EXPECT_EQ(uniformInt(scene.shader, "specular"), 0);
    EXPECT_EQ(uniformInt(scene.shader, "material.diffuse"), 0);
    EXPECT_EQ(uniformInt(scene.shader, "material.specular"), 1);
    for (std::size_t i = 0; i < 8; ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        EXPECT_EQ(uniformVec3(scene.shader, prefix + "position"), scene.lightPositions[i]);
        EXPECT_EQ(uniformVec3(scene.shader, prefix + "color"), scene.basePalette[i]);
        // Scene lights are no brighter than 1 in any channel.
        EXPECT_LE(
            std::max({scene.basePalette[i].r, scene.basePalette[i].g, scene.basePalette[i].b}),
            1.0f);
    }
    scene.applySceneLighting(0.75f, camera, true);
    EXPECT_EQ(uniformInt(scene.shader, "flashLightToggle"), 1);
}

TEST_F(RenderLightSet, LampsAndGemsGetNoSunNoFlashlightAndNeverTouchCells) {
    const render::LightSet lamps = makeLitSet();
    const render::LightSet gems = makeLitSet();
    const physics::Camera camera;
    lamps.applyLampLighting(1.0f, camera, true);
    gems.applyGemLighting(1.0f, camera, true);
    for (const render::LightSet* set : {&lamps, &gems}) {
        EXPECT_EQ(uniformInt(set->shader, "specular"), 1);
        EXPECT_EQ(uniformVec3(set->shader, "dirLight.color"), glm::vec3(0.0f));
        EXPECT_EQ(uniformVec3(set->shader, "spotLight.color"), glm::vec3(0.0f));
        EXPECT_EQ(uniformInt(set->shader, "flashLightToggle"), 1);
        EXPECT_EQ(uniformInt(set->shader, "cells"), 0);
        EXPECT_FLOAT_EQ(uniformFloat(set->shader, "material.shininess"), 2147483648.0f);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        EXPECT_EQ(uniformVec3(lamps.shader, prefix + "color"), lamps.brightPalette[i]);
        // The lamps glow in the scene lights' hues, only brighter.
        const glm::vec3 hue = lamps.brightPalette[i] / lamps.basePalette[i];
        for (int c = 0; c < 3; ++c) {
            if (lamps.basePalette[i][c] > 0.0f) {
                EXPECT_GE(hue[c], 5.0f) << i;
            } else {
                EXPECT_EQ(lamps.brightPalette[i][c], 0.0f) << i;
            }
        }
    }
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        EXPECT_EQ(uniformVec3(gems.shader, prefix + "position"), gems.gemLightPositions[i]);
        EXPECT_EQ(uniformVec3(gems.shader, prefix + "color"), glm::vec3(5.0f));
        EXPECT_FLOAT_EQ(uniformFloat(gems.shader, prefix + "linear"), i >= 4 ? 0.009f : 0.09f);
    }
    for (std::size_t i = 6; i < 8; ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        EXPECT_EQ(uniformVec3(gems.shader, prefix + "color"), glm::vec3(0.0f));
        EXPECT_EQ(uniformVec3(gems.shader, prefix + "position"), gems.lightPositions[i]);
    }
    // Cel shading acts on the current program only.
    lamps.shader.use();
    lamps.setCelShading(true);
    EXPECT_EQ(uniformInt(lamps.shader, "cells"), 1);
    EXPECT_EQ(uniformInt(gems.shader, "cells"), 0);
}

// A 2 x 2 white quad at z = 0 facing +z, seen from (0, 0, 2.4) so it fills a 64 x 64 target with
// two floating-point colour outputs: 0 the colour, 1 the glow.
class RenderLitQuad : public testsupport::GlTest {
protected:
    struct Image {
        std::vector<float> color;
        std::vector<float> glow;
        glm::vec3 colorAt(int x, int y) const { return at(color, x, y); }
        glm::vec3 glowAt(int x, int y) const { return at(glow, x, y); }
        static glm::vec3 at(const std::vector<float>& pixels, int x, int y) {
            const std::size_t i = static_cast<std::size_t>(y * kSize + x) * 4;
            return {pixels[i], pixels[i + 1], pixels[i + 2]};
        }
    };

    void SetUp() override {
        testsupport::GlTest::SetUp();
        if (HasFatalFailure()) return;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        for (GLuint i = 0; i < 2; ++i) {
            glGenTextures(1, &targets[i]);
            glBindTexture(GL_TEXTURE_2D, targets[i]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kSize, kSize, 0, GL_RGBA, GL_FLOAT, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D,
                                   targets[i], 0);
        }
        const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, buffers);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);

        white = testsupport::makeSolidTexture(255, 255, 255);
        std::vector<render::Vertex> vertices(4);
        const glm::vec2 corners[] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (std::size_t i = 0; i < 4; ++i) {
            vertices[i].position = glm::vec3(corners[i], 0.0f);
            vertices[i].normal = {0.0f, 0.0f, 1.0f};
            vertices[i].texCoords = (corners[i] + 1.0f) * 0.5f;
        }
        quad = std::make_unique<render::Mesh>(
            vertices, std::vector<GLuint>{0, 1, 2, 0, 2, 3},
            std::vector<render::Texture>{{white, "texture_diffuse", "white.png"}});
    }

    // Camera matrices and the quad's placement, on the current program (`shader`'s).
    static void placeQuad(const render::Shader& shader) {
        const glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
        const glm::mat4 view =
            glm::lookAt(glm::vec3(0.0f, 0.0f, 2.4f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        shader.setUniformMat4("projectionView", projection * view);
        shader.setUniformMat4("model", glm::mat4(1.0f));
    }

    // Leaves only point light 0, white, at `position`.
    static void onlyPointLight(const render::Shader& shader, const glm::vec3& position) {
        shader.setUniformVec3("dirLight.color", glm::vec3(0.0f));
        shader.setUniformBool("flashLightToggle", false);
        for (int i = 0; i < 8; ++i) {
            shader.setUniformVec3("pointLights[" + std::to_string(i) + "].color", glm::vec3(0.0f));
        }
        shader.setUniformVec3("pointLights[0].color", glm::vec3(1.0f));
        shader.setUniformVec3("pointLights[0].position", position);
    }

    Image draw(const render::Shader& shader) const {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, kSize, kSize);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        quad->draw(shader);
        Image image;
        image.color.resize(kSize * kSize * 4);
        image.glow.resize(kSize * kSize * 4);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, image.color.data());
        glReadBuffer(GL_COLOR_ATTACHMENT1);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, image.glow.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        for (const float v : image.color) EXPECT_TRUE(std::isfinite(v));
        for (const float v : image.glow) EXPECT_TRUE(std::isfinite(v));
        return image;
    }

    static float maxChannel(const std::vector<float>& pixels) {
        float highest = 0.0f;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            highest = std::max({highest, pixels[i], pixels[i + 1], pixels[i + 2]});
        }
        return highest;
    }

    GLuint framebuffer = 0;
    GLuint targets[2] = {0, 0};
    GLuint white = 0;
    std::unique_ptr<render::Mesh> quad;
    const physics::Camera viewer = cameraAt({0.0f, 0.0f, 2.4f}, {0.0f, 0.0f, -1.0f});
};

TEST_F(RenderLitQuad, BrightnessZeroIsBlackAndOneIsNot) {
    const render::LightSet scene = makeLitSet();
    scene.applySceneLighting(0.0f, viewer, true);
    placeQuad(scene.shader);
    const Image dark = draw(scene.shader);
    EXPECT_EQ(maxChannel(dark.color), 0.0f);
    EXPECT_EQ(maxChannel(dark.glow), 0.0f);

    scene.applySceneLighting(1.0f, viewer, true);
    const Image lit = draw(scene.shader);
    EXPECT_GT(maxChannel(lit.color), 0.2f);
}

TEST_F(RenderLitQuad, FlashlightBrightensOnlyWhatItsConeReaches) {
    const render::LightSet scene = makeLitSet();
    scene.applySceneLighting(1.0f, viewer, false);
    placeQuad(scene.shader);
    const Image off = draw(scene.shader);
    scene.applySceneLighting(1.0f, viewer, true);
    const Image on = draw(scene.shader);
    const glm::vec3 centreGain = on.colorAt(32, 32) - off.colorAt(32, 32);
    EXPECT_GT(centreGain.r, 0.2f);
    EXPECT_GT(centreGain.g, 0.2f);
    EXPECT_GT(centreGain.b, 0.2f);

    // Aimed away from the quad, switching it on changes nothing.
    const physics::Camera aimedAway = cameraAt(viewer.position, {0.0f, 0.0f, 1.0f});
    scene.applySceneLighting(1.0f, aimedAway, true);
    const Image away = draw(scene.shader);
    for (std::size_t i = 0; i < away.color.size(); ++i) {
        ASSERT_NEAR(away.color[i], off.color[i], 1e-5f) << i;
    }
}

TEST_F(RenderLitQuad, CelShadingLeavesAFewBandsAlongAGradient) {
    const render::LightSet scene = makeLitSet();
    scene.applySceneLighting(1.0f, viewer, false);
    placeQuad(scene.shader);
    // One white light just off the left edge: intensity falls steadily across the row.
    onlyPointLight(scene.shader, {-1.3f, 0.0f, 0.3f});
    const auto distinctAlongRow = [&](bool cells) {
        scene.setCelShading(cells);
        const Image image = draw(scene.shader);
        std::set<long> levels;
        for (int x = 0; x < kSize; ++x) {
            levels.insert(std::lround(image.colorAt(x, kSize / 2).r * 1000.0f));
        }
        return levels.size();
    };
    const std::size_t smooth = distinctAlongRow(false);
    const std::size_t banded = distinctAlongRow(true);
    EXPECT_GE(smooth, 20u);
    EXPECT_LE(banded, 6u);
    EXPECT_GE(banded, 2u);
}

TEST_F(RenderLitQuad, LampsGlowIntoTheSecondOutputWhileTheDimSceneDoesNot) {
    const render::LightSet lamps = makeLitSet();
    lamps.applyLampLighting(1.0f, viewer, false);
    placeQuad(lamps.shader);
    // Lamp light 0 (green, intensity 5) just in front of the quad.
    lamps.shader.setUniformVec3("pointLights[0].position", {0.0f, 0.0f, 1.0f});
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, white);
    glActiveTexture(GL_TEXTURE0);
    const Image lamp = draw(lamps.shader);
    EXPECT_GT(lamp.glowAt(32, 32).g, 1.0f);
    EXPECT_EQ(lamp.glowAt(32, 32), lamp.colorAt(32, 32));

    const render::LightSet scene = makeLitSet();
    scene.applySceneLighting(1.0f, viewer, false);
    placeQuad(scene.shader);
    const Image dim = draw(scene.shader);
    EXPECT_GT(maxChannel(dim.color), 0.0f);
    EXPECT_EQ(maxChannel(dim.glow), 0.0f);
}

TEST_F(RenderLitQuad, WaterMovesWithTimeAndStaysTranslucent) {
    const render::LightSet water(shaderPath("vShader_wave.txt").c_str(),
                                 shaderPath("fShader_wave.txt").c_str());
    // A flat 4 x 4 unit grid in the xz plane, 24 cells a side, seen from above at an angle.
    constexpr int kCells = 24;
    std::vector<render::Vertex> vertices;
    std::vector<GLuint> indices;
    for (int z = 0; z <= kCells; ++z) {
        for (int x = 0; x <= kCells; ++x) {
            render::Vertex v;
            v.position = {-2.0f + 4.0f * static_cast<float>(x) / kCells, 0.0f,
                          -2.0f + 4.0f * static_cast<float>(z) / kCells};
            v.normal = {0.0f, 1.0f, 0.0f};
            v.texCoords = {static_cast<float>(x) / kCells, static_cast<float>(z) / kCells};
            vertices.push_back(v);
        }
    }
    for (GLuint z = 0; z < kCells; ++z) {
        for (GLuint x = 0; x < kCells; ++x) {
            const GLuint a = z * (kCells + 1) + x;
            const GLuint b = a + kCells + 1;
            indices.insert(indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    const render::Mesh grid(vertices, indices, {{white, "texture_diffuse", "white.png"}});
    const render::Shader& shader = water.shader;
    shader.use();
    const glm::vec3 eye(0.0f, 2.5f, 2.5f);
    shader.setUniformMat4("projectionView",
                          glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f) *
                              glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    shader.setUniformMat4("model", glm::mat4(1.0f));
    shader.setUniformVec3("viewPos", eye);
    shader.setUniformInt("material.diffuse", 0);
    shader.setUniformFloat("material.shininess", 100.0f);
    shader.setUniformVec3("dirLight.direction", {0.0f, -1.0f, 0.0f});
    shader.setUniformVec3("dirLight.color", glm::vec3(1.0f));
    shader.setUniformFloat("brightness", 1.0f);

    const auto drawAt = [&](float milliseconds) {
        shader.setUniformFloat("time", milliseconds);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        grid.draw(shader);
        std::vector<float> pixels(kSize * kSize * 4);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return pixels;
    };
    const std::vector<float> early = drawAt(0.0f);
    const std::vector<float> later = drawAt(1500.0f);
    int changed = 0;
    for (std::size_t i = 0; i < early.size(); i += 4) {
        if (std::fabs(early[i] - later[i]) > 1e-3f) ++changed;
        EXPECT_TRUE(std::isfinite(later[i]));
    }
    // Water covers the centre of the view, translucent but never invisible.
    EXPECT_GT(changed, kSize * kSize / 10);
    const std::size_t centre = static_cast<std::size_t>((kSize / 2) * kSize + kSize / 2) * 4;
    EXPECT_GT(later[centre + 3], 0.3f);
    EXPECT_LT(later[centre + 3], 1.0f);
    EXPECT_GT(later[centre], 0.1f);

    shader.setUniformFloat("brightness", 0.0f);
    const std::vector<float> dark = drawAt(1500.0f);
    for (std::size_t i = 0; i < dark.size(); i += 4) {
        ASSERT_EQ(dark[i] + dark[i + 1] + dark[i + 2], 0.0f) << i;
    }
}

// The sun's shadow: a depth map on unit 1 seen through "lightSpaceMatrix".
class RenderShadow : public RenderLitQuad {
protected:
    static constexpr int kMapSize = 512;

    void SetUp() override {
        RenderLitQuad::SetUp();
        if (HasFatalFailure()) return;
        glGenTextures(1, &shadowMap);
        glBindTexture(GL_TEXTURE_2D, shadowMap);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, kMapSize, kMapSize, 0,
                     GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        // Edge clamping, unlike the game's white border: off-map fragments must be handled by
        // the lookup itself.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glGenFramebuffers(1, &shadowTarget);
        glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowMap, 0);
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void fillShadowMap(float depth) const {
        glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget);
        glClearDepth(depth);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    // Sun at `sunPos` looking at the origin, with a 4 x 4 unit footprint and depth 0.1 to `far`.
    static glm::mat4 sunMatrix(const glm::vec3& sunPos, float far, float shiftX = 0.0f) {
        return glm::ortho(-2.0f + shiftX, 2.0f + shiftX, -2.0f, 2.0f, 0.1f, far) *
               glm::lookAt(sunPos, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    }

    // Scene lighting with only the sun, shining from `sunPos`, and the map bound on unit 1.
    void prepareSunOnly(const render::LightSet& scene, const glm::vec3& sunPos,
                        const glm::mat4& lightSpace) const {
        scene.applySceneLighting(1.0f, viewer, false);
        placeQuad(scene.shader);
        for (int i = 0; i < 8; ++i) {
            scene.shader.setUniformVec3("pointLights[" + std::to_string(i) + "].color",
                                        glm::vec3(0.0f));
        }
        scene.shader.setUniformVec3("dirLight.direction", -sunPos);
        scene.shader.setUniformMat4("lightSpaceMatrix", lightSpace);
        scene.shader.setUniformVec3("lightPos", sunPos);
        scene.shader.setUniformInt("shadowMap", 1);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, shadowMap);
        glActiveTexture(GL_TEXTURE0);
    }

    GLuint shadowMap = 0;
    GLuint shadowTarget = 0;
};

TEST_F(RenderShadow, OccludedFragmentsKeepOnlyTheirAmbientLight) {
    const render::LightSet scene = makeLitSet();
    const glm::vec3 sunPos(0.0f, 5.0f, 5.0f);
    prepareSunOnly(scene, sunPos, sunMatrix(sunPos, 20.0f));
    fillShadowMap(1.0f);
    const Image open = draw(scene.shader);
    fillShadowMap(0.0f);
    const Image covered = draw(scene.shader);
    const float lit = open.colorAt(32, 32).r;
    const float dark = covered.colorAt(32, 32).r;
    EXPECT_GT(dark, 0.0f);
    EXPECT_LT(dark, 0.3f * lit);
}

TEST_F(RenderShadow, FragmentsOffTheMapOrBeyondItsFarPlaneAreUnshadowed) {
    const render::LightSet scene = makeLitSet();
    const glm::vec3 sunPos(0.0f, 5.0f, 5.0f);
    prepareSunOnly(scene, sunPos, sunMatrix(sunPos, 20.0f));
    fillShadowMap(1.0f);
    const Image reference = draw(scene.shader);
    fillShadowMap(0.0f);
    // The quad lies about 7 units from the sun: a far plane at 3 leaves it beyond the map.
    scene.shader.setUniformMat4("lightSpaceMatrix", sunMatrix(sunPos, 3.0f));
    const Image beyond = draw(scene.shader);
    // A footprint moved 10 units aside leaves the quad off the map.
    scene.shader.setUniformMat4("lightSpaceMatrix", sunMatrix(sunPos, 20.0f, 10.0f));
    const Image aside = draw(scene.shader);
    for (std::size_t i = 0; i < reference.color.size(); ++i) {
        ASSERT_NEAR(beyond.color[i], reference.color[i], 1e-5f) << i;
        ASSERT_NEAR(aside.color[i], reference.color[i], 1e-5f) << i;
    }
}

TEST_F(RenderShadow, ASurfaceDoesNotShadowItselfButACasterAboveItDoes) {
    testsupport::CoutCapture capture;
    const render::Shader depth(shaderPath("vSimpleDepth.txt").c_str(),
                               shaderPath("fSimpleDepth.txt").c_str());
    ASSERT_EQ(capture.text(), "");
    const render::LightSet scene = makeLitSet();
    // A low sun, 60 degrees from the quad's normal: a steep depth slope across the map.
    const glm::vec3 sunPos(0.0f, 6.0f, 3.4641f);
    const glm::mat4 lightSpace = sunMatrix(sunPos, 20.0f);
    prepareSunOnly(scene, sunPos, lightSpace);
    fillShadowMap(1.0f);
    const Image reference = draw(scene.shader);

    // Depth pass: the receiver itself, then a small caster 0.5 units in front of its centre.
    const auto renderCasters = [&](bool withCaster) {
        depth.use();
        depth.setUniformMat4("lightSpaceMatrix", lightSpace);
        glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget);
        glViewport(0, 0, kMapSize, kMapSize);
        glEnable(GL_DEPTH_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        depth.setUniformMat4("model", glm::mat4(1.0f));
        quad->drawGeometry();
        if (withCaster) {
            depth.setUniformMat4(
                "model",
                glm::scale(glm::translate(glm::mat4(1.0f), {0.0f, 0.0f, 0.5f}), glm::vec3(0.2f)));
            quad->drawGeometry();
        }
        glDisable(GL_DEPTH_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    };

    renderCasters(false);
    prepareSunOnly(scene, sunPos, lightSpace);
    const Image self = draw(scene.shader);
    int acne = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (self.colorAt(x, y).r < reference.colorAt(x, y).r - 1e-3f) ++acne;
        }
    }
    EXPECT_EQ(acne, 0);

    renderCasters(true);
    prepareSunOnly(scene, sunPos, lightSpace);
    const Image shaded = draw(scene.shader);
    int shadowed = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (shaded.colorAt(x, y).r < 0.5f * reference.colorAt(x, y).r) ++shadowed;
        }
    }
    // The sun is above, so the caster's 0.4-unit shadow lands 0.87 units below the centre
    // (around row 4 of 64) and leaves the upper half alone.
    EXPECT_GT(shadowed, 20) << shadowed;
    EXPECT_LT(shadowed, kSize * kSize / 8) << shadowed;
    EXPECT_LT(shaded.colorAt(32, 5).r, 0.5f * reference.colorAt(32, 5).r);
    EXPECT_NEAR(shaded.colorAt(32, 60).r, reference.colorAt(32, 60).r, 1e-3f);
}

}  // namespace
