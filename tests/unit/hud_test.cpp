// Where the HUD lines stand for a few window sizes.
#include <gtest/gtest.h>

#include "app/hud.h"

namespace {

const app::TextLine* find(const std::vector<app::TextLine>& lines, const std::string& text) {
    for (const auto& line : lines) {
        if (line.text == text) return &line;
    }
    return nullptr;
}

TEST(HudLayout, HelpColumnFor1280x720) {
    app::GameRules rules;
    app::InputSwitches input;
    input.showMenu = true;
    const auto lines = app::overlayLines(rules, input, 1280, 720);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0].text, "0");
    EXPECT_FLOAT_EQ(lines[0].x, 25.0f);
    EXPECT_FLOAT_EQ(lines[0].y, 25.0f);
    EXPECT_EQ(lines[0].color, glm::vec3(1.0f, 0.0f, 0.0f));
    const char* order[] = {"Menu: M",
                           "Move: (forward)W, (left)A, (back)S, (right)D",
                           "Flashlight: F",
                           "Crouch: left Ctrl",
                           "Cheat: left ALT",
                           "Score: Q",
                           "Brightness: + and -",
                           "Bloom: B, Cell shading: C"};
    float previousY = 1e9f;
    for (size_t i = 0; i < 8; ++i) {
        const app::TextLine& line = lines[i + 1];
        EXPECT_EQ(line.text, order[i]);
        EXPECT_FLOAT_EQ(line.x, 32.0f);
        EXPECT_FLOAT_EQ(line.scale, 0.8f);
        // One row of H/20 between neighbours, top to bottom.
        if (i > 0) EXPECT_FLOAT_EQ(previousY - line.y, 36.0f);
        previousY = line.y;
    }
    EXPECT_FLOAT_EQ(find(lines, "Menu: M")->y, 684.0f);
    EXPECT_FLOAT_EQ(find(lines, "Flashlight: F")->y, 612.0f);
    EXPECT_FLOAT_EQ(find(lines, "Crouch: left Ctrl")->y, 576.0f);
    EXPECT_FLOAT_EQ(find(lines, "Bloom: B, Cell shading: C")->y, 432.0f);
}

TEST(HudLayout, OddWidthIsTruncatedBeforeUse) {
    app::GameRules rules;
    app::InputSwitches input;
    input.showMenu = true;
    const auto lines = app::overlayLines(rules, input, 1366, 767);
    EXPECT_FLOAT_EQ(find(lines, "Menu: M")->x, 34.0f);
    // 767 / 20 = 38 before the multiplication.
    EXPECT_FLOAT_EQ(find(lines, "Menu: M")->y, 38.0f * 19.0f);
    const auto intro = app::introLines(1366, 767);
    EXPECT_FLOAT_EQ(intro[0].x, static_cast<float>(683 * 1.13));
    EXPECT_FLOAT_EQ(intro[0].y, static_cast<float>(383 * 1.9));
    const auto end = app::endScreenLines(app::GameState::Won, 1366, 767);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_FLOAT_EQ(end[0].x, 593.0f);
    EXPECT_FLOAT_EQ(end[0].y, 383.0f);
}

TEST(HudLayout, IntroAndEndLinesFor1280x720) {
    const auto intro = app::introLines(1280, 720);
    ASSERT_EQ(intro.size(), 2u);
    EXPECT_EQ(intro[0].text, "Collect the gems");
    EXPECT_EQ(intro[1].text, "or die trying!");
    EXPECT_NEAR(intro[0].x, 723.2f, 1e-3f);
    EXPECT_FLOAT_EQ(intro[0].y, 684.0f);
    EXPECT_FLOAT_EQ(intro[1].y, 648.0f);
    EXPECT_FLOAT_EQ(intro[0].scale, 0.5f);
    EXPECT_EQ(intro[0].color, glm::vec3(1.0f));
    const auto won = app::endScreenLines(app::GameState::Won, 1280, 720);
    const auto lost = app::endScreenLines(app::GameState::Lost, 1280, 720);
    ASSERT_EQ(won.size(), 1u);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(won[0].text, "You are the WINNER!!");
    EXPECT_EQ(lost[0].text, "GAME OVER");
    EXPECT_FLOAT_EQ(lost[0].x, 550.0f);
    EXPECT_FLOAT_EQ(lost[0].y, 360.0f);
    EXPECT_TRUE(app::endScreenLines(app::GameState::Playing, 1280, 720).empty());
}

TEST(HudLayout, ScoreAndMenuFollowTheirSwitchesAndOnlyWhilePlaying) {
    app::GameRules rules;
    app::InputSwitches input;
    rules.gemsCollected = -12;
    auto lines = app::overlayLines(rules, input, 800, 600);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "-12");
    input.showScore = false;
    EXPECT_TRUE(app::overlayLines(rules, input, 800, 600).empty());
    input.showScore = true;
    input.showMenu = true;
    rules.gameState = app::GameState::Won;
    EXPECT_TRUE(app::overlayLines(rules, input, 800, 600).empty());
}

}  // namespace
