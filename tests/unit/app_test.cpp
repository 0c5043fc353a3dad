// The player's hands and eyes: keys, the mouse and a gamepad through the game's handlers, the
// camera they turn, the HUD lines and the scale the scene is drawn at.
#include <gtest/gtest.h>

#include <cmath>

#include "app/hud.h"
#include "app/input.h"
#include "app/render_scale.h"
#include "support/headless_game.h"

namespace {

using testsupport::HeadlessGame;

TEST(Input, KeysFlipTheirSwitchesOnPressOnlyActThroughTheWindowAndStepTheBrightness) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    using S = app::InputSwitches;
    const std::pair<int, bool S::*> toggles[] = {
        {GLFW_KEY_B, &S::bloomEnabled},  {GLFW_KEY_C, &S::celShadingEnabled},
        {GLFW_KEY_F, &S::flashlightOn},  {GLFW_KEY_M, &S::showMenu},
        {GLFW_KEY_Q, &S::showScore},     {GLFW_KEY_F1, &S::wireframeOn},
        {GLFW_KEY_F2, &S::faceCullingOn}};
    std::string start;
    for (const auto& [key, field] : toggles) {
        start += g.input.*field ? '1' : '0';
        // Holding a key sends repeats, then a release: only the press toggles.
        for (int action : {GLFW_PRESS, GLFW_REPEAT, GLFW_REPEAT, GLFW_RELEASE})
            app::handleKey(g, key, action);
        EXPECT_EQ(g.input.*field, start.back() == '0') << key;
    }
    EXPECT_EQ(start, "1110101");
    EXPECT_TRUE(h.platform.wireframe && !h.platform.faceCulling);
    // Space asks for a jump, left Alt flips flying (its repeats do not flip it back), left Ctrl
    // is held until it is let go.
    for (int key : {GLFW_KEY_SPACE, GLFW_KEY_LEFT_ALT, GLFW_KEY_LEFT_CONTROL})
        for (int action : {GLFW_PRESS, GLFW_REPEAT}) app::handleKey(g, key, action);
    EXPECT_TRUE(g.player.jumpRequested && !g.player.gravityEnabled && g.player.crouchHeld);
    app::handleKey(g, GLFW_KEY_LEFT_CONTROL, GLFW_RELEASE);
    EXPECT_FALSE(g.player.crouchHeld);
    // The keypad steps the brightness by a tenth, without bound; no other key does.
    for (int key : {GLFW_KEY_EQUAL, GLFW_KEY_MINUS, GLFW_KEY_Z}) app::handleKey(g, key, GLFW_PRESS);
    for (int i = 0; i < 20; ++i) app::handleKey(g, GLFW_KEY_KP_SUBTRACT, GLFW_PRESS);
    EXPECT_NEAR(g.settings.brightness, -1.0f, 1e-5f);
    for (int i = 0; i < 35; ++i) app::handleKey(g, GLFW_KEY_KP_ADD, GLFW_PRESS);
    EXPECT_NEAR(g.settings.brightness, 2.5f, 1e-5f);
}

TEST(Input, TheMouseTurnsTheViewOnlyAfterTheIntroAndEachKeyWalksItsOwnWay) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    const physics::Camera& camera = h.game->player.camera;
    // Neither the mouse nor W held during the intro moves anything.
    app::handleCursor(*h.game, 100.0, 100.0);
    app::handleCursor(*h.game, 600.0, 400.0);
    h.platform.held.insert(GLFW_KEY_W);
    h.frame();
    EXPECT_EQ(glm::vec3(camera.yaw, camera.pitch, camera.position.z), glm::vec3(-90, 0, 50));
    // Travel counts from where the cursor was during the intro: 0.2 degrees a pixel, up raises
    // the pitch.
    h.skipIntro();
    app::handleCursor(*h.game, 825.0, 390.0);
    EXPECT_EQ(glm::vec2(camera.yaw, camera.pitch), glm::vec2(-90.0f + 45.0f, 2.0f));
    // Each movement key walks its own way along the ground, a quarter unit a frame (15 a second),
    // and no other: the view at a yaw of -45 looks along (1, -1), so right is (1, 1).
    const std::pair<int, glm::vec2> keys[] = {
        {GLFW_KEY_W, {1, -1}}, {GLFW_KEY_S, {-1, 1}}, {GLFW_KEY_A, {-1, -1}}, {GLFW_KEY_D, {1, 1}}};
    for (const auto& [key, way] : keys) {
        h.platform.held = {key};
        const glm::vec3 before = camera.position;
        h.frame();
        const glm::vec3 moved = (camera.position - before) * 4.0f;
        EXPECT_LT(glm::length(glm::vec2(moved.x, moved.z) - glm::normalize(way)), 0.04f) << key;
    }
    // At the settings' sensitivity, here 0.5 degrees a pixel; inverted look turns up into down.
    h.game->settings.mouse_sensitivity = 0.5f;
    h.game->settings.invert_look = true;
    app::handleCursor(*h.game, 925.0, 370.0);
    EXPECT_EQ(glm::vec2(camera.yaw, camera.pitch), glm::vec2(-45.0f + 50.0f, 2.0f - 10.0f));
}

