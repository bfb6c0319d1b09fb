#!/usr/bin/env python3
"""Writes the demo particle files into data/particle/ (deterministic; rerun to regenerate).

A particle file is 128 little-endian bytes: a 4-byte slot the game ignores, the emission
rate (int32), then floats for the emitter lifetime, particle life range, direction, spread,
a relative flag (one byte and 3 padding), speed, gravity, radial and tangential acceleration
ranges, size start/end/variation, spin start/end/variation, start and end colours (r, g, b, a)
and the colour and alpha variations. Angles are radians, times seconds, speeds pixels per second.
"""
import math
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "particle")

FIELDS = ["emission", "lifetime", "life_min", "life_max", "direction", "spread", "relative",
          "speed_min", "speed_max", "gravity_min", "gravity_max", "radial_min", "radial_max",
          "tangential_min", "tangential_max", "size_start", "size_end", "size_var",
          "spin_start", "spin_end", "spin_var", "color_start", "color_end", "color_var", "alpha_var"]

BASE = dict(emission=60, lifetime=-1.0, life_min=0.5, life_max=1.0, direction=0.0, spread=2 * math.pi,
            relative=False, speed_min=40.0, speed_max=80.0, gravity_min=0.0, gravity_max=0.0,
            radial_min=0.0, radial_max=0.0, tangential_min=0.0, tangential_max=0.0,
            size_start=1.0, size_end=0.2, size_var=0.3, spin_start=0.0, spin_end=0.0, spin_var=0.0,
            color_start=(1.0, 1.0, 1.0, 1.0), color_end=(1.0, 1.0, 1.0, 0.0), color_var=0.2, alpha_var=0.1)

SYSTEMS = {
    # The player's bomb: a trail of hot sparks that the bomb drags behind it.
    "playerBomb.psi": dict(emission=240, life_min=0.4, life_max=0.9, direction=math.pi, spread=1.2,
                           relative=True, speed_min=60, speed_max=140, size_start=1.6, size_end=0.3,
                           color_start=(1.0, 0.85, 0.4, 1.0), color_end=(1.0, 0.3, 0.1, 0.0)),
    # The player's death: one burst of white and blue shards.
    "playerDie.psi": dict(emission=600, lifetime=0.15, life_min=0.6, life_max=1.2, speed_min=120, speed_max=320,
                          radial_min=-60, radial_max=-20, size_start=1.2, size_end=0.1,
                          color_start=(0.8, 0.9, 1.0, 1.0), color_end=(0.3, 0.5, 1.0, 0.0)),
    # An enemy's death: a small orange pop.
    "enemyDie.psi": dict(emission=400, lifetime=0.1, life_min=0.3, life_max=0.6, speed_min=60, speed_max=160,
                         size_start=0.9, size_end=0.1, color_start=(1.0, 0.7, 0.3, 1.0),
                         color_end=(1.0, 0.2, 0.0, 0.0)),
    # A critical kill: a wider, brighter pop with a swirl.
    "enemyCriticalDie.psi": dict(emission=700, lifetime=0.12, life_min=0.5, life_max=0.9, speed_min=100,
                                 speed_max=260, tangential_min=80, tangential_max=160, size_start=1.3,
                                 size_end=0.2, color_start=(1.0, 1.0, 0.6, 1.0), color_end=(1.0, 0.4, 0.8, 0.0)),
    # The boss gathering energy: particles drawn in towards it.
    "bossEnerge.psi": dict(emission=90, life_min=0.8, life_max=1.2, speed_min=20, speed_max=40,
                           radial_min=-160, radial_max=-120, size_start=0.4, size_end=1.0,
                           color_start=(0.6, 0.8, 1.0, 0.0), color_end=(0.8, 0.9, 1.0, 0.9)),
    # The same during a spell card: red and faster.
    "bossEnergeSC.psi": dict(emission=140, life_min=0.6, life_max=1.0, speed_min=30, speed_max=60,
                             radial_min=-220, radial_max=-160, size_start=0.5, size_end=1.2,
                             color_start=(1.0, 0.4, 0.4, 0.0), color_end=(1.0, 0.7, 0.5, 0.9)),
    # The boss's death: a long, large burst.
    "bossDie.psi": dict(emission=900, lifetime=0.6, life_min=1.0, life_max=2.0, speed_min=80, speed_max=360,
                        tangential_min=-40, tangential_max=40, size_start=2.0, size_end=0.2, spin_start=1,
                        spin_end=6, spin_var=0.5, color_start=(1.0, 1.0, 1.0, 1.0), color_end=(1.0, 0.6, 0.2, 0.0)),
    # The loading emblem's sparkle: keeps the sprite's colour (negative red), rising slowly.
    "magic.psi": dict(emission=40, life_min=0.8, life_max=1.6, direction=0, spread=1.0, speed_min=20,
                      speed_max=50, gravity_min=-30, gravity_max=-10, size_start=0.6, size_end=0.1,
                      color_start=(-1.0, 0.0, 0.0, 0.9), color_end=(-1.0, 0.0, 0.0, 0.0)),
}


def encode(system):
    v = dict(BASE, **system)
    data = struct.pack("<4xi", int(v["emission"]))
    data += struct.pack("<5f", v["lifetime"], v["life_min"], v["life_max"], v["direction"], v["spread"])
    data += struct.pack("<B3x", 1 if v["relative"] else 0)
    for name in FIELDS[7:21]:
        data += struct.pack("<f", v[name])
    data += struct.pack("<4f", *v["color_start"]) + struct.pack("<4f", *v["color_end"])
    data += struct.pack("<2f", v["color_var"], v["alpha_var"])
    assert len(data) == 128
    return data


def main():
    os.makedirs(ROOT, exist_ok=True)
    for name, system in sorted(SYSTEMS.items()):
        with open(os.path.join(ROOT, name), "wb") as f:
            f.write(encode(system))


if __name__ == "__main__":
    main()
