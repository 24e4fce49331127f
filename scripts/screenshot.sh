#!/usr/bin/env bash
# Starts the real program under Xvfb with generated sample clips named on its command line and writes
# PNG screenshots to docs/: the empty window, three clips with thumbnails and a warning, a merge in
# progress, the same merge with the next merge's suffix typed meanwhile, the finished-outputs tab, the
# list driven by the keyboard (focus on a card), a cancelled merge, the question asked when the window is
# closed during a merge, four cameras in a fitted grid (one a vertical phone clip at 30 fps with sound)
# with each merge row's menu open in the settings column, a start with files it cannot use (the line
# saying what was not added, and bad files told apart), and what the window finds on disk before Merge.
# Usage: scripts/screenshot.sh [build dir] [output dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs}
app=$build/tessellane
[ -x "$app" ] || { echo "missing $app: build first" >&2; exit 1; }
mkdir -p "$out"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Three small movies with distinct pictures; the third is shorter, which the window reports as a warning.
clip() {  # name source seconds
  ffmpeg -nostdin -v error -y -f lavfi -i "$2=size=640x360:rate=25" -t "$3" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$work/$1"
}
clip "take_1.mov" testsrc2 40
clip "take_2.mov" smptehdbars 40
clip "take_3.mov" rgbtestsrc 36

# A private display exactly the size of the window.
Xvfb -displayfd 3 -screen 0 1280x760x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
read -r display <"$work/display"
export DISPLAY=":$display"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

start() {  # files...
  "$app" "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  xdotool search --sync --onlyvisible --class tessellane >/dev/null
  sleep 1
}
stop() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}
shot() {  # name
  import -window root "$out/$1.png"
  echo "wrote $out/$1.png"
}
click() {  # x y
  xdotool mousemove "$1" "$2" click 1
  sleep 0.4
}

start
shot window-empty
stop

merging() {  # true while the program has an ffmpeg child
  pgrep -P "$app_pid" ffmpeg >/dev/null
}

start "$work/take_1.mov" "$work/take_2.mov" "$work/take_3.mov"
# Thumbnails come from short ffmpeg runs in the background.
sleep 1
for _ in $(seq 1 40); do
  merging || break
  sleep 0.25
done
sleep 1
click 200 170  # select the second card
shot window-clips

click 215 733  # the merge button
sleep 0.8
shot window-merging
# The next merge's suffix, typed while this one runs: the running merge keeps its name and status.
click 645 610  # the suffix field
xdotool type --delay 50 "_v2"
sleep 0.5
shot window-next-merge
for _ in $(seq 1 240); do
  [ -s "$work/take.mov" ] && ! merging && break
  sleep 0.25
done
sleep 1
xdotool key ctrl+2  # the finished tab
sleep 0.3
click 200 90  # its entry, for the tool row to act on
shot window-queue

# The keyboard alone: back to the files, Tab round to the list, then a card and the one below it.
xdotool key ctrl+1
click 645 610  # the suffix field again, so that Tab starts from a known place
for key in Tab Tab Tab Tab Down Down shift+Up; do
  xdotool key "$key"
  sleep 0.1
done
sleep 0.3
shot window-keyboard

# A second merge under the new suffix, started with Ctrl+Return and stopped with Escape.
xdotool key ctrl+Return
sleep 0.8
xdotool key Escape
for _ in $(seq 1 20); do
  merging || break
  sleep 0.1
done
sleep 0.5
shot window-cancelled

# Once more, then Ctrl+Q during the merge: the window asks first; its default answer stops and quits.
xdotool key ctrl+Return
sleep 0.8
xdotool key ctrl+q
sleep 0.8
shot window-close-question
xdotool key Return
for _ in $(seq 1 30); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
stop

# Four cameras, the fourth a vertical phone clip at 30 fps with sound, opened with the merge settings on the
# command line: a fitted 2×2 grid with rates conformed and the phone's sound.
mkdir "$work/grid"
for n in 1 2 3; do cp "$work/take_$n.mov" "$work/grid/cam_$n.mov"; done
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=360x640:rate=30" -f lavfi -i "sine=r=48000" -t 30 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$work/grid/cam_4.mp4"
start --layout=grid --fit --conform-rate --audio=4 "$work"/grid/cam_*
sleep 1
for _ in $(seq 1 40); do
  merging || break
  sleep 0.25
done
sleep 1
shot window-grid
# Each merge row with its menu open: the settings column alone.
column_shot() {  # name x y: opens the menu whose face is at x y
  click "$2" "$3"
  sleep 0.3
  import -window root -crop 430x480+430+0 +repage "$out/$1.png"
  echo "wrote $out/$1.png"
  xdotool key Escape
  sleep 0.3
}
column_shot settings-layout 587 138
column_shot settings-columns 790 138
column_shot settings-size 645 201
column_shot settings-rate 645 264
column_shot settings-audio 645 327
stop

leftover=$(find "$work" -maxdepth 1 -name '.*' -type f | wc -l)
echo "output folder after the cancelled merges: $(ls "$work" | tr '\n' ' ')(hidden files: $leftover)"

# A start with a folder of takes (beside a note and a proxy folder), an empty folder, a file of another
# format, a missing clip and an empty one: what was not added is one line; the bad clips each have theirs.
mkdir -p "$work/refused/takes/proxy" "$work/refused/empty"
cp "$work/take_1.mov" "$work/refused/takes/cam_1.mov"
cp "$work/take_2.mov" "$work/refused/takes/cam_2.mov"
touch "$work/refused/takes/notes.txt" "$work/refused/clip.mkv" "$work/refused/blank.mov"
start "$work/refused/takes" "$work/refused/empty" "$work/refused/clip.mkv" "$work/refused/gone.mov" \
  "$work/refused/blank.mov"
for _ in $(seq 1 40); do
  merging || break
  sleep 0.25
done
sleep 1
shot window-refused
stop

# Found before Merge: a clip deleted after it was listed, and a suffix that makes the name too long.
mkdir "$work/checks"
cp "$work/take_1.mov" "$work/take_2.mov" "$work/take_3.mov" "$work/checks/"
start "$work/checks/take_1.mov" "$work/checks/take_2.mov" "$work/checks/take_3.mov"
sleep 1
for _ in $(seq 1 40); do
  merging || break
  sleep 0.25
done
rm "$work/checks/take_3.mov"
click 645 609  # the suffix field
xdotool type --delay 2 "_$(printf 'x%.0s' $(seq 1 250))"
sleep 1
shot window-disk-checks
stop
