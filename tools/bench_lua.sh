#!/bin/sh
# Times the programs of tools/bench_lua/ written in the script language (whole pipeline:
# compile, assemble, load, run, through run_script) and in Lua 5.4 (compile and run, through
# dofile), checks that both print the same result, and prints each ratio ours / Lua, best of 3.
# Then times loading alone at two sizes: the generated twins of tools/bench_lua/gen_load.py,
# ours through the game's loader (compile, listing written, assemble, assembled file written,
# load) and Lua's load() of the same-shaped program, with how each grows with the size.
# Both are timed inside the process, so the start-up of the executables (dynamic linking of
# SDL and friends for ours) is left out of both.
# Installs Debian's lua5.4 when missing. RUN_SCRIPT may name an already built run_script;
# otherwise it is built in build-bench (Release).
set -eu
cd "$(dirname "$0")/.."
if ! command -v lua5.4 >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends lua5.4
fi
runner="${RUN_SCRIPT:-}"
if [ -z "$runner" ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCHMARKS=ON >/dev/null
  cmake --build build-bench --target run_script -j"$(nproc)" >/dev/null
  runner="$(pwd)/build-bench/tools/run_script"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tools/bench_lua/*.vkscript tools/bench_lua/*.lua "$work"
python3 tools/bench_lua/gen_load.py 5000 "$work/load_5000"
python3 tools/bench_lua/gen_load.py 20000 "$work/load_20000"
cd "$work"

# Milliseconds of one run: ours from run_script's load and run lines, Lua's around dofile.
ours_once() {
  "$runner" "$1.vkscript" | awk '/^load_ms:/ { t += $2 } /^run_ms:/ { t += $2 } END { printf "%.1f", t }'
}
lua_once() {
  lua5.4 -e "local t = os.clock(); dofile('$1.lua'); io.stderr:write(string.format('%.1f', (os.clock() - t) * 1000))" \
    2>&1 >/dev/null
}
# Loading alone: ours from run_script's load line, Lua's around reading the file and load().
ours_load_once() {
  "$runner" "$1.vkscript" | awk '/^load_ms:/ { printf "%.2f", $2 }'
}
lua_load_once() {
  lua5.4 -e "local t = os.clock(); local f = assert(io.open('$1.lua')); local s = f:read('a'); f:close()
             assert(load(s)); io.stderr:write(string.format('%.2f', (os.clock() - t) * 1000))" 2>&1 >/dev/null
}
best_of_3() {
  "$@" >/dev/null  # warm the file cache
  for _ in 1 2 3; do "$@"; echo; done | sort -n | head -1
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# "same" when both print the same words; numbers with a fraction may differ by one part in a
# thousand, as single-precision floats (the script language's) and Lua's doubles do.
compare() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    n = split(a, x, " "); m = split(b, y, " ")
    if (n != m) { print "DIFFERENT"; exit }
    for (i = 1; i <= n; i++) {
      if (x[i] == y[i]) continue
      if (x[i] ~ /^-?[0-9]+\.[0-9]+$/ && y[i] ~ /^-?[0-9]+\.[0-9]+$/) {
        d = x[i] - y[i]; if (d < 0) d = -d
        s = (x[i] < 0 ? -x[i] : x[i]); if (s < 1e-9) s = 1e-9
        if (d <= s * 1e-3) { close_ = 1; continue }
      }
      print "DIFFERENT"; exit
    }
    print (close_ ? "same (floats)" : "same")
  }'
}

printf '%-16s %10s %10s %8s  %s\n' program ours_ms lua_ms ratio output
for name in int_loop float_loop fib tak string_build string_compare sieve sort fannkuch struct_array \
            spectral_norm nbody; do
  ours_out=$("$runner" "$name.vkscript" | sed -n 's/^result: //p')
  lua_out=$(lua5.4 "$name.lua")
  ours=$(best_of_3 ours_once "$name")
  lua=$(best_of_3 lua_once "$name")
  printf '%-16s %10s %10s %8s  %s\n' "$name" "$ours" "$lua" "$(ratio "$ours" "$lua")" "$(compare "$ours_out" "$lua_out")"
done

echo
printf '%-16s %10s %10s %8s\n' loading ours_ms lua_ms ratio
for lines in 5000 20000; do
  ours=$(best_of_3 ours_load_once "load_$lines")
  lua=$(best_of_3 lua_load_once "load_$lines")
  eval "ours_$lines=$ours lua_$lines=$lua"
  printf '%-16s %10s %10s %8s\n' "$lines lines" "$ours" "$lua" "$(ratio "$ours" "$lua")"
done
printf '%-16s %10s %10s\n' "20000 / 5000" "$(ratio "$ours_20000" "$ours_5000")" "$(ratio "$lua_20000" "$lua_5000")"
