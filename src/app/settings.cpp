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

}  // namespace

SettingsResult parseSettings(const std::string& text, Settings& settings, std::string& message) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // A carriage return before the line feed belongs to the line end.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int keyIndex = -1;
        for (int k = 0; k < 5; ++k) {
            if (line.find(kKeys[k]) != std::string::npos) {
                keyIndex = k;
                break;
            }
        }
        if (keyIndex < 0) continue;
        const std::size_t equals = line.find('=');
        const std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
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
