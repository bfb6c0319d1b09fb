#!/bin/sh
# Installs what is missing, builds, and runs every test. It builds twice: a normal build
# into build/ (with the benchmarks, and the window tests under xvfb-run), then a build
# into build-sanitize/ with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer
# running the same tests, the whole demo route headless among them (the window's screen
# test stays in the normal build). About 15 minutes from a clean checkout on 8 cores (each
# build 4-6, then 2-3 minutes of tests each); about 5 when both builds are up to date.
# One test, or everything but the window tests, after a first run:
#   ctest --test-dir build -R demo_route --output-on-failure
#   ctest --test-dir build -LE window
set -eu
cd "$(dirname "$0")/.."
jobs="$(nproc)"
sh tools/build.sh -DVELMORA_TESTS=ON -DVELMORA_BENCHMARKS=ON
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DVELMORA_SANITIZE=ON -DVELMORA_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
