#!/usr/bin/env bash
# The game on a real X server (Xvfb, SDL2 host): the screen question is answered with Return
# (Yes, full screen), the window opens, the title state runs and a key script presses Escape
# at frame 300. Checks the exit code and the log's memory dump.
#   xvfb_start.sh BRISGAL DEMO_DATA_GEN
set -euo pipefail
game=$(realpath "$1")
gen=$(realpath "$2")
for tool in xvfb-run xdotool xwininfo; do
  command -v "$tool" > /dev/null || { echo "$tool missing"; exit 77; }
done
here=$(cd "$(dirname "$0")/.." && pwd)
export LSAN_OPTIONS="suppressions=$here/platform/lsan_system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-xvfb.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$gen" --short-music "$work" > /dev/null
printf '%s\n' '60 down 208' '61 up 208' '300 down 1' > "$work/keys.txt"
cat > "$work/inner.sh" <<'INNER'
set -u
cd "$1"
KELMOR_HOST=sdl2 SDL_AUDIODRIVER=dummy KELMOR_KEY_SCRIPT="$1/keys.txt" "$2" > out.txt 2>&1 &
pid=$!
find_window() { xwininfo -root -tree 2> /dev/null | grep -F "\"$1\"" | awk '{print $1}' | head -1; }
box=""
for _ in $(seq 300); do box=$(find_window "スクリーン設定"); [ -n "$box" ] && break; sleep 0.2; done
[ -n "$box" ] || { echo "no question box"; kill $pid; exit 1; }
sleep 0.5
xdotool key --window "$box" Return
win=""
for _ in $(seq 300); do win=$(find_window Brisgal); [ -n "$win" ] && break; sleep 0.2; done
[ -n "$win" ] || { echo "no game window"; kill $pid; exit 1; }
timeout 5 xdotool windowfocus --sync "$win" 2> /dev/null || true
for _ in $(seq 300); do kill -0 $pid 2> /dev/null || break; sleep 0.2; done
if kill -0 $pid 2> /dev/null; then echo "the game did not end"; kill $pid; fi
wait $pid
echo "exit $?" > status.txt
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inner.sh" "$work" "$game" || true
status=$(cat "$work/status.txt" 2> /dev/null || echo "no status")
if [ "$status" != "exit 0" ]; then
  echo "brisgal: $status"
  tail -c 2000 "$work/out.txt"
  exit 1
fi
grep -aq "Alloc num:0" "$work/Log.txt" || { echo "Log.txt lists blocks left allocated"; exit 1; }
echo "the game started, ran its title and ended on Escape"
