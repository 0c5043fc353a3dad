// The sound player: the sound files at start-up, then each frame's cues on the device.
#include "app/sound_player.h"

#include <iostream>

namespace app {

namespace {

// World units within which a sound plays at full gain: about the player's height, so steps and
// splashes at the player's feet are as loud as the stings, and the far end of the pit (60 units)
// sounds at a fifteenth.
constexpr float kFullGainDistance = 4.0f;

std::size_t slotOf(Sound sound) { return static_cast<std::size_t>(sound); }

}  // namespace

void SoundPlayer::start(const std::string& folder) {
    std::string why;
    if (!device_.open(kSoundCount, kFullGainDistance, why)) {
        std::cerr << "Sound is off: " << why << std::endl;
        return;
    }
    for (std::size_t slot = 0; slot < kSoundCount; ++slot) {
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
        device_.play(slotOf(cue.sound), cue.positional, cue.position, cue.gain);
    }
    device_.loop(slotOf(Sound::Hum), frame.humOn, frame.humPosition);
}

}  // namespace app
