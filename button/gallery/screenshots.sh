#!/bin/bash
# Takes the gallery's pictures in docs/screens from the real program under Xvfb: the whole
# gallery, the live row with Ctrl held (the captions change), with the virtual key F5 held
# (the button goes down), and the pop-up menu. Needs a built gallery, Xvfb, xdotool and
# ImageMagick.
#   button/gallery/screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, docs/screens)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=$(mkdir -p "${2:-$root/docs/screens}" && cd "${2:-$root/docs/screens}" && pwd)

if [ -z "${SCREENSHOTS_DISPLAY:-}" ]; then
  SCREENSHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build" "$out"
fi

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# -noreset: the display stays up between the gallery and Designer, when no client is left.
settle() { sleep 0.5; } # the window system draws after the event that changed the screen
"$build/bin/plinth-gallery" --print-places >"$work/geometry" &
gallery=$!
trap 'kill $gallery 2>/dev/null; rm -rf "$work"' EXIT

window=$(xdotool search --sync --onlyvisible --name "Plinth gallery" | head -1)
xdotool windowfocus --sync "$window" || true
for _ in $(seq 50); do [ -s "$work/geometry" ] && break; sleep 0.1; done
settle

# x y width height of a live button, by its name.
place() { awk -v n="$1" '$1 == n { print $2, $3, $4, $5 }' "$work/geometry"; }
shot_window() {
  settle
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
  echo "$out/$1.png"
}
# The live row, from its first button to its last and down to the event line below it, with
# a margin; taller when something (a menu) reaches further down.
shot_row() {
  settle
  read -r x1 y1 _ h <<<"$(place captionModes)"
  read -r x2 _ w2 _ <<<"$(place drop)"
  local bottom=$((y1 + h + 34))
  [ "${2:-0}" -gt "$bottom" ] && bottom=$2
  import -window root -crop "$((x2 + w2 - x1 + 24))x$((bottom - y1 + 12))+$((x1 - 12))+$((y1 - 12))" \
    +repage "$out/$1.png"
  echo "$out/$1.png"
}
# The lowest edge of the gallery's other windows (an open menu).
popup_bottom() {
  local lowest=0
  for w in $(xdotool search --onlyvisible --pid "$gallery"); do
    [ "$w" = "$window" ] && continue
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ $((Y + HEIGHT)) -gt "$lowest" ] && lowest=$((Y + HEIGHT))
  done
  echo "$lowest"
}

shot_window plinth-gallery

xdotool keydown ctrl
shot_row plinth-caption-ctrl
xdotool keyup ctrl

xdotool keydown F5
shot_row plinth-virtual-key
xdotool keyup F5

read -r mx my mw mh <<<"$(place menu)"
xdotool mousemove $((mx + mw / 2)) $((my + mh / 2)) click 3
settle
shot_row plinth-menu "$(popup_bottom)"
xdotool key Escape
kill $gallery 2>/dev/null || true

# Qt Designer with the plugin from the build: a form with two buttons, the first selected
# and the property editor showing its caption properties. Window positions are those of
# Designer's default layout on an empty display.
designer=$(command -v designer || true)
[ -x /usr/lib/qt6/bin/designer ] && designer=/usr/lib/qt6/bin/designer
if [ -n "$designer" ]; then
  export QT_PLUGIN_PATH="$build/lib" XDG_CONFIG_HOME="$work/config"
  "$designer" "$root/button/tests/UicForm.ui" >"$work/designer.log" 2>&1 &
  gallery=$!
  window=$(xdotool search --sync --onlyvisible --name "Designer" | head -1)
  settle
  xdotool windowsize "$window" 1200 900
  settle
  xdotool mousemove 330 120 click 1 # the first button on the form
  settle
  xdotool mousemove 893 356 click 1 type "Caption" # the property editor's filter
  shot_window plinth-designer
fi