TEST(Gamepad, PlaysThroughTheKeysHandlersAndLetsGoOfEverythingWhenItIsGone) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    app::Game& g = *h.game;
    const physics::Camera& c = g.player.camera;
    // Holds the buttons (bits by GLFW_GAMEPAD_BUTTON_*; -1: no pad) and the sticks (left x, y,
    // right x, y; y down) for that many frames; gives what the last frame walked (x, z) and
    // turned (yaw, pitch), and the player's jump, crouch, flashlight, bloom, gravity and quit.
    const auto hold = [&](int buttons, const glm::vec4& sticks, double frames) {
        h.platform.pad = app::GamepadState{{}, {sticks.x, sticks.y, sticks.z, sticks.w}};
        for (std::size_t b = 0; b < 15; ++b) h.platform.pad->buttons[b] = (buttons >> b) & 1;
        if (buttons < 0) h.platform.pad.reset();
        h.run((frames - 1.0) / 60.0);
        const glm::vec4 at(c.position.x, c.position.z, c.yaw, c.pitch);
        h.frame();
        std::string state;
        for (bool on : {g.player.jumpRequested, g.player.crouchHeld, g.input.flashlightOn,
                        g.input.bloomEnabled, g.player.gravityEnabled, h.platform.closeRequested})
            state += on ? '1' : '0';
        return std::pair(glm::vec4(c.position.x, c.position.z, c.yaw, c.pitch) - at, state);
    };
    // The intro holds the sticks back as it holds the mouse and the keys.
    EXPECT_EQ(hold(0, {0, -1, 1, -1}, 30).first, glm::vec4(0.0f));
    h.skipIntro();
    enum : int { A = 1, B = 2, LB = 16, RB = 32, Back = 64, Thumb = 512, Up = 2048 };
    // Buttons, sticks, frames -> the last frame's walk and turn, and the player's state. Full tilt
    // walks a quarter unit a frame like a key; half tilt walks less (the dead zone cut out) and
    // looks up a seventh as fast as full tilt (3 degrees a frame, below), for fine aim; a slight
    // tilt does nothing. A jumps (and lands); the bumpers and the d-pad's up switch the
    // flashlight, bloom and flying, and back at their next press; B or the stick's click crouch
    // while held. Back let go before a second quits nothing. The pad gone mid-walk, turning and
    // crouched: all of it stops at once. Back held for a second quits.
    const std::tuple<int, glm::vec4, double, glm::vec4, const char*> steps[] = {
        {0, {0, -1, 0, 0}, 2, {0, -0.25f, 0, 0}, "001110"},
        {0, {0.5f, 0, 0, -0.5f}, 2, {0.094f, 0, 0, 0.42f}, "001110"},
        {0, {0.15f, 0.1f, 0.1f, -0.15f}, 2, {}, "001110"},
        {A, {}, 1, {}, "101110"},
        {LB | RB | Up, {}, 90, {}, "000000"},
        {0, {}, 2, {}, "000000"},
        {LB | RB | Up, {}, 2, {}, "001110"},
        {B, {}, 2, {}, "011110"},
        {Thumb, {}, 2, {}, "011110"},
        {Back, {}, 55, {}, "001110"},
        {B, {0, -1, 1, 0}, 2, {0.013f, -0.25f, 3, 0}, "011110"},
        {-1, {}, 2, {}, "001110"},
        {Back, {}, 62, {}, "001111"}};
    for (const auto& [buttons, sticks, frames, walkAndTurn, state] : steps) {
        const auto [moved, now] = hold(buttons, sticks, frames);
        EXPECT_LT(glm::distance(moved, walkAndTurn), 0.02f) << buttons << " " << frames;
        EXPECT_EQ(now, state) << buttons << " " << frames;
    }
    // Inverted look turns the stick's up into down too.
    g.settings.invert_look = true;
    EXPECT_LT(glm::distance(hold(0, {0, 0, 0, -1}, 2).first, glm::vec4(0, 0, 0, -3)), 1e-3f);
}

TEST(Camera, TheViewLooksAlongFront) {
    physics::Camera camera;
    camera.turnCamera(123.0f, 45.0f);
    const glm::vec4 ahead =
        camera.viewMatrix() * glm::vec4(camera.position + camera.front * 3.0f, 1);
    EXPECT_LT(glm::length(glm::vec3(ahead) - glm::vec3(0, 0, -3)), 1e-4f);
}

