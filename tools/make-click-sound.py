#!/usr/bin/env python3
"""Writes the library's link-click sound: resources/XrRichTextBox/WAVE/101.

A 49 ms click, 22,050 samples per second, 16-bit mono PCM: a 2.2 kHz tone with a short burst
of noise at its start, both dying away quickly. The noise comes from a fixed linear
congruential sequence, so the file is the same on every run.

Usage: tools/make-click-sound.py [output path]
"""
import math
import os
import struct
import sys

RATE = 22050
SAMPLES = 1079  # about 49 ms
TONE_HZ = 2200.0


def samples():
    seed = 0x2545F491
    for n in range(SAMPLES):
        t = n / RATE
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed / 0x3FFFFFFF) - 1.0
        tone = math.sin(2 * math.pi * TONE_HZ * t) * math.exp(-t * 90.0)
        burst = noise * math.exp(-t * 900.0)
        # A few samples of fade-in keep the start from popping.
        fade_in = min(1.0, n / 12.0)
        value = (0.55 * tone + 0.35 * burst) * fade_in
        yield max(-32767, min(32767, int(round(value * 32767))))


def wave_bytes():
    data = b"".join(struct.pack("<h", s) for s in samples())
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        root, "resources", "XrRichTextBox", "WAVE", "101")
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as out:
        out.write(wave_bytes())


if __name__ == "__main__":
    main()
