#!/usr/bin/env bash
# The game's road from the start under the headless host with a key script: the title cursor
# moves down twice, KEY CONFIG opens, UP is rebound to S, the bindings are saved, Escape ends
# the program. Checks the exit code, the 72 bytes of KEY_CONF.DAT, the leak report and two saved
# frames of the title (the picture drawn, the cursor moved) and one of the key-configuration
# screen (its texts drawn); with env KELMOR_NO_3D=1 all on the software renderer. With KLA_PACK
# the data set is packed into DataForWork.kla and its folder removed, so every load goes through
# the archive. The game's debugger lines reach the (UTF-8) terminal readable.
# usage: title_road.sh BRISGAL DEMO_DATA_GEN [KLA_PACK]
set -euo pipefail
game=$1
gen=$2
pack=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-road.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$gen" --short-music "$work" > /dev/null
# The sheets are the sizes their cell grids are cut from.
python3 - "$work/DataForWork" <<'PY'
import struct, sys
sizes = {"title.bmp": (256, 256), "font_sjis1.bmp": (128, 1024), "font_sjis3.bmp": (128, 2048),
         "font_sjis32.bmp": (128, 2048), "asci.bmp": (128, 128), "numberonly.bmp": (80, 8),
         "win.dds": (64, 64), "cursor.dds": (64, 16),
         # The field's sheets and pictures, as large as the rectangles drawn from them.
         "map/ero.bmp": (256, 272), "map/kaku.bmp": (256, 272), "map/dou.bmp": (256, 272),
         "map/mmap.bmp": (256, 272), "map/umisora.bmp": (960, 752), "map/cloud.bmp": (640, 840),
         "map/back1.bmp": (64, 64), "map/kakubakuhatu.bmp": (640, 720), "map/getu.bmp": (512, 512),
         "map/getu2.bmp": (512, 512), "map/rev.bmp": (512, 512), "mad.dds": (512, 512),
         "fade.bmp": (96, 16), "life.bmp": (40, 48), "map/subti.bmp": (320, 192),
         "map/cast.bmp": (128, 1410)}
for name, want in sizes.items():
    head = open(f"{sys.argv[1]}/{name}", "rb").read(26)
    got = struct.unpack("<ii", head[18:26])
    assert head[:2] == b"BM" and got == want, f"{name}: {got}, expected {want}"
PY
if [ -n "$pack" ]; then
  "$pack" --pack "$work/DataForWork" "$work/DataForWork.kla" > /dev/null
  # The map grids are read past the archive: the start grid stays a plain file.
  find "$work/DataForWork" -mindepth 1 ! -name doust.bin -delete
fi
cat > "$work/keys.txt" <<'KEYS'
# frame  event  DirectInput key
5 save          # the title, cursor on NEW GAME
10 down 208
11 up 208
15 save         # cursor on CONTINUE
20 down 208
21 up 208
30 down 45      # X on KEY CONFIG
31 up 45
40 save         # the key-configuration screen
60 down 45      # X: wait for a key (the screen ignores its first 20 frames)
61 up 45
70 down 31      # S becomes UP
71 up 31
80 down 44      # Z saves
81 up 44
100 down 1      # Escape
KEYS
cd "$work"
status=0
LC_ALL=C.UTF-8 KELMOR_DEBUG_QUIET=0 KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT="$work/keys.txt" \
  timeout 900 "$game" > "$work/out.txt" 2>&1 || status=$?
if [ "$status" != 0 ]; then
  echo "brisgal ended with $status"
  tail -20 "$work/out.txt"
  exit 1
fi
# LEFT, UP, RIGHT, DOWN, SHOT, JUMP, CHANGE, STATUS, RESET keys, then their pads.
expect=$(printf '%s' cb000000 1f000000 cd000000 d0000000 2d000000 2c000000 10000000 1e000000 ffffffff \
                    01000000 03000000 02000000 00000000 04000000 05000000 06000000 07000000 ffffffff)
got=$(od -An -v -tx1 KEY_CONF.DAT | tr -d ' \n')
if [ "$got" != "$expect" ]; then
  echo "KEY_CONF.DAT: $got"
  echo "expected:     $expect"
  exit 1
fi
# The log's lines reach a UTF-8 terminal readable, while Log.txt keeps them in Shift-JIS.
line="DirectSound の初期化を行います"
grep -q "$line" out.txt || { echo "no readable Japanese line on the terminal"; head -5 out.txt; exit 1; }
# Decoded once into a file: "iconv | grep -q" fails under pipefail whenever grep quits before iconv
# has written everything (iconv dies of SIGPIPE), which depends on the scheduling.
iconv -f CP932 -t UTF-8 Log.txt > log-utf8.txt || { echo "Log.txt is not Shift-JIS text"; exit 1; }
grep -q "$line" log-utf8.txt || { echo "Log.txt lost its Shift-JIS line"; exit 1; }
# The memory dump at the end of the log lists no block.
grep -aq "Alloc num:0" Log.txt || { echo "Log.txt lists blocks left allocated"; tail -c 2000 Log.txt; exit 1; }
# With KELMOR_NO_3D=1 the stand-in makes no device and the game draws on the software renderer.
refused="Direct3DDevice9 の作成に失敗しました"
if [ "${KELMOR_NO_3D:-}" = 1 ]; then
  grep -q "$refused" log-utf8.txt || { echo "a device was made under KELMOR_NO_3D"; exit 1; }
fi
# Every sound, picture and the start grid loaded: no file-open, missing-picture or map line in the log.
if grep -v "$refused" log-utf8.txt | grep -E "失敗しました|がありません|マップファイル"; then
  echo "a data file did not load"
  exit 1
fi
python3 "$here/frame_check.py" frame00005.png 0
python3 "$here/frame_check.py" frame00015.png 1
python3 "$here/frame_check.py" frame00040.png keyconfig
echo "road ok: KEY_CONF.DAT as expected${pack:+, data read from the archive}"
