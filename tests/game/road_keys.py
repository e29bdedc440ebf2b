#!/usr/bin/env python3
"""Prints key-script lines for runs of held buttons from a frame on, in actor-trace's notation:
letters L U R D S J (LEFT, UP, RIGHT, DOWN, SHOT, JUMP by the default keys) or - for none, then
a frame count, e.g. "-10 R40 RJ12 R20". Every button still held after the last run is let go.
usage: road_keys.py FRAME RUN..."""
import sys

KEYS = {"L": 203, "U": 200, "R": 205, "D": 208, "S": 45, "J": 44}

frame, held = int(sys.argv[1]), set()
for run in " ".join(sys.argv[2:]).split():
    letters = run.rstrip("0123456789")
    count = run[len(letters):]
    if not count or any(c not in KEYS and c != "-" for c in letters):
        sys.exit(f"road_keys.py: bad run {run}")
    want = set(letters) - {"-"}
    for k in sorted(held - want):
        print(f"{frame} up {KEYS[k]}")
    for k in sorted(want - held):
        print(f"{frame} down {KEYS[k]}")
    held, frame = want, frame + int(count)
for k in sorted(held):
    print(f"{frame} up {KEYS[k]}")
