// Synthesises the game's sounds from sines, filtered noise and envelopes, and writes them as WAV.
#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "image.h"

namespace assetgen {

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// One sound as samples in about -1..1 before it is scaled to its peak.
using Wave = std::vector<double>;

Wave silence(double seconds) { return Wave(static_cast<std::size_t>(seconds * kRate + 0.5), 0.0); }

double timeOf(std::size_t i) { return static_cast<double>(i) / kRate; }

// Rises linearly for `attack` seconds, then falls by a factor e every `decay` seconds.
double strike(double t, double attack, double decay) {
    if (t < 0.0) return 0.0;
    return t < attack ? t / attack : std::exp(-(t - attack) / decay);
}

// White noise in -1..1 from the shared hash, the same on every machine.
double noise(std::uint32_t seed, std::size_t i) {
    return 2.0 * static_cast<double>(
                     unitFloat(hash32(seed * 0x9e3779b9u + static_cast<std::uint32_t>(i)))) -
           1.0;
}

// A random number in 0..1 for the n-th event of a sound (bubble times, crackles).
double pick(std::uint32_t seed, std::uint32_t n) {
    return static_cast<double>(unitFloat(hash32(seed ^ (n * 0x85ebca6bu))));
}

// One-pole filters; cutoff in Hz.
Wave lowPass(const Wave& in, double cutoff) {
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoff / kRate);
    Wave out(in.size());
    double y = 0.0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        y += a * (in[i] - y);
        out[i] = y;
    }
    return out;
}

Wave highPass(const Wave& in, double cutoff) {
    Wave out = lowPass(in, cutoff);
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = in[i] - out[i];
    return out;
}

Wave noiseWave(std::size_t length, std::uint32_t seed) {
    Wave w(length);
    for (std::size_t i = 0; i < length; ++i) w[i] = noise(seed, i);
    return w;
}

// Adds `source` shaped by envelope(t), times `gain`, starting at `start` seconds.
void mix(Wave& into, const Wave& source, double gain, const std::function<double(double)>& envelope,
         double start = 0.0) {
    const auto offset = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = 0; i + offset < into.size() && i < source.size(); ++i) {
        into[i + offset] += gain * envelope(timeOf(i)) * source[i];
    }
}

// A sine whose frequency glides from f0 to f1 (Hz) over the sound, shaped by a strike.
void addGlide(Wave& w, double start, double f0, double f1, double gain, double attack,
              double decay) {
    const auto offset = static_cast<std::size_t>(start * kRate);
    const double length = static_cast<double>(w.size() - std::min(offset, w.size())) / kRate;
    double phase = 0.0;
    for (std::size_t i = offset; i < w.size(); ++i) {
        const double t = timeOf(i - offset);
        phase += 2.0 * kPi * (f0 + (f1 - f0) * t / length) / kRate;
        w[i] += gain * strike(t, attack, decay) * std::sin(phase);
    }
}

// A struck metal or glass body: inharmonic partials of `base` Hz, each dying at its own rate.
struct Partial {
    double ratio;
    double gain;
    double decay;
};
void addBell(Wave& w, double start, double base, std::initializer_list<Partial> partials) {
    const auto offset = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = offset; i < w.size(); ++i) {
        const double t = timeOf(i - offset);
        for (const Partial& p : partials) {
            w[i] += p.gain * strike(t, 0.002, p.decay) * std::sin(2.0 * kPi * base * p.ratio * t);
        }
    }
}

// A held note with odd (hollow, horn-like) or all harmonics up to `harmonics`, with a slight
// vibrato, an attack, a slow fall and a fade over its last 0.2 s.
void addNote(Wave& w, double start, double length, double frequency, double gain, bool oddOnly,
             int harmonics, double decay) {
    const auto offset = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(length * kRate);
    double phase = 0.0;
    for (std::size_t i = 0; i < count && offset + i < w.size(); ++i) {
        const double t = timeOf(i);
        phase += 2.0 * kPi * frequency * (1.0 + 0.004 * std::sin(2.0 * kPi * 5.5 * t)) / kRate;
        double tone = 0.0;
        for (int k = 1; k <= harmonics; k += oddOnly ? 2 : 1) {
            tone += std::sin(phase * k) / k;
        }
        const double fade = std::clamp((length - t) / 0.2, 0.0, 1.0);
        w[offset + i] += gain * strike(t, 0.025, decay) * fade * tone;
    }
}