TEST(Hud, LinesStandWhereThePlayerLooksForThem) {
    const app::GameRules rules{.gemsCollected = 2};
    const app::InputSwitches input{.showMenu = true};
    // The score at the bottom left; the help column from the top, one row of 36 pixels apart.
    const std::vector<app::TextLine> lines = app::overlayLines(rules, input, 1280, 720);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0].text, "2");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const app::TextLine& l = lines[i];
        const glm::vec2 at = i ? glm::vec2(32, 720 - 36 * static_cast<int>(i)) : glm::vec2(25);
        EXPECT_EQ(glm::vec4(l.x, l.y, l.scale, l.color.r + l.color.g), glm::vec4(at, 0.8f, 1)) << i;
    }
    // Odd sizes are divided first: 1366 / 40 = 34, 767 / 20 = 38 rows of 38.
    const app::TextLine menu = app::overlayLines(rules, input, 1366, 767)[1];
    EXPECT_EQ(glm::vec2(menu.x, menu.y), glm::vec2(34.0f, 38.0f * 19.0f));
    const auto intro = app::introLines(1280, 720);
    const auto won = app::endScreenLines(app::GameState::Won, 1366, 767);
    const auto lost = app::endScreenLines(app::GameState::Lost, 1280, 720);
    ASSERT_EQ(intro.size() + won.size() + lost.size(), 4u);
    EXPECT_EQ(glm::vec4(won[0].x, won[0].y, lost[0].x, lost[0].y), glm::vec4(593, 383, 550, 360));
    EXPECT_EQ(glm::vec3(intro[0].y, intro[1].y, intro[0].scale), glm::vec3(684, 648, 0.5f));
    // The end screens show nothing but their own line.
    const app::GameRules ended{.gameState = app::GameState::Won};
    EXPECT_TRUE(app::overlayLines(ended, input, 800, 600).empty());
}

TEST(RenderScale, SlowFramesLowerItInStepsFastOnesRaiseItBackAndItSettlesWithoutPumping) {
    // A renderer whose frame takes `fixed` plus `perPixel` at the full window, in seconds, at
    // each scale; 40 s of frames, the renderer turning fast after 20 s where `recovers` says so.
    struct Case {
        const char* name;
        double fixed, perPixel;
        bool recovers;
        float settled;  // the scale after 20 s
    };
    const Case cases[] = {
        // The software renderer at 1280x720: down to the floor at once, and there it stays.
        {"slideshow", 0.016, 0.105, false, 0.5f},
        // A weak GPU: somewhere between, at a scale whose frames make 30 a second.
        {"weak", 0.010, 0.040, true, -1.0f},
        // Any GPU: never leaves 1.
        {"fast", 0.002, 0.004, false, 1.0f},
        // Right at 30 frames a second whatever the scale: stays where it is.
        {"boundary", 1.0 / 30.0, 0.0, false, 1.0f},
    };
    for (const Case& c : cases) {
        app::RenderScale scale(app::kRenderScaleAuto);
        double clock = 0.0, lastChange = -10.0, frame = 0.0;
        float lowest = 1.0f;
        int changesAfterSettling = 0;
        bool fast = false;
        while (clock < 40.0) {
            if (c.recovers && clock >= 20.0) fast = true;
            const double s = scale.scale();
            frame = fast ? 0.004 : c.fixed + c.perPixel * s * s;
            clock += frame;
            const float before = scale.scale();
            if (scale.frameTook(frame)) {
                EXPECT_GE(clock - lastChange, app::RenderScale::kHoldSeconds) << c.name;
                EXPECT_NE(scale.scale(), before) << c.name;
                lastChange = clock;
                if ((clock > 10.0 && clock < 20.0) || clock > 30.0) ++changesAfterSettling;
            }
            lowest = std::min(lowest, scale.scale());
            if (clock < 20.0 && clock + frame >= 20.0 && c.settled > 0.0f)
                EXPECT_EQ(scale.scale(), c.settled) << c.name;
            if (clock < 20.0 && clock + frame >= 20.0 && c.settled < 0.0f) {
                EXPECT_TRUE(scale.scale() > 0.5f && scale.scale() < 1.0f) << scale.scale();
                EXPECT_LE(frame, 1.08 / 30.0) << c.name;
            }
        }
        EXPECT_EQ(changesAfterSettling, 0) << c.name << " pumps";
        EXPECT_GE(lowest, app::RenderScale::kFloor) << c.name;
        // A renderer that turned fast is back at full size.
        if (c.recovers) EXPECT_EQ(scale.scale(), 1.0f) << c.name;
    }
    // A scale from the settings holds whatever the frames; broken times change nothing.
    app::RenderScale pinned(0.3f);
    for (int i = 0; i < 1000; ++i) pinned.frameTook(i % 2 ? 0.5 : 0.001);
    app::RenderScale following(app::kRenderScaleAuto);
    for (const double broken : {-1.0, std::nan(""), -1e9})
        for (int i = 0; i < 100; ++i) following.frameTook(broken);
    EXPECT_EQ(std::tuple(pinned.scale(), pinned.pinned(), following.scale()),
              std::tuple(0.3f, true, 1.0f));
}

}  // namespace
