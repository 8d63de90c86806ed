#!/usr/bin/env python3
"""Writes the seed corpus of QuorvanelleEngineStreamFuzzer: short streams in the fuzzer's byte layout
that reach the engine's main roads (chords and melodies, control keys, source through, the transport's
stop and pause, the split's move, sample-rate changes, odd block sizes and odd events), so that the
fuzzer starts from them rather than from noise. Run it again after changing the byte layout."""

import os
import sys

NOTE_ON, NOTE_OFF, NOTE_ON_VEL0, CONTROLLER, PITCH, SYSEX = 0, 3, 4, 5, 6, 7


def event(kind, key, value, pos, channel=1, beyond=False):
    first = kind | (0x08 if beyond else 0) | ((channel - 1) << 4)
    tail = [pos % 4] if beyond else [(pos >> 8) & 0xFF, pos & 0xFF]
    return [first, key & 0x7F, value & 0x7F] + tail


def on(key, pos, vel=100, channel=1):
    return event(NOTE_ON, key, vel, pos, channel)


def off(key, pos, channel=1):
    return event(NOTE_OFF, key, 0, pos, channel)


def block(length, events=(), playing=False, tempo=None, twice_prepared=False):
    flags = (1 if playing else 0) | (0x08 if twice_prepared else 0)
    extra = []
    if tempo == 0:
        flags |= 1 << 1
    elif tempo == "huge":
        flags |= 3 << 1
    elif tempo is not None:
        flags |= 2 << 1
        extra = [max(0, min(255, (tempo - 20) // 2))]
    out = [0, flags]
    if not twice_prepared:
        out += [(length >> 8) & 0xFF, length & 0xFF]
    out += extra
    out += [len(events)]
    for e in events:
        out += e
    return out


def setting(which, value):
    # 0 source through, 1 expand, 2 target octave, 3 big chords, 4 root, 5 scale, 6 mode.
    return [4, which, value]


def timer():
    return [6]


def rate(choice):
    return [7, choice]


SOURCE_THROUGH, EXPAND, OCTAVE, BIG, ROOT, SCALE, MODE = range(7)

seeds = {
    "chord-and-melody": block(512, [on(60, 0), on(64, 1), on(67, 2)]) + block(512, [on(96, 10), off(96, 300), on(98, 301)])
    + block(512, [off(98, 5), off(60, 6), off(64, 7), off(67, 8)]),
    "latched-chord": block(2048, [on(48, 0), on(52, 0), on(55, 0)]) + block(2048, [off(48, 0), off(52, 0), off(55, 0)])
    + block(2048) + block(256, [on(100, 3), off(100, 200), on(91, 201), off(91, 255)]),
    "source-through-and-106": setting(SOURCE_THROUGH, 1) + block(256, [on(60, 0), on(64, 10)])
    + setting(OCTAVE, 7) + block(256, [on(106, 0), on(67, 5), off(106, 100), off(60, 120)])
    + setting(SOURCE_THROUGH, 0) + block(256, [off(64, 0), off(67, 1)]),
    "control-keys-big-chords": setting(BIG, 1) + block(300, [on(60, 0), on(64, 0), on(67, 0)])
    + block(300, [on(85, 1), on(87, 2), on(97, 3), on(99, 4), off(85, 100), off(87, 101), off(97, 102), off(99, 103)])
    + setting(OCTAVE, 0) + block(300, [on(99, 0), off(60, 1), off(64, 1), off(67, 1), off(99, 299)]),
    "transport-stop-and-pause": block(128, [on(60, 0), on(96, 5)], playing=True) + block(128, [], playing=True)
    + block(128, [on(98, 0), off(96, 1)], playing=False) + block(128, [off(98, 0), on(64, 1)]) + timer()
    + block(128, [on(100, 0), off(60, 1), off(64, 2), off(100, 100)]),
    "expand-with-melody-held": setting(EXPAND, 1) + block(256, [on(60, 0), on(76, 10)])
    + setting(EXPAND, 0) + block(256, [off(76, 3)]) + block(256, [off(60, 0)]),
    "expand-with-chord-sounding": setting(SOURCE_THROUGH, 1) + block(256, [on(80, 0), on(60, 1)]) + setting(EXPAND, 1)
    + block(256, [on(96, 3)]) + setting(EXPAND, 0) + block(256, [off(80, 0), off(60, 0), off(96, 0)]),
    "odd-events": block(64, [event(NOTE_ON_VEL0, 60, 0, 3), off(61, 4), event(CONTROLLER, 7, 1, 5),
                             event(CONTROLLER, 64, 126, 6), event(PITCH, 64, 0, 7), event(SYSEX, 1, 2, 8),
                             on(62, 9), off(62, 9), event(NOTE_ON, 90, 50, 0, beyond=True),
                             event(CONTROLLER, 1, 2, 1, beyond=True)]),
    "block-sizes": block(0, [on(60, 0), event(CONTROLLER, 1, 1, 0)], playing=True) + block(1, [on(60, 0)])
    + block(0, [], twice_prepared=True) + block(2048, [on(96, 2047)]) + block(0, [], playing=False)
    + block(4096, [off(96, 4000)], twice_prepared=True),
    "sample-rate-with-keys-held": block(512, [on(50, 0), on(96, 4)]) + rate(2) + block(512, [on(98, 0)]) + rate(5)
    + block(512, [off(96, 0), off(98, 1), off(50, 2)]),
    "octave-shift-keys": block(200, [on(60, 0), on(92, 1), on(102, 2), on(96, 3), off(92, 50), on(98, 51)])
    + block(200, [on(94, 0), on(104, 1), on(100, 2), off(96, 3), off(98, 4), off(100, 5), off(94, 6), off(104, 7),
                  off(102, 8), off(60, 9)]),
    "modes-and-scales": setting(MODE, 4) + setting(SCALE, 40) + setting(ROOT, 7)
    + block(300, [on(55, 0), on(59, 1), on(62, 2), on(96, 5), on(107, 6), on(84, 7)]) + setting(MODE, 6)
    + block(300, [off(55, 0), on(53, 1), on(72 + 12, 2)]) + setting(MODE, 3)
    + block(300, [off(53, 0), off(59, 0), off(62, 0), off(96, 0), off(107, 0), off(84, 0)]),
    "all-channels": block(512, [on(48 + c, c, 90, c + 1) for c in range(16)] + [on(96 + 2 * (c % 8), 20 + c, 60, c + 1) for c in range(16)])
    + block(512, [off(48 + c, c, 16 - c) for c in range(16)] + [off(96 + 2 * (c % 8), 20 + c, c + 1) for c in range(16)]),
    "tempo-extremes": block(1024, [on(60, 0)], tempo=0) + block(1024, [off(60, 0), on(64, 1)], tempo="huge")
    + block(1024, [on(96, 0)], tempo=300) + block(64, [off(64, 0), off(96, 1)], tempo=20),
}

out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "engine-stream")
os.makedirs(out_dir, exist_ok=True)
for name, data in seeds.items():
    assert all(0 <= b <= 255 for b in data), name
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(bytes(data))