// Noise between `low` and `high` Hz that repeats every `length` samples without a seam: the
// filters run over two periods and the second is kept, so their state wraps round.
Wave loopedBand(std::size_t length, std::uint32_t seed, double low, double high) {
    Wave twice(2 * length);
    for (std::size_t i = 0; i < twice.size(); ++i) twice[i] = noise(seed, i % length);
    const Wave band = highPass(lowPass(twice, high), low);
    return Wave(band.begin() + static_cast<std::ptrdiff_t>(length), band.end());
}

// Grit: `count` tiny bursts of bright noise scattered over `spread` seconds from `start`, each
// smaller the later it comes (gravel and dust settling after a contact).
void addGrit(Wave& w, std::uint32_t seed, int count, double start, double spread, double gain) {
    const Wave bright = lowPass(highPass(noiseWave(w.size(), seed), 1500.0), 6000.0);
    for (std::uint32_t n = 0; n < static_cast<std::uint32_t>(count); ++n) {
        const double at = start + spread * pick(seed + 1, n) * pick(seed + 2, n);
        const double size =
            gain * (0.4 + 0.6 * pick(seed + 3, n)) * (1.0 - 0.6 * (at - start) / spread);
        const auto first = static_cast<std::size_t>(at * kRate);
        for (std::size_t k = 0; k < 60 && first + k < w.size(); ++k) {
            w[first + k] += size * std::exp(-static_cast<double>(k) / 12.0) * bright[first + k];
        }
    }
}

// Scales to the given peak, then fades the last `fade` seconds along a squared ramp, so the
// sound ends in silence without a click.
void finish(Wave& w, double peak, double fade = 0.005) {
    double loudest = 0.0;
    for (double s : w) loudest = std::max(loudest, std::abs(s));
    if (loudest <= 0.0) return;
    for (double& s : w) s *= peak / loudest;
    const auto samples = static_cast<std::size_t>(fade * kRate);
    for (std::size_t i = 0; i < samples && i < w.size(); ++i) {
        const double ramp = static_cast<double>(i) / static_cast<double>(samples);
        w[w.size() - 1 - i] *= ramp * ramp;
    }
}

// A step on gritty stone: a soft heel tap, the sole's scuff in the 1-3 kHz band where small
// speakers still play, and the toe a moment later. Each variant has its own noise, heel pitch,
// toe timing and brightness, so a walk never repeats one sample.
Wave footstep(std::uint32_t variant) {
    const std::uint32_t seed = 100 + 10 * variant;
    Wave w = silence(0.2);
    const double heel = 105.0 + 30.0 * pick(seed, 0);
    addGlide(w, 0.0, heel * 1.3, heel * 0.8, 0.45, 0.002, 0.02);
    const double bright = 2600.0 + 1200.0 * pick(seed, 1);
    const Wave scuff =
        highPass(lowPass(lowPass(noiseWave(w.size(), seed + 1), bright), bright), 700.0);
    mix(w, scuff, 0.9, [](double t) { return strike(t, 0.002, 0.022); });
    const double toe = 0.045 + 0.03 * pick(seed, 2);
    mix(w, highPass(lowPass(lowPass(noiseWave(w.size(), seed + 2), bright), bright), 900.0), 0.5,
        [toe](double t) { return strike(t - toe, 0.004, 0.018); });
    addGrit(w, seed + 3, 6, 0.005, 0.09, 0.35);
    finish(w, 0.8, 0.03);
    return w;
}

Wave jump() {
    Wave w = silence(0.36);
    mix(w, lowPass(noiseWave(w.size(), 21), 2500.0), 0.6,
        [](double t) { return strike(t, 0.004, 0.03); });
    mix(w, lowPass(highPass(noiseWave(w.size(), 22), 400.0), 1800.0), 0.5,
        [](double t) { return t < 0.25 ? std::sin(kPi * t / 0.25) : 0.0; });
    addGlide(w, 0.0, 180.0, 320.0, 0.5, 0.01, 0.06);
    finish(w, 0.75, 0.05);
    return w;
}

