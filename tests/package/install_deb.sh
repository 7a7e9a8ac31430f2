#!/usr/bin/env bash
# Installs the built Debian package into this machine, starts the game from its menu entry on a
# display of its own and finds its window, runs the installed solver, then removes the package
# and checks that nothing of it is left. That changes the machine's packages (it would take away
# a player's installed game), so it runs only when NUDGEBOARD_TEST_INSTALL=1 asks for it (CI does)
# and as root; otherwise exit 77 (skipped), saying why.
# Usage: install_deb.sh BUILD_DIR SCREEN_DRIVER
set -euo pipefail
build=$1
driver=$2
[ "${NUDGEBOARD_TEST_INSTALL:-}" = 1 ] || {
    echo "skipped: installs and removes the package on this machine; NUDGEBOARD_TEST_INSTALL=1 allows it" >&2
    exit 77
}
[ "$(id -u)" = 0 ] || { echo "skipped: installing a package needs root" >&2; exit 77; }
deb=$(realpath "$build"/packages/nudgeboard_*.deb)
trap 'apt-get remove --purge -y -qq nudgeboard >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
files=$(dpkg -L nudgeboard)

entry=/usr/share/applications/org.nudgeboard.Nudgeboard.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
/usr/bin/python3 "$driver" startup -- $command
solution=$(/usr/games/nudgeboard-solve --level 1)
grep -q "^SOLVED!! Moves: 20 (38)$" <<<"$solution" ||
    { echo "the installed solver printed: $solution" >&2; exit 1; }
man -w nudgeboard-solve >/dev/null

DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq nudgeboard >/dev/null
trap - EXIT
if dpkg -s nudgeboard >/dev/null 2>&1; then
    echo "still installed after removal" >&2
    exit 1
fi
left=0
while read -r path; do
    # Folders that other packages share stay; anything of the game's own must go.
    if [ -f "$path" ] || [ -L "$path" ] || { [ -d "$path" ] && [[ "$path" == *nudgeboard* ]]; }; then
        echo "left behind: $path" >&2
        left=1
    fi
done <<<"$files"
exit $left
