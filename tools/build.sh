#!/bin/sh
# Installs what is missing and builds into build/ (extra arguments go to cmake's configure step).
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
sh tools/make_demo_fonts.sh
cmake -S . -B build "$@" >/dev/null
cmake --build build -j"$(nproc)"
