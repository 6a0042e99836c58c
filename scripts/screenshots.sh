#!/bin/bash
# Takes the pictures in docs/screens from the real program, driven as an operator would drive
# it: a first start in an empty program folder (a refused leave, initialise everything, two
# serial numbers typed), the settings screen, the version box, the main screen's tabs, help,
# and a close that must write the settings file. The -ORB and -VELM starts give the custom and
# test tabs, and a test run against dlcsim and textpeer the running test tab. Needs a built
# program, dlcsim and textpeer, Xvfb, xdotool and ImageMagick.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, docs/screens)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "${1:-$root/build}" && pwd)
out=$(mkdir -p "${2:-$root/docs/screens}" && cd "${2:-$root/docs/screens}" && pwd)

if [ -z "${SCREENSHOTS_DISPLAY:-}" ]; then
  SCREENSHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$out"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" # no registered control: the one beside the program
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Without a window manager the program's windows stand at the screen's top-left corner; the
# menu titles and buttons below are found there.
MENU_SETTINGS=22 MENU_INITIALISE=70 MENU_COMM=110 MENU_HELP=155

settle() { sleep 0.5; } # the window system draws after the event that changed the screen
window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
# The picture of a window (and of whatever stands on it, a message box or the version box).
shot() {
  settle
  eval "$(xdotool getwindowgeometry --shell "$2")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
  echo "$out/$1.png"
}
menu() { # menu title x, number of the item (1 = first)
  xdotool mousemove "$1" 9 click 1
  settle
  for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
  settle
}
click() { xdotool mousemove "$1" "$2" click 1; settle; }
# Asks a window to close, as a window manager's close button does.
close_window() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                         ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
display = x.XOpenDisplay(None)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
x.XFlush(display)
PY
}
wait_for_end() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  echo "the program did not end after its window was closed" >&2
  return 1
}
start() { # program folder, arguments
  export TORVIK_HOME="$1"
  shift
  mkdir -p "$TORVIK_HOME"
  cp "$build/bin/TorvikLabel.ini" "$build/bin/Torvik.html" "$TORVIK_HOME/"
  "$build/bin/Torvik" "$@" >"$TORVIK_HOME.log" 2>&1 &
  pid=$!
  registration=$(window "シリアル番号設定")
  settle
}
finish() { # window to close
  close_window "$1"
  wait_for_end "$pid"
  if [ ! -s "$TORVIK_HOME/TorvikSetting.ini" ]; then
    echo "closing did not write $TORVIK_HOME/TorvikSetting.ini" >&2
    exit 1
  fi
}

# A first start: no settings file yet, so every row holds no load cell ("0"). A serial number
# that is emptied is refused.
start "$work/first"
click 240 66
xdotool key ctrl+a BackSpace
click 500 210 # to the main screen
shot frmMain-refused "$registration"
xdotool key Return
menu $MENU_INITIALISE 2 # initialise everything
click 240 66
xdotool key ctrl+a type 1001
xdotool key Tab Tab
xdotool type 1002
xdotool key Tab
shot frmMain "$registration"
menu $MENU_SETTINGS 2 # communication settings
setting=$(window "^通信設定$")
shot frmSetting "$setting"
xdotool mousemove $MENU_HELP 9 click 1
settle
xdotool key Down Down Return &  # the version box is modal: the shot is taken while it shows
sleep 1
shot frmVersion "$setting"
click 200 150 # a click closes it
click 730 431 # to the main screen
comm=$(window "^通信$")
shot frmComm-tab0 "$comm"
click 72 32
shot frmComm-tab1 "$comm"
menu $MENU_HELP 1
help=$(window "ヘルプ")
shot help "$help"
close_window "$help"
finish "$comm"

# Eight load cells and the custom tab; then the test tab of the other variant.
settings() {
  mkdir -p "$1"
  {
    echo "[SERIALNO]"
    for n in 1 2 3 4 5 6 7 8; do echo "$n=100$n"; done
    echo "[SLAVEADDRESS]"
    for n in 1 2 3 4 5 6 7 8; do echo "$n=$n"; done
    echo "[SETTINGS]"
    echo "BPS300=False"; echo "Baudrate=38400"; echo "Databit=8"; echo "Stopbit=1"
    echo "Parity=E"; echo "Comport=5"
  } >"$1/TorvikSetting.ini"
}
settings "$work/orb"
start "$work/orb" -ORB
shot frmMain-ORB "$registration"
click $MENU_COMM 9 # to the main screen
comm=$(window "^通信$")
click 125 32
shot frmComm-tab2 "$comm"
finish "$comm"

