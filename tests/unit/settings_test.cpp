// The settings file: where keys may stand, how values are read, and what stops the game.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "support/gl_context.h"

namespace {

TEST(Settings, TheGrammarReadsKeysAnywhereValuesAfterTheFirstEqualsAndTheLastLineWins) {
    const struct {
        const char* text;
        int width, height, refresh;
        bool fullscreen;
        float brightness;
    } cases[] = {
        {"width=1024\r\nheight=768\r\nfullscreen=true\r\nbrightness=0.5\r\n", 1024, 768, 0, true,
         0.5f},
        {"screen_width = 640\n", 640, 0, 0, false, 0.0f},
        // The first key of the order width, height, refresh_rate, fullscreen, brightness decides.
        {"height_and_width=300\n", 300, 0, 0, false, 0.0f},
        {"refresh_rate=75=90\nwidth=800px\nheight=-5\nbrightness=1.5e0 bright\n", 800, -5, 75,
         false, 1.5f},
        {"# window\nwidth=640\n\nnothing here\nwidth=320", 320, 0, 0, false, 0.0f},
        {"fullscreen=true", 0, 0, 0, true, 0.0f},
        {"fullscreen = true\n", 0, 0, 0, false, 0.0f},
        {"fullscreen=True\nfullscreen=true \n", 0, 0, 0, false, 0.0f},
        {"", 0, 0, 0, false, 0.0f},
    };
    for (const auto& c : cases) {
        app::Settings s;
        std::string message;
        ASSERT_EQ(app::parseSettings(c.text, s, message), app::SettingsResult::Ok) << c.text;
        EXPECT_EQ(s.width, c.width) << c.text;
        EXPECT_EQ(s.height, c.height) << c.text;
        EXPECT_EQ(s.refresh_rate, c.refresh) << c.text;
        EXPECT_EQ(s.fullscreen, c.fullscreen) << c.text;
        EXPECT_FLOAT_EQ(s.brightness, c.brightness) << c.text;
    }
    app::Settings shipped;
    std::string message;
    ASSERT_EQ(app::readSettingsFile(std::string(GLIMMER_SOURCE_DIR) + "/assets/settings.txt",
                                    shipped, message),
              app::SettingsResult::Ok);
    EXPECT_EQ(shipped.width * 10000 + shipped.height, 1280 * 10000 + 720);
    EXPECT_EQ(shipped.refresh_rate, 60);
    EXPECT_FLOAT_EQ(shipped.brightness, 1.0f);
}

TEST(Settings, AValueThatIsNoNumberOrOutOfRangeIsNamedWithItsKey) {
    const char* cases[][3] = {
        {"width=abc\n", "width", "abc"},
        {"height=\n", "height", ""},
        {"refresh_rate=99999999999\n", "refresh_rate", "99999999999"},
        {"width=-3000000000\n", "width", "-3000000000"},
        {"brightness=1e999\n", "brightness", "1e999"},
        {"brightness=bright\n", "brightness", "bright"},
        {"width\n", "width", "width"},
        // The first "=" stands before the key: the value is "width=5".
        {"a=width=5\n", "width", "width=5"},
    };
    for (const auto& c : cases) {
        app::Settings settings;
        std::string message;
        EXPECT_EQ(app::parseSettings(c[0], settings, message), app::SettingsResult::BadValue);
        EXPECT_EQ(message, std::string("Invalid value for setting ") + c[1] + ": \"" + c[2] + "\"");
    }
}

TEST(Settings, AMissingFileOrABadValueStopsTheGameWithStatusOne) {
    const std::string dir = testsupport::makeTempDir("glimmer-settings");
    const std::string path = testsupport::writeFile(dir, "settings.txt", "width=wide\n");
    app::Settings settings;
    EXPECT_EXIT(app::loadSettings(path, settings), ::testing::ExitedWithCode(1),
                "^Invalid value for setting width: \"wide\"\n$");
    EXPECT_EXIT(app::loadSettings(dir + "/missing.txt", settings), ::testing::ExitedWithCode(1),
                "^Unable to open file settings.txt$");
}

}  // namespace
