// Which sound the game asks for in which frame, played headless through the real input path.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "app/level_layout.h"
#include "physics/character_controller.h"
#include "support/headless_game.h"

namespace {

using app::Sound;
using testsupport::HeadlessGame;
using Start = std::function<void(HeadlessGame&)>;

// Every cue of some frames, with the frame it came in.
std::vector<std::pair<int, app::SoundCue>> listen(HeadlessGame& h, double seconds) {
    std::vector<std::pair<int, app::SoundCue>> heard;
    for (int f = 0; f < static_cast<int>(seconds * 60.0); ++f) {
        h.frame();
        const app::SoundFrame& out = h.game->sound.frame;
        for (std::size_t i = 0; i < out.cueCount; ++i) heard.emplace_back(f, out.cues[i]);
    }
    return heard;
}

std::vector<int> framesOf(const std::vector<std::pair<int, app::SoundCue>>& heard, Sound sound) {
    std::vector<int> found;
    for (const auto& [frame, cue] : heard) {
        if (cue.sound == sound) found.push_back(frame);
    }
    return found;
}

Start hold(std::vector<int> keys) {
    return [keys](HeadlessGame& h) {
        for (int key : keys) h.keyPress(key);
    };
}

Start feetAt(const glm::dvec3& feet) {
    return [feet](HeadlessGame& h) { h.game->player.controller->setFootPosition(feet); };
}

// Walks for a second, then lets W go, or presses Space and waits for the jump to leave the ground.
Start walkThen(bool jump) {
    return [jump](HeadlessGame& h) {
        h.keyPress(GLFW_KEY_W);
        h.run(1.0);
        jump ? h.keyPress(GLFW_KEY_SPACE) : h.keyRelease(GLFW_KEY_W);
        h.run(2.0 / 60.0);
    };
}

// Column c of the brick wall loses its c + 1 lowest bricks: four knocks within half a second.
void undermineWall(HeadlessGame& h) {
    for (std::size_t c = 0; c < 4; ++c)
        for (std::size_t row = 0; row <= c; ++row)
            h.game->world.removeActor(h.game->actors.wallBricks[row * 5 + c]);
}

TEST(SoundCues, HowOftenEachSoundComes) {
    const struct {
        const char* name;
        Start start;
        double seconds;
        Sound sound;
        std::size_t atLeast, atMost;
    } cases[] = {
        {"standing still", hold({}), 2.0, Sound::Footstep, 0, 0},
        {"walking 30 units", hold({GLFW_KEY_W}), 2.0, Sound::Footstep, 5, 8},
        {"walking diagonally, faster", hold({GLFW_KEY_W, GLFW_KEY_D}), 2.0, Sound::Footstep, 8, 11},
        {"walking, then standing", walkThen(false), 1.0, Sound::Footstep, 0, 0},
        {"walking, in the air after a jump", walkThen(true), 0.8, Sound::Footstep, 0, 0},
        {"flying", hold({GLFW_KEY_LEFT_ALT, GLFW_KEY_W}), 2.0, Sound::Footstep, 0, 0},
        {"no key, riding the platform's edge", feetAt({-13, 6.5f, 0}), 4.0, Sound::Footstep, 0, 0},
        {"a jump", hold({GLFW_KEY_SPACE}), 2.0, Sound::Jump, 1, 1},
        {"a jump lands", hold({GLFW_KEY_SPACE}), 2.0, Sound::Land, 1, 1},
        {"a fall of six units lands", feetAt({0, 6, 50}), 2.0, Sound::Land, 1, 1},
        {"a drop of 0.9 units does not", feetAt({0, 0.9f, 50}), 2.0, Sound::Land, 0, 0},
        {"the spikes clank each second", hold({}), 3.0, Sound::SpikesClank, 3, 3},
        {"the standing wall", hold({}), 2.0, Sound::Thud, 0, 0},
        {"the wall undermined, at most every quarter second", undermineWall, 2.0, Sound::Thud, 2,
         8},
    };
    for (const auto& c : cases) {
        HeadlessGame h(testsupport::simpleLevelGeometry());
        h.skipIntro();
        h.run(1.0);
        c.start(h);
        const std::vector<int> frames = framesOf(listen(h, c.seconds), c.sound);
        EXPECT_TRUE(frames.size() >= c.atLeast && frames.size() <= c.atMost)
            << c.name << ": " << frames.size();
        for (std::size_t n = 1; c.sound == Sound::Thud && n < frames.size(); ++n) {
            EXPECT_GE(frames[n] - frames[n - 1], 15) << c.name;
        }
    }
}

TEST(SoundCues, StepsVaryWaitAStrideAfterALandingAndAreSofterCrouched) {
    // The softest step standing; every crouched step is softer.
    float softest = 1.0f;
    for (const bool crouched : {false, true}) {
        HeadlessGame h(testsupport::simpleLevelGeometry());
        h.skipIntro();
        // A jump as the walk sets off; the water tank is three seconds ahead.
        hold({GLFW_KEY_W, GLFW_KEY_SPACE, crouched ? GLFW_KEY_LEFT_CONTROL : GLFW_KEY_W})(h);
        const auto heard = listen(h, 2.6);
        // Where the player landed, and the files and pitches of the steps.
        glm::vec3 landed(1e9f);
        std::set<int> files;
        float lowest = 2.0f, highest = 0.0f;
        int last = -1;
        for (const auto& [frame, cue] : heard) {
            if (cue.sound == Sound::Land) landed = cue.position;
            if (cue.sound != Sound::Footstep) continue;
            EXPECT_TRUE(glm::distance(cue.position, landed) > 4.4f && cue.variant != last &&
                        (!crouched || cue.gain < softest));
            last = cue.variant;
            files.insert(cue.variant);
            lowest = std::min(lowest, cue.pitch);
            highest = std::max(highest, cue.pitch);
            if (!crouched) softest = std::min(softest, cue.gain);
        }
        EXPECT_TRUE(framesOf(heard, Sound::Land).size() == 1u && files.size() == 3u &&
                    lowest > 0.93f && highest < 1.07f && highest - lowest > 0.06f)
            << crouched;
    }
}

TEST(SoundCues, ChimeInTheFrameTheGemCountsHumAtThePlatformClankAtTheSpikes) {
    HeadlessGame h(testsupport::simpleLevelGeometry());
    h.skipIntro();
    feetAt(app::layout::kGemPositions[1] - glm::vec3(0, 1, 0))(h);
    float lowest = 100.0f, highest = -100.0f;
    for (int f = 0; f < 180; ++f) {
        const int gems = h.game->rules.gemsCollected;
        const float spikesBefore = h.game->world.actorPosition(h.game->actors.spikes).y;
        const auto heard = listen(h, 1.0 / 60.0);
        const app::SoundFrame& out = h.game->sound.frame;
        ASSERT_EQ(framesOf(heard, Sound::Chime).size(),
                  h.game->rules.gemsCollected == gems + 1 ? 1u : 0u)
            << f;
        for (const auto& [frame, cue] : heard) {
            if (cue.sound == Sound::Chime) EXPECT_EQ(cue.position, app::layout::kGemPositions[1]);
            if (cue.sound == Sound::SpikesClank) {
                EXPECT_EQ(cue.position, h.game->world.actorPosition(h.game->actors.spikes));
                // The drop has a file of its own.
                EXPECT_EQ(cue.variant, cue.position.y < spikesBefore ? 1 : 0);
            }
        }
        ASSERT_TRUE(out.humOn &&
                    out.humPosition == h.game->world.actorPosition(h.game->actors.platform));
        lowest = std::min(lowest, out.humPosition.y);
        highest = std::max(highest, out.humPosition.y);
    }
    EXPECT_EQ(h.game->rules.gemsCollected, 1);
    EXPECT_GT(highest - lowest, 1.5f);
}

TEST(SoundCues, TheEndStopsEverythingButItsOwnSounds) {
    const struct {
        const char* name;
        Start end;
        Sound sound, last;
    } cases[] = {
        {"walking into the water", hold({GLFW_KEY_W}), Sound::Splash, Sound::Sting},
        {"the acid channel", feetAt({-2.5f, 0, 10}), Sound::Hiss, Sound::Sting},
        {"onto the spikes", feetAt(app::layout::kSpikesStart + glm::vec3(0, 2.3f, 0)),
         Sound::SpikesHit, Sound::Sting},
        {"the third gem",
         [](HeadlessGame& h) {
             h.game->rules.gemsCollected = 2;
             feetAt(app::layout::kGemPositions[1] - glm::vec3(0, 1, 0))(h);
         },
         Sound::Chime, Sound::Fanfare},
    };
    for (const auto& c : cases) {
        HeadlessGame h(testsupport::simpleLevelGeometry());
        h.skipIntro();
        c.end(h);
        for (int f = 0; f < 300 && h.game->sound.playing; ++f) h.frame();
        const app::SoundFrame& out = h.game->sound.frame;
        EXPECT_TRUE(out.stopAll && out.cueCount == 2 && out.cues[0].sound == c.sound &&
                    out.cues[1].sound == c.last && !out.cues[1].positional)
            << c.name;
        EXPECT_TRUE(listen(h, 2.0).empty() && !h.game->sound.frame.humOn) << c.name;
    }
}

}  // namespace
