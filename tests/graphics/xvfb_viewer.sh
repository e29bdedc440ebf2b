#!/usr/bin/env bash
# The viewer on a real X server (Xvfb, SDL2 host): a generated picture is shown at 1:1 with its
# key colour left out and stretched to the window, and the game's loading text is drawn over a
# plain picture; the window's pixels, taken with ImageMagick's import, must be the picture's,
# and the text's box the same as the frame the headless host saves.
#   xvfb_viewer.sh VIEWER
set -euo pipefail
viewer=$(realpath "$1")
for tool in xvfb-run xdotool import convert python3; do
  command -v "$tool" > /dev/null || { echo "$tool missing"; exit 77; }
done
here=$(cd "$(dirname "$0")" && pwd)
check="$here/viewer_check.py"
export LSAN_OPTIONS="suppressions=$here/../platform/lsan_system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d "${TMPDIR:-/tmp}/kelmor-viewer.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$check" pattern "$work/pattern.bmp"
python3 "$check" plain "$work/plain.bmp"

# The reference frame of the loading text, read back on the headless host.
(cd "$work" && KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT=<(echo '3 save') \
  "$viewer" --stretch --loading-text --frames 5 plain.bmp > headless.out 2>&1)
[ -e "$work/frame00003.png" ] || { echo "the headless host saved no frame"; exit 1; }
convert "$work/frame00003.png" -depth 8 "rgb:$work/ref.rgb"

cat > "$work/inner.sh" <<'INNER'
set -u
work=$1 viewer=$2 check=$3
cd "$work"
# show NAME CHECK-ARGS -- VIEWER-ARGS: polls the window until its pixels pass, then Escape.
show() {
  local name=$1 kind=$2 arg=$3; shift 4
  KELMOR_HOST=sdl2 SDL_AUDIODRIVER=dummy "$viewer" "$@" > "$name.out" 2>&1 &
  local pid=$! win="" ok=0
  for _ in $(seq 600); do
    win=$(xdotool search --name '^Kelmor viewer$' 2> /dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then echo "$name: no window"; kill $pid; wait $pid; return 1; fi
  for _ in $(seq 40); do
    if grep -q "^shown" "$name.out" && timeout 10 import -window "$win" "$name.png" 2> /dev/null &&
       convert "$name.png" -depth 8 "rgb:$name.rgb" &&
       python3 "$check" "$kind" "$name.rgb" "$arg" > "$name.check"; then ok=1; break; fi
    sleep 0.25
  done
  timeout 5 xdotool windowfocus --sync "$win" 2> /dev/null || true
  xdotool keydown --window "$win" Escape; sleep 0.2; xdotool keyup --window "$win" Escape 2> /dev/null || true
  for _ in $(seq 50); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
  kill -0 $pid 2> /dev/null && { echo "$name: Escape did not end the viewer"; kill $pid; ok=0; }
  wait $pid || { echo "$name: the viewer failed"; cat "$name.out"; ok=0; }
  [ $ok = 1 ] || { echo "$name: the window's pixels are not the picture's"; cat "$name.check" 2> /dev/null; }
  [ $ok = 1 ]
}
status=0
show keyed window key -- --transparent pattern.bmp || status=1
show stretched window stretch -- --stretch pattern.bmp || status=1
show text text ref.rgb -- --stretch --loading-text plain.bmp || status=1
echo "exit $status" > status.txt
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inner.sh" "$work" "$viewer" "$check" || true
status=$(cat "$work/status.txt" 2> /dev/null || echo "no status")
[ "$status" = "exit 0" ] || { echo "viewer under Xvfb: $status"; exit 1; }
echo "the window showed the picture, 1:1 and stretched, and the loading text"
