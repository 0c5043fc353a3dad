// The settings reader: key found anywhere in a line, value after the first "=".
#include "app/settings.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

namespace app {

namespace {

constexpr const char* kKeys[] = {"width", "height", "refresh_rate", "fullscreen", "brightness"};
// Looked for only in lines that hold none of the keys above, in this order. None of these names
// contains one of those, so a line with one of the five is read exactly as without them.
constexpr const char* kOptionalKeys[] = {"mouse_sensitivity", "field_of_view", "invert_look",
                                         "volume", "render_scale"};

std::string badValueMessage(const std::string& key, const std::string& value) {
    return "Invalid value for setting " + key + ": \"" + value + "\"";
}

// Reads an integer the way strtol does, but refuses a text with no number at its start and a
// number that does not fit a 32-bit int.
bool parseInt(const std::string& value, int& out) {
    const char* begin = value.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE) return false;
    if (parsed < std::numeric_limits<int>::min() || parsed > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(parsed);
    return true;
}

bool parseFloat(const std::string& value, float& out) {
    const char* begin = value.c_str();
    char* end = nullptr;
    errno = 0;
    const float parsed = std::strtof(begin, &end);
    // strtof also reads "nan" and "inf": no brightness the keypad could ever bring back.
    if (end == begin || errno == ERANGE || !std::isfinite(parsed)) return false;
    out = parsed;
    return true;
}

bool parseFloatIn(const std::string& value, float low, float high, float& out) {
    float parsed = 0.0f;
    if (!parseFloat(value, parsed) || parsed < low || parsed > high) return false;
    out = parsed;
    return true;
}

// Index of the first of `keys` found in the line, or -1.
template <std::size_t N>
int keyIn(const std::string& line, const char* const (&keys)[N]) {
    for (std::size_t k = 0; k < N; ++k) {
        if (line.find(keys[k]) != std::string::npos) return static_cast<int>(k);
    }
    return -1;
}

bool parseOptional(int keyIndex, const std::string& value, Settings& settings) {
    switch (keyIndex) {
        case 0: {
            // Above zero: a sensitivity of 0 would leave the mouse without effect.
            float sensitivity = 0.0f;
            if (!parseFloatIn(value, 0.0f, 5.0f, sensitivity) || !(sensitivity > 0.0f)) return false;
            settings.mouse_sensitivity = sensitivity;
            return true;
        }
        case 1: return parseFloatIn(value, 30.0f, 110.0f, settings.field_of_view);
        case 2: settings.invert_look = value == "true"; return true;
        case 3: return parseFloatIn(value, 0.0f, 1.0f, settings.volume);
        default:
            if (value == "auto") {
                settings.render_scale = kRenderScaleAuto;
                return true;
            }
            return parseFloatIn(value, 0.25f, 1.0f, settings.render_scale);
    }
}

}  // namespace

SettingsResult parseSettings(const std::string& text, Settings& settings, std::string& message) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // A carriage return before the line feed belongs to the line end.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const int keyIndex = keyIn(line, kKeys);
        const int optionalIndex = keyIndex < 0 ? keyIn(line, kOptionalKeys) : -1;
        if (keyIndex < 0 && optionalIndex < 0) continue;
        const std::size_t equals = line.find('=');
        const std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
        if (optionalIndex >= 0) {
            if (!parseOptional(optionalIndex, value, settings)) {
                message = badValueMessage(kOptionalKeys[optionalIndex], value);
                return SettingsResult::BadValue;
            }
            continue;
        }
        bool ok = true;
        switch (keyIndex) {
            case 0: ok = parseInt(value, settings.width); break;
            case 1: ok = parseInt(value, settings.height); break;
            case 2: ok = parseInt(value, settings.refresh_rate); break;
            case 3: settings.fullscreen = value == "true"; break;
            default: ok = parseFloat(value, settings.brightness); break;
        }
        if (!ok) {
            message = badValueMessage(kKeys[keyIndex], value);
            return SettingsResult::BadValue;
        }
    }
    return SettingsResult::Ok;
}

std::string windowSizeProblem(const Settings& settings, int maxTextureSize) {
    if (settings.width > maxTextureSize) {
        return badValueMessage("width", std::to_string(settings.width));
    }
    if (settings.height > maxTextureSize) {
        return badValueMessage("height", std::to_string(settings.height));
    }
    return "";
}

SettingsResult readSettingsFile(const std::string& path, Settings& settings,
                                std::string& message) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    // A path that opens but cannot be read (a directory, say) fails at the first read.
    if (file.is_open() && file.peek() != std::ifstream::traits_type::eof()) {
        contents << file.rdbuf();
    }
    if (!file.is_open() || file.bad() || contents.fail()) {
        message = "Unable to open file settings.txt";
        return SettingsResult::FileMissing;
    }
    return parseSettings(contents.str(), settings, message);
}

void loadSettings(const std::string& path, Settings& settings) {
    std::string message;
    switch (readSettingsFile(path, settings, message)) {
        case SettingsResult::Ok: return;
        case SettingsResult::FileMissing:
            // The design's message has no line end.
            std::cerr << message << std::flush;
            std::exit(1);
        case SettingsResult::BadValue:
            std::cerr << message << std::endl;
            std::exit(1);
    }
}

}  // namespace app
