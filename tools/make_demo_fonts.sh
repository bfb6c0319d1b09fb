#!/bin/sh
# Copies the game's own TrueType font from the set-up script's font packages into data/font/.
# The other names the game asks for ("Consolab.ttf", "simkai.ttf", "Simhei.ttf") are Windows
# system fonts, which the engine's system font lookup maps to installed fonts.
set -eu
cd "$(dirname "$0")/.."
mkdir -p data/font
# The status numbers' rounded face: WenQuanYi Micro Hei (fonts-wqy-microhei).
cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc data/font/DFGirl.ttf
