// The shadow map target and the state the depth pass sets up and restores.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <glm/gtc/type_ptr.hpp>

#include "effects/shadow_map.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

// A program with the uniforms the depth and lit programs receive, from files in a temp folder.
render::Shader makeProbeShader() {
    const fs::path dir = testsupport::makeTempDir("glimmer-shadow");
    std::ofstream(dir / "v.txt")
        << "#version 460 core\n"
           "layout(location = 0) in vec3 position;\n"
           "uniform mat4 lightSpaceMatrix;\n"
           "uniform mat4 model;\n"
           "uniform vec3 lightPos;\n"
           "out vec3 toLight;\n"
           "void main() {\n"
           "    toLight = lightPos - position;\n"
           "    gl_Position = lightSpaceMatrix * model * vec4(position, 1);\n"
           "}\n";
    std::ofstream(dir / "f.txt") << "#version 460 core\n"
                                    "in vec3 toLight;\n"
                                    "uniform sampler2D shadowMap;\n"
                                    "out vec4 color;\n"
                                    "void main() { color = texture(shadowMap, toLight.xy); }\n";
    render::Shader shader((dir / "v.txt").string().c_str(), (dir / "f.txt").string().c_str());
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return shader;
}

GLint integer(GLenum what) {
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

class ShadowMap : public testsupport::GlTest {
protected:
    // One target for the suite: each costs hundreds of megabytes and a slow clear here.
    static void SetUpTestSuite() {
        if (testsupport::sharedGlWindow()) target_ = effects::createShadowTarget();
    }
    static void TearDownTestSuite() {
        if (!testsupport::sharedGlWindow()) return;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &target_.framebuffer);
        glDeleteTextures(1, &target_.depthMap);
    }
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_CULL_FACE);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    static effects::ShadowTarget target_;
};

effects::ShadowTarget ShadowMap::target_;

TEST_F(ShadowMap, CreationLeavesTheWindowFramebufferBound) {
    glBindFramebuffer(GL_FRAMEBUFFER, target_.framebuffer);
    const effects::ShadowTarget second = effects::createShadowTarget();
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_NE(second.depthMap, target_.depthMap);
    glDeleteFramebuffers(1, &second.framebuffer);
    glDeleteTextures(1, &second.depthMap);
}

TEST_F(ShadowMap, TargetIsOneLargeDepthTextureWithAFarBorder) {
    glBindTexture(GL_TEXTURE_2D, target_.depthMap);
    GLint width = 0, height = 0, depthBits = 0, redBits = -1, minFilter = 0, wrapS = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE, &depthBits);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &redBits);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glm::vec4 border(0.0f);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, glm::value_ptr(border));
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, effects::kShadowSize);
    EXPECT_EQ(height, effects::kShadowSize);
    EXPECT_GT(depthBits, 0);
    EXPECT_EQ(redBits, 0);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_BORDER);
    EXPECT_EQ(border, glm::vec4(1.0f));

    glBindFramebuffer(GL_FRAMEBUFFER, target_.framebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    EXPECT_EQ(integer(GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(integer(GL_READ_BUFFER), GL_NONE);
}

TEST_F(ShadowMap, PassSetsUpTheDepthStateAndEndRestoresTheWindow) {
    testsupport::CoutCapture capture;
    const render::Shader depth = makeProbeShader();
    ASSERT_EQ(capture.text(), "");
    glEnable(GL_CULL_FACE);
    const glm::mat4 lightSpace = effects::computeLightSpaceMatrix();

    effects::beginShadowPass(depth, lightSpace, target_);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_CURRENT_PROGRAM)), depth.programId);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_FRAMEBUFFER_BINDING)), target_.framebuffer);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], effects::kShadowSize);
    EXPECT_EQ(viewport[3], effects::kShadowSize);
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    GLfloat factor = 0.0f, units = 0.0f;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_FLOAT_EQ(factor, 2.0f);
    EXPECT_FLOAT_EQ(units, 1.0f);
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_FRONT);
    glm::mat4 uploaded(0.0f);
    glGetUniformfv(depth.programId, glGetUniformLocation(depth.programId, "lightSpaceMatrix"),
                   glm::value_ptr(uploaded));
    EXPECT_EQ(uploaded, lightSpace);
    // The depth was cleared to the far plane.
    float texel = 0.0f;
    glReadPixels(5000, 5000, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &texel);
    EXPECT_FLOAT_EQ(texel, 1.0f);

    effects::endShadowPass(64, 48);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 48);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
}

TEST_F(ShadowMap, LitPassReceivesTheMapOnAUnitNoMeshMapReaches) {
    testsupport::CoutCapture capture;
    const render::Shader scene = makeProbeShader();
    ASSERT_EQ(capture.text(), "");
    effects::setShadowMapUnit(scene);
    const glm::mat4 lightSpace = effects::computeLightSpaceMatrix();
    effects::bindShadowMapForScene(scene, lightSpace, target_);

    GLint unit = -1;
    glGetUniformiv(scene.programId, glGetUniformLocation(scene.programId, "shadowMap"), &unit);
    EXPECT_EQ(unit, effects::kShadowMapUnit);
    glm::vec3 lightPos(0.0f);
    glGetUniformfv(scene.programId, glGetUniformLocation(scene.programId, "lightPos"),
                   glm::value_ptr(lightPos));
    EXPECT_EQ(lightPos, effects::kLightPos);
    glm::mat4 uploaded(0.0f);
    glGetUniformfv(scene.programId, glGetUniformLocation(scene.programId, "lightSpaceMatrix"),
                   glm::value_ptr(uploaded));
    EXPECT_EQ(uploaded, lightSpace);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0 + effects::kShadowMapUnit);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), target_.depthMap);
    // A mesh with a diffuse and a specular map binds units 0 and 1; the shadow map stays put.
    GLuint maps[2] = {0, 0};
    glGenTextures(2, maps);
    for (int i = 0; i < 2; ++i) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + i));
        glBindTexture(GL_TEXTURE_2D, maps[i]);
    }
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + effects::kShadowMapUnit));
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), target_.depthMap);
    glDeleteTextures(2, maps);
    glActiveTexture(GL_TEXTURE0);
}

}  // namespace