settings "$work/velm"
start "$work/velm" -VELM
click $MENU_COMM 9
comm=$(window "^通信$")
click 125 32
shot frmComm-tab3 "$comm"
finish "$comm"

# Both reading tabs after a run against dlcsim on COM5: the information items of cell 1 in the
# standard program, and custom rows in four formats in the -ORB program.
bus() { # dlcsim arguments; the link goes where the program looks for COM5
  "$build/bin/dlcsim" --link COM5 "$@" >"$work/dlcsim.log" 2>&1 &
  sim=$!
  for _ in $(seq 100); do grep -q "^dlcsim: COM5 -> " "$work/dlcsim.log" && return 0; sleep 0.1; done
  echo "dlcsim did not start: $(cat "$work/dlcsim.log")" >&2
  return 1
}
bus_end() { kill "$sim"; wait "$sim" || true; }
run_tab() { # Start x y, Stop x y: a run of a few seconds, then Stop and its one-second lock
  click "$1" "$2"
  sleep 4
  click "$3" "$4"
  sleep 1.5
}
reading_settings() { # folder: quicker polls, and custom rows on four cells in four formats
  settings "$1"
  {
    echo "CommData=100"; echo "CommDataUnit=M"; echo "TimeOut=300"; echo "WaitTime=20"
    echo "[TAB3]"
    echo "1=1"; echo "2=2"; echo "3=3"; echo "4=4"
    for k in 5 6 7 8; do echo "$k=True"; done
    echo "9=3"; echo "10=2"; echo "11=3"; echo "12=2"
    echo "13=10"; echo "14=60"; echo "15=30"; echo "16=8"
    echo "17=2"; echo "18=2"; echo "19=4"; echo "20=10"
    echo "21=H"; echo "22=F"; echo "23=F"; echo "24=A"
  } >>"$1/TorvikSetting.ini"
}

reading_settings "$work/info"
bus --cells 8 --serials 1001,1002,1003,1004,1005,1006,1007,1008 --temperature -2.5 \
  --maker 'ACME "Scales", Ltd.'
start "$work/info"
click $MENU_COMM 9
comm=$(window "^通信$")
click 72 32
run_tab 665 325 760 325
shot information-read "$comm"
finish "$comm"
bus_end

reading_settings "$work/custom"
bus --cells 8 --serials 1001,1002,1003,1004,1005,1006,1007,1008 \
  --preset 40010=0A05,1234 --preset 30060=4049,0FDB --preset 40030=6888,A221,0FDA,8249
start "$work/custom" -ORB
click $MENU_COMM 9
comm=$(window "^通信$")
click 125 32
run_tab 410 317 505 317
shot custom-read "$comm"
finish "$comm"
bus_end

# The test tab during a run: dlcsim's four cells on COM5, textpeer asking for the value on COM6
# as a data logger would, the -VELM program polling cell 1 and answering.
export TAVRIN_PORTS="$work/ports"
"$build/bin/dlcsim" --cells 4 --serials 1001,1002,1003,1004 --link COM5 >"$work/dlcsim.log" 2>&1 &
sim=$!
"$build/bin/textpeer" --create --repeat 0 --interval 400 COM6 'MSV?33,1,0' >"$work/textpeer.log" 2>&1 &
peer=$!
trap 'kill "$peer" "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$TAVRIN_PORTS/COM5" ] && [ -e "$TAVRIN_PORTS/COM6" ] && break; sleep 0.1; done
settings "$work/testlink"
cat >>"$work/testlink/TorvikSetting.ini" <<'INI'
CommData=200
CommDataUnit=M
[TAB4]
COM=6
1=100
SendDataInt=1
[CTRL]
7=True
8=True
[COMMAND]
1=MSV?33,1,0
2=SRB1
3=CHS1
4=CHM1
5=ASS2
6=TAR0
7=12
8=01
[RESPONSE]
1=%,1,0
INI
start "$work/testlink" -VELM
click $MENU_COMM 9
comm=$(window "^通信$")
click 125 32 # the test tab
click 571 248 # Start
sleep 3
shot testlink-running "$comm"
click 665 248 # Stop
sleep 1.5
finish "$comm"
grep -q ' -> "+' "$work/textpeer.log" || { echo "textpeer got no answer" >&2; cat "$work/textpeer.log" >&2; exit 1; }
