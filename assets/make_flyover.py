#!/usr/bin/env python3
"""Synthesises Flyover.wav, Wendrel's default alarm: a jet passing overhead.

Filtered noise (the roar) and a turbine whine whose pitch falls as the aircraft
passes (the Doppler shift), loudest at the closest point. Mono, 16-bit, 22050 Hz,
about 2.8 s. Deterministic: the noise comes from a fixed seed.
    python3 assets/make_flyover.py
"""
import math
import os
import random
import struct
import wave

RATE = 22050
SECONDS = 2.8
SPEED = 150.0      # m/s
CLOSEST = 60.0     # m, distance at the moment of passing
PASS_AT = 1.3      # s
SOUND = 343.0      # m/s
WHINE = 820.0      # Hz, as heard with no motion

def main():
    rng = random.Random(1939)
    n = int(RATE * SECONDS)
    samples = []
    low = band = 0.0
    phase1 = phase2 = 0.0
    for i in range(n):
        t = i / RATE
        x = SPEED * (t - PASS_AT)
        r = math.hypot(x, CLOSEST)
        closeness = CLOSEST / r                      # 1 at the closest point
        radial = SPEED * x / r                       # < 0 while approaching
        pitch = SOUND / (SOUND + radial)
        # Roar: white noise through a low-pass that opens up as the jet comes close.
        alpha = 0.05 + 0.35 * closeness
        low += alpha * (rng.uniform(-1, 1) - low)
        band += 0.02 * (low - band)
        roar = (low - band) * 2.2
        phase1 += 2 * math.pi * WHINE * pitch / RATE
        phase2 += 2 * math.pi * WHINE * 2.03 * pitch / RATE
        whine = 0.22 * math.sin(phase1) + 0.08 * math.sin(phase2)
        level = closeness ** 1.6
        fade = min(1.0, t / 0.25, (SECONDS - t) / 0.35)
        samples.append((roar + whine * closeness) * level * fade)
    peak = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", int(s / peak * 0.85 * 32767)) for s in samples)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Flyover.wav")
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)

if __name__ == "__main__":
    main()
