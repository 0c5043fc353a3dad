// The shared hidden GL window and small helpers for tests.
#include "support/gl_context.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

namespace testsupport {

namespace {

void printGlfwError(int code, const char* description) {
    std::cerr << "GLFW error " << code << ": " << description << std::endl;
}

GLFWwindow* createHiddenWindow() {
    if (!glfwInit()) return nullptr;
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 6);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(256, 256, "glimmer-test", nullptr, nullptr);
    if (!window) {
        glfwTerminate();
        return nullptr;
    }
    return window;
}

}  // namespace

GLFWwindow* sharedGlWindow() {
    static GLFWwindow* window = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        glfwSetErrorCallback(printGlfwError);
        window = createHiddenWindow();
        if (!window) return nullptr;
        glfwMakeContextCurrent(window);
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            window = nullptr;
            return nullptr;
        }
        // GLEW can leave a harmless GL_INVALID_ENUM behind on core contexts.
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    if (window) glfwMakeContextCurrent(window);
    return window;
}

void GlTest::SetUp() {
    ASSERT_NE(sharedGlWindow(), nullptr)
        << "no OpenGL 4.6 context: run GL tests under Xvfb with the Mesa version overrides";
}

GLuint makeSolidTexture(unsigned char r, unsigned char g, unsigned char b) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const unsigned char pixel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return id;
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string()) {
    std::filesystem::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

std::string makeTempDir(const std::string& prefix) {
    static std::mt19937_64 rng(static_cast<unsigned long>(::getpid()));
    for (;;) {
        const auto path = std::filesystem::temp_directory_path() /
                          (prefix + "-" + std::to_string(rng() % 1000000000ULL));
        std::error_code ec;
        if (std::filesystem::create_directories(path, ec)) return path.string();
    }
}

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::size_t countOccurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

CoutCapture::CoutCapture() : buffer_(new std::ostringstream) {
    previous_ = std::cout.rdbuf(buffer_->rdbuf());
}

CoutCapture::~CoutCapture() {
    std::cout.rdbuf(previous_);
    delete buffer_;
}

std::string CoutCapture::text() const { return buffer_->str(); }

}  // namespace testsupport
