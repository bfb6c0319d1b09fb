#!/bin/sh
# The whole demo played headless by tools/demo_route.sh: its verdict, then the log's
# milestones in their order, the clear in config.ini, the high score in score.dat, and
# no error box or sanitizer report on the game's error output.
# Usage: demo_route_test.sh VELMORA_EXE SOURCE_DIR
# shellcheck source=route_common.sh source-path=SCRIPTDIR
. "$(dirname "$0")/route_common.sh"

VELMORA_EXE="$exe" sh "$root/tools/demo_route.sh" "$run/dir" 2>"$run/stderr" ||
  { cat "$run/stderr" >&2; fail "demo_route.sh failed"; }

no_error_reports "$run/stderr"

log="$run/dir/log.txt"
milestones_in_order "$log" "initialize: new game" "stage1: start" "Play Voice: ren_01" "stage1: boss attack 1" \
  "stage1: boss attack 2, spell card" "stage1: the boss is beaten" "stage1: clear" \
  "stage1: score board over" "data/avg/prologue.txt" "Play Voice: aya_01" "Play Voice: ren_02" \
  "stage2: start" "stage2: boss attack 1" "sea attack 1: the tide" "stage2: boss attack 2" \
  "sea attack 2: the whirlpool" "stage2: boss attack 3, spell card" "sea attack 3: spell card" \
  "stage2: the boss is beaten" "stage2: clear" "stage2: score board over" "stage2: ending"
# The route is free of deaths: no life lost, no game over, no second new game.
if grep -E 'a life lost|game over' "$log" >&2; then fail "the ship was hit"; fi
[ "$(grep -c -x 'initialize: new game' "$log")" -eq 1 ] || fail "more than one new game"

grep -q -x 'StageCleared=1' "$run/dir/config.ini" || fail "StageCleared not written"
# score.dat: "qlmr", the digit count, then one 4-byte little-endian slot per digit.
score="$(od -An -tu1 -v "$run/dir/score.dat" | tr -s ' \n' ' ' | awk '{
  if ($1 != 113 || $2 != 108 || $3 != 109 || $4 != 114) exit
  s = ""; for (i = 0; i < $5; ++i) s = s $(6 + 4 * i); print s }')"
echo "high score: $score"
[ -n "$score" ] && [ "$score" -gt 100000 ] || fail "score.dat holds no high score"
echo "demo route: all milestones reached"
