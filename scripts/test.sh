#!/bin/sh
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
#   scripts/test.sh [build-dir] [extra cmake arguments...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-"$root/build"}
[ $# -gt 0 ] && shift
"$here/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
