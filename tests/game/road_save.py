#!/usr/bin/env python3
"""Writes the save file the road tests continue from (CONTINUE resumes it at the save point):
carried a healing drug, two grenades more than one, the knife, an armour; the gun in hand, an
armour worn; all of them known; story flags 0, 5 and 10. With --second-armour the second armour
slot holds that item too, known.
usage: road_save.py SAVE_FILE [--second-armour ITEM]"""
import struct
import sys

second = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[2] == "--second-armour" else 0
image = bytearray(821748)
struct.pack_into("<8i", image, 400, 11, 3, 5, 20, 0, 0, 0, 0)
struct.pack_into("<8i", image, 432, 0, 2, 0, 0, 0, 0, 0, 0)
struct.pack_into("<5i", image, 464, 120, 6, 0, 58, second)
image[484] = 0x21
image[485] = 0x04
struct.pack_into("<4i", image, 520, 40, 20, 4, 20)
struct.pack_into("<ffi", image, 536, 248.0, 328.0, 99)
for item in {3, 5, 6, 11, 20, 58, second} - {0}:
    struct.pack_into("<i", image, 548 + 4 * item, 1)
for k in range(200):
    image[1748 + 4100 * k] = 1
open(sys.argv[1], "wb").write(image)
