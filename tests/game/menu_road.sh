#!/usr/bin/env bash
# The player menu in the real game under the headless host with a key script: the road writes a
# save holding what each page needs, picks CONTINUE, opens the menu with STATUS and goes through
# the status page, the item list (using a healing item, discarding a stack), the weapon page
# (equipping the knife), the first armour page and the event log, where SHOT turns the hero model,
# then closes it. Each saved frame is checked against the menu's layout (menu_frame_check.py),
# and a second run must give the same frames.
# usage: menu_road.sh BRISGAL DEMO_DATA_GEN
set -euo pipefail
game=$1
gen=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/brisgal-menu.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$gen" --short-music "$work" > /dev/null
# Item 4 worn in the second armour slot turns the hero model on the event log.
python3 "$here/road_save.py" "$work/EX03_19_SCORE_DATA.DAT" --second-armour 4
cat > "$work/keys.txt" <<'KEYS'
# frame  event  DirectInput key: 208 DOWN, 200 UP, 203 LEFT, 205 RIGHT, 45 X (SHOT), 44 Z (JUMP), 30 A (STATUS)
5 down 208
6 up 208
10 down 45      # CONTINUE
11 up 45
30 down 30      # STATUS: the status page
31 up 30
35 save
40 down 205     # RIGHT: the item list
41 up 205
45 save
50 down 45      # the healing drug: use or discard
51 up 45
55 save
60 down 45      # use
61 up 45
65 down 45      # past its message
66 up 45
70 save
75 down 45      # the grenades
76 up 45
80 down 200     # UP: discard
81 up 200
85 down 45
86 up 45
90 save
95 down 203     # LEFT: the status page
96 up 203
100 down 45     # the weapon page
101 up 45
105 save
110 down 205    # to the list
111 up 205
115 down 45     # the knife into the hand, the gun back into the slots
116 up 45
120 save
125 down 44     # JUMP: the status page
126 up 44
130 down 208
131 up 208
135 down 45     # the first armour page
136 up 45
140 save
145 down 44
146 up 44
150 down 208
151 up 208
155 down 208
156 up 208
160 down 208
161 up 208
165 down 45     # the event log
166 up 45
170 save
175 down 45     # SHOT: the hero model turns, half a degree a frame (LEFT's way)
175 save
176 up 45
355 save
535 save
536 down 205    # RIGHT: the other way, back through the same angles
537 up 205
715 save
725 down 45     # SHOT: the turn stops
726 up 45
735 save
745 save
755 down 44     # back to the status page, then closed
756 up 44
760 down 44
761 up 44
765 save
770 down 1      # Escape
KEYS
cd "$work"
run() {
  rm -rf "$1"
  mkdir -p "$1"
  cp EX03_19_SCORE_DATA.DAT "$1.save"
  status=0
  KELMOR_HOST=headless KELMOR_FRAME_DIR="$work/$1" KELMOR_KEY_SCRIPT="$work/keys.txt" timeout 900 "$game" > "$1.out" 2>&1 || status=$?
  cp "$1.save" EX03_19_SCORE_DATA.DAT
  if [ "$status" != 0 ]; then
    echo "brisgal ended with $status"
    tail -20 "$1.out"
    exit 1
  fi
}
# Both runs read the local hour at CONTINUE, and the hour picks the sky behind the menu: when it
# turns between them, both run again.
for attempt in 1 2; do
  hour=$(date +%H)
  run first
  run second
  [ "$(date +%H)" = "$hour" ] && break
  echo "the hour turned during attempt $attempt"
done
for f in first/*.png; do
  cmp -s "$f" "second/${f#first/}" || {
    echo "the second run's ${f#first/} differs"; python3 "$here/frame_diff.py" "$f" "second/${f#first/}"; exit 1; }
done
check() { python3 "$here/menu_frame_check.py" "first/frame00$1.png" DataForWork "${@:2}"; }
main="w:95,5,310,105 w:5,200,315,235"
header="t:103,9,NAME:VEDAZ t:103,25,AT. t:103,47,A1. t:103,57,ﾀﾃﾅｼ t:103,69,A2. t:103,79,ｽｸ-ﾙﾐｽﾞｷﾞ t:103,91,\\"
# shellcheck disable=SC2086
{
check 035 $main $header t:103,35,P99 t:199,9,ﾁﾘﾖｳﾔｸ t:199,21,MK2 t:199,33,ﾅｲﾌ t:199,45,ﾎﾞｳｺﾞﾌｸ c:86,23
check 045 $main $header t:199,9,ﾁﾘﾖｳﾔｸ c:181,7
check 055 $main t:199,9,ﾁﾘﾖｳﾔｸ w:245,112,315,148 t:253,126,ﾂｶｳ t:253,136,ｽﾃﾙ c:234,124
check 070 $main t:199,9,MK2 t:199,21,ﾅｲﾌ !t:199,9,ﾁﾘﾖｳﾔｸ c:181,7
check 090 $main t:199,9,ﾅｲﾌ t:199,21,ﾎﾞｳｺﾞﾌｸ !t:199,9,MK2
check 105 $main $header t:103,35,P99 t:199,9,ﾅｲﾌ c:83,23
check 120 $main t:103,35,ﾅｲﾌ t:199,9,P99 c:83,23
check 140 $main t:103,57,ﾀﾃﾅｼ t:199,9,ﾎﾞｳｺﾞﾌｸ c:83,45
check 170 w:95,5,310,130 t:103,9,AWAKENING "t:103,21,THE VILLAGE" t:103,33,======================== c:85,7
# The hero model turning on the event log, at 0, 90 and 180 degrees: whole in the strip left of
# the log's window (against the armour page's strip), and only that strip changes as it turns.
strip=0,30,82,149
for n in 175 355 535; do check $n f:$strip,first/frame00140.png; done
check 355 d:$strip,first/frame00175.png
check 535 d:$strip,first/frame00355.png d:$strip,first/frame00175.png
# RIGHT turns it back: 180 frames later it stands as it stood at 90 degrees; SHOT stops it.
check 715 s:$strip,first/frame00355.png d:$strip,first/frame00535.png
check 745 s:$strip,first/frame00735.png
check 765 !t:103,9,NAME:VEDAZ
}
echo "menu road ok"
