#!/usr/bin/env bash
# The demo's road in the real game under the headless host with a key script: NEW GAME and the
# opening talk; the village's shop, where the hero buys a grenade; the knife into the hand; the
# field, where the hero jumps over the mushroom that walked to the door and slashes it down at the
# map's edge, then walks out to the apple under the second tree, takes it with DOWN and comes back
# to the door; back through the village to the save point (area 99), where the hero climbs to the
# altar and prays (the save); RESET to the title and CONTINUE. The saved frames are checked at each
# stage (menu_frame_check.py and the sprite and title checks), and so is the save file that
# CONTINUE reads back.
# With env ROAD_FRAMES set, the frames are copied there once the checks pass (same_frames.sh).
# usage: demo_road.sh BRISGAL DEMO_DATA_GEN
set -euo pipefail
game=$(realpath "$1")
gen=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=road_play.sh
. "$here/road_play.sh"
road_setup demo "$gen"

# The road's items, by their rows in the item table (adjust here when the demo renumbers them):
# bought, the first entry of the BOMB list; the knife in hand; picked up, the apple in the field,
# named by its kind (ｸﾀﾞﾓﾉ, fruit) while a new game's hero does not know it.
bought=3 bought_name=MK2 bought_price=10
knife=5 knife_name=ﾅｲﾌ
picked=76 picked_name=ｸﾀﾞﾓﾉ
money=50

reset_on_r "$work"

cat > "$work/keys.txt" <<'KEYS'
# frame  event  DirectInput key: 208 DOWN, 203 LEFT, 205 RIGHT, 45 X (SHOT), 44 Z (JUMP),
# 30 A (STATUS), 19 R (RESET), 1 Escape. Frames count keyboard reads: an area's change and its
# wipes read none, so the frame after a warp's DOWN is the first in the new area. Frames saved
# and not checked below are compared between two runs (same_frames.sh).
10 down 45      # NEW GAME; X every eight frames through the opening talk
11 up 45
14 down 45
15 up 45
20 save         # the talk box
22 down 45
23 up 45
30 down 45
31 up 45
38 down 45
39 up 45
46 down 45
47 up 45
54 down 45
55 up 45
62 down 45
63 up 45
70 down 45
71 up 45
100 down 208    # the bedroom door: the village at the inn
101 up 208
160 down 205    # RIGHT to the shop's lantern
200 save
300 save
345 up 205
385 down 208    # DOWN: the shop
386 up 208
395 save        # its command window
400 down 205    # RIGHT three times: BOMB
401 up 205
405 down 205
406 up 205
410 down 205
411 up 205
420 down 45     # its list
421 up 45
425 save        # the money before
430 down 45     # buy its first entry
431 up 45
435 save        # the money after
440 down 44     # JUMP twice: out of the shop
441 up 44
450 down 44
451 up 44
465 down 30     # STATUS, the weapon page, the list: the knife into the hand; closed
466 up 30
475 down 45
476 up 45
485 down 205
486 up 205
495 down 45
496 up 45
505 down 44
506 up 44
515 down 44
516 up 44
525 save        # the knife in the arms box
560 down 205    # RIGHT along the street, jumping out of three dips, to the east gate
600 save
680 down 44
700 up 44
700 save
800 save
805 down 44
825 up 44
900 save
940 down 44
960 up 44
980 up 205
1000 down 208   # DOWN: the field at its west door
1001 up 208
1002 down 44    # Z and RIGHT at once: over the mushroom that walked to the door
1002 down 205
1020 up 44
1080 up 205
1090 down 203   # LEFT back to the door, facing the mushroom, now at the map's edge
1100 save
1144 up 203
1150 down 45    # slash it down
1151 up 45
1162 down 45
1163 up 45
1174 down 45
1175 up 45
1186 down 45
1187 up 45
1196 save       # a hit's number over it
1198 down 45
1199 up 45
1210 down 45
1211 up 45
1304 down 205   # RIGHT to the apple under the second tree, after a wait that times the walk
1374 down 44    # between the stone's hops and the bat's pellets (either ends a hero of 3 HP):
1390 up 44      # Z over the spikes, Z from the outcrop's foot onto its top, Z from its top over
1440 down 44    # the pit onto the apple's ledge
1456 up 44
1490 down 44
1506 up 44
1546 up 205
1566 down 208   # DOWN: the apple taken
1570 up 208
1575 save       # its name in the HUD
1580 down 203   # LEFT: onto the ledge's step, the outcrop's top and over the spikes to the door
1588 down 44
1604 up 44
1648 down 44
1664 up 44
1690 down 44
1706 up 44
1817 up 203
1836 down 208   # DOWN at the door: the village's east gate
1837 up 208
1853 down 203   # LEFT over the dip to the shrine door
1893 save
1933 down 44
1953 up 44
1993 save
2017 up 203
2038 down 208   # DOWN: the save point's west door
2039 up 208
2059 down 205   # RIGHT, up the step and onto the altar under the crystal
2093 save
2154 down 44
2174 up 44
2193 save
2196 down 44
2216 up 44
2236 up 205
2258 save       # before the save
2263 down 208   # DOWN: the crystal asks
2264 up 208
2273 save
2283 down 45    # YES: the save
2284 up 45
2293 save
2303 down 44    # JUMP closes its message
2304 up 44
2323 down 19    # RESET
2333 up 19
2343 save
2353 down 44    # its message closed: the title
2354 up 44
2383 save
2413 down 208   # CONTINUE
2414 up 208
2423 down 45
2424 up 45
2433 save       # the save point again
2453 down 30    # STATUS: the bag
2454 up 30
2463 save
2473 down 44
2474 up 44
2483 down 1     # Escape
KEYS
road_play "$game"
cd "$work"

