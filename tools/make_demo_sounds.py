#!/usr/bin/env python3
"""Synthesises the demo content's sound effects, voices and music into data/ (deterministic; rerun to regenerate).

Music is encoded to MP3 with lame (tools/setup.sh installs it)."""
import math
import os
import random
import struct
import subprocess
import tempfile
import wave

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
ROOT = os.path.join(DATA, "se")
RATE = 22050


def write_wav(name, seconds, sample, folder=ROOT):
    """sample(t) -> -1..1 at time t in seconds."""
    frames = bytearray()
    n = int(seconds * RATE)
    for i in range(n):
        t = i / RATE
        fade = min(1.0, (n - i) / (0.01 * RATE))  # no click at the end
        frames += struct.pack("<h", int(32767 * 0.6 * max(-1.0, min(1.0, sample(t))) * fade))
    os.makedirs(folder, exist_ok=True)
    with wave.open(os.path.join(folder, name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def write_mp3(folder, name, seconds, sample):
    """Encodes sample(t) as a mono 48 kbit/s MP3 through a temporary WAV."""
    with tempfile.TemporaryDirectory() as tmp:
        write_wav("music.wav", seconds, sample, tmp)
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["lame", "--quiet", "-m", "m", "-b", "48", "--cbr", os.path.join(tmp, "music.wav"),
                        os.path.join(folder, name)], check=True)


def note_freq(semitone):
    """Semitones above A3 (220 Hz)."""
    return 220.0 * 2 ** (semitone / 12)


def melody(notes, beat, bass=None, wobble=0.0):
    """notes: semitones (None rests), one per beat; bass: one per bar of four beats."""
    def sample(t):
        i = int(t / beat) % len(notes)
        local = t - int(t / beat) * beat
        value = 0.0
        if notes[i] is not None:
            f = note_freq(notes[i] + 12) * (1 + wobble * math.sin(2 * math.pi * 5 * t))
            env = min(1.0, local * 40) * math.exp(-local * 2.5)
            value += 0.55 * env * (math.sin(2 * math.pi * f * t) + 0.3 * math.sin(4 * math.pi * f * t))
        if bass:
            b = bass[int(t / (4 * beat)) % len(bass)]
            value += 0.3 * math.sin(2 * math.pi * note_freq(b - 12) * t)
        return value
    return sample


def tone(freq, decay):
    return lambda t: math.sin(2 * math.pi * freq * t) * math.exp(-t * decay)


def sweep(f0, f1, seconds, decay):
    return lambda t: math.sin(2 * math.pi * (f0 + (f1 - f0) * t / seconds / 2) * t) * math.exp(-t * decay)


def noise(seed, decay):
    rng = random.Random(seed)
    return lambda t: rng.uniform(-1, 1) * math.exp(-t * decay)


VOWELS = [(730, 1090), (270, 2290), (300, 870), (530, 1840), (570, 840)]  # a, i, u, e, o: two formants


def voice(seed, pitch, syllables):
    """A murmured line of [syllables] vowel sounds around [pitch] Hz, for the scenes' voices."""
    rng = random.Random(seed)
    plan = [(rng.choice(VOWELS), pitch * rng.uniform(0.9, 1.15), rng.uniform(0.11, 0.17)) for _ in range(syllables)]
    starts, t = [], 0.05
    for _, _, length in plan:
        starts.append(t)
        t += length + 0.03

    def sample(t):
        for i, ((f1, f2), f0, length) in enumerate(plan):
            local = t - starts[i]
            if 0 <= local < length:
                env = math.sin(math.pi * local / length)
                f = f0 * (1 - 0.1 * local / length)
                value = 0.0
                for k in range(1, 13):
                    h = k * f
                    gain = math.exp(-((h - f1) / 150) ** 2) + 0.6 * math.exp(-((h - f2) / 220) ** 2) + 0.05
                    value += gain * math.sin(2 * math.pi * h * t)
                return 0.5 * env * value
        return 0.0
    return t + 0.05, sample


def write_voice(name, seed, pitch, syllables):
    seconds, sample = voice(seed, pitch, syllables)
    write_wav(name, seconds, sample, os.path.join(DATA, "voice"))


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
    write_wav("a.wav", 0.7, lambda t: noise(4, 5)(t) * 0.7 + sweep(600, 120, 0.7, 3)(t))
    write_wav("flame buster.wav", 1.2, lambda t: noise(5, 2)(t) * 0.8 + 0.4 * tone(90, 2)(t))
    write_wav("wj.wav", 0.5, sweep(500, 1400, 0.5, 3), os.path.join(DATA, "voice"))
    write_voice("aya_01.wav", 11, 260, 7)
    write_voice("aya_02.wav", 12, 270, 5)
    write_voice("ren_01.wav", 21, 140, 8)
    write_voice("ren_02.wav", 22, 130, 5)

    music = os.path.join(DATA, "music")
    write_mp3(music, "Ka01.mp3", 12.8, melody([0, 4, 7, 12, 11, 7, 4, 7, 5, 9, 12, 16, 14, 12, 9, 5,
                                               0, 4, 7, 12, 11, 7, 4, 2, 0, None, 7, None, 0, None, None, None],
                                              0.4, bass=[0, 5, 0, 7, 0, 5, 7, 0]))
    write_mp3(music, "Ka1-d.mp3", 12.8, melody([12, 11, 7, 4, 5, 7, 9, 7, 4, 2, 0, 2, 4, None, 7, None],
                                               0.8, bass=[0, 5, 7, 0]))
    write_mp3(music, "GameOver.mp3", 6.4, melody([7, 6, 5, 4, 3, 2, 1, 0, None, None, -5, None, -12, None, None, None],
                                                 0.4, bass=[-5, -12]))
    write_mp3(music, "Berceuse(Orchestra ver.).mp3", 19.2,
              melody([7, None, 9, 7, 4, None, 2, 4, 5, None, 4, 2, 0, None, None, None,
                      7, None, 9, 7, 12, None, 11, 9, 7, None, 5, 4, 2, None, 0, None],
                     0.6, bass=[0, 5, 7, 0, 0, 5, 7, 0], wobble=0.004))
    write_mp3(ROOT, "StageClear.mp3", 3.2, melody([0, 4, 7, 12, 7, 12, 16, None], 0.4, bass=[0, 7]))


if __name__ == "__main__":
    main()
