#!/bin/sh
# The demo route in the window under Xvfb, unpaced (frames back to back on the fixed
# 1/60 s clock, so the same frames as at 60 frames per second), with screenshots of the
# title, Ren's talk over stage 1, stage 1 with its bullets, its boss, the score board and
# the ending, each checked for its expected colours.
# Usage: demo_screens_test.sh VELMORA_EXE CHECKER SOURCE_DIR
set -u
exe="$1"
checker="$2"
root="$3"
run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
cd "$run"
ln -s "$root/data" data
ln -s "$root/data/initialize.vkscript" initialize.vkscript
ln -s "$root/data/defines.txt" defines.txt
s="$run/shot"
xvfb-run -a "$exe" --unpaced --frames 16520 --seed 7 --input "$root/tools/demo_route.input" \
  --screenshot 80:"$s-title.png" --screenshot 300:"$s-scene.png" --screenshot 700:"$s-stage.png" \
  --screenshot 1700:"$s-boss.png" --screenshot 9750:"$s-board.png" --screenshot 16500:"$s-ending.png" \
  >"$run/out" 2>&1 || { cat "$run/out" >&2; echo "FAIL: the game failed" >&2; exit 1; }
"$checker" \
  "$s-title.png:0,0,800,300:blue" "$s-title.png:320,350,480,390:bright" \
  "$s-scene.png:185,485,615,585:dark" "$s-scene.png:460,420,540,470:blue" "$s-scene.png:0,100,170,240:blue" \
  "$s-stage.png:175,0,625,600:busy" "$s-stage.png:175,0,625,200:warm" \
  "$s-boss.png:190,29,300,32:bright" "$s-boss.png:175,0,625,600:busy" \
  "$s-board.png:40,150,320,190:warm" "$s-board.png:490,150,570,240:blue" "$s-board.png:110,260,690,480:dark" \
  "$s-ending.png:0,0,800,600:blue" "$s-ending.png:200,200,470,232:bright"
