# Sourced by the road scripts: road_setup makes the work folder (removed on exit) with the demo
# data in it; road_to_field prints the keys that take a continued save into the field; road_play
# runs the game there under the headless host with keys.txt (its lines put in frame order),
# saving frames into the folder, and stops the script with the log's tail when the game fails.
# usage: road_setup NAME DEMO_DATA_GEN; road_to_field; road_play BRISGAL; reset_on_r DIR
road_setup() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  "$2" --short-music "$work" > /dev/null
}

# CONTINUE resumes the road save at the save point (area 99); the hero walks out of its west door
# into the village (89), east along the street, jumps out of the dip and takes the east gate at
# frame 400 into the field (53), where it stands at its west door (24, 312) from frame 401.
road_to_field() {
  cat <<'KEYS'
# frame  event  DirectInput key: 208 DOWN, 203 LEFT, 205 RIGHT, 45 X (SHOT), 44 Z (JUMP)
5 down 208
6 up 208
10 down 45      # CONTINUE: the save point
11 up 45
40 down 203     # LEFT to the west door
172 up 203
180 down 208    # DOWN: the village at the shrine door
181 up 208
210 down 205    # RIGHT along the street
340 down 44     # Z: out of the dip
360 up 44
380 up 205      # at the east gate
400 down 208    # DOWN: the field at its west door
401 up 208
KEYS
}

road_play() {
  local code=0
  sort -s -n -k1,1 "$work/keys.txt" -o "$work/keys.txt"
  (cd "$work" && KELMOR_HOST=headless KELMOR_FRAME_DIR="$work" KELMOR_KEY_SCRIPT="$work/keys.txt" timeout 900 "$1" > out.txt 2>&1) || code=$?
  if [ "$code" != 0 ]; then
    echo "brisgal ended with $code"
    tail -20 "$work/out.txt"
    exit 1
  fi
}

# Writes DIR/KEY_CONF.DAT: the default bindings, with RESET on R (it has no key of its own).
reset_on_r() {
  python3 -c "import struct, sys; open(sys.argv[1], 'wb').write(struct.pack('<18i',
    203, 200, 205, 208, 45, 44, 16, 30, 19, 1, 3, 2, 0, 4, 5, 6, 7, -1))" "$1/KEY_CONF.DAT"
}
