// Building the level's physics and applying the game's per-frame rules.
#pragma once

#include "app/game.h"

namespace app {

// Creates the physics world, the player's controller, the trigger receiver and every level actor
// in the level's fixed order. A model whose mesh cannot be cooked gets one line naming it and no
// actor; start-up goes on.
void buildWorld(Game& game, LevelGeometry geometry);

// Starts the one-second tick, the wave clock and the frame clock; called right before the first
// frame, so that neither the intro nor the first frame's step pays for start-up.
void startClocks(Game& game);

// Moves the platform one frame's worth up or down between heights 4 and 6.
void updatePlatform(Game& game);

// Counts at most one whole calendar second per frame and steps the spikes on each tick.
void tickSecond(Game& game);

// Ends the intro once three ticks have passed.
void updateIntro(Game& game);

// Gravity, crouch and jump steps of the player.
void updatePlayer(Game& game);

// deltaTime from the GLFW clock.
void updateTiming(Game& game);

// Matches a waiting trigger report against the gems and hazard zones.
void handleTriggers(Game& game);

// Loses the game once the player's last move touched the spikes.
void spikesTest(Game& game);

// Spikes lose, three gems win; winning takes precedence.
void endOfGame(Game& game);

}  // namespace app
