#!/usr/bin/env bash
# Fails on any function of ours over the cognitive complexity the project's .clang-tidy allows.
# Usage: check_complexity.sh SOURCE_DIR BUILD_DIR [CROSS_COMPILER FOLDER]
# It reads the files a build compiles from its compile_commands.json: our sources, but not the
# test cases themselves, whose GoogleTest checks each count as a branch. With a cross compiler
# (the Windows build's), clang parses as for its target, with that compiler's headers, only the
# files in FOLDER (the ones the host's build does not compile).
# Exit 77 (skipped) where clang-tidy is missing.
set -euo pipefail
source_dir=$(cd "$1" && pwd)
build_dir=$2
cross=${3:-}
only=${4:-}
command -v clang-tidy >/dev/null || { echo "skipped: clang-tidy not installed" >&2; exit 77; }
mapfile -t files < <(python3 -c '
import json, os, re, sys
source, build, only = sys.argv[1], sys.argv[2], sys.argv[3]
def ours(path):
    return path.startswith(os.path.join(source, only, "")) and not path.startswith(build) \
        and "/build/" not in path and not os.path.basename(path).startswith("test_") \
        and path.endswith(".cpp")
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if ours(path):
        print(path)
    elif re.search(r"/Unity/unity_[0-9]+_cxx\.cxx$", path):
        # A unity build compiles a target'"'"'s files as one, which is read here as one; its
        # test cases are left out as above.
        sources = re.findall(r"#include \"(.+)\"", open(path).read())
        if sources and all(map(ours, sources)):
            print(path)
' "$source_dir" "$(cd "$build_dir" && pwd)" "$only" | sort -u)
# The compilers judge the code in their own builds; here only the complexity counts.
# The files a unity build includes count as its own, and so do our headers; others' do not.
args=(-p "$build_dir" --quiet --extra-arg=-Wno-everything
    --header-filter="^$source_dir/(app|bench|fuzz|levels|solver|tests)/")
if [ -n "$cross" ]; then
    target=$("$cross" -dumpmachine)
    args+=(--extra-arg=--target="$target")
    # The compiler's C++ library and system headers, but not its own intrinsics: clang has its own.
    while read -r dir; do
        case $dir in */include | */include-fixed) [[ $dir == *"/$target/include" ]] || continue ;; esac
        args+=(--extra-arg=-isystem"$dir")
    done < <("$cross" -E -v -x c++ /dev/null 2>&1 |
        sed -n '/<...> search starts here:/,/End of search list/{s/^ //p}')
fi
if ! printf '%s\n' "${files[@]}" | xargs -P 2 -n 4 clang-tidy "${args[@]}" 2>/dev/null; then
    echo "a function above is over the cognitive complexity .clang-tidy allows" >&2
    exit 1
fi
echo "${#files[@]} C++ files within the cognitive complexity .clang-tidy allows"
