#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite (the C++ formatting check
# among it) through CTest in each build: the default one, the address and undefined-behaviour
# sanitizer one, the Windows one (cross-built, run under Wine) and the browser page (core tests
# under Node.js, the page in Chromium). Name presets to run only those: scripts/test.sh default
#
# The builds take both cores, one after another. The suites then run side by side: most of their
# time is a game on a display of its own waiting for the screen, and each on-screen case has its
# own display, so they do not see one another.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default sanitize windows web)
# Every build needs the game's and the tests' packages; the rest only where a build uses them.
purposes=(play test packaging)
for preset in "${presets[@]}"; do
    case $preset in
    windows) purposes+=(windows) ;;
    web) purposes+=(web) ;;
    esac
done
bash scripts/deps.sh "${purposes[@]}"
for preset in "${presets[@]}"; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
declare -A runs
for preset in "${presets[@]}"; do
    ctest --preset "$preset" >"$logs/$preset" 2>&1 &
    runs[$preset]=$!
done
failed=()
for preset in "${presets[@]}"; do
    status=0
    wait "${runs[$preset]}" || status=$?
    echo "== test $preset"
    cat "$logs/$preset"
    [ "$status" = 0 ] || failed+=("$preset")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]}" >&2
    exit 1
fi
