// OpenAL behind SoundDevice: opening the device quietly, files through libsndfile, the voices.
#include "audio/sound_device.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <limits>
#include <vector>

namespace audio {

namespace {

// Voices for one-shot sounds; more than the game ever starts at once.
constexpr std::size_t kVoices = 16;
// Longer files are refused: the game's sounds last a second or two, and a damaged header must
// not make it read for ever.
constexpr sf_count_t kMaxSeconds = 10;
constexpr int kMaxRate = 192000;
constexpr int kMaxChannels = 8;

// OpenAL Soft and the system sound libraries it loads print their own complaints on standard
// error while they look for hardware; the game says in one line of its own what came of it.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int sink = ::open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && sink >= 0) ::dup2(sink, STDERR_FILENO);
        if (sink >= 0) ::close(sink);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

// The whole file as one channel of 16-bit samples: channels are averaged frame by frame.
bool readMono(const std::string& path, std::vector<short>& mono, int& rate, std::string& why) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        why = sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 ||
        info.samplerate > kMaxRate) {
        sf_close(file);
        why = "unsupported channel count or sample rate";
        return false;
    }
    if (info.frames > kMaxSeconds * info.samplerate) {
        sf_close(file);
        why = "longer than 10 seconds";
        return false;
    }
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<short> chunk(4096 * channels);
    mono.clear();
    sf_count_t got = 0;
    while ((got = sf_readf_short(file, chunk.data(), 4096)) > 0) {
        for (sf_count_t f = 0; f < got; ++f) {
            int sum = 0;
            for (std::size_t c = 0; c < channels; ++c) {
                sum += chunk[static_cast<std::size_t>(f) * channels + c];
            }
            mono.push_back(static_cast<short>(sum / info.channels));
        }
        if (static_cast<sf_count_t>(mono.size()) > kMaxSeconds * info.samplerate) break;
    }
    sf_close(file);
    if (mono.empty()) {
        why = "it holds no sound";
        return false;
    }
    rate = info.samplerate;
    return true;
}

}  // namespace

struct SoundDevice::Impl {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    float referenceDistance = 1.0f;
    // Whether each voice may have a distance model of its own (OpenAL Soft always offers it);
    // without it local sounds fade like the others.
    bool localSounds = false;
    std::array<ALuint, kVoices> voices{};
    // The voice to try first: the one started least recently.
    std::size_t nextVoice = 0;
    // Per slot: the loaded buffer and the looping voice, 0 for none.
    std::vector<ALuint> buffers;
    std::vector<ALuint> loops;

    void close() {
        if (context) {
            for (ALuint voice : voices) {
                if (voice) alSourceStop(voice);
            }
            alDeleteSources(static_cast<ALsizei>(kVoices), voices.data());
            for (ALuint loop : loops) {
                if (loop) alDeleteSources(1, &loop);
            }
            for (ALuint buffer : buffers) {
                if (buffer) alDeleteBuffers(1, &buffer);
            }
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
        }
        if (device) alcCloseDevice(device);
        context = nullptr;
        device = nullptr;
        voices.fill(0);
        buffers.clear();
        loops.clear();
    }

    ALuint buffer(std::size_t slot) const { return slot < buffers.size() ? buffers[slot] : 0; }

    // Everything a voice plays with, set on every start: voices are shared between sounds.
    void voice(ALuint source, const Voicing& v) const {
        alSourcei(source, AL_SOURCE_RELATIVE, v.positional ? AL_FALSE : AL_TRUE);
        const glm::vec3 at = v.positional ? v.position : glm::vec3(0.0f);
        alSource3f(source, AL_POSITION, at.x, at.y, at.z);
        alSourcef(source, AL_GAIN, v.gain);
        alSourcef(source, AL_PITCH, v.pitch);
        const bool local = localSounds && v.silentBeyond > referenceDistance;
        if (localSounds) {
            alSourcei(source, AL_DISTANCE_MODEL,
                      local ? AL_LINEAR_DISTANCE_CLAMPED : AL_INVERSE_DISTANCE_CLAMPED);
        }
        alSourcef(source, AL_MAX_DISTANCE,
                  local ? v.silentBeyond : std::numeric_limits<float>::max());
    }

