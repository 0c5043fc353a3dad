// Every effects shader pair compiles, links, and declares the uniforms and outputs the C++ uses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "render/shader.h"
#include "support/gl_context.h"

namespace {

struct ProgramFiles {
    const char* vertex;
    const char* fragment;
    std::vector<const char*> uniforms;
    // Fragment output locations the program must write: 0 and 1 when it draws into the HDR
    // target, 0 alone for the blur and the composite.
    std::set<GLint> outputs;
};

std::string shaderPath(const char* file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

const std::vector<ProgramFiles>& effectsPrograms() {
    static const std::vector<ProgramFiles> programs = {
        {"vShader_text.txt", "fShader_text.txt", {"projMatrix", "textColor"}, {0, 1}},
        {"vShader_particles.txt", "fShader_particles.txt", {"view", "projection", "color"}, {0, 1}},
        {"vShader_skybox.txt",
         "fShader_skybox.txt",
         {"view", "projection", "brightness", "skybox"},
         {0, 1}},
        {"vShader_cubemap.txt",
         "fShader_cubemap.txt",
         {"projectionView", "model", "cameraPos", "brightness", "skybox"},
         {0, 1}},
        {"vblur.txt", "fblur.txt", {"image", "horizontal"}, {0}},
        {"vbloom_final.txt", "fbloom_final.txt", {"scene", "bloomBlur", "bloom", "exposure"}, {0}},
    };
    return programs;
}

std::set<GLint> outputLocations(GLuint program) {
    GLint count = 0;
    glGetProgramInterfaceiv(program, GL_PROGRAM_OUTPUT, GL_ACTIVE_RESOURCES, &count);
    std::set<GLint> locations;
    for (GLint i = 0; i < count; ++i) {
        const GLenum property = GL_LOCATION;
        GLint location = -1;
        glGetProgramResourceiv(program, GL_PROGRAM_OUTPUT, static_cast<GLuint>(i), 1, &property, 1,
                               nullptr, &location);
        locations.insert(location);
    }
    return locations;
}

class EffectsShaders : public testsupport::GlTest {};

TEST_F(EffectsShaders, EveryProgramBuildsWithoutAMessage) {
    for (const ProgramFiles& files : effectsPrograms()) {
        SCOPED_TRACE(files.fragment);
        testsupport::CoutCapture capture;
        const render::Shader shader(shaderPath(files.vertex).c_str(),
                                    shaderPath(files.fragment).c_str());
        EXPECT_EQ(capture.text(), "");
        GLint linked = GL_FALSE;
        glGetProgramiv(shader.programId, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
    }
}

TEST_F(EffectsShaders, EveryUniformTheCodeSetsIsActive) {
    for (const ProgramFiles& files : effectsPrograms()) {
        testsupport::CoutCapture capture;
        const render::Shader shader(shaderPath(files.vertex).c_str(),
                                    shaderPath(files.fragment).c_str());
        for (const char* name : files.uniforms) {
            EXPECT_NE(glGetUniformLocation(shader.programId, name), -1)
                << files.fragment << " lacks an active \"" << name << "\"";
        }
    }
}

TEST_F(EffectsShaders, ProgramsWriteTheColourOutputsOfTheirTarget) {
    for (const ProgramFiles& files : effectsPrograms()) {
        SCOPED_TRACE(files.fragment);
        testsupport::CoutCapture capture;
        const render::Shader shader(shaderPath(files.vertex).c_str(),
                                    shaderPath(files.fragment).c_str());
        EXPECT_EQ(outputLocations(shader.programId), files.outputs);
    }
}

}  // namespace
