#!/bin/sh
# tools/run.sh and the demo scripts' build step, on a stand-in project: they build the game
# into build/ as it is configured, so the tests built there (tools/test.sh) stay those of
# the tree and no configuration of theirs is switched off.
# Usage: run_test.sh SOURCE_DIR
set -u
root="$1"
fake="$(mktemp -d)"
trap 'rm -rf "$fake"' EXIT
fail() {
  echo "FAIL: $1" >&2
  exit 1
}

mkdir -p "$fake/tools" "$fake/app" "$fake/data"
cp "$root/tools/build.sh" "$root/tools/run.sh" "$root/tools/demo_common.sh" "$fake/tools/"
: >"$fake/tools/setup.sh"  # nothing to install here
: >"$fake/tools/make_demo_fonts.sh"
: >"$fake/data/initialize.vkscript"
: >"$fake/data/defines.txt"
printf 'int main(void) { return 0; }\n' >"$fake/app/main.c"
cat >"$fake/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(fake C)
option(VELMORA_TESTS "" ON)
add_executable(velmora app/main.c)
set_target_properties(velmora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
if(VELMORA_TESTS)
  add_executable(a_test app/main.c)
endif()
CMAKE

cmake -S "$fake" -B "$fake/build" -DVELMORA_TESTS=ON >/dev/null || fail "the stand-in does not configure"
sh "$fake/tools/run.sh" >"$fake/out" 2>&1 || { cat "$fake/out" >&2; fail "run.sh failed"; }
grep -q '^VELMORA_TESTS:BOOL=ON$' "$fake/build/CMakeCache.txt" || fail "run.sh switched the tests off in build/"
[ ! -e "$fake/build/a_test" ] || fail "run.sh built more than the game"
[ -L "$fake/build/run/data" ] || fail "run.sh did not prepare build/run/"

exe="$(root="$fake" && . "$fake/tools/demo_common.sh" && demo_exe 2>"$fake/err")" ||
  { cat "$fake/err" >&2; fail "the demo scripts' build failed"; }
[ "$exe" = "$fake/build/app/velmora" ] || fail "the demo scripts' game is $exe"
grep -q '^VELMORA_TESTS:BOOL=ON$' "$fake/build/CMakeCache.txt" || fail "the demo scripts switched the tests off"
echo "run.sh and the demo scripts built the game alone, build/ configured as it was"
