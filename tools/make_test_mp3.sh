#!/bin/sh
# Regenerates tests/data/tone_1s.mp3: one second of a 440 Hz tone, 44100 Hz mono, 64 kbit/s CBR.
# Needs python3 and lame (apt-get install -y lame); the result is committed, so builds never run this.
set -eu
cd "$(dirname "$0")/.."
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
python3 - "$tmp/tone.wav" <<'PY'
import math, struct, sys, wave
rate = 44100
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / rate)))
                           for i in range(rate)))
PY
lame --quiet -b 64 --cbr "$tmp/tone.wav" tests/data/tone_1s.mp3
