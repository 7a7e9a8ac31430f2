#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite (the C++ formatting check
# among it) through CTest in each build: the browser page (core tests under Node.js, the page in
# Chromium), the default one, the Windows one (cross-built, run under Wine) and the address and
# undefined-behaviour sanitizer one. Name presets to run only those: scripts/test.sh default
#
# Every build is configured at the start; then the builds go one after another, each on both
# cores but at a lower priority, and each build's suite starts as soon as its build is done and
# runs beside the builds that follow. Each on-screen case has its own display, so the suites do
# not see one another.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(web default windows sanitize)
# Every build needs the game's and the tests' packages; the rest only where a build uses them.
purposes=(play test packaging)
for preset in "${presets[@]}"; do
    case $preset in
    windows) purposes+=(windows) ;;
    web) purposes+=(web) ;;
    esac
done
bash scripts/deps.sh "${purposes[@]}"
logs=$(mktemp -d)
declare -A runs
# A build that fails stops the suites already running.
trap 'for run in "${runs[@]}"; do pkill -P "$run" || true; done; rm -rf "$logs"' EXIT
# Configuring is mostly one core's work: every build is configured at once at the start.
declare -A configured
for preset in "${presets[@]}"; do
    cmake --preset "$preset" >"$logs/configure-$preset" 2>&1 &
    configured[$preset]=$!
done
for preset in "${presets[@]}"; do
    echo "== build $preset (at ${SECONDS} s)"
    wait "${configured[$preset]}" || { cat "$logs/configure-$preset" >&2; exit 1; }
    nice -n 10 cmake --build --preset "$preset"
    (
        status=0
        ctest --preset "$preset" >"$logs/$preset" 2>&1 || status=$?
        echo "(suite $preset ended at $SECONDS s)" >>"$logs/$preset"
        exit $status
    ) &
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
