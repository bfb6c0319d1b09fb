#!/bin/sh
# Installs what is missing and builds into build/. Extra arguments go to cmake's configure
# step; without any, build/ keeps the options it was configured with (tests and benchmarks
# on for a fresh folder). With --target NAME first, only that target is built.
set -eu
cd "$(dirname "$0")/.."
target=""
if [ "${1:-}" = "--target" ]; then
  target="$2"
  shift 2
fi
sh tools/setup.sh
sh tools/make_demo_fonts.sh
cmake -S . -B build "$@" >/dev/null
if [ -n "$target" ]; then
  cmake --build build -j"$(nproc)" --target "$target"
else
  cmake --build build -j"$(nproc)"
fi
