// libFuzzer target for the settings reader: any text must parse to Ok or to BadValue with one line
// that names the key, and must never crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"

namespace {

void check(bool holds, const char* what, const std::string& message) {
    if (holds) return;
    std::fprintf(stderr, "settings fuzz: %s (message: \"%s\")\n", what, message.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    app::Settings settings;
    std::string message;
    const auto result = app::parseSettings(std::string(reinterpret_cast<const char*>(data), size),
                                           settings, message);
    check(result != app::SettingsResult::FileMissing, "parseSettings returned FileMissing for text",
          message);
    check((result == app::SettingsResult::Ok) == message.empty(), "a message exactly when refused",
          message);
    if (result == app::SettingsResult::Ok) return 0;
    check(message.find('\n') == std::string::npos, "message spans lines", message);
    // One line in the game's words, naming one of the keys the reader knows.
    bool named = false;
    for (const std::string key : {"width", "height", "refresh_rate", "fullscreen", "brightness",
                                  "mouse_sensitivity", "field_of_view", "invert_look", "volume",
                                  "render_scale"}) {
        named = named || message.rfind("Invalid value for setting " + key + ": ", 0) == 0;
    }
    check(named, "message not in the game's words or names no known key", message);
    return 0;
}
