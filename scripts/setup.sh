#!/bin/sh
# Installs the Debian packages listed in debian-packages.txt (needs root or sudo).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=$(grep -v '^#' "$here/debian-packages.txt" | tr '\n' ' ')
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $packages
