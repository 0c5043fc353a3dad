// libFuzzer target for the settings reader: any text must parse to Ok or to BadValue with one line
// that names the key, and must never crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"

namespace {

constexpr const char* kKeys[] = {"width", "height", "refresh_rate", "fullscreen", "brightness"};
constexpr const char kPrefix[] = "Invalid value for setting ";

[[noreturn]] void fail(const char* what, const std::string& message) {
    std::fprintf(stderr, "settings fuzz: %s (message: \"%s\")\n", what, message.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    app::Settings settings;
    std::string message;
    const app::SettingsResult result = app::parseSettings(text, settings, message);
    switch (result) {
        case app::SettingsResult::Ok:
            if (!message.empty()) fail("Ok with a message", message);
            break;
        case app::SettingsResult::BadValue: {
            if (message.empty()) fail("BadValue without a message", message);
            if (message.find('\n') != std::string::npos) fail("message spans lines", message);
            if (message.rfind(kPrefix, 0) != 0) fail("message not in the game's words", message);
            // The key named right after the prefix is one of the five the reader knows.
            const std::string rest = message.substr(sizeof(kPrefix) - 1);
            bool named = false;
            for (const char* key : kKeys) {
                const std::string k = key;
                if (rest.compare(0, k.size() + 2, k + ": ") == 0) named = true;
            }
            if (!named) fail("message names no known key", message);
            break;
        }
        default:
            fail("parseSettings returned FileMissing for text", message);
    }
    return 0;
}
