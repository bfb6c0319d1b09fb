// The velmora executable.
#include "core/GameLoop.h"

int main(int argc, char** argv) { return runGame(argc, argv); }
