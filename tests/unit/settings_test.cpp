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
                              {"brightness=-inf\n", "brightness", "-inf"},
                              // The optional keys out of their ranges, or no number.
                              {"mouse_sensitivity=0\n", "mouse_sensitivity", "0"},
                              {"mouse_sensitivity=5.01", "mouse_sensitivity", "5.01"},
                              {"mouse_sensitivity=nan", "mouse_sensitivity", "nan"},
                              {"field_of_view=29.9", "field_of_view", "29.9"},
                              {"field_of_view=wide", "field_of_view", "wide"},
                              {"field_of_view=110.5", "field_of_view", "110.5"},
                              {"volume=1.1", "volume", "1.1"},
                              {"volume=-0.01", "volume", "-0.01"},
                              {"render_scale=0.2", "render_scale", "0.2"},
                              {"render_scale=Auto", "render_scale", "Auto"},
                              {"render_scale=2", "render_scale", "2"}};
    for (const auto& c : cases) {
        app::Settings settings;
        std::string message;
        EXPECT_EQ(app::parseSettings(c[0], settings, message), app::SettingsResult::BadValue);
        EXPECT_EQ(message, std::string("Invalid value for setting ") + c[1] + ": \"" + c[2] + "\"");
    }
}

TEST(Settings, OptionalKeysKeepTheDesignsDefaultsAndAreReadOnlyWhereNoDesignKeyStands) {
    // mouse_sensitivity, field_of_view, invert_look, volume, render_scale after each text.
    const std::pair<const char*, std::tuple<float, float, bool, float, float>> cases[] = {
        {"", {0.2f, 45.0f, false, 1.0f, app::kRenderScaleAuto}},
        {"mouse_sensitivity=5\nfield_of_view=110\ninvert_look=true\nvolume=0\nrender_scale=0.25",
         {5.0f, 110.0f, true, 0.0f, 0.25f}},
        {"mouse_sensitivity=0.01\r\nfield_of_view=30\r\nvolume=1\r\nrender_scale=1\r\n",
         {0.01f, 30.0f, false, 1.0f, 1.0f}},
        {"render_scale=0.5\nrender_scale=auto\ninvert_look=True\nvolume=0.5 loud",
         {0.2f, 45.0f, false, 0.5f, app::kRenderScaleAuto}},
        // A design key in the line decides it: a width and a brightness (the first table's
        // "height_and_width" rule), not ours.
        {"width_volume=0.5\nbrightness_field_of_view=2", {0.2f, 45.0f, false, 1.0f, -1.0f}},
        // The first optional key of the order decides a line of several.
        {"volume_render_scale=0.5", {0.2f, 45.0f, false, 0.5f, app::kRenderScaleAuto}}};
    for (const auto& [text, want] : cases) {
        app::Settings s;
        std::string message;
        ASSERT_EQ(app::parseSettings(text, s, message), app::SettingsResult::Ok) << text;
        EXPECT_EQ(std::tuple(s.mouse_sensitivity, s.field_of_view, s.invert_look, s.volume,
                             s.render_scale),
                  want)
            << text;
    }
    // The shipped file gives the designed game, with every optional key at its default.
    app::Settings shipped;
    std::string message;
    ASSERT_EQ(app::readSettingsFile(std::string(GLIMMER_SOURCE_DIR) + "/assets/settings.txt",
                                    shipped, message),
              app::SettingsResult::Ok)
        << message;
    EXPECT_EQ(std::tuple(shipped.width, shipped.height, shipped.refresh_rate, shipped.fullscreen,
                         shipped.brightness, shipped.mouse_sensitivity, shipped.field_of_view,
                         shipped.invert_look, shipped.volume, shipped.render_scale),
              std::tuple(1280, 720, 60, false, 1.0f, 0.2f, 45.0f, false, 1.0f,
                         app::kRenderScaleAuto));
}

}  // namespace
