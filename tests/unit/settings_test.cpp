// The settings file: where keys may stand, how values are read, and which values are refused.
#include "app/settings.h"

#include <gtest/gtest.h>

namespace {

TEST(Settings, KeysStandAnywhereValuesFollowTheFirstEqualsAndTheLastLineWins) {
    // width, height, refresh_rate, fullscreen, brightness after each text.
    const std::pair<const char*, std::tuple<int, int, int, bool, float>> cases[] = {
        {"width=1024\r\nheight=768\r\nfullscreen=true\r\nbrightness=0.5\r\n",
         {1024, 768, 0, true, 0.5f}},
        // The first key in the order above decides a line; a number's prefix is its value.
        {"screen_width = 640\nheight_and_width=300\n", {300, 0, 0, false, 0.0f}},
        {"refresh_rate=75=90\nwidth=800px\nheight=-5\nbrightness=1.5e0 b\n",
         {800, -5, 75, false, 1.5f}},
        {"# window\nwidth=640\n\nnothing here\nwidth=320", {320, 0, 0, false, 0.0f}},
        {"fullscreen=true", {0, 0, 0, true, 0.0f}},
        {"fullscreen = true\nfullscreen=True\nfullscreen=true \n", {0, 0, 0, false, 0.0f}},
        {"", {0, 0, 0, false, 0.0f}}};
    for (const auto& [text, want] : cases) {
        app::Settings s;
        std::string message;
        ASSERT_EQ(app::parseSettings(text, s, message), app::SettingsResult::Ok) << text;
        EXPECT_EQ(std::tuple(s.width, s.height, s.refresh_rate, s.fullscreen, s.brightness), want);
    }
}

TEST(Settings, AValueThatIsNoNumberOrOutOfRangeIsNamedInOneLine) {
    const char* cases[][3] = {{"height=\n", "height", ""},
                              {"width\n", "width", "width"},
                              {"width=-3000000000\n", "width", "-3000000000"},
                              {"brightness=1e999\n", "brightness", "1e999"},
                              {"refresh_rate=99999999999\n", "refresh_rate", "99999999999"},
                              // The first "=" stands before the key: the value is "width=5".
                              {"a=width=5\n", "width", "width=5"},
                              {"brightness=-inf\n", "brightness", "-inf"}};
    for (const auto& c : cases) {
        app::Settings settings;
        std::string message;
        EXPECT_EQ(app::parseSettings(c[0], settings, message), app::SettingsResult::BadValue);
        EXPECT_EQ(message, std::string("Invalid value for setting ") + c[1] + ": \"" + c[2] + "\"");
    }
    // A missing file stops the game, as a bad value does.
    app::Settings settings;
    EXPECT_EXIT(app::loadSettings("/nonexistent/settings.txt", settings),
                ::testing::ExitedWithCode(1), "^Unable to open file settings.txt$");
}

}  // namespace
