#!/usr/bin/env bash
# Starts the page as the game's window: Debian's chromium as an app window on $DISPLAY, with a
# throwaway profile, at the display scale the on-screen driver asks for. Usage: web_game.sh PAGE
set -euo pipefail
page=$(realpath "$1")
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
    echo "web_game.sh: chromium is not installed" >&2
    exit 1
fi
profile=$(mktemp -d "${TMPDIR:-/tmp}/nudgeboard-chromium.XXXXXX")
scale=${NUDGEBOARD_SCREEN_SCALE:-1}
# The window: the page's menu bar and client area (290 x 234 at scale 1) and the browser's own
# frame, in screen pixels.
width=$(awk -v s="$scale" 'BEGIN { printf "%d", 290 * s }')
height=$(awk -v s="$scale" 'BEGIN { printf "%d", 234 * s }')
flags=(
    --app="file://$page"
    --user-data-dir="$profile"
    --no-first-run --no-default-browser-check
    --disable-background-networking --disable-component-update --disable-sync
    --disable-default-apps --disable-extensions --disable-translate
    --disable-gpu --disable-quic --disable-features=Translate,MediaRouter
    --force-color-profile=srgb --test-type
    --password-store=basic
    --window-position=0,0 --window-size="$width,$height"
)
[ "$(id -u)" = 0 ] && flags+=(--no-sandbox)
[ -n "${NUDGEBOARD_SCREEN_SCALE:-}" ] && flags+=(--force-device-scale-factor="$NUDGEBOARD_SCREEN_SCALE")
# The browser takes this process's place, so the driver stops it directly; a watcher removes the
# profile once it has gone.
( while kill -0 $$ 2>/dev/null; do sleep 1; done; rm -rf "$profile" ) </dev/null >/dev/null 2>&1 &
exec "$browser" "${flags[@]}"
