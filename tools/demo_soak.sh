#!/bin/sh
# Loops the demo route headless for FRAMES frames (100,000 by default) and compares the
# game's peak resident memory with that of a run of the first loop alone.
# RUNDIR is prepared as tools/demo_route.sh prepares it. Each loop replays the route from
# the title that the previous ending returned to; the random numbers run on, so only the
# first loop is the route itself and later ones play differently (game overs and retries).
# VELMORA_EXE names the game to run (a sanitizer build adds its leak check at exit);
# without it the game is built into build/ first.
set -eu
# AddressSanitizer's quarantine keeps freed memory for a while and would read as growth.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=0}"
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 RUNDIR [FRAMES]" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
frames="${2:-100000}"
exe="${VELMORA_EXE:-}"
if [ -z "$exe" ]; then
  (cd "$root" && sh tools/build.sh -DVELMORA_TESTS=OFF -DVELMORA_BENCHMARKS=OFF)
  exe="$root/build/app/velmora"
fi
case "$exe" in
  /*) ;;
  *) exe="$(pwd)/$exe" ;;
esac

mkdir -p "$1"
cd "$1"
ln -sfn "$root/data" data
ln -sfn "$root/data/initialize.vkscript" initialize.vkscript
ln -sfn "$root/data/defines.txt" defines.txt

# The route's last two presses choose the title's end-game item; a loop starts instead
# where the route's first press (the new game, at frame 90) falls on that title once it
# has settled.
route="$root/tools/demo_route.input"
keep=$(($(wc -l <"$route") - 4))
loop=$(($(tail -n 4 "$route" | head -n 1 | cut -d' ' -f1) - 90 + 300))
awk -v keep="$keep" -v loop="$loop" -v frames="$frames" '
  { line[NR] = $0 }
  END {
    for (k = 0; k * loop < frames; ++k)
      for (i = 1; i <= keep; ++i) {
        n = split(line[i], f, " ")
        out = f[1] + k * loop
        for (j = 2; j <= n; ++j) out = out " " f[j]
        print out
      }
  }' "$route" >soak.input

# Runs the game for $1 frames and prints its peak resident memory in kB (read while it
# runs: the last reading comes from the title, after every stage's peak).
peak() {
  rm -f config.ini score.dat log.txt
  VELMORA_BACKEND=headless "$exe" --headless --frames "$1" --seed 7 --input soak.input \
    >soak.out 2>&1 &
  pid=$!
  hwm=0
  while kill -0 "$pid" 2>/dev/null; do
    now=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$now" ] && hwm=$now
    sleep 0.1
  done
  status=0
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    cat soak.out >&2
    echo "demo_soak: the game exited with status $status" >&2
    exit 1
  fi
  case "$(tail -n 1 log.txt)" in
    *"Total Run Frame: $1,"*) ;;
    *) echo "demo_soak: the game ended before frame $1" >&2; exit 1 ;;
  esac
  echo "$hwm"
}

first=$(peak "$loop")
whole=$(peak "$frames")
echo "demo_soak: peak resident memory: $first kB over the first loop ($loop frames), $whole kB over $frames frames"
# Allow the allocator's own slack (pages it keeps after freeing), not growth per loop.
[ "$whole" -le $((first + first / 20)) ] || { echo "demo_soak: memory grew after the first loop" >&2; exit 1; }
