// Prints every message of the GL debug context as one line on standard output.
#pragma once

#include <GL/glew.h>

#include <string>

namespace app {

// "OpenGL Error: <message> [Source = ..., Type = ..., Severity = ..., ID = <id>]"
std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const char* message);

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                     GLsizei length, const GLchar* message,
                                     const void* userParam);

}  // namespace app
