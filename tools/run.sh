#!/bin/sh
# Installs what is missing, builds, and starts the game on the demo content in build/run/.
# Arguments go to the game (for example: --headless --frames 600).
set -eu
cd "$(dirname "$0")/.."
# The game alone, in build/ as configured: the tests built there stay the tree's.
sh tools/build.sh --target velmora
mkdir -p build/run
ln -sfn "$(pwd)/data" build/run/data
ln -sfn "$(pwd)/data/initialize.vkscript" build/run/initialize.vkscript
ln -sfn "$(pwd)/data/defines.txt" build/run/defines.txt
cd build/run
exec ../app/velmora "$@"
