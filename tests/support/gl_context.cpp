// The shared hidden GL window, float targets, quads and files for the tests.
#include "support/gl_context.h"

#include <stdlib.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <fstream>

#include "render/shader.h"

namespace testsupport {

GLFWwindow* sharedGlWindow() {
    static GLFWwindow* const window = []() -> GLFWwindow* {
        if (!glfwInit()) return nullptr;
        glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 6);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        GLFWwindow* made = glfwCreateWindow(256, 256, "glimmer-test", nullptr, nullptr);
        if (!made) return nullptr;
        glfwMakeContextCurrent(made);
        glewExperimental = GL_TRUE;
        return glewInit() == GLEW_OK ? made : nullptr;
    }();
    if (window) glfwMakeContextCurrent(window);
    return window;
}

Target::Target(int edge, int outputs) : size(edge), colors(static_cast<std::size_t>(outputs)) {
    glCreateFramebuffers(1, &framebuffer);
    // The colour outputs in order, then the depth texture.
    std::vector<GLenum> attachments;
    for (int i = 0; i <= outputs; ++i) {
        GLuint& texture = i < outputs ? colors[static_cast<std::size_t>(i)] : depth;
        glCreateTextures(GL_TEXTURE_2D, 1, &texture);
        glTextureStorage2D(texture, 1, i < outputs ? GL_RGBA32F : GL_DEPTH_COMPONENT32F, size,
                           size);
        glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        attachments.push_back(i < outputs ? GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i)
                                          : GL_DEPTH_ATTACHMENT);
        glNamedFramebufferTexture(framebuffer, attachments.back(), texture, 0);
    }
    glNamedFramebufferDrawBuffers(framebuffer, outputs, attachments.data());
    EXPECT_EQ(glCheckNamedFramebufferStatus(framebuffer, GL_FRAMEBUFFER),
              GLenum(GL_FRAMEBUFFER_COMPLETE));
}

void Target::start(const glm::vec4& clear, double clearDepth) const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, size, size);
    for (const GLenum state : {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE}) glDisable(state);
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClearDepth(clearDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The game's own clears expect the far plane.
    glClearDepth(1.0);
}

std::vector<glm::vec4> Target::read(int output) const {
    std::vector<glm::vec4> pixels(static_cast<std::size_t>(size * size));
    glGetTextureImage(colors[static_cast<std::size_t>(output)], 0, GL_RGBA, GL_FLOAT,
                      static_cast<GLsizei>(pixels.size() * sizeof(glm::vec4)), pixels.data());
    return pixels;
}

std::string shaderPath(const std::string& file) {
    return std::string(GLIMMER_SOURCE_DIR) + "/assets/shaders/" + file;
}

render::Shader gameProgram(const std::string& vertex, const std::string& fragment) {
    CoutCapture capture;
    render::Shader shader(shaderPath(vertex).c_str(), shaderPath(fragment).c_str());
    EXPECT_EQ(capture.text(), "") << vertex << " + " << fragment;
    return shader;
}

std::unique_ptr<render::Mesh> makeQuad(std::vector<render::Texture> textures) {
    std::vector<render::Vertex> vertices(4);
    const glm::vec2 corners[] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        vertices[i].position = glm::vec3(corners[i], 0.0f);
        vertices[i].normal = {0.0f, 0.0f, 1.0f};
        vertices[i].texCoords = (corners[i] + 1.0f) * 0.5f;
    }
    return std::make_unique<render::Mesh>(vertices, std::vector<GLuint>{0, 1, 2, 0, 2, 3},
                                          std::move(textures));
}

void writePng(const std::string& path, int width, int height, int channels,
              const std::vector<unsigned char>& pixels) {
    ASSERT_NE(
        stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels), 0);
}

GLint glInteger(GLenum name) {
    GLint value = -12345;
    glGetIntegerv(name, &value);
    return value;
}

std::string makeTempDir(const std::string& prefix) {
    std::string path = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    EXPECT_NE(::mkdtemp(path.data()), nullptr) << path;
    return path;
}

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace testsupport