check() { python3 "$here/menu_frame_check.py" "frame0$1.png" DataForWork "${@:2}"; }
sprites() { python3 "$here/enemy_frame_check.py" "frame0$1.png" "${@:2}"; }
box="m:10,190,310,232"
hud="t:15,31,HP t:15,39,MP t:45,13,SB"
# shellcheck disable=SC2086
{
# The opening talk's box; the shop: its command window, the BOMB list with the money, the money
# less the price after the purchase; the knife in the arms box.
check 0020 $box
check 0395 t:253,126,BUY_S t:253,136,SELL c:234,124 $box t:15,31,HP n:51,31,4
check 0425 t:30,82,BOMB t:30,92,BUY t:30,110,$bought_name n:156,110,$bought_price n:166,92,$money
check 0435 t:30,110,$bought_name n:166,92,$((money - bought_price))
check 0525 $hud t:45,21,$knife_name
# The fight: a hit's number (1, the knife's damage) rises over the mushroom.
sprites 1196 DataForWork/number.dds 8,0,8,8,1,1 1
# The pick-up: the apple's name in the HUD's notification window.
check 1575 t:13,223,$picked_name m:50,221,89,234
# The save point: the question, the saved message, RESET's message, the title.
check 2258 $hud t:45,21,$knife_name
check 2273 $box t:253,126,YES t:253,136,NO
check 2293 $box
check 2343 $box
python3 "$here/frame_check.py" frame02383.png 0
# CONTINUE: the save point's crystal on the screen, the HUD's bars and arms box as they were before
# the save, the bag with the grenade bought and the apple picked up.
sprites 2433 DataForWork/npc.bmp 48,0,16,16,4,1 1
check 2433 $hud t:45,21,$knife_name s:34,31,76,46,frame02258.png s:16,14,31,28,frame02258.png
check 2463 t:199,9,$bought_name t:199,21,$picked_name t:103,35,$knife_name
}

# The save file CONTINUE read: the grenade and the apple carried, the knife in hand, the money
# after the purchase, the story flags of the talk (0), the shop (10) and the prayer (19), the
# save point's area.
python3 - EX03_19_SCORE_DATA.DAT "$bought" "$knife" $((money - bought_price)) "$picked" <<'PY'
import struct
import sys
data = open(sys.argv[1], "rb").read()
bought, knife, money, picked = map(int, sys.argv[2:6])
assert len(data) == 821748, f"{len(data)} bytes"
carried = struct.unpack_from("<8i", data, 400)
assert carried[:2] == (bought, picked), f"carried {carried}"
assert struct.unpack_from("<2i", data, 464) == (money, knife), struct.unpack_from("<2i", data, 464)
flags = int.from_bytes(data[484:516], "little")
assert all(flags >> f & 1 for f in (0, 10, 19)), f"story flags {flags:#x}"
assert struct.unpack_from("<ffi", data, 536) == (248.0, 328.0, 99), struct.unpack_from("<ffi", data, 536)
PY
grep -aq "Alloc num:0" Log.txt || { echo "Log.txt lists blocks left allocated"; exit 1; }
if [ -n "${ROAD_FRAMES:-}" ]; then
  mkdir -p "$ROAD_FRAMES"
  cp frame*.png "$ROAD_FRAMES/"
fi
echo "demo road ok: $(ls frame*.png | wc -l) frames saved"
