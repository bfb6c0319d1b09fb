#!/bin/sh
# Installs what is missing, builds, and starts the game on the demo content in build/run/.
# Arguments go to the game (for example: --headless --frames 600).
set -eu
cd "$(dirname "$0")/.."
sh tools/build.sh -DVELMORA_TESTS=OFF -DVELMORA_BENCHMARKS=OFF
mkdir -p build/run
ln -sfn "$(pwd)/data" build/run/data
ln -sfn "$(pwd)/data/initialize.vkscript" build/run/initialize.vkscript
ln -sfn "$(pwd)/data/defines.txt" build/run/defines.txt
cd build/run
exec ../app/velmora "$@"
