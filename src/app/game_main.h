// Start-up, the frame loop and shutdown of the real game.
#pragma once

namespace app {

// Returns the process exit status: 0 after an orderly shutdown, 1 after a start-up failure.
int runGame();

}  // namespace app
