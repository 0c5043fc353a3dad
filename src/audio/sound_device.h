// The sound output on OpenAL: one listener, a buffer per loaded sound, a pool of voices for
// one-shot sounds and a voice per looping sound.
#pragma once

#include <cstddef>
#include <glm/glm.hpp>
#include <memory>
#include <string>

namespace audio {

// How one sound plays: where, how loud, how high, and how far it carries.
struct Voicing {
    // At `position` in the level, or (not positional) at the listener's ear.
    bool positional = true;
    glm::vec3 position{0.0f};
    // 0 to 1.
    float gain = 1.0f;
    // Playback rate: 1 as recorded; 1.06 six per cent faster and higher.
    float pitch = 1.0f;
    // 0: the sound fades as referenceDistance / distance and never quite ends. Otherwise a
    // local sound: it falls in a straight line from full gain at referenceDistance to silence at
    // this many world units, and stays silent farther away.
    float silentBeyond = 0.0f;
};

class SoundDevice {
public:
    SoundDevice();
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the default output device with a context of its own and `slots` empty sound slots.
    // Sources nearer than referenceDistance (world units) play at full gain, farther ones fade
    // as referenceDistance / distance. False, with the reason in `why`, when nothing can play;
    // the device stays closed then and every other call does nothing.
    bool open(std::size_t slots, float referenceDistance, std::string& why);
    bool isOpen() const;

    // Reads a sound file (any format libsndfile reads; several channels are mixed down to one,
    // so that the sound can be placed in the level) into `slot`. False, with the reason in
    // `why`, when the file cannot be read or holds no sound; the slot stays silent then.
    bool load(std::size_t slot, const std::string& path, std::string& why);

    // The listener: where it is and which way it looks (forward and up need not be unit length).
    void setListener(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up);
    // The master volume, 0 silent to 1 full: the listener's gain, over every sound's own gain.
    void setVolume(float volume);
    // Starts the sound of `slot` once, voiced as asked; nothing of a voice's last sound carries
    // over. Voices are taken in turn, the first free one after the last started; when every voice
    // is busy the next one in turn is cut short.
    void play(std::size_t slot, const Voicing& voicing);
    // Keeps the sound of `slot` looping, voiced as asked, while `on`; stops it when not.
    void loop(std::size_t slot, bool on, const Voicing& voicing);
    // Stops every voice, looping or not.
    void stopAll();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace audio
