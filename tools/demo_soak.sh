#!/bin/sh
# Loops the demo route headless for FRAMES frames (100,000 by default) and fails when the
# game's peak heap is above that of a run of the first loop alone (heaptrack measures it;
# installed when missing).
# RUNDIR is prepared as tools/demo_route.sh prepares it. Each loop replays the route from
# the title that the previous ending returned to; the random numbers run on, so only the
# first loop is the route itself and later ones play differently (game overs and retries).
# VELMORA_EXE names the game to run; a sanitizer build is run once, for its leak check at
# exit. Without it the game is built into build/ first.
set -eu
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 RUNDIR [FRAMES]" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
frames="${2:-100000}"
. "$root/tools/demo_common.sh"
exe="$(demo_exe)"

demo_enter "$1"

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

# Runs the game for $1 frames, checks it got there, and prints its peak heap in bytes.
# heaptrack counts the heap itself: resident memory would also count pages the allocator
# keeps and mapped files, which vary from run to run by more than any growth to find.
peak() {
  rm -f config.ini score.dat log.txt heap.zst
  status=0
  if [ "$sanitized" -eq 1 ]; then
    VELMORA_BACKEND=headless "$exe" --headless --frames "$1" --seed 7 --input soak.input \
      >soak.out 2>&1 || status=$?
  else
    VELMORA_BACKEND=headless heaptrack -o heap "$exe" --headless --frames "$1" --seed 7 \
      --input soak.input >soak.out 2>&1 || status=$?
  fi
  if [ "$status" -ne 0 ]; then
    cat soak.out >&2
    echo "demo_soak: the game exited with status $status" >&2
    exit 1
  fi
  case "$(tail -n 1 log.txt)" in
    *"Total Run Frame: $1,"*) ;;
    *) echo "demo_soak: the game ended before frame $1" >&2; exit 1 ;;
  esac
  [ "$sanitized" -eq 1 ] && { echo 0; return; }
  heaptrack_print -f heap.zst -p 0 -a 0 -t 0 -l 0 2>/dev/null | awk '
    /^peak heap memory consumption:/ {
      v = $5; unit = substr(v, length(v)); n = substr(v, 1, length(v) - 1)
      if (unit == "K") n *= 1e3; else if (unit == "M") n *= 1e6; else if (unit == "G") n *= 1e9; else n = v
      printf "%d\n", n }'
}

# A sanitizer build cannot run under heaptrack: it is run for its leak check alone.
sanitized=0
if nm -D "$exe" 2>/dev/null | grep -q __asan_init || ldd "$exe" 2>/dev/null | grep -q libasan; then
  sanitized=1
elif ! command -v heaptrack >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends heaptrack
fi

if [ "$sanitized" -eq 1 ]; then
  peak "$frames" >/dev/null
  echo "demo_soak: $frames frames under the sanitizers, no leak reported"
  exit 0
fi
first=$(peak "$loop")
whole=$(peak "$frames")
echo "demo_soak: peak heap: $first bytes over the first loop ($loop frames), $whole bytes over $frames frames"
[ "$whole" -le "$first" ] || { echo "demo_soak: the heap grew after the first loop" >&2; exit 1; }
