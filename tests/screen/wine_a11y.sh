#!/bin/bash
# Runs the Windows game under Wine on an Xvfb of its own, and beside it, in the same Wine
# prefix, a program that reads the game through its accessible objects as a screen reader would.
#
# Usage: wine_a11y.sh BUILD-DIR GAME.exe READER.exe
# The reader's status is the script's; 77 (skipped) where Xvfb or Wine is missing.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: wine_a11y.sh BUILD-DIR GAME.exe READER.exe" >&2
    exit 2
fi
for tool in Xvfb wine wineserver; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool not installed" >&2; exit 77; }
done
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

server= game=
finish() {
    [ -z "$game" ] || kill "$game" 2>/dev/null || true
    [ -z "$game" ] || wait "$game" 2>/dev/null || true
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
}
trap finish EXIT

# -displayfd makes the server pick a free display and write its number once it is ready.
said=$(mktemp)
Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp -ac 9>"$said" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do
    [ -s "$said" ] && break
    sleep 0.1
done
display=$(head -n 1 "$said")
rm -f "$said"
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display

NUDGEBOARD_SCREEN_SCALE=1 bash "$here/wine_game.sh" "$build" "$2" >/dev/null 2>&1 &
game=$!

# The reader joins the game's prefix once wine_game.sh has made it.
export WINEPREFIX=$build/wineprefix-dpi96 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
for _ in $(seq 600); do
    [ -e "$WINEPREFIX/.nudgeboard-dpi" ] && break
    sleep 0.1
done
timeout 120 wine "$3"
