#!/usr/bin/env python3
"""The second stage's own picture: the spell card's moonlit sea, four frames side by side."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_demo_art import write_png  # noqa: E402

FRAME_W, FRAME_H, FRAMES = 450, 600, 4


def moonlit_sea(x, y):
    """A deep-blue night over dark water; a moon path that ripples from frame to frame."""
    frame, u = divmod(x, FRAME_W)
    horizon = 240
    if y < horizon:
        t = y / horizon
        r, g, b = 10 + 20 * t, 14 + 40 * t, 50 + 70 * t
        moon = math.hypot(u - 225, y - 120)
        if moon < 34:
            return (230, 236, 250, 255)
        glow = max(0.0, 1 - moon / 140) ** 2
        return (r + 120 * glow, g + 120 * glow, b + 110 * glow, 255)
    t = (y - horizon) / (FRAME_H - horizon)
    r, g, b = 8 + 10 * t, 28 + 20 * t, 60 + 30 * t
    phase = frame * math.pi / 2
    wave = math.sin(y * 0.18 + phase + math.sin(u * 0.03) * 2) * 0.5 + 0.5
    path = max(0.0, 1 - abs(u - 225) / (40 + 90 * t))
    shine = path * wave ** 3
    return (r + 200 * shine, g + 200 * shine, b + 190 * shine, 255)


def main():
    write_png("scSea.png", FRAME_W * FRAMES, FRAME_H, moonlit_sea)


if __name__ == "__main__":
    main()
