#!/bin/sh
# Times four programs written in the script language (whole pipeline: compile, assemble, load, run,
# through run_script) and in Lua 5.4 (compile and run, through dofile), and prints each ratio
# ours / Lua, best of 3. Both are timed inside the process, so the start-up of the executables
# (dynamic linking of SDL and friends for ours) is left out of both.
# Installs Debian's lua5.4 when missing. RUN_SCRIPT may name an already built run_script.
set -eu
cd "$(dirname "$0")/.."
if ! command -v lua5.4 >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends lua5.4
fi
runner="${RUN_SCRIPT:-}"
if [ -z "$runner" ]; then
  cmake -S . -B build -DVELMORA_BENCHMARKS=ON >/dev/null
  cmake --build build --target run_script -j"$(nproc)" >/dev/null
  runner="$(pwd)/build/tools/run_script"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tools/bench_lua/*.vkscript tools/bench_lua/*.lua "$work"
cd "$work"

# Milliseconds of one run: ours from run_script's load and run lines, Lua's around dofile.
ours_once() {
  "$runner" "$1.vkscript" | awk '/^load_ms:/ { t += $2 } /^run_ms:/ { t += $2 } END { printf "%.1f", t }'
}
lua_once() {
  lua5.4 -e "local t = os.clock(); dofile('$1.lua'); io.stderr:write(string.format('%.1f', (os.clock() - t) * 1000))" \
    2>&1 >/dev/null
}
best_of_3() {
  "$@" >/dev/null  # warm the file cache
  for _ in 1 2 3; do "$@"; echo; done | sort -n | head -1
}

printf '%-14s %10s %10s %8s\n' program ours_ms lua_ms ratio
for name in int_loop float_loop fib string_build; do
  ours=$(best_of_3 ours_once "$name")
  lua=$(best_of_3 lua_once "$name")
  ratio=$(awk -v a="$ours" -v b="$lua" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%-14s %10s %10s %8s\n' "$name" "$ours" "$lua" "$ratio"
done
