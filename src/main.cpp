// Glimmerdeep's entry point: everything happens in the application library.
#include "app/game_main.h"

int main() { return app::runGame(); }
