// The settings file grammar: where keys may stand, how values are read, what is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "app/settings.h"
#include "support/gl_context.h"

namespace {

app::Settings parse(const std::string& text) {
    app::Settings settings;
    std::string message;
    EXPECT_EQ(app::parseSettings(text, settings, message), app::SettingsResult::Ok) << message;
    return settings;
}

TEST(SettingsGrammar, ReadsTheShippedFile) {
    app::Settings settings;
    std::string message;
    ASSERT_EQ(app::readSettingsFile(std::string(GLIMMER_SOURCE_DIR) + "/assets/settings.txt",
                                    settings, message),
              app::SettingsResult::Ok);
    EXPECT_EQ(settings.width, 1280);
    EXPECT_EQ(settings.height, 720);
    EXPECT_EQ(settings.refresh_rate, 60);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_FLOAT_EQ(settings.brightness, 1.0f);
}

TEST(SettingsGrammar, KeyMayStandAnywhereAndBlankAfterEqualsIsSkipped) {
    EXPECT_EQ(parse("screen_width = 640\n").width, 640);
}

TEST(SettingsGrammar, FirstKeyOfTheOrderDecidesALine) {
    const app::Settings s = parse("height_and_width=300\n");
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.height, 0);
}

TEST(SettingsGrammar, ValueStartsAfterTheFirstEqualsOfTheLine) {
    // The first "=" stands before the key, so the value text is "width=5".
    app::Settings settings;
    std::string message;
    EXPECT_EQ(app::parseSettings("a=width=5\n", settings, message),
              app::SettingsResult::BadValue);
    EXPECT_EQ(parse("refresh_rate=75=90\n").refresh_rate, 75);
}

TEST(SettingsGrammar, NumberPrefixesAndSigns) {
    const app::Settings s = parse("width=800px\nheight=-5\nbrightness=1.5e0 bright\n");
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, -5);
    EXPECT_FLOAT_EQ(s.brightness, 1.5f);
}

TEST(SettingsGrammar, FullscreenMustBeExactlyTrue) {
    EXPECT_TRUE(parse("fullscreen=true").fullscreen);
    EXPECT_FALSE(parse("fullscreen = true\n").fullscreen);
    EXPECT_FALSE(parse("fullscreen=True\n").fullscreen);
    EXPECT_FALSE(parse("fullscreen=true \n").fullscreen);
}

TEST(SettingsGrammar, CrLfLinesReadLikeLfLines) {
    const app::Settings s = parse("width=1024\r\nheight=768\r\nfullscreen=true\r\nbrightness=0.5\r\n");
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_FLOAT_EQ(s.brightness, 0.5f);
}

TEST(SettingsGrammar, LaterLineWinsAndOtherLinesAreComments) {
    const app::Settings s = parse("# window\nwidth=640\n\nnothing here\nwidth=320");
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 0);
}

TEST(SettingsGrammar, EmptyTextLeavesEverythingZero) {
    const app::Settings s = parse("");
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.refresh_rate, 0);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_FLOAT_EQ(s.brightness, 0.0f);
}

TEST(SettingsRefusal, NonNumericAndOutOfRangeValuesNameKeyAndValue) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"width=abc\n", "width", "abc"},
        {"height=\n", "height", ""},
        {"refresh_rate=99999999999\n", "refresh_rate", "99999999999"},
        {"width=-3000000000\n", "width", "-3000000000"},
        {"brightness=1e999\n", "brightness", "1e999"},
        {"brightness=bright\n", "brightness", "bright"},
        {"width\n", "width", "width"},
        {"brightness=nan\n", "brightness", "nan"},
        {"brightness=-inf\n", "brightness", "-inf"},
    };
    for (const Case& c : cases) {
        app::Settings settings;
        std::string message;
        EXPECT_EQ(app::parseSettings(c.text, settings, message), app::SettingsResult::BadValue)
            << c.text;
        EXPECT_NE(message.find(c.key), std::string::npos) << message;
        EXPECT_NE(message.find(std::string("\"") + c.value + "\""), std::string::npos) << message;
    }
}

TEST(SettingsRefusal, MissingFileReportsTheDesignMessage) {
    app::Settings settings;
    std::string message;
    EXPECT_EQ(app::readSettingsFile("/nonexistent/settings.txt", settings, message),
              app::SettingsResult::FileMissing);
    EXPECT_EQ(message, "Unable to open file settings.txt");
}

TEST(SettingsRefusal, LoadSettingsExitsWithStatusOneOnABadValue) {
    const std::string dir = testsupport::makeTempDir("glimmer-settings");
    const std::string path = dir + "/settings.txt";
    std::ofstream(path) << "width=wide\n";
    app::Settings settings;
    EXPECT_EXIT(app::loadSettings(path, settings), ::testing::ExitedWithCode(1),
                "Invalid value for setting width: \"wide\"");
    EXPECT_EXIT(app::loadSettings(dir + "/missing.txt", settings), ::testing::ExitedWithCode(1),
                "Unable to open file settings.txt");
}

}  // namespace
