// The window and display settings read once at start-up from the settings file.
#pragma once

#include <string>

namespace app {

struct Settings {
    int width = 0;
    int height = 0;
    int refresh_rate = 0;
    bool fullscreen = false;
    // Starting brightness of the lighting; the keypad keys change it at run time.
    float brightness = 0.0f;

    // Optional keys beside the five above. Each defaults to the game as it is without them.
    // Mouse look in degrees per pixel of mouse movement.
    float mouse_sensitivity = 0.2f;
    // Vertical field of view of every perspective the game draws with, in degrees.
    float field_of_view = 45.0f;
    // Turns the look's vertical direction round (mouse and gamepad).
    bool invert_look = false;
    // Master volume of all sound, 0 silent to 1 full.
    float volume = 1.0f;
    // Scale of the 3D scene against the window: kRenderScaleAuto lets the renderer follow the
    // frame time, any other value (0.25 to 1) pins it.
    float render_scale = -1.0f;
};

inline constexpr float kRenderScaleAuto = -1.0f;

// Where the game looks for its settings, relative to the working directory.
inline constexpr const char* kSettingsPath = "../assets/settings.txt";

// FileMissing covers every file that cannot be read: missing, a directory, no permission.
enum class SettingsResult { Ok, FileMissing, BadValue };

// Parses the text of a settings file into `settings`. On a bad number it stops, leaves
// `message` with the one line to print (key and value named) and returns BadValue.
SettingsResult parseSettings(const std::string& text, Settings& settings, std::string& message);

// Once the context exists: the HDR targets take the window's size, so a width or height above
// the driver's largest texture is refused with the bad-value message (key and value named).
// Returns that line, or an empty text when the size fits.
std::string windowSizeProblem(const Settings& settings, int maxTextureSize);

// Reads the file at `path` into `settings`. A missing or unreadable file writes "Unable to
// open file settings.txt" to standard error; a bad value writes its message there. Both end
// the process with status 1, exactly as a failed start-up does.
void loadSettings(const std::string& path, Settings& settings);

// The same without ending the process, for callers (and tests) that decide themselves.
SettingsResult readSettingsFile(const std::string& path, Settings& settings, std::string& message);

}  // namespace app
