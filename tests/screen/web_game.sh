#!/usr/bin/env bash
# Starts the page as the game's window: Debian's chromium as an app window on $DISPLAY, with a
# throwaway profile, at the display scale the on-screen driver asks for; any further arguments
# are chromium's own (a DevTools pipe, say). Usage: web_game.sh PAGE [CHROMIUM-FLAG...]
set -euo pipefail
page=$(realpath "$1")
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
    echo "web_game.sh: chromium is not installed" >&2
    exit 1
fi
profile=$(mktemp -d "${TMPDIR:-/tmp}/nudgeboard-chromium.XXXXXX")
# The window just holds the page: its 20-pixel menu bar over the 290 x 214 client area. chromium
# counts the size in page pixels, which the scale factor turns into screen pixels.
flags=(
    --app="file://$page"
    --user-data-dir="$profile"
    --no-first-run --no-default-browser-check
    --disable-background-networking --disable-component-update --disable-sync
    --disable-default-apps --disable-extensions --disable-translate
    --disable-gpu --disable-quic --disable-features=Translate,MediaRouter
    --force-color-profile=srgb --test-type
    --password-store=basic
    --window-position=0,0 --window-size=290,234
)
[ "$(id -u)" = 0 ] && flags+=(--no-sandbox)
[ -n "${NUDGEBOARD_SCREEN_SCALE:-}" ] && flags+=(--force-device-scale-factor="$NUDGEBOARD_SCREEN_SCALE")
# The browser takes this process's place, so the driver stops it directly; a watcher removes the
# profile once it has gone.
( while kill -0 $$ 2>/dev/null; do sleep 1; done; rm -rf "$profile" ) </dev/null >/dev/null 2>&1 &
exec "$browser" "${flags[@]}" "${@:2}"
