// Turns GL debug messages into readable single lines; nothing is filtered.
#include "app/debug_output.h"

#include <iostream>
#include <sstream>

namespace app {

namespace {

const char* sourceWord(GLenum source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API: return "API";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM: return "Window System";
        case GL_DEBUG_SOURCE_SHADER_COMPILER: return "Shader Compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY: return "Third Party";
        case GL_DEBUG_SOURCE_APPLICATION: return "Application";
        case GL_DEBUG_SOURCE_OTHER: return "Other";
        default: return "Unknown";
    }
}

const char* typeWord(GLenum type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR: return "Error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR: return "Deprecated Behavior";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR: return "Undefined Behavior";
        case GL_DEBUG_TYPE_PORTABILITY: return "Portability";
        case GL_DEBUG_TYPE_PERFORMANCE: return "Performance";
        case GL_DEBUG_TYPE_OTHER: return "Other";
        default: return "Unknown";
    }
}

const char* severityWord(GLenum severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH: return "High";
        case GL_DEBUG_SEVERITY_MEDIUM: return "Medium";
        case GL_DEBUG_SEVERITY_LOW: return "Low";
        default: return "Unknown";
    }
}

}  // namespace

std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const char* message) {
    std::ostringstream line;
    // Every message gets the same prefix, hints and notifications included.
    line << "OpenGL Error: " << (message ? message : "") << " [Source = " << sourceWord(source)
         << ", Type = " << typeWord(type) << ", Severity = " << severityWord(severity)
         << ", ID = " << id << "]";
    return line.str();
}

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                     GLsizei /*length*/, const GLchar* message,
                                     const void* /*userParam*/) {
    std::cout << formatDebugMessage(source, type, id, severity, message) << std::endl;
}

}  // namespace app
