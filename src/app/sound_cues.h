// What the game asks its sound to do each frame, decided from the game's state alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>

namespace app {

struct Game;

// Every sound of the game.
enum class Sound : std::uint8_t {
    Footstep,
    Jump,
    Land,
    Chime,
    Splash,
    Hiss,
    SpikesHit,
    SpikesClank,
    Hum,
    Thud,
    Fanfare,
    Sting,
};
inline constexpr std::size_t kSoundCount = 12;

// Files per Sound, in the order of Sound: the footstep has three to choose from, the spikes'
// clank one for the rise (variant 0) and one for the drop (variant 1).
inline constexpr std::array<std::uint8_t, kSoundCount> kSoundVariants = {3, 1, 1, 1, 1, 1,
                                                                         1, 2, 1, 1, 1, 1};
// The files below the asset folder's "sounds/": each Sound's variants in a row, in the order of
// Sound.
inline constexpr std::array kSoundFiles = {
    "footstep_1.wav",  "footstep_2.wav", "footstep_3.wav", "jump.wav",       "land.wav",
    "chime.wav",       "splash.wav",     "hiss.wav",       "spikes_hit.wav", "spikes_up.wav",
    "spikes_down.wav", "hum.wav",        "thud.wav",       "fanfare.wav",    "sting.wav"};

inline constexpr std::size_t kSoundFileCount = kSoundFiles.size();

// Where a variant of a sound sits in kSoundFiles; a variant the sound lacks gives its last one.
constexpr std::size_t soundFile(Sound sound, std::uint8_t variant) {
    std::size_t first = 0;
    for (std::size_t s = 0; s < static_cast<std::size_t>(sound); ++s) first += kSoundVariants[s];
    const std::uint8_t count = kSoundVariants[static_cast<std::size_t>(sound)];
    return first + (variant < count ? variant : count - 1u);
}
static_assert(soundFile(Sound::Sting, 0) + 1 == kSoundFileCount,
              "every variant of every Sound has its file");

// One sound to start now: at a place in the level, or (not positional) at the listener's ear.
struct SoundCue {
    Sound sound = Sound::Footstep;
    bool positional = true;
    glm::vec3 position{0.0f};
    // 0 to 1, on top of the sound's own level in the mix.
    float gain = 1.0f;
    // Playback rate: 1 as recorded, 1.06 six per cent faster and higher.
    float pitch = 1.0f;
    // Which of the sound's files (kSoundVariants).
    std::uint8_t variant = 0;
};

// The sound of one frame: what starts, whether everything playing stops first, where the
// platform's looped hum is and where the player hears from.
struct SoundFrame {
    static constexpr std::size_t kMaxCues = 8;
    std::array<SoundCue, kMaxCues> cues{};
    std::size_t cueCount = 0;
    // The game ended in this frame: all that plays stops before this frame's cues start.
    bool stopAll = false;
    bool humOn = false;
    glm::vec3 humPosition{0.0f};
    glm::vec3 listenerPosition{0.0f};
    glm::vec3 listenerForward{0.0f, 0.0f, -1.0f};
    glm::vec3 listenerUp{0.0f, 1.0f, 0.0f};

    // A cue beyond kMaxCues is dropped.
    void add(Sound sound, bool positional, const glm::vec3& position, float gain,
             float pitch = 1.0f, std::uint8_t variant = 0);
};

// This frame's sounds, and what the cue step remembers of the frame before.
struct SoundCues {
    SoundFrame frame;

    bool playing = true;
    std::array<bool, 3> gemVisible{true, true, true};
    // Height of the spikes in the last frame: they clank as they move.
    bool hasSpikes = false;
    float spikesY = 0.0f;
    bool jumpRequested = false;
    bool hasFeet = false;
    glm::vec3 feet{0.0f};
    bool grounded = false;
    // Off the ground since some frame: the highest feet height since then, and whether a jump
    // took the player up.
    bool airborne = false;
    float airTop = 0.0f;
    bool jumped = false;
    // World units of ground still to walk before the next footstep; after a landing the next
    // step waits for a whole stride, even across a pause.
    float strideLeft = 0.0f;
    bool strideFromLanding = false;
    // The footstep file played last, never played twice in a row.
    std::uint8_t lastStep = 0;
    // State of the random pitch, gain and variant choices (any value but 0).
    std::uint32_t random = 0x9e3779b9u;
    // elapsedMs of the last thud; far in the past at the start.
    std::int64_t lastThudMs = -1'000'000;
};

// Fills game.sound.frame from how this frame changed the game; the frame's last step, in every
// game state. Touches nothing but game.sound.
void updateSoundCues(Game& game);

}  // namespace app
