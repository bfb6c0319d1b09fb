#!/bin/sh
# The walk-through's example stage (docs/examples/) played headless to its end from a run
# folder made as the guide makes one: the example's scripts and scene beside a link to the
# game's data/. Usage: example_stage_test.sh VELMORA_EXE SOURCE_DIR
# shellcheck source=route_common.sh source-path=SCRIPTDIR
. "$(dirname "$0")/route_common.sh"
ln -s "$root/data" "$run/data"
cp "$root/docs/examples/"*.vkscript "$root/docs/examples/talk.txt" "$run/"
limit=3000
(cd "$run" && VELMORA_BACKEND=headless "$exe" --headless --frames "$limit" --seed 1 \
  --input "$root/docs/examples/walkthrough.input" 2>stderr) || fail "the game exited with status $?"
no_error_reports "$run/stderr"
log="$run/log.txt"
milestones_in_order "$log" "example: start-up" "example: stage start" "example: boss beaten" \
  "example: score board over"
if grep -x 'example: a life lost' "$log" >&2; then fail "the ship was hit"; fi
frames="$(tail -n 1 "$log" | sed -n 's/.*Total Run Frame: \([0-9]*\),.*/\1/p')"
[ -n "$frames" ] && [ "$frames" -lt "$limit" ] || fail "the game did not end from the title"
echo "example stage: played to the title's end item in $frames frames"
