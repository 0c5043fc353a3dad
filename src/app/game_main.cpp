// Start-up, the frame loop and shutdown of the real game.
#include "app/game_main.h"

#include "app/settings.h"

namespace app {

int runGame() {
    Settings settings;
    loadSettings(kSettingsPath, settings);
    return 0;
}

}  // namespace app
