// The words and layout of a printed GL debug message.
#include <gtest/gtest.h>

#include "app/debug_output.h"

namespace {

TEST(FormatDebugMessage, NotificationFromTheApiReadsApiOtherUnknown) {
    EXPECT_EQ(app::formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_OTHER, 131185,
                                      GL_DEBUG_SEVERITY_NOTIFICATION, "Buffer detailed info"),
              "OpenGL Error: Buffer detailed info [Source = API, Type = Other, "
              "Severity = Unknown, ID = 131185]");
}

TEST(FormatDebugMessage, EveryTableWord) {
    const struct {
        GLenum value;
        const char* word;
    } sources[] = {{GL_DEBUG_SOURCE_API, "API"},
                   {GL_DEBUG_SOURCE_WINDOW_SYSTEM, "Window System"},
                   {GL_DEBUG_SOURCE_SHADER_COMPILER, "Shader Compiler"},
                   {GL_DEBUG_SOURCE_THIRD_PARTY, "Third Party"},
                   {GL_DEBUG_SOURCE_APPLICATION, "Application"},
                   {GL_DEBUG_SOURCE_OTHER, "Other"}},
      types[] = {{GL_DEBUG_TYPE_ERROR, "Error"},
                 {GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR, "Deprecated Behavior"},
                 {GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR, "Undefined Behavior"},
                 {GL_DEBUG_TYPE_PORTABILITY, "Portability"},
                 {GL_DEBUG_TYPE_PERFORMANCE, "Performance"},
                 {GL_DEBUG_TYPE_OTHER, "Other"},
                 {GL_DEBUG_TYPE_MARKER, "Unknown"},
                 {GL_DEBUG_TYPE_PUSH_GROUP, "Unknown"}},
      severities[] = {{GL_DEBUG_SEVERITY_HIGH, "High"},
                      {GL_DEBUG_SEVERITY_MEDIUM, "Medium"},
                      {GL_DEBUG_SEVERITY_LOW, "Low"},
                      {GL_DEBUG_SEVERITY_NOTIFICATION, "Unknown"}};
    for (const auto& s : sources) {
        const std::string line =
            app::formatDebugMessage(s.value, GL_DEBUG_TYPE_ERROR, 1, GL_DEBUG_SEVERITY_HIGH, "m");
        EXPECT_NE(line.find(std::string("[Source = ") + s.word + ", "), std::string::npos) << line;
    }
    for (const auto& t : types) {
        const std::string line =
            app::formatDebugMessage(GL_DEBUG_SOURCE_API, t.value, 1, GL_DEBUG_SEVERITY_HIGH, "m");
        EXPECT_NE(line.find(std::string(", Type = ") + t.word + ", "), std::string::npos) << line;
    }
    for (const auto& s : severities) {
        const std::string line =
            app::formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1, s.value, "m");
        EXPECT_NE(line.find(std::string(", Severity = ") + s.word + ", "), std::string::npos)
            << line;
    }
}

TEST(FormatDebugMessage, ValuesOutsideTheTablesReadUnknown) {
    EXPECT_EQ(app::formatDebugMessage(0xFFFF, 0, 4294967295u, 7, "odd"),
              "OpenGL Error: odd [Source = Unknown, Type = Unknown, Severity = Unknown, "
              "ID = 4294967295]");
}

TEST(FormatDebugMessage, MessageIsPrintedUpToItsTerminatingZero) {
    const char message[] = {'a', 'b', '\0', 'c', 'd', '\0'};
    EXPECT_EQ(app::formatDebugMessage(GL_DEBUG_SOURCE_OTHER, GL_DEBUG_TYPE_OTHER, 2,
                                      GL_DEBUG_SEVERITY_LOW, message),
              "OpenGL Error: ab [Source = Other, Type = Other, Severity = Low, ID = 2]");
}

}  // namespace