// Both feet come down a few hundredths apart: two deep thumps, a crunch of the boots' soles
// and a spray of grit that settles for a fifth of a second. Longer, lower and rougher than a
// step.
Wave land() {
    Wave w = silence(0.45);
    addGlide(w, 0.0, 95.0, 50.0, 0.45, 0.002, 0.06);
    addGlide(w, 0.03, 85.0, 48.0, 0.3, 0.002, 0.05);
    const Wave crunch = highPass(lowPass(lowPass(noiseWave(w.size(), 31), 3000.0), 3000.0), 500.0);
    mix(w, crunch, 0.9, [](double t) { return strike(t, 0.002, 0.035); });
    mix(w, crunch, 0.7, [](double t) { return strike(t - 0.03, 0.002, 0.05); });
    addGrit(w, 32, 30, 0.01, 0.22, 0.6);
    finish(w, 0.8, 0.08);
    return w;
}

Wave chime() {
    Wave w = silence(1.7);
    // E6, then B6: a bright fifth.
    for (const auto& [start, base] : {std::pair{0.0, 1318.5}, std::pair{0.11, 1975.5}}) {
        addBell(w, start, base,
                {{1.0, 1.0, 0.36}, {2.76, 0.45, 0.2}, {5.40, 0.25, 0.09}, {8.93, 0.12, 0.045}});
    }
    finish(w, 0.7, 0.4);
    return w;
}

Wave splash() {
    Wave w = silence(0.9);
    mix(w, highPass(lowPass(noiseWave(w.size(), 41), 3500.0), 300.0), 1.0,
        [](double t) { return strike(t, 0.008, 0.16); });
    mix(w, highPass(noiseWave(w.size(), 42), 4000.0), 0.6,
        [](double t) { return strike(t, 0.004, 0.09); });
    // Bubbles: short sines rising in pitch, scattered over the first 0.65 s.
    for (std::uint32_t n = 0; n < 14; ++n) {
        const double start = 0.06 + 0.6 * pick(43, n);
        const double f0 = 450.0 + 900.0 * pick(44, n);
        addGlide(w, start, f0, f0 * 1.6, 0.35, 0.002, 0.018);
    }
    finish(w, 0.9, 0.05);
    return w;
}

Wave hiss() {
    Wave w = silence(1.2);
    mix(w, highPass(noiseWave(w.size(), 51), 2500.0), 1.0, [](double t) {
        return std::min(t / 0.06, 1.0) * (t < 0.45 ? 1.0 : std::exp(-(t - 0.45) / 0.15));
    });
    // Crackles: single bright clicks here and there.
    for (std::uint32_t n = 0; n < 40; ++n) {
        const auto at = static_cast<std::size_t>((0.02 + 0.7 * pick(52, n)) * kRate);
        const double size = 0.5 + 0.5 * pick(53, n);
        for (std::size_t k = 0; k < 3 && at + k < w.size(); ++k) {
            w[at + k] += (k == 1 ? -size : size) * 0.8;
        }
    }
    finish(w, 0.6, 0.1);
    return w;
}

// The spikes' strike: a bell of steel that rings out to silence.
Wave spikesHit() {
    Wave w = silence(1.3);
    addBell(w, 0.0, 410.0,
            {{1.0, 1.0, 0.3},
             {2.32, 0.8, 0.22},
             {4.25, 0.6, 0.16},
             {6.63, 0.4, 0.11},
             {9.38, 0.3, 0.07}});
    mix(w, highPass(noiseWave(w.size(), 61), 2000.0), 0.8,
        [](double t) { return strike(t, 0.0005, 0.006); });
    finish(w, 0.85, 0.35);
    return w;
}

// The spikes' tick: up is a light, high ring; down a heavier, lower one with a knock of the
// frame under it.
Wave spikesClank(bool down) {
    Wave w = silence(0.55);
    const double base = down ? 140.0 : 185.0;
    const double ring = down ? 0.12 : 0.09;
    addBell(w, 0.0, base,
            {{1.0, 1.0, ring},
             {2.71, 0.7, ring * 0.7},
             {5.13, 0.45, ring * 0.5},
             {8.27, 0.3, ring * 0.35}});
    addGlide(w, 0.0, down ? 110.0 : 150.0, down ? 80.0 : 130.0, down ? 0.6 : 0.3, 0.002, 0.04);
    mix(w, lowPass(noiseWave(w.size(), down ? 72 : 71), 5000.0), 0.6,
        [](double t) { return strike(t, 0.0005, 0.01); });
    finish(w, 0.8, 0.1);
    return w;
}

