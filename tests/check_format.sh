#!/usr/bin/env bash
# Fails on any C++ file of ours that clang-format, with the project's .clang-format, would change.
# Usage: check_format.sh SOURCE_DIR. Exit 77 (skipped) where clang-format is missing.
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "skipped: clang-format not installed" >&2; exit 77; }
mapfile -t files < <(find app levels play solver tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
unformatted=()
for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "not formatted (clang-format -i FILE mends it): ${unformatted[*]}" >&2
    exit 1
fi
echo "${#files[@]} C++ files formatted"
