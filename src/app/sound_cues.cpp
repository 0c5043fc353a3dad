// The sound cue step: compares the game's state with the last frame's and names the sounds due.
#include "app/sound_cues.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

#include "app/game.h"
#include "app/input.h"
#include "app/level_layout.h"
#include "physics/character_controller.h"

namespace app {

namespace {

// World units walked between two footsteps: at the walking speed of 15 units a second, a little
// over three steps a second; faster walking (two keys at once) steps faster.
constexpr float kStride = 4.5f;
// Feet that moved less than this (world units) in a frame stand still.
constexpr float kStandingStill = 1e-4f;
// Without a movement key held, only a move of at least this much in a frame (world units; a
// fifth of a frame's walk at 60 frames a second) is a step: the controller's pushes out of
// geometry and squeezes between moving pieces are smaller.
constexpr float kRealStride = 0.05f;
// Each step is played a little higher or lower (fraction of its pitch) and softer (the lowest
// gain) at random, so that a long walk never sounds like one sample repeated.
constexpr float kStepPitchSpread = 0.06f;
constexpr float kStepSoftest = 0.85f;
// Crouched steps are half as loud.
constexpr float kCrouchedStepGain = 0.5f;
// The landing, a knock and the spikes' clank vary less.
constexpr float kKnockPitchSpread = 0.04f;
// A fall ends with a landing sound only from at least this height (world units); walking down a
// step or a ramp is no fall. A jump always lands with one.
constexpr float kLandingDrop = 1.0f;
// The spikes move a whole unit or two a tick; a smaller change of height is no tick.
constexpr float kSpikesTick = 0.5f;
// Impulse of a new brick contact (kg · units/s) that is heard: a wall brick (10 kg) dropped
// about a fifth of a unit; shoving the wall mostly stays below it. Four times as much (a drop
// of about three units) plays at full gain.
constexpr float kThudImpulse = 30.0f;
// At most four thuds a second, however many bricks fall.
constexpr std::int64_t kThudGapMs = 250;
// The second hazard zone is the water tank; the other two hold acid.
constexpr std::size_t kWaterHazard = 1;

// 0 to 1 from the cue step's own generator (xorshift), the same sequence in every run.
float nextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) / 16777216.0f;
}

// 1 ± spread, at random.
float around(std::uint32_t& state, float spread) {
    return 1.0f + spread * (2.0f * nextRandom(state) - 1.0f);
}

glm::vec3 feetOf(const Game& game) {
    if (!game.player.controller) return game.player.camera.position;
    return glm::vec3(game.player.controller->getFootPosition());
}

// The sounds of the frame in which the game ended: the chime of a last gem is already there.
void addEndCues(const Game& game, const glm::vec3& feet, SoundFrame& out) {
    const GameRules& rules = game.rules;
    if (rules.gameState == GameState::Won) {
        out.add(Sound::Fanfare, false, glm::vec3(0.0f), 1.0f);
        return;
    }
    if (rules.spikesTouched) {
        out.add(Sound::SpikesHit, true, feet, 1.0f);
    } else {
        const physics::Shape* shape = game.callback.triggerShape;
        const auto& hazards = game.actors.hazardShapes;
        const auto hit = std::find(hazards.begin(), hazards.end(), shape);
        if (shape && hit != hazards.end()) {
            const bool water = static_cast<std::size_t>(hit - hazards.begin()) == kWaterHazard;
            out.add(water ? Sound::Splash : Sound::Hiss, true, feet, 1.0f);
        }
    }
    out.add(Sound::Sting, false, glm::vec3(0.0f), 1.0f);
}

// A footstep: never the file played last, its pitch and gain a little off at random.
void addFootstep(const Game& game, const glm::vec3& feet, SoundCues& s) {
    const int count = kSoundVariants[static_cast<std::size_t>(Sound::Footstep)];
    // One to count - 1 files on from the last one.
    const int skip = 1 + static_cast<int>(nextRandom(s.random) * static_cast<float>(count - 1));
    s.lastStep = static_cast<std::uint8_t>((s.lastStep + skip) % count);
    float gain = kStepSoftest + (1.0f - kStepSoftest) * nextRandom(s.random);
    if (game.player.camera.wasCrouching) gain *= kCrouchedStepGain;
    s.frame.add(Sound::Footstep, true, feet, gain, around(s.random, kStepPitchSpread), s.lastStep);
}

