# Sourced by the road scripts: road_setup makes the work folder (removed on exit) with the demo
# data in it; road_play runs the game there under the headless host with keys.txt, saving frames
# into the folder, and stops the script with the log's tail when the game fails.
# usage: road_setup NAME DEMO_DATA_GEN; road_play BRISGAL
road_setup() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  "$2" --short-music "$work" > /dev/null
}

road_play() {
  local code=0
  (cd "$work" && KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT="$work/keys.txt" timeout 480 "$1" > out.txt 2>&1) || code=$?
  if [ "$code" != 0 ]; then
    echo "brisgal ended with $code"
    tail -20 "$work/out.txt"
    exit 1
  fi
}
