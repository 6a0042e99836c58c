#!/bin/bash
# Sets up a fresh Debian 12 machine, builds, starts a simulated bus of four load cells on a
# pseudo-terminal linked as COM5, prepares a program folder whose settings point at that port
# with the four cells registered, and starts the operator program there.
#   scripts/demo.sh            (Ctrl+C or closing the program ends the demo)
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
  cmake --build "$build" --target Torvik dlcsim tavrin
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
[SLAVEADDRESS]
1=1
2=2
3=3
4=4
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
INI
fi

if [ -n "${DEMO_PREPARE_ONLY:-}" ]; then
  exit 0
fi

coproc SIM { exec "$build/bin/dlcsim" --cells 4 --link COM5 2>&1; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT INT TERM
# The simulator prints one line once it answers.
if ! read -r -t 10 ready <&"${SIM[0]}" || [[ "$ready" != "dlcsim: COM5 -> "* ]]; then
  echo "dlcsim did not start: ${ready:-no answer}" >&2
  exit 1
fi
echo "$ready"

export TORVIK_HOME="$home"
echo "Torvik: program folder $home. Press 通信へ, then Start (開始) on the measurement tab."
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$build/bin/Torvik"
else
  echo "No display: running Torvik under Xvfb (xvfb-run); attach a VNC or take screenshots to see it."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/Torvik"
fi
