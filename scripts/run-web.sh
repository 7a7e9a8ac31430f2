#!/usr/bin/env bash
# Builds the game's page, build/web/nudgeboard.html (installing the compiler if it is missing),
# and opens it in the machine's browser; where there is no display, says where the page is.
set -euo pipefail
cd "$(dirname "$0")/.."
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
install_packages() {
    if [ "$(id -u)" != 0 ]; then
        echo "run-web.sh: needs the Debian packages $*; install them as root" >&2
        exit 1
    fi
    echo "Installing: $*"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}
missing=()
for p in cmake ninja-build emscripten node-acorn; do have "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] || install_packages "${missing[@]}"
mkdir -p build
# As scripts/run.sh: the build speaks only when it fails.
if ! { cmake --preset web && cmake --build --preset web --target nudgeboard; } \
    >build/run-web-build.log 2>&1; then
    cat build/run-web-build.log
    exit 1
fi
page=$PWD/build/web/nudgeboard.html
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The game is one page; open it in any browser: $page"
    exit 0
fi
if command -v xdg-open >/dev/null && xdg-open "$page" >/dev/null 2>&1; then
    echo "Opened $page"
    exit 0
fi
command -v chromium >/dev/null || install_packages chromium
flags=()
[ "$(id -u)" = 0 ] && flags+=(--no-sandbox) # chromium's sandbox refuses to run as root
exec chromium "${flags[@]}" "file://$page"
