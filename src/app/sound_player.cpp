// The sound player: the sound files at start-up, then each frame's cues on the device, mixed.
#include "app/sound_player.h"

#include <iostream>

namespace app {

namespace {

// World units within which a sound plays at full gain: about the player's height, so steps and
// splashes at the player's feet are as loud as the stings, and the far end of the pit (60 units)
// sounds at a fifteenth.
constexpr float kFullGainDistance = 4.0f;

// Every sound's gain scaled by this, so that the loudest overlaps the game makes (a death's
// sound with its sting, a landing on a step beside the clank and the hum) stay under full
// scale and the output limiter never has to act. The listener's gain is the player's volume.
constexpr float kMasterTrim = 0.7f;

// Each sound's level in the mix (0 to 1), in the order of Sound. The stings and the fanfare are
// the loudest; a step at the player's feet is 8 to 9 dB under them, a landing 4 dB; the hum
// sits 11 dB under the steps.
constexpr std::array<float, kSoundCount> kLevels = {
    0.45f,  // Footstep
    0.5f,   // Jump
    0.7f,   // Land
    0.8f,   // Chime
    0.8f,   // Splash
    0.9f,   // Hiss
    0.8f,   // SpikesHit
    0.35f,  // SpikesClank
    0.3f,   // Hum
    0.7f,   // Thud
    1.0f,   // Fanfare
    1.0f,   // Sting
};

// Local sounds: world units beyond which the spikes' clank and the platform's hum are silent,
// so that they are heard around their corner of the pit and not across the level.
constexpr float kClankSilentBeyond = 28.0f;
constexpr float kHumSilentBeyond = 20.0f;

std::size_t index(Sound sound) { return static_cast<std::size_t>(sound); }

float silentBeyond(Sound sound) {
    if (sound == Sound::SpikesClank) return kClankSilentBeyond;
    if (sound == Sound::Hum) return kHumSilentBeyond;
    return 0.0f;
}

}  // namespace

void SoundPlayer::start(const std::string& folder) {
    std::string why;
    if (!device_.open(kSoundFileCount, kFullGainDistance, why)) {
        std::cerr << "Sound is off: " << why << std::endl;
        return;
    }
    for (std::size_t slot = 0; slot < kSoundFileCount; ++slot) {
        const std::string path = folder + kSoundFiles[slot];
        if (!device_.load(slot, path, why)) {
            std::cerr << "Sound failed to load at path: " << path << " (" << why << ")"
                      << std::endl;
        }
    }
}

void SoundPlayer::setVolume(float volume) { device_.setVolume(volume); }

void SoundPlayer::play(const SoundFrame& frame) {
    if (!device_.isOpen()) return;
    device_.setListener(frame.listenerPosition, frame.listenerForward, frame.listenerUp);
    if (frame.stopAll) device_.stopAll();
    for (std::size_t i = 0; i < frame.cueCount; ++i) {
        const SoundCue& cue = frame.cues[i];
        const float gain = cue.gain * kLevels[index(cue.sound)] * kMasterTrim;
        device_.play(soundFile(cue.sound, cue.variant),
                     {cue.positional, cue.position, gain, cue.pitch, silentBeyond(cue.sound)});
    }
    const float humGain = kLevels[index(Sound::Hum)] * kMasterTrim;
    device_.loop(soundFile(Sound::Hum, 0), frame.humOn,
                 {true, frame.humPosition, humGain, 1.0f, kHumSilentBeyond});
}

}  // namespace app
