#!/bin/bash
# Runs a Windows program of the build under Wine at the display scale NUDGEBOARD_SCREEN_SCALE.
#
# Usage: wine_game.sh BUILD-DIR PROGRAM.exe [ARGS...]
# NUDGEBOARD_SCREEN_SCALE is 1 (the default), 1.25, 1.5 or 2; Windows calls a scale dots per
# inch, 96 times it. Each scale has a Wine prefix of its own in BUILD-DIR, made on first use
# with that setting and kept for the next run. The program replaces this script, so its status
# is the script's and a signal to the script reaches it. NUDGEBOARD_SCREEN_ROLE (a word) gives
# a program a prefix of its own beside another one running at the same time: Wine lets only
# one window of a prefix have the keyboard, whatever display each is on.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: wine_game.sh BUILD-DIR PROGRAM.exe [ARGS...]" >&2
    exit 2
fi
mkdir -p "$1"
build=$(cd "$1" && pwd) # Wine takes only an absolute prefix
shift

scale=${NUDGEBOARD_SCREEN_SCALE:-1}
if ! [[ $scale =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
    echo "wine_game.sh: NUDGEBOARD_SCREEN_SCALE '$scale' is not a number" >&2
    exit 2
fi
dpi=$(awk -v s="$scale" 'BEGIN { printf "%d", 96 * s + 0.5 }')
if [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
    echo "wine_game.sh: scale $scale is outside 1..5" >&2
    exit 2
fi

role=${NUDGEBOARD_SCREEN_ROLE:-}
if ! [[ $role =~ ^[a-z0-9]*$ ]]; then
    echo "wine_game.sh: NUDGEBOARD_SCREEN_ROLE '$role' is not a lower-case word" >&2
    exit 2
fi
export WINEPREFIX=$build/wineprefix-dpi$dpi${role:+-$role}
# Wine's own errors only, which reach a failed start's message.
export WINEDEBUG=-all,err+all
# Wine would offer to download Mono and Gecko while it makes the prefix; the game needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Made once, under a lock, so that two runs never make the same prefix at once; a prefix whose
# making failed half-way has no mark file and is made again.
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -e "$WINEPREFIX/.nudgeboard-dpi" ]; then
    rm -rf "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    # The user's setting, and the machine's that Wine falls back on.
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    done
    # The registry reaches its files when the server ends.
    wineserver --wait
    echo "$dpi" >"$WINEPREFIX/.nudgeboard-dpi"
fi
# The game before this one may still be winding down: its prefix's services end a second or
# so after it. A game started meanwhile would join that ending session, whose desktop is on a
# display that is gone, so it waits; bounded, in case something else keeps the prefix busy.
timeout 20 wineserver --wait ||
    echo "wine_game.sh: the prefix's last session had not ended after 20 s" >&2
flock --unlock 9
exec 9>&-

exec wine "$@"
