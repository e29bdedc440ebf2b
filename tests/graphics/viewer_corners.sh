#!/usr/bin/env bash
# The viewer's four-corner draw on the software renderer: with env KELMOR_NO_3D=1 the
# Direct3D stand-in makes no device, the headless host saves the frame a key script marks, and
# the saved picture must be the pattern deformed onto the corners, its key colour left out.
#   viewer_corners.sh VIEWER
set -euo pipefail
viewer=$(realpath "$1")
for tool in convert python3; do
  command -v "$tool" > /dev/null || { echo "$tool missing"; exit 77; }
done
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kelmor-corners.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 "$here/viewer_check.py" pattern pattern.bmp
KELMOR_NO_3D=1 KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT=<(echo '3 save') \
  "$viewer" --corners --transparent --bits 32 --frames 5 pattern.bmp > viewer.out 2>&1 ||
  { cat viewer.out; exit 1; }
[ -e frame00003.png ] || { echo "the headless host saved no frame"; exit 1; }
# Decoded into a file first: under pipefail "iconv | grep -q" fails when grep quits before iconv ends.
iconv -f CP932 -t UTF-8 Log.txt > log-utf8.txt && grep -q "Direct3DDevice9 の作成に失敗しました" log-utf8.txt ||
  { echo "a Direct3D device was made under KELMOR_NO_3D"; exit 1; }
convert frame00003.png -depth 8 rgb:shot.rgb
python3 "$here/viewer_check.py" corners shot.rgb
echo "the saved frame shows the picture on its four corners"
