#!/usr/bin/env python3
"""Writes the save file the road tests continue from (CONTINUE resumes it at the save point):
carried a healing drug, two grenades more than one, the knife, an armour; the gun in hand, an
armour worn; all of them known; story flags 0, 5 and 10. With --second-armour the second armour
slot holds that item too, known. With --hp the hero's HP and maximum HP are that many.
usage: road_save.py SAVE_FILE [--second-armour ITEM] [--hp HP]"""
import argparse
import struct

options = argparse.ArgumentParser()
options.add_argument("save")
options.add_argument("--second-armour", type=int, default=0)
options.add_argument("--hp", type=int)
args = options.parse_args()
second = args.second_armour
image = bytearray(821748)
struct.pack_into("<8i", image, 400, 11, 3, 5, 20, 0, 0, 0, 0)
struct.pack_into("<8i", image, 432, 0, 2, 0, 0, 0, 0, 0, 0)
struct.pack_into("<5i", image, 464, 120, 6, 0, 58, second)
image[484] = 0x21
image[485] = 0x04
hp_max, hp = (args.hp, args.hp) if args.hp else (40, 4)
struct.pack_into("<4i", image, 520, hp_max, 20, hp, 20)
struct.pack_into("<ffi", image, 536, 248.0, 328.0, 99)
for item in {3, 5, 6, 11, 20, 58, second} - {0}:
    struct.pack_into("<i", image, 548 + 4 * item, 1)
for k in range(200):
    image[1748 + 4100 * k] = 1
open(args.save, "wb").write(image)
