// The frame: physics step, the moving pieces and the sun's map, the play frame, the rules.
#include "app/game_loop.h"

#include "app/game_rules.h"
#include "app/input.h"
#include "app/sound_cues.h"

namespace app {

void runFrame(Game& game, FrameRenderer* r) {
    if (r) r->beginFrame(game);
    game.elapsedMs = game.clock.monotonicMs() - game.startMs;
    game.world.step();
    // The platform's move and the one-second tick, in every game state. They only set where
    // their bodies go in the next step, so the map drawn after them shows the bodies where this
    // step left them.
    updatePlatform(game);
    tickSecond(game);
    if (r) r->drawShadowPass(game);

    if (game.rules.gameState == GameState::Playing) {
        updatePlayer(game);
        updateTiming(game);
        processInput(game);
        pollEvents(game);
        if (r) r->drawPlayFrame(game);
        updateIntro(game);
        handleTriggers(game);
        spikesTest(game);
    }

    endOfGame(game);
    if (game.rules.gameState != GameState::Playing) {
        pollEvents(game);
        if (r) r->drawEndScreen(game);
    }
    updateSoundCues(game);
}

}  // namespace app
