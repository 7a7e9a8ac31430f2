#!/usr/bin/env bash
# Fails on any C++ file of ours that clang-format, with the project's .clang-format, would change.
# Usage: check_format.sh SOURCE_DIR. Exit 77 (skipped) where clang-format is missing.
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "skipped: clang-format not installed" >&2; exit 77; }
mapfile -t files < <(find app levels play solver tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
# One run for all files; each place it would change is a line "FILE:LINE:COLUMN: error: ...".
if ! report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    unformatted=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
    echo "not formatted (clang-format -i FILE mends it): ${unformatted:-$report}" >&2
    exit 1
fi
echo "${#files[@]} C++ files formatted"