// One second that loops without a seam: every partial, the wobble and the whirring noise make
// whole cycles in it. A 55 Hz motor with a buzz of harmonics up to about 1 kHz, so that it is
// still heard where nothing below 200 Hz is played.
Wave hum() {
    Wave w = silence(1.0);
    const Wave whirr = loopedBand(w.size(), 91, 300.0, 1400.0);
    for (std::size_t i = 0; i < w.size(); ++i) {
        const double t = timeOf(i);
        double tone = 0.0;
        for (int h = 1; h <= 18; ++h) {
            // Odd harmonics buzz; the even ones fall away faster.
            const double gain = (h % 2 == 1 ? 1.0 : 0.6) / h;
            tone += gain * std::sin(2.0 * kPi * 55.0 * h * t);
        }
        const double wobble = 0.8 + 0.2 * std::sin(2.0 * kPi * 3.0 * t);
        w[i] = wobble * (tone + whirr[i]);
    }
    // No fade: the end runs on into the start.
    finish(w, 0.3, 0.0);
    return w;
}

// A loose brick knocking on stone: a dull low thump under a short hollow "tock" of the block's
// own ring, then a little grit. Pitched where a step and a landing are noise.
Wave thud() {
    Wave w = silence(0.4);
    addGlide(w, 0.0, 80.0, 55.0, 1.1, 0.002, 0.05);
    addBell(w, 0.0, 520.0, {{1.0, 0.9, 0.04}, {2.33, 0.55, 0.025}, {4.3, 0.3, 0.015}});
    mix(w, highPass(lowPass(noiseWave(w.size(), 81), 4000.0), 1200.0), 0.4,
        [](double t) { return strike(t, 0.001, 0.012); });
    addGrit(w, 82, 8, 0.02, 0.12, 0.25);
    finish(w, 0.8, 0.05);
    return w;
}

// C, E, G rising, then the high C held over E and G.
Wave fanfare() {
    Wave w = silence(1.9);
    addNote(w, 0.00, 0.5, 523.25, 1.0, false, 6, 0.3);
    addNote(w, 0.14, 0.5, 659.25, 1.0, false, 6, 0.3);
    addNote(w, 0.28, 0.5, 783.99, 1.0, false, 6, 0.3);
    addNote(w, 0.42, 1.45, 1046.5, 1.0, false, 6, 0.9);
    addNote(w, 0.42, 1.45, 659.25, 0.45, false, 6, 0.9);
    addNote(w, 0.42, 1.45, 783.99, 0.45, false, 6, 0.9);
    finish(w, 0.8, 0.3);
    return w;
}

// G, E flat, C falling, then a low C minor held. Hollow tones, nothing above 3 kHz.
Wave sting() {
    Wave w = silence(2.0);
    addNote(w, 0.0, 0.35, 392.0, 1.0, true, 7, 0.25);
    addNote(w, 0.2, 0.35, 311.13, 1.0, true, 7, 0.25);
    addNote(w, 0.4, 0.35, 261.63, 1.0, true, 7, 0.25);
    addNote(w, 0.6, 1.38, 130.81, 1.0, true, 7, 0.6);
    addNote(w, 0.6, 1.38, 155.56, 0.7, true, 7, 0.6);
    finish(w, 0.8, 0.3);
    return w;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// A canonical 44-byte-header PCM WAV: mono, 16-bit, kRate samples a second.
bool writeWav(const Wave& wave, const std::string& path) {
    const auto dataBytes = static_cast<std::uint32_t>(wave.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    for (char c : std::string("RIFF")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, dataBytes);
    for (double s : wave) {
        const long value = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
        put16(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool writeSounds(const std::string& folder) {
    struct Entry {
        const char* file;
        Wave wave;
    };
    // The names the game loads (kSoundFiles in src/app/sound_cues.h).
    const Entry entries[] = {
        {"footstep_1.wav", footstep(0)},
        {"footstep_2.wav", footstep(1)},
        {"footstep_3.wav", footstep(2)},
        {"jump.wav", jump()},
        {"land.wav", land()},
        {"chime.wav", chime()},
        {"splash.wav", splash()},
        {"hiss.wav", hiss()},
        {"spikes_hit.wav", spikesHit()},
        {"spikes_up.wav", spikesClank(false)},
        {"spikes_down.wav", spikesClank(true)},
        {"hum.wav", hum()},
        {"thud.wav", thud()},
        {"fanfare.wav", fanfare()},
        {"sting.wav", sting()},
    };
    for (const Entry& entry : entries) {
        if (!writeWav(entry.wave, folder + "/" + entry.file)) {
            std::printf("ERROR: cannot write %s/%s\n", folder.c_str(), entry.file);
            return false;
        }
    }
    return true;
}

}  // namespace assetgen
