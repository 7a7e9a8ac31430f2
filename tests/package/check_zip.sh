#!/usr/bin/env bash
# Builds the Windows zip with CPack, checks what it holds, and runs the unpacked solver under
# Wine. Usage: check_zip.sh BUILD_DIR. Exit 77 (skipped) where Wine is missing.
set -euo pipefail
build=$(realpath "$1")
command -v wine >/dev/null || { echo "skipped: wine not installed" >&2; exit 77; }
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >/dev/null
zip=$(echo "$build"/packages/nudgeboard-*-windows-x86_64.zip)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && cmake -E tar xf "$zip")
held=$(cd "$tmp" && find . -type f | sort | tr '\n' ' ')
[ "$held" = "./README.txt ./nudgeboard-solve.exe ./nudgeboard.exe " ] ||
    { echo "the zip holds: $held" >&2; exit 1; }
solution=$(cd "$tmp" && WINEPREFIX="$build/wineprefix" WINEDEBUG=-all wine nudgeboard-solve.exe \
    --level 1 2>/dev/null | tr -d '\r')
grep -q "^SOLVED!! Moves: 20 (38)$" <<<"$solution" ||
    { echo "nudgeboard-solve.exe printed: $solution" >&2; exit 1; }
echo "checked $(basename "$zip")"
