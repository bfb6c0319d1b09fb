// The velmora executable.
#include "app/game_loop.h"

int main(int argc, char** argv) { return runGame(argc, argv); }
