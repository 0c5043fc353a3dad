// A hidden window with a 4.6 core debug context, shared by every GL test of one process.
#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace testsupport {

// Creates the context on first use; later calls make it current again. Returns null when no
// display or no 4.6 context is available, so a test can report that instead of crashing.
GLFWwindow* sharedGlWindow();

// Fixture base for GL tests: fails the test early when the context cannot be had.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// A 1 x 1 RGBA texture of one colour, nearest-filtered (needs the current context).
GLuint makeSolidTexture(unsigned char r, unsigned char g, unsigned char b);

// Runs `fn` with the working directory set to `dir` (the game reads "../assets/..." paths).
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous_;
};

// A fresh empty folder under the system's temporary directory.
std::string makeTempDir(const std::string& prefix);

// Writes `text` to dir/name byte for byte and returns the path.
std::string writeFile(const std::string& dir, const std::string& name, const std::string& text);

// How often `needle` occurs in `text`, overlapping occurrences included.
std::size_t countOccurrences(const std::string& text, const std::string& needle);

// Captures everything written to std::cout while it lives.
class CoutCapture {
public:
    CoutCapture();
    ~CoutCapture();
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;
    std::string text() const;

private:
    std::streambuf* previous_;
    std::ostringstream* buffer_;
};

}  // namespace testsupport
