#!/bin/bash
# Sets up a fresh Debian 12 machine, builds, starts a simulated bus of four load cells on a
# pseudo-terminal linked as COM5, prepares a program folder whose settings point at that port
# with the four cells registered, and starts the operator program there.
#   scripts/demo.sh            (Ctrl+C or closing the program ends the demo)
#   scripts/demo.sh -ORB       the eight-cell program with the custom-read tab
#   scripts/demo.sh -VELM      the program with the test tab, and textpeer on COM6 asking for
#                              the value every second as a data logger would
# DEMO_HOME names the program folder (default: ~/torvik-demo); it is kept between runs.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build"
home=${DEMO_HOME:-"$HOME/torvik-demo"}
ports=${TAVRIN_PORTS:-"${XDG_CONFIG_HOME:-$HOME/.config}/tavrin/ports"}
export TAVRIN_PORTS="$ports"

# DEMO_PREPARE_ONLY=1: only the program folder (for scripts that start the rest themselves).
if [ -z "${DEMO_PREPARE_ONLY:-}" ]; then
  "$here/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" --target Torvik dlcsim textpeer tavrin
fi

mkdir -p "$home/Data"
cp "$build/bin/TorvikLabel.ini" "$build/bin/Torvik.html" "$home/"
if [ ! -f "$home/TorvikSetting.ini" ]; then
  # dlcsim's cells carry serial numbers 1 to 4 and answer at 38400 baud, 8E1.
  cat > "$home/TorvikSetting.ini" <<INI
[SERIALNO]
1=1
2=2
3=3
4=4
5=0
6=0
7=0
8=0
[SLAVEADDRESS]
1=1
2=2
3=3
4=4
5=5
6=6
7=7
8=8
[SETTINGS]
BPS300=False
Baudrate=38400
Databit=8
Stopbit=1
Parity=E
Comport=5
ErrCond1=True
CommData=200
CommDataUnit=M
CommSync=50
FileName=DLC_
SerialLen=4
StartNo=1
DirName=$home/Data/
DataFormat1=True
DataFormat2=True
DP=2
DataKind=R
DataUnit=True
WaitTime=50
TimeOut=500
[TAB1]
1=True
2=True
3=True
4=True
[TAB3]
1=1
2=2
3=3
4=4
5=True
6=True
7=True
8=True
9=3
10=2
11=3
12=2
13=10
14=60
15=30
16=8
17=2
18=2
19=4
20=10
21=H
22=F
23=F
24=A
[TAB4]
COM=6
SendDataInt=1
INI
fi
if ! grep -q '^\[COMMAND\]' "$home/TorvikSetting.ini"; then
  # The test tab's command table (the program reads it and never writes it): the built-in one.
  cat >> "$home/TorvikSetting.ini" <<'INI'
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
fi

if [ -n "${DEMO_PREPARE_ONLY:-}" ]; then
  exit 0
fi

# Free registers with contents worth reading on the custom tab: two words, a float (pi, high
# word first) and an eight-byte real (pi again).
coproc SIM { exec "$build/bin/dlcsim" --cells 4 --link COM5 --preset 40010=0A05,1234 \
  --preset 30060=4049,0FDB --preset 40030=6888,A221,0FDA,8249 2>&1; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT INT TERM
# The simulator prints one line once it answers.
if ! read -r -t 10 ready <&"${SIM[0]}" || [[ "$ready" != "dlcsim: COM5 -> "* ]]; then
  echo "dlcsim did not start: ${ready:-no answer}" >&2
  exit 1
fi
echo "$ready"

peer=
if [[ " $* " == *" -VELM "* ]]; then
  # Its lines (each command, the answer and its delay) show in this terminal.
  "$build/bin/textpeer" --create --repeat 0 --interval 1000 COM6 'MSV?33,1,0' &
  peer=$!
  trap 'kill "$SIM_PID" $peer 2>/dev/null || true' EXIT INT TERM
fi

export TORVIK_HOME="$home"
echo "Torvik: program folder $home. Press 通信へ, then Start (開始) on the measurement tab."
if [ -n "$peer" ]; then
  echo "On the test tab (試験), Start (開始) answers textpeer on COM6 with cell 1's value."
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$build/bin/Torvik" "$@"
else
  echo "No display: running Torvik under Xvfb (xvfb-run); attach a VNC or take screenshots to see it."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/Torvik" "$@"
fi
