#!/usr/bin/env bash
# Installs, on Debian 12 as root, what one or more purposes need and the machine lacks:
#   bash scripts/deps.sh play test      (purposes: play test windows packaging web; none = all)
set -euo pipefail

# Each purpose's packages; the ones marked lean come without Debian's recommended extras.
declare -A packages lean
# Build and start the game: compiler, CMake and Ninja, Qt 6 Widgets (with the X11 keyboard
# library its CMake files look for) and Qt's Wayland platform plugin, to play natively on a
# Wayland desktop.
packages[play]="cmake ninja-build g++ qt6-base-dev libxcb-xkb-dev qt6-wayland"
lean[play]=1
# The test suite: CLI11 for the solver's options; GoogleTest and Google Benchmark; the game on a
# display of its own, driven and judged from outside, also under a window manager (openbox);
# clang and its libFuzzer for the event fuzzer; clang-format and clang-tidy for the format and
# complexity checks; /usr/bin/time for scripts/bench.sh's peak memory; a font the screen tests
# can read; the game under a headless Wayland compositor (sway), typed to by wtype, pictured by
# grim, clicked by a virtual pointer built against libwayland-dev.
packages[test]="libcli11-dev libgtest-dev libbenchmark-dev fonts-dejavu-core xvfb xauth xdotool python3
    python3-xlib openbox clang libclang-rt-14-dev clang-format clang-tidy time
    sway wtype grim libwayland-dev"
# The boards read through the accessibility bus, as a screen reader reads them, and heard
# through Orca with a speech server that writes text.
packages[test]+=" dbus at-spi2-core python3-pyatspi orca speech-dispatcher espeak-ng x11-xkb-utils"
# The Windows build: cross compiler, GoogleTest sources, and Wine to run the results.
packages[windows]="g++-mingw-w64-x86-64-posix googletest wine"
# The packages, and checking them as a distribution would.
packages[packaging]="dpkg-dev lintian desktop-file-utils appstream man-db"
# The browser build: the compiler, a JavaScript parser for its checks, a browser to run it.
packages[web]="emscripten node-acorn chromium"
order=(play test windows packaging web)

purposes=("$@")
[ ${#purposes[@]} -gt 0 ] || purposes=("${order[@]}")
updated=
for purpose in "${purposes[@]}"; do
    if [ -z "${packages[$purpose]+set}" ]; then
        echo "deps.sh: no such purpose: $purpose (purposes: ${order[*]})" >&2
        exit 2
    fi
    missing=()
    for p in ${packages[$purpose]}; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || continue
    echo "Installing for $purpose: ${missing[*]}"
    if [ -z "$updated" ]; then
        apt-get update -qq
        updated=1
    fi
    flags=(-y -qq)
    [ -z "${lean[$purpose]+set}" ] || flags+=(--no-install-recommends)
    DEBIAN_FRONTEND=noninteractive apt-get install "${flags[@]}" "${missing[@]}" >/dev/null
done
