// Keyboard, mouse and gamepad: the handlers behind the GLFW callbacks, and movement polling.
#pragma once

#include <GLFW/glfw3.h>

#include "app/game.h"

namespace app {

// One key event (GLFW key code and action). Repeats never toggle anything.
void handleKey(Game& game, int key, int action);

// One cursor event in screen coordinates: mouse look once the intro is over.
void handleCursor(Game& game, double xpos, double ypos);

// W, S, A, D, each held key one controller move, and the gamepad's left stick, while input is
// enabled.
void processInput(Game& game);
// True while input is enabled and the player asks to walk: a walk key held or the pad's left
// stick pushed past its dead zone.
bool walkAsked(const Game& game);

// The frame's event step: pending key and cursor events, then the gamepad. Its buttons act through
// handleKey as the keys they stand for, in every game state; its right stick looks, as the mouse
// does, while playing after the intro.
void pollEvents(Game& game);

// GLFW callbacks: they find the Game through the window's user pointer.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void mouseCallback(GLFWwindow* window, double xpos, double ypos);
void framebufferSizeCallback(GLFWwindow* window, int width, int height);

}  // namespace app
