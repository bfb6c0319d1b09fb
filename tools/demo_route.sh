#!/bin/sh
# Plays the demo from the title through both stages, their scenes and the ending back to
# the title, headless, with the committed input (tools/demo_route.input) and a fixed seed,
# in RUNDIR, prepared as tools/run.sh prepares build/run/ but without an earlier run's
# config.ini or score.dat. Exits 0 only when the route reached the ending and then ended
# the game from the title menu; RUNDIR keeps log.txt, config.ini and score.dat.
# VELMORA_EXE names the game to run (the tests pass their own build's); without it the
# game is built into build/ first.
# With --window the route plays in the window at 60 frames per second (under xvfb-run
# when there is no display), and the run also fails when a frame after the first second
# was slow (the first second always counts as slow: the frame rate is not known yet).
set -eu
window=0
if [ "${1:-}" = "--window" ]; then
  window=1
  shift
fi
if [ $# -ne 1 ]; then
  echo "usage: $0 [--window] RUNDIR" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/demo_common.sh"
exe="$(demo_exe)"
# The route ends the game itself from the title long before this limit.
limit=26000

demo_enter "$1"
rm -f config.ini score.dat log.txt

status=0
if [ "$window" -eq 0 ]; then
  VELMORA_BACKEND=headless "$exe" --headless --frames "$limit" --seed 7 \
    --input "$root/tools/demo_route.input" || status=$?
else
  launch=""
  [ -n "${DISPLAY:-}" ] || launch="xvfb-run -a"
  VELMORA_BACKEND=window $launch "$exe" --frames "$limit" --seed 7 \
    --input "$root/tools/demo_route.input" || status=$?
fi

fail() {
  echo "demo_route: $1" >&2
  exit 1
}
[ "$status" -eq 0 ] || fail "the game exited with status $status"
[ -f log.txt ] || fail "no log.txt"
grep -qx "stage2: ending" log.txt || fail "the route did not reach the ending"
last="$(tail -n 1 log.txt)"
case "$last" in
  SlowRate:*) ;;
  *) fail "log.txt does not end with the SlowRate line" ;;
esac
# Only the title menu's end-game item ends the loop before the frame limit.
frames="$(echo "$last" | sed -n 's/.*Total Run Frame: \([0-9]*\),.*/\1/p')"
[ -n "$frames" ] && [ "$frames" -lt "$limit" ] || fail "the game did not return to the title and end from there"
grep -q "^StageCleared=1" config.ini 2>/dev/null || fail "config.ini does not record the clear"
[ -s score.dat ] || fail "no score.dat"
echo "demo_route: the route reached the ending and the title again after $frames frames"
if [ "$window" -eq 1 ]; then
  slow="$(echo "$last" | sed -n 's/.*Slow Frame: \([0-9]*\)).*/\1/p')"
  late=$((slow > 60 ? slow - 60 : 0))
  echo "demo_route: $late slow frames after the first second"
  [ "$late" -eq 0 ] || exit 1
fi
