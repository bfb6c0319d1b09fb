# shellcheck shell=sh disable=SC2034  # exe and root are for the sourcing test
# Sourced by the route tests, whose arguments are VELMORA_EXE SOURCE_DIR: a run folder
# removed at exit, and the checks of the game's error output and log they share.
set -u
exe="$1"
root="$2"
run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
fail() {
  echo "FAIL: $1" >&2
  exit 1
}

# No error box and no sanitizer report in the game's error output FILE.
no_error_reports() {
  if grep -E '^\[(Error|Fatal Error)\]' "$1" >&2; then fail "an error box was shown"; fi
  if grep -E 'AddressSanitizer|LeakSanitizer|runtime error' "$1" >&2; then fail "sanitizer report"; fi
}

# Each MILESTONE is a whole line of LOG after the one before it.
# Usage: milestones_in_order LOG MILESTONE...
milestones_in_order() {
  in_log="$1"
  shift
  line=0
  for m in "$@"; do
    found="$(tail -n +"$((line + 1))" "$in_log" | grep -n -x -F -m 1 "$m" | cut -d: -f1)"
    [ -n "$found" ] || fail "milestone \"$m\" missing or out of order"
    line=$((line + found))
  done
}
