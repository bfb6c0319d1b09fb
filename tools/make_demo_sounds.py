#!/usr/bin/env python3
"""Synthesises the demo content's sound effects into data/se/ (deterministic; rerun to regenerate)."""
import math
import os
import random
import struct
import wave

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "se")
RATE = 22050


def write_wav(name, seconds, sample):
    """sample(t) -> -1..1 at time t in seconds."""
    frames = bytearray()
    n = int(seconds * RATE)
    for i in range(n):
        t = i / RATE
        fade = min(1.0, (n - i) / (0.01 * RATE))  # no click at the end
        frames += struct.pack("<h", int(32767 * 0.6 * max(-1.0, min(1.0, sample(t))) * fade))
    os.makedirs(ROOT, exist_ok=True)
    with wave.open(os.path.join(ROOT, name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def tone(freq, decay):
    return lambda t: math.sin(2 * math.pi * freq * t) * math.exp(-t * decay)


def sweep(f0, f1, seconds, decay):
    return lambda t: math.sin(2 * math.pi * (f0 + (f1 - f0) * t / seconds / 2) * t) * math.exp(-t * decay)


def noise(seed, decay):
    rng = random.Random(seed)
    return lambda t: rng.uniform(-1, 1) * math.exp(-t * decay)


def main():
    write_wav("click_08.wav", 0.06, tone(1800, 60))
    write_wav("Statitto.WAV", 0.35, lambda t: tone(880, 8)(t) + 0.5 * tone(1320, 10)(t))
    write_wav("start.WAV", 0.6, sweep(440, 1320, 0.6, 4))
    write_wav("Rod.wav", 0.8, lambda t: tone(220, 3)(t) + 0.3 * tone(660, 5)(t))
    write_wav("appear.wav", 0.4, sweep(300, 900, 0.4, 6))
    write_wav("emd.wav", 0.5, noise(1, 7))
    write_wav("hit.wav", 0.08, noise(2, 40))
    write_wav("shoot.wav", 0.07, sweep(1200, 600, 0.07, 30))
    write_wav("bird.wav", 0.3, lambda t: math.sin(2 * math.pi * (2500 + 400 * math.sin(60 * t)) * t) * math.exp(-t * 8))
    write_wav("flame.wav", 0.6, noise(3, 4))


if __name__ == "__main__":
    main()
