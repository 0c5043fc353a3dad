// Which sound the game asks for in which frame, played headless through the real input path.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "app/level_layout.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

using app::Sound;
using testsupport::HeadlessGame;

// Every cue of some frames, with the frame it came in.
struct Heard {
    std::vector<std::pair<int, app::SoundCue>> cues;
    int count(Sound sound) const {
        int n = 0;
        for (const auto& [frame, cue] : cues) n += cue.sound == sound ? 1 : 0;
        return n;
    }
    int frameOf(Sound sound, int nth = 0) const {
        for (const auto& [frame, cue] : cues) {
            if (cue.sound == sound && nth-- == 0) return frame;
        }
        return -1;
    }
};

Heard listen(HeadlessGame& h, double seconds) {
    Heard heard;
    const int frames = static_cast<int>(seconds * 60.0);
    for (int f = 0; f < frames; ++f) {
        h.frame();
        const app::SoundFrame& out = h.game->sound.frame;
        for (std::size_t i = 0; i < out.cueCount; ++i) heard.cues.emplace_back(f, out.cues[i]);
    }
    return heard;
}

void lift(HeadlessGame& h, const glm::vec3& feet) {
    h.game->player.controller->setFootPosition(glm::dvec3(feet));
}

// A start that puts the player's feet at `feet`.
std::function<void(HeadlessGame&)> at(const glm::vec3& feet) {
    return [feet](HeadlessGame& h) { lift(h, feet); };
}

struct CountCase {
    const char* name;
    std::function<void(HeadlessGame&)> start;
    double seconds;
    Sound sound;
    int atLeast;
    int atMost;
};

TEST(SoundCues, HowOftenEachSoundComes) {
    const auto hold = [](std::vector<int> keys) {
        return [keys](HeadlessGame& h) {
            for (int key : keys) h.keyPress(key);
        };
    };
    const CountCase cases[] = {
        {"standing still", hold({}), 2.0, Sound::Footstep, 0, 0},
        {"walking 30 units", hold({GLFW_KEY_W}), 2.0, Sound::Footstep, 5, 8},
        {"walking diagonally, faster", hold({GLFW_KEY_W, GLFW_KEY_D}), 2.0, Sound::Footstep, 8, 11},
        {"flying", hold({GLFW_KEY_LEFT_ALT, GLFW_KEY_W}), 2.0, Sound::Footstep, 0, 0},
        {"a jump", hold({GLFW_KEY_SPACE}), 2.0, Sound::Jump, 1, 1},
        {"a jump lands", hold({GLFW_KEY_SPACE}), 2.0, Sound::Land, 1, 1},
        {"a fall of six units lands", at({0, 6, 50}), 2.0, Sound::Land, 1, 1},
        {"a drop of 0.9 units does not", at({0, 0.9f, 50}), 2.0, Sound::Land, 0, 0},
        {"the spikes clank each second", hold({}), 3.0, Sound::SpikesClank, 3, 3},
        {"the standing wall", hold({}), 2.0, Sound::Thud, 0, 0},
    };
    for (const CountCase& c : cases) {
        HeadlessGame h(testsupport::simpleLevelGeometry());
        h.skipIntro();
        h.run(1.0);
        c.start(h);
        const int n = listen(h, c.seconds).count(c.sound);
        EXPECT_GE(n, c.atLeast) << c.name;
        EXPECT_LE(n, c.atMost) << c.name;
    }
}

TEST(SoundCues, FootstepsStopWhenThePlayerStopsOrLeavesTheGround) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.skipIntro();
    h.keyPress(GLFW_KEY_W);
    h.keyPress(GLFW_KEY_SPACE);
    const Heard jump = listen(h, 1.5);
    const int up = jump.frameOf(Sound::Jump);
    const int down = jump.frameOf(Sound::Land);
    ASSERT_GE(up, 0);
    ASSERT_GT(down, up + 20);
    for (const auto& [frame, cue] : jump.cues) {
        EXPECT_FALSE(cue.sound == Sound::Footstep && frame > up && frame <= down) << frame;
    }
    EXPECT_GT(jump.frameOf(Sound::Footstep, 1), down) << "the steps go on after landing";
    h.keyRelease(GLFW_KEY_W);
    EXPECT_EQ(listen(h, 1.0).count(Sound::Footstep), 0);
}