// Jump, landing and footsteps from the player's movement in this frame.
void addPlayerCues(const Game& game, const glm::vec3& feet, SoundCues& s) {
    const physics::Player& player = game.player;
    SoundFrame& out = s.frame;
    const bool flying = !player.gravityEnabled;
    const bool jumping = player.jumpRequested;
    const bool touching =
        player.controller && player.controller->getState().touchedShape != nullptr;
    const bool grounded = !flying && !jumping && touching;

    if (jumping && !s.jumpRequested) out.add(Sound::Jump, true, feet, 1.0f);

    if (grounded) {
        if (s.airborne && (s.jumped || s.airTop - feet.y >= kLandingDrop)) {
            out.add(Sound::Land, true, feet, 1.0f, around(s.random, kKnockPitchSpread));
            // The landing is this stride's footfall.
            s.strideLeft = kStride;
            s.strideFromLanding = true;
        }
        s.airborne = false;
    } else if (flying) {
        // Flight is no fall: switching gravity back on starts one from where the player is.
        s.airborne = false;
    } else {
        if (!s.airborne) {
            s.airborne = true;
            s.jumped = false;
            s.airTop = s.hasFeet ? std::max(s.feet.y, feet.y) : feet.y;
        }
        s.airTop = std::max(s.airTop, feet.y);
        s.jumped = s.jumped || jumping;
    }

    const float walked =
        s.hasFeet ? glm::length(glm::vec2(feet.x - s.feet.x, feet.z - s.feet.z)) : 0.0f;
    const bool striding = grounded && s.grounded && walked > kStandingStill &&
                          (walked >= kRealStride || walkAsked(game));
    if (striding) {
        // The first step sounds as the player sets off, the next ones every stride.
        s.strideLeft -= walked;
        if (s.strideLeft <= 0.0f) {
            addFootstep(game, feet, s);
            // One step a frame however far the frame went.
            s.strideLeft = kStride - std::fmod(-s.strideLeft, kStride);
            s.strideFromLanding = false;
        }
    } else if (!s.strideFromLanding) {
        s.strideLeft = 0.0f;
    }
    s.grounded = grounded;
    s.jumpRequested = jumping;
}

}  // namespace

void SoundFrame::add(Sound sound, bool positional, const glm::vec3& position, float gain,
                     float pitch, std::uint8_t variant) {
    if (cueCount == kMaxCues) return;
    cues[cueCount++] = SoundCue{sound, positional, position, gain, pitch, variant};
}

void updateSoundCues(Game& game) {
    SoundCues& s = game.sound;
    SoundFrame& out = s.frame;
    out.cueCount = 0;
    out.stopAll = false;
    out.humOn = false;
    const physics::Camera& camera = game.player.camera;
    out.listenerPosition = camera.position;
    out.listenerForward = camera.front;
    out.listenerUp = camera.up;
    // After the frame that ended the game nothing more starts: its stings ring out alone.
    if (!s.playing) return;

    const GameRules& rules = game.rules;
    const glm::vec3 feet = feetOf(game);
    for (std::size_t k = 0; k < 3; ++k) {
        if (s.gemVisible[k] && !rules.gemVisible[k]) {
            out.add(Sound::Chime, true, layout::kGemPositions[k], 1.0f);
        }
    }
    s.gemVisible = rules.gemVisible;

    if (rules.gameState != GameState::Playing) {
        out.stopAll = true;
        addEndCues(game, feet, out);
        s.playing = false;
        return;
    }

    if (game.actors.spikes) {
        const glm::vec3 spikes = game.world.actorPosition(game.actors.spikes);
        if (s.hasSpikes && std::abs(spikes.y - s.spikesY) >= kSpikesTick) {
            // Variant 1 is the drop.
            out.add(Sound::SpikesClank, true, spikes, 1.0f, around(s.random, kKnockPitchSpread),
                    spikes.y < s.spikesY ? 1 : 0);
        }
        s.spikesY = spikes.y;
        s.hasSpikes = true;
    }

    if (game.actors.platform) {
        out.humOn = true;
        out.humPosition = game.world.actorPosition(game.actors.platform);
    }

    addPlayerCues(game, feet, s);

    const physics::Impact impact = game.world.strongestImpact();
    if (impact.impulse >= kThudImpulse && game.elapsedMs - s.lastThudMs >= kThudGapMs) {
        out.add(Sound::Thud, true, impact.position,
                std::min(1.0f, impact.impulse / (4.0f * kThudImpulse)),
                around(s.random, kKnockPitchSpread));
        s.lastThudMs = game.elapsedMs;
    }
    s.feet = feet;
    s.hasFeet = true;
}

}  // namespace app