    ALuint freeVoice() {
        for (std::size_t i = 0; i < kVoices; ++i) {
            const std::size_t v = (nextVoice + i) % kVoices;
            ALint state = AL_STOPPED;
            alGetSourcei(voices[v], AL_SOURCE_STATE, &state);
            if (state != AL_PLAYING) {
                nextVoice = (v + 1) % kVoices;
                return voices[v];
            }
        }
        // All busy: the one after the last voice started, in turn, is cut short.
        const ALuint taken = voices[nextVoice];
        nextVoice = (nextVoice + 1) % kVoices;
        return taken;
    }
};

SoundDevice::SoundDevice() : impl_(std::make_unique<Impl>()) {}

SoundDevice::~SoundDevice() { impl_->close(); }

bool SoundDevice::open(std::size_t slots, float referenceDistance, std::string& why) {
    Impl& s = *impl_;
    if (s.context) return true;
    {
        const QuietStderr quiet;
        s.device = alcOpenDevice(nullptr);
        if (s.device) s.context = alcCreateContext(s.device, nullptr);
    }
    if (!s.device) {
        why = "no sound device could be opened";
        return false;
    }
    if (!s.context || alcMakeContextCurrent(s.context) != ALC_TRUE) {
        why = "the sound device would not start";
        s.close();
        return false;
    }
    alGetError();
    alGenSources(static_cast<ALsizei>(kVoices), s.voices.data());
    if (alGetError() != AL_NO_ERROR) {
        s.voices.fill(0);
        why = "OpenAL has no voices to play with";
        s.close();
        return false;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    s.localSounds = alIsExtensionPresent("AL_EXT_source_distance_model") == AL_TRUE;
    if (s.localSounds) alEnable(AL_SOURCE_DISTANCE_MODEL);
    for (ALuint voice : s.voices) alSourcef(voice, AL_REFERENCE_DISTANCE, referenceDistance);
    s.referenceDistance = referenceDistance;
    s.buffers.assign(slots, 0);
    s.loops.assign(slots, 0);
    return true;
}

bool SoundDevice::isOpen() const { return impl_->context != nullptr; }

bool SoundDevice::load(std::size_t slot, const std::string& path, std::string& why) {
    Impl& s = *impl_;
    if (!s.context || slot >= s.buffers.size()) {
        why = s.context ? "no such sound slot" : "sound is off";
        return false;
    }
    std::vector<short> mono;
    int rate = 0;
    if (!readMono(path, mono, rate, why)) return false;
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, mono.data(),
                 static_cast<ALsizei>(mono.size() * sizeof(short)), rate);
    if (alGetError() != AL_NO_ERROR) {
        if (buffer) alDeleteBuffers(1, &buffer);
        why = "OpenAL refused its samples";
        return false;
    }
    if (s.buffers[slot]) alDeleteBuffers(1, &s.buffers[slot]);
    s.buffers[slot] = buffer;
    return true;
}

void SoundDevice::setListener(const glm::vec3& position, const glm::vec3& forward,
                              const glm::vec3& up) {
    if (!impl_->context) return;
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

void SoundDevice::setVolume(float volume) {
    if (impl_->context) alListenerf(AL_GAIN, volume);
}

void SoundDevice::play(std::size_t slot, const Voicing& voicing) {
    Impl& s = *impl_;
    const ALuint buffer = s.buffer(slot);
    if (!s.context || !buffer) return;
    const ALuint source = s.freeVoice();
    // A buffer can only be swapped on a voice that is not playing.
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_LOOPING, AL_FALSE);
    s.voice(source, voicing);
    alSourcePlay(source);
}

void SoundDevice::loop(std::size_t slot, bool on, const Voicing& voicing) {
    Impl& s = *impl_;
    const ALuint buffer = s.buffer(slot);
    if (!s.context || !buffer) return;
    ALuint& source = s.loops[slot];
    if (!on) {
        if (source) alSourceStop(source);
        return;
    }
    if (!source) {
        alGetError();
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) {
            source = 0;
            return;
        }
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcei(source, AL_LOOPING, AL_TRUE);
        alSourcef(source, AL_REFERENCE_DISTANCE, s.referenceDistance);
    }
    s.voice(source, voicing);
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(source);
}

void SoundDevice::stopAll() {
    Impl& s = *impl_;
    if (!s.context) return;
    for (ALuint voice : s.voices) alSourceStop(voice);
    for (ALuint loop : s.loops) {
        if (loop) alSourceStop(loop);
    }
}

}  // namespace audio
