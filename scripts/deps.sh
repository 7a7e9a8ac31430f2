#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the game (run as root).
set -euo pipefail
packages=(
    cmake g++ make qt6-base-dev libgtest-dev libbenchmark-dev libcli11-dev fonts-dejavu-core
    # X11's keyboard extension: a held key sent as presses and one release
    libxcb-xkb-dev
    # the game on a display of its own, driven and judged from outside
    xvfb xauth xdotool python3 python3-xlib openbox
    # the Windows build: cross compiler, GoogleTest sources, and Wine to run the results
    g++-mingw-w64-x86-64-posix googletest wine
    # packaging, and checking the packages as a distribution would
    dpkg-dev lintian desktop-file-utils appstream man-db
    # scripts/bench.sh measures the solver's peak memory with /usr/bin/time
    time
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
