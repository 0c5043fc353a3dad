// Shader programs: failure reports, and every shader file of the rendering core builds with the
// uniforms, attributes and outputs the C++ side relies on.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "render/shader.h"
#include "support/gl_context.h"

namespace {

using testsupport::countOccurrences;
using testsupport::writeFile;

const std::string kSeparator = "\n -- --------------------------------------------------- -- ";

std::string shaderPath(const std::string& file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

bool linked(GLuint program) {
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

const char* kGoodVertex =
    "#version 460 core\nlayout(location = 0) in vec3 aPos;\n"
    "void main() { gl_Position = vec4(aPos, 1.0); }\n";
const char* kGoodFragment =
    "#version 460 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";

class RenderShaderReports : public testsupport::GlTest {
protected:
    std::string dir = testsupport::makeTempDir("glimmer-shader");
};

TEST_F(RenderShaderReports, MissingVertexFileGivesExactlyOneReadFailureLine) {
    const std::string fragment = writeFile(dir, "f.txt", kGoodFragment);
    testsupport::CoutCapture capture;
    const render::Shader shader((dir + "/absent.txt").c_str(), fragment.c_str());
    const std::string out = capture.text();
    EXPECT_EQ(out.rfind("ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ: ", 0), 0u) << out;
    EXPECT_EQ(countOccurrences(out, "FILE_NOT_SUCCESFULLY_READ"), 1u) << out;
    EXPECT_NE(shader.programId, 0u);
    EXPECT_FALSE(linked(shader.programId));
}

TEST_F(RenderShaderReports, CompileErrorsNameTheirStageAndEndWithTheSeparator) {
    const std::string goodVertex = writeFile(dir, "v.txt", kGoodVertex);
    const std::string goodFragment = writeFile(dir, "f.txt", kGoodFragment);
    const std::string badVertex =
        writeFile(dir, "bv.txt", "#version 460 core\nvoid main() { gl_Position = nope; }\n");
    const std::string badFragment =
        writeFile(dir, "bf.txt", "#version 460 core\nout vec4 c;\nvoid main() { c = nope; }\n");
    {
        testsupport::CoutCapture capture;
        const render::Shader shader(goodVertex.c_str(), badFragment.c_str());
        const std::string out = capture.text();
        EXPECT_NE(out.find("ERROR::SHADER_COMPILATION_ERROR of type: FRAGMENT\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("of type: VERTEX"), std::string::npos) << out;
        EXPECT_NE(out.find(kSeparator + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\n"), std::string::npos);
    }
    {
        testsupport::CoutCapture capture;
        const render::Shader shader(badVertex.c_str(), goodFragment.c_str());
        const std::string out = capture.text();
        EXPECT_NE(out.find("ERROR::SHADER_COMPILATION_ERROR of type: VERTEX\n"), std::string::npos)
            << out;
        EXPECT_EQ(out.find("of type: FRAGMENT"), std::string::npos) << out;
        EXPECT_NE(out.find(kSeparator + "\n"), std::string::npos) << out;
    }
    {
        testsupport::CoutCapture capture;
        const render::Shader shader(goodVertex.c_str(), goodFragment.c_str());
        EXPECT_EQ(capture.text(), "");
        EXPECT_TRUE(linked(shader.programId));
    }
}

struct ProgramFiles {
    const char* vertex;
    const char* fragment;
    std::vector<std::string> uniforms;
    bool writesGlow;
};

std::vector<std::string> litUniforms() {
    std::vector<std::string> names = {"model",
                                      "projectionView",
                                      "lightSpaceMatrix",
                                      "lightPos",
                                      "shadowMap",
                                      "cells",
                                      "specular",
                                      "brightness",
                                      "viewPos",
                                      "material.diffuse",
                                      "material.specular",
                                      "material.shininess",
                                      "dirLight.direction",
                                      "dirLight.color",
                                      "spotLight.position",
                                      "spotLight.direction",
                                      "spotLight.color",
                                      "spotLight.constant",
                                      "spotLight.linear",
                                      "spotLight.quadratic",
                                      "spotLight.cutOff",
                                      "spotLight.outerCutOff",
                                      "flashLightToggle"};
    for (int i = 0; i < 8; ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        for (const char* field : {"position", "color", "constant", "linear", "quadratic"}) {
            names.push_back(prefix + field);
        }
    }
    return names;
}

TEST_F(RenderShaderReports, EveryShaderFileBuildsWithTheUniformsTheGameSets) {
    const ProgramFiles programs[] = {
        {"vShaderMultipleLights_textured.txt", "fShaderMultipleLights_textured.txt", litUniforms(),
         true},
        {"vShader_wave.txt",
         "fShader_wave.txt",
         {"model", "projectionView", "time", "brightness", "viewPos", "material.diffuse",
          "material.shininess", "dirLight.direction", "dirLight.color"},
         true},
        {"vSimpleDepth.txt", "fSimpleDepth.txt", {"lightSpaceMatrix", "model"}, false},
    };
    for (const ProgramFiles& files : programs) {
        testsupport::CoutCapture capture;
        const render::Shader shader(shaderPath(files.vertex).c_str(),
                                    shaderPath(files.fragment).c_str());
        EXPECT_EQ(capture.text(), "") << files.vertex;
        ASSERT_TRUE(linked(shader.programId)) << files.vertex;
        for (const std::string& name : files.uniforms) {
            EXPECT_NE(glGetUniformLocation(shader.programId, name.c_str()), -1)
                << files.fragment << ": " << name;
        }
        if (files.writesGlow) {
            EXPECT_EQ(glGetFragDataLocation(shader.programId, "FragColor"), 0) << files.fragment;
            EXPECT_EQ(glGetFragDataLocation(shader.programId, "BrightColor"), 1) << files.fragment;
        } else {
            GLint outputs = -1;
            glGetProgramInterfaceiv(shader.programId, GL_PROGRAM_OUTPUT, GL_ACTIVE_RESOURCES,
                                    &outputs);
            EXPECT_EQ(outputs, 0) << files.fragment;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderShaderReports, MeshAttributesReadTheirFixedLocations) {
    testsupport::CoutCapture capture;
    const render::Shader lit(shaderPath("vShaderMultipleLights_textured.txt").c_str(),
                             shaderPath("fShaderMultipleLights_textured.txt").c_str());
    const render::Shader wave(shaderPath("vShader_wave.txt").c_str(),
                              shaderPath("fShader_wave.txt").c_str());
    const render::Shader depth(shaderPath("vSimpleDepth.txt").c_str(),
                               shaderPath("fSimpleDepth.txt").c_str());
    for (const GLuint program : {lit.programId, wave.programId}) {
        EXPECT_EQ(glGetAttribLocation(program, "aPos"), 0);
        EXPECT_EQ(glGetAttribLocation(program, "aNormal"), 1);
        EXPECT_EQ(glGetAttribLocation(program, "aTexCoords"), 2);
    }
    EXPECT_EQ(glGetAttribLocation(depth.programId, "aPos"), 0);
    GLint depthAttributes = 0;
    glGetProgramiv(depth.programId, GL_ACTIVE_ATTRIBUTES, &depthAttributes);
    EXPECT_EQ(depthAttributes, 1);
    EXPECT_EQ(capture.text(), "");
}

}  // namespace
