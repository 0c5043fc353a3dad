// glimmerdeep-glcheck: asks the display's OpenGL driver which core version it offers, so that the
// play script and the launcher can start the game on a Mesa driver that stops short of 4.6.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstring>

namespace {

// Exit statuses the scripts act on.
// The driver offers 4.6, or is not Mesa (whose override would not apply): start the game as it is.
constexpr int kStartAsItIs = 0;
// No display or no core context at all: the game itself says why when it starts.
constexpr int kNoContext = 1;
// Mesa below 4.6: start the game with Mesa's version override; standard output holds the line.
constexpr int kMesaOverride = 3;

int probe(GLFWwindow* window) {
    glfwMakeContextCurrent(window);
    const int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
    const int minor = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR);
    const auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value != nullptr ? reinterpret_cast<const char*>(value) : "";
    };
    const char* version = text(GL_VERSION);
    const char* renderer = text(GL_RENDERER);
    if (major * 10 + minor >= 46 || std::strstr(version, "Mesa") == nullptr) return kStartAsItIs;
    // Mesa's software rasterisers: every pixel is drawn by the processor.
    const bool software = std::strstr(renderer, "llvmpipe") != nullptr ||
                          std::strstr(renderer, "softpipe") != nullptr ||
                          std::strstr(renderer, "swrast") != nullptr;
    std::printf(
        "glimmerdeep: %s offers OpenGL %d.%d, not the 4.6 the game asks for, so Mesa "
        "is told to offer 4.6; %s\n",
        renderer, major, minor,
        software ? "it draws in software, without a GPU, so the game may be slow"
                 : "on this driver the game may be slow or draw wrongly");
    return kMesaOverride;
}

}  // namespace

int main() {
    if (glfwInit() != GLFW_TRUE) return kNoContext;
    // A hidden window with a plain core context: the driver answers with the highest it has.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(16, 16, "glimmerdeep-glcheck", nullptr, nullptr);
    const int status = window != nullptr ? probe(window) : kNoContext;
    glfwTerminate();
    return status;
}
