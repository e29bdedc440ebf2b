#!/usr/bin/env bash
# Types into the library's window on a real X server (Xvfb, SDL2 host) and checks that the
# key presses reach the library's key states.
#   xvfb_keys.sh <window-demo>
set -euo pipefail
demo=$1
if ! command -v xvfb-run > /dev/null || ! command -v xdotool > /dev/null; then
  echo "xvfb-run or xdotool missing"; exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan_system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/inner.sh" <<'INNER'
set -u
cd "$1"
KELMOR_HOST=sdl2 SDL_AUDIODRIVER=dummy "$2" --print-keys --close-after 20000 > out.txt 2> err.txt &
pid=$!
for _ in $(seq 600); do
  win=$(xdotool search --name '^Brisgal$' 2> /dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "${win:-}" ] || { echo "no window"; kill $pid; exit 1; }
for _ in $(seq 300); do grep -q ready out.txt && break; sleep 0.1; done
timeout 5 xdotool windowfocus --sync "$win" 2> /dev/null || true
sleep 0.5
# Left arrow (DIK 203), then Z (DIK 44), then Escape (DIK 1), each pressed and released.
for k in Left z Escape; do
  xdotool keydown --window "$win" "$k"; sleep 0.3
  xdotool keyup --window "$win" "$k"; sleep 0.3
done
wait $pid
echo "exit $?" >> out.txt
INNER
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/inner.sh" "$work" "$(realpath "$demo")" || true
cat "$work/out.txt"
for want in "exit 0" "key 203 down" "key 203 up" "key 44 down" "key 44 up" "key 1 down" "key 1 up"; do
  grep -qx "$want" "$work/out.txt" || { echo "missing: $want"; cat "$work/err.txt"; exit 1; }
done
echo "keys reached the library"
