// Plays what each frame's sound cues ask for on the sound device; silent when there is none.
#pragma once

#include <array>
#include <string>

#include "app/sound_cues.h"
#include "audio/sound_device.h"

namespace app {

class SoundPlayer {
public:
    // Opens the sound device and loads every file of kSoundFiles from `folder` (with its
    // trailing slash). Says on standard error, in one line, that sound is off and why when the
    // device cannot be used, or names each file that does not load (that sound stays silent).
    void start(const std::string& folder);
    // The settings' master volume, 0 silent to 1 full, over all the game's sound.
    void setVolume(float volume);
    // Moves the listener, stops what the frame stops, starts its cues and keeps the hum going,
    // each at its level in the mix.
    void play(const SoundFrame& frame);

private:
    audio::SoundDevice device_;
};

}  // namespace app
