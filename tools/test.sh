#!/bin/sh
# Installs what is missing, builds, and runs every test: a normal build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer running the same tests.
set -eu
cd "$(dirname "$0")/.."
jobs="$(nproc)"
sh tools/build.sh -DVELMORA_TESTS=ON -DVELMORA_BENCHMARKS=ON
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DVELMORA_SANITIZE=ON -DVELMORA_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
