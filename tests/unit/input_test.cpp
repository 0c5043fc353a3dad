// The key table, brightness steps, mouse look and movement polling.
#include <gtest/gtest.h>

#include "app/game.h"
#include "app/input.h"
#include "support/fake_seams.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    testsupport::FakeClock clock;
    testsupport::FakePlatform platform;
    app::Game game{clock, platform};

    void press(int key) { app::handleKey(game, key, GLFW_PRESS); }
};

TEST_F(InputTest, TogglesFlipOnPressOnlyAndIgnoreRepeats) {
    const struct {
        int key;
        bool app::InputSwitches::*field;
        bool start;
    } toggles[] = {
        {GLFW_KEY_B, &app::InputSwitches::bloomEnabled, true},
        {GLFW_KEY_C, &app::InputSwitches::celShadingEnabled, true},
        {GLFW_KEY_F, &app::InputSwitches::flashlightOn, true},
        {GLFW_KEY_M, &app::InputSwitches::showMenu, false},
        {GLFW_KEY_Q, &app::InputSwitches::showScore, true},
    };
    for (const auto& t : toggles) {
        EXPECT_EQ(game.input.*t.field, t.start) << t.key;
        press(t.key);
        // Holding the key sends repeats, then a release: none of them toggles again.
        app::handleKey(game, t.key, GLFW_REPEAT);
        app::handleKey(game, t.key, GLFW_REPEAT);
        app::handleKey(game, t.key, GLFW_RELEASE);
        EXPECT_EQ(game.input.*t.field, !t.start) << t.key;
        press(t.key);
        EXPECT_EQ(game.input.*t.field, t.start) << t.key;
    }
}

TEST_F(InputTest, PlayerKeysSetTheirRequests) {
    press(GLFW_KEY_SPACE);
    EXPECT_TRUE(game.player.jumpRequested);
    press(GLFW_KEY_LEFT_ALT);
    EXPECT_FALSE(game.player.gravityEnabled);
    app::handleKey(game, GLFW_KEY_LEFT_ALT, GLFW_REPEAT);
    EXPECT_FALSE(game.player.gravityEnabled);
    press(GLFW_KEY_LEFT_ALT);
    EXPECT_TRUE(game.player.gravityEnabled);
}

TEST_F(InputTest, LeftCtrlReactsToPressAndRelease) {
    press(GLFW_KEY_LEFT_CONTROL);
    EXPECT_TRUE(game.player.crouchHeld);
    app::handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_REPEAT);
    EXPECT_TRUE(game.player.crouchHeld);
    app::handleKey(game, GLFW_KEY_LEFT_CONTROL, GLFW_RELEASE);
    EXPECT_FALSE(game.player.crouchHeld);
}

TEST_F(InputTest, WindowSwitchesGoThroughThePlatform) {
    press(GLFW_KEY_F1);
    EXPECT_TRUE(game.input.wireframeOn);
    EXPECT_TRUE(platform.wireframe);
    press(GLFW_KEY_F1);
    EXPECT_FALSE(platform.wireframe);
    press(GLFW_KEY_F2);
    EXPECT_FALSE(game.input.faceCullingOn);
    EXPECT_FALSE(platform.faceCulling);
    EXPECT_FALSE(platform.closeRequested);
    press(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(platform.closeRequested);
}

TEST_F(InputTest, EscapeClosesOnTheEndScreensToo) {
    game.rules.gameState = app::GameState::Lost;
    press(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(platform.closeRequested);
}

TEST_F(InputTest, UnknownKeysAndTheMainKeyboardPlusChangeNothing) {
    game.settings.brightness = 1.0f;
    press(GLFW_KEY_EQUAL);
    press(GLFW_KEY_MINUS);
    press(GLFW_KEY_Z);
    EXPECT_FLOAT_EQ(game.settings.brightness, 1.0f);
}

TEST_F(InputTest, TwentyKeypadMinusPressesFromOneGiveAboutMinusOne) {
    game.settings.brightness = 1.0f;
    for (int i = 0; i < 20; ++i) press(GLFW_KEY_KP_SUBTRACT);
    EXPECT_NEAR(game.settings.brightness, -1.0f, 1e-5f);
    EXPECT_LT(game.settings.brightness, 0.0f);
    // Each step goes through double precision and back to float.
    float expected = 1.0f;
    for (int i = 0; i < 20; ++i) expected = static_cast<float>(static_cast<double>(expected) - 0.1);
    EXPECT_EQ(game.settings.brightness, expected);
    press(GLFW_KEY_KP_ADD);
    EXPECT_EQ(game.settings.brightness, static_cast<float>(static_cast<double>(expected) + 0.1));
}

TEST_F(InputTest, FirstMouseEventGivesNoTurn) {
    game.rules.inputEnabled = true;
    const float yaw = game.player.camera.yaw;
    app::handleCursor(game, 400.0, 300.0);
    EXPECT_FLOAT_EQ(game.player.camera.yaw, yaw);
    EXPECT_FALSE(game.input.firstMouse);
    app::handleCursor(game, 410.0, 290.0);
    EXPECT_FLOAT_EQ(game.player.camera.yaw, yaw + 10.0f * 0.2f);
    // Moving the cursor up (smaller y) raises the pitch.
    EXPECT_FLOAT_EQ(game.player.camera.pitch, 10.0f * 0.2f);
}

TEST_F(InputTest, CursorIsTrackedDuringTheIntroSoTheViewDoesNotJumpAfterIt) {
    app::handleCursor(game, 100.0, 100.0);
    app::handleCursor(game, 600.0, 400.0);
    EXPECT_FLOAT_EQ(game.player.camera.yaw, -90.0f);
    EXPECT_FLOAT_EQ(game.input.lastX, 600.0f);
    EXPECT_FLOAT_EQ(game.input.lastY, 400.0f);
    game.rules.inputEnabled = true;
    app::handleCursor(game, 605.0, 400.0);
    EXPECT_FLOAT_EQ(game.player.camera.yaw, -90.0f + 5.0f * 0.2f);
}

TEST_F(InputTest, MovementKeysDoNothingWhileInputIsDisabled) {
    platform.held = {GLFW_KEY_W, GLFW_KEY_A};
    // Without input enabled no controller is touched (there is none here to touch).
    app::processInput(game);
    EXPECT_FLOAT_EQ(game.player.camera.position.z, 50.0f);
}

}  // namespace
