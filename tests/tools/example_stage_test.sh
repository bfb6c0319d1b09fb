#!/bin/sh
# The walk-through's example stage (docs/examples/) played headless to its end from a run
# folder made as the guide makes one: the example's scripts and scene beside a link to the
# game's data/. Usage: example_stage_test.sh VELMORA_EXE SOURCE_DIR
set -u
exe="$1"
root="$2"
run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
fail() {
  echo "FAIL: $1" >&2
  exit 1
}
ln -s "$root/data" "$run/data"
cp "$root/docs/examples/"*.vkscript "$root/docs/examples/talk.txt" "$run/"
limit=3000
(cd "$run" && VELMORA_BACKEND=headless "$exe" --headless --frames "$limit" --seed 1 \
  --input "$root/docs/examples/walkthrough.input" 2>stderr) || fail "the game exited with status $?"
if grep -E '^\[(Error|Fatal Error)\]|AddressSanitizer|runtime error' "$run/stderr" >&2; then fail "error box or sanitizer report"; fi
log="$run/log.txt"
line=0
for m in "example: start-up" "example: stage start" "example: boss beaten" "example: score board over"; do
  found="$(tail -n +"$((line + 1))" "$log" | grep -n -x -F -m 1 "$m" | cut -d: -f1)"
  [ -n "$found" ] || fail "milestone \"$m\" missing or out of order"
  line=$((line + found))
done
if grep -x 'example: a life lost' "$log" >&2; then fail "the ship was hit"; fi
frames="$(tail -n 1 "$log" | sed -n 's/.*Total Run Frame: \([0-9]*\),.*/\1/p')"
[ -n "$frames" ] && [ "$frames" -lt "$limit" ] || fail "the game did not end from the title"
echo "example stage: played to the title's end item in $frames frames"
