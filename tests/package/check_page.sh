#!/usr/bin/env bash
# Checks the page as it is handed out: one file within 256 KiB that needs nothing from outside
# and may fetch nothing. Usage: check_page.sh PAGE
set -euo pipefail
page=$1
size=$(stat -c %s "$page")
limit=$((256 * 1024))
[ "$size" -le "$limit" ] || { echo "the page is $size bytes, more than $limit" >&2; exit 1; }
# Everything inline: no script, style sheet, image or frame from anywhere else.
if grep -Eio '<(script|link|img|iframe|object|embed)[^>]*(src|href|data)=' "$page"; then
    echo "the page loads the above from outside" >&2
    exit 1
fi
# The browser itself forbids every request and every other source of script.
grep -q "Content-Security-Policy\" content=\"default-src 'none';" "$page" ||
    { echo "the page lacks its policy against fetching anything" >&2; exit 1; }
# The WebAssembly is inside, not beside it.
grep -q 'data:application/octet-stream;base64,' "$page" ||
    { echo "the page does not hold its WebAssembly" >&2; exit 1; }
if grep -Eo 'localStorage|sessionStorage|indexedDB|document\.cookie' "$page"; then
    echo "the page would store the above" >&2
    exit 1
fi
echo "checked $(basename "$page"): $size bytes"
