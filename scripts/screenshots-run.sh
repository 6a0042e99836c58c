#!/bin/bash
# Takes the pictures of a running measurement and of the windows beside it (the trend and the
# traffic monitor) in docs/screens, from the real program on the demo's simulated bus: four
# load cells on a pseudo-terminal linked as COM5, the demo's settings, Start pressed on the
# measurement tab, then both windows opened from the communication menu. Needs a built
# program, Xvfb, xdotool and ImageMagick.
#   scripts/screenshots-run.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, docs/screens)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "${1:-$root/build}" && pwd)
out=$(mkdir -p "${2:-$root/docs/screens}" && cd "${2:-$root/docs/screens}" && pwd)

if [ -z "${SCREENSHOTS_DISPLAY:-}" ]; then
  SCREENSHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$out"
fi

work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export TAVRIN_PORTS="$work/ports" DEMO_HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TAVRIN_PORTS"
chmod 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The demo's program folder and bus, without its build and install steps.
DEMO_PREPARE_ONLY=1 "$here/demo.sh"
cp "$build/bin/TorvikLabel.ini" "$build/bin/Torvik.html" "$DEMO_HOME/"
"$build/bin/dlcsim" --cells 4 --link COM5 >"$work/dlcsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$TAVRIN_PORTS/COM5" ] && break; sleep 0.1; done

# Without a window manager the windows stand at the screen's top-left corner.
MENU_COMM=110
settle() { sleep 0.5; }
window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
# Opens item $2 of the menu at x $1 until a window named $3 shows (a busy run may miss a click).
open_window() {
  for _ in 1 2 3 4 5; do
    menu "$1" "$2"
    for _ in $(seq 20); do
      found=$(xdotool search --onlyvisible --name "$3" 2>/dev/null | head -1 || true)
      [ -n "$found" ] && { echo "$found"; return 0; }
      sleep 0.25
    done
    xdotool key Escape
  done
  echo "no window $3" >&2
  return 1
}
shot() {
  settle
  eval "$(xdotool getwindowgeometry --shell "$2")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
  echo "$out/$1.png"
}
click() { xdotool mousemove "$1" "$2" click 1; settle; }
menu() { # menu title x, number of the item (1 = first)
  xdotool mousemove "$1" 9 click 1
  settle
  for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
  settle
}

export TORVIK_HOME="$DEMO_HOME"
"$build/bin/Torvik" >"$work/torvik.log" 2>&1 &
pids+=($!)
registration=$(window "シリアル番号設定")
settle
click 500 210 # 通信へ
comm=$(window "^通信$")
click 665 268 # 開始 (Start) on the measurement tab
sleep 8       # a few rounds on the line
shot measurement-running "$comm"
trend=$(open_window $MENU_COMM 1 "^トレンド$")
xdotool windowmove "$trend" 0 0
sleep 10
shot trend-running "$trend"
xdotool windowmove "$trend" 0 500 # off the main screen's menu bar
settle
monitor=$(open_window $MENU_COMM 2 "^通信モニタ$")
xdotool windowmove "$monitor" 0 0
sleep 2
shot monitor-running "$monitor"