TEST(SoundCues, BricksThatFallThudAtMostFourTimesASecond) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.skipIntro();
    // Column c loses its c + 1 lowest bricks (5 to a row): four knocks in half a second.
    for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t row = 0; row <= c; ++row) {
            h.game->world.removeActor(h.game->actors.wallBricks[row * 5 + c]);
        }
    }
    const Heard heard = listen(h, 2.0);
    ASSERT_GE(heard.count(Sound::Thud), 2);
    for (int n = 1; n < heard.count(Sound::Thud); ++n) {
        EXPECT_GE(heard.frameOf(Sound::Thud, n) - heard.frameOf(Sound::Thud, n - 1), 15) << n;
    }
}

TEST(SoundCues, ChimeAtTheGemInTheFrameItIsCounted) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.skipIntro();
    lift(h, app::layout::kGemPositions[1] - glm::vec3(0, 1, 0));
    for (int f = 0; f < 30; ++f) {
        const int before = h.game->rules.gemsCollected;
        const Heard heard = listen(h, 1.0 / 60.0);
        const bool counted = h.game->rules.gemsCollected == before + 1;
        ASSERT_EQ(heard.count(Sound::Chime), counted ? 1 : 0) << f;
        if (counted) EXPECT_EQ(heard.cues[0].second.position, app::layout::kGemPositions[1]);
    }
    EXPECT_EQ(h.game->rules.gemsCollected, 1);
}

TEST(SoundCues, HumFollowsThePlatformAndClanksComeFromTheSpikes) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    float lowest = 100.0f;
    float highest = -100.0f;
    for (int f = 0; f < 180; ++f) {
        const Heard heard = listen(h, 1.0 / 60.0);
        const app::SoundFrame& out = h.game->sound.frame;
        ASSERT_TRUE(out.humOn);
        EXPECT_EQ(out.humPosition, h.game->world.actorPosition(h.game->actors.platform));
        lowest = std::min(lowest, out.humPosition.y);
        highest = std::max(highest, out.humPosition.y);
        for (const auto& [frame, cue] : heard.cues) {
            EXPECT_EQ(cue.position, h.game->world.actorPosition(h.game->actors.spikes));
        }
    }
    EXPECT_GT(highest - lowest, 1.5f);
}

struct EndCase {
    const char* name;
    std::function<void(HeadlessGame&)> end;
    Sound sound;
    Sound last;
};

TEST(SoundCues, TheEndStopsEverythingButItsOwnSounds) {
    const EndCase cases[] = {
        {"walking into the water", [](HeadlessGame& h) { h.keyPress(GLFW_KEY_W); }, Sound::Splash,
         Sound::Sting},
        {"the acid channel", at({-2.5f, 0, 10}), Sound::Hiss, Sound::Sting},
        {"onto the spikes", at(app::layout::kSpikesStart + glm::vec3(0, 2.3f, 0)), Sound::SpikesHit,
         Sound::Sting},
        {"the third gem",
         [](HeadlessGame& h) {
             h.game->rules.gemsCollected = 2;
             lift(h, app::layout::kGemPositions[1] - glm::vec3(0, 1, 0));
         },
         Sound::Chime, Sound::Fanfare},
    };
    for (const EndCase& c : cases) {
        HeadlessGame h(testsupport::simpleLevelGeometry());
        h.skipIntro();
        c.end(h);
        for (int f = 0; f < 300 && h.game->sound.playing; ++f) h.frame();
        const app::SoundFrame& out = h.game->sound.frame;
        ASSERT_FALSE(h.game->sound.playing) << c.name;
        EXPECT_TRUE(out.stopAll) << c.name;
        ASSERT_EQ(out.cueCount, 2u) << c.name;
        EXPECT_EQ(out.cues[0].sound, c.sound) << c.name;
        EXPECT_EQ(out.cues[1].sound, c.last) << c.name;
        EXPECT_FALSE(out.cues[1].positional) << c.name;
        const Heard after = listen(h, 2.0);
        EXPECT_TRUE(after.cues.empty()) << c.name;
        EXPECT_FALSE(h.game->sound.frame.humOn) << c.name;
    }
}

TEST(SoundCues, EverySoundTheGameLoadsIsInTheAssetTree) {
    for (const char* file : app::kSoundFiles) {
        EXPECT_TRUE(
            std::filesystem::exists(std::string(GLIMMER_SOURCE_DIR) + "/assets/sounds/" + file))
            << file;
    }
}

}  // namespace
