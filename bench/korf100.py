#!/usr/bin/env python3
"""Korf's 100 random 15-puzzle instances, each written as a level and solved for fewest slides
by its own nudgeboard-solve run, one after the other: total wall time, the slowest run, the
largest peak resident memory, and any run whose listing is not the published optimum; then the
built-in table once, its wall time and peak resident memory.

    bench/korf100.py SOLVER [INSTANCES] [--first N]

INSTANCES: lines "number optimum tile tile ..." (16 tiles in reading order, 0 the blank), the goal
0 1 2 ... 15 with the blank top left. The default is ../shared/data/korf100.txt beside the
project."""
import argparse
import os
import re
import resource
import subprocess
import sys
import tempfile
import time

TILES = "*123456789ABCDEF"  # tile t as a layout character; 0 the empty square


def level(number, tiles):
    def rows(cells):
        inner = ["#" + "".join(TILES[t] for t in cells[r * 4:r * 4 + 4]) + "#" for r in range(4)]
        return ["######"] + inner + ["######"]
    return "\n".join([f"Korf {number}", "1"] + rows(tiles) + [""] + rows(range(16))) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("solver")
    parser.add_argument("instances", nargs="?",
                        default=os.path.join(here, "..", "..", "shared", "data", "korf100.txt"))
    parser.add_argument("--first", type=int, default=100)
    args = parser.parse_args()
    instances = []
    with open(args.instances) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                fields = [int(x) for x in line.split()]
                instances.append((fields[0], fields[1], fields[2:]))
    wrong, slowest, total = [], (0.0, 0), 0.0
    peak = 0
    with tempfile.TemporaryDirectory() as folder:
        for number, optimum, tiles in instances[:args.first]:
            path = os.path.join(folder, f"korf{number}.txt")
            with open(path, "w") as f:
                f.write(level(number, tiles))
            before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
            start = time.monotonic()
            run = subprocess.run([args.solver, "--file", path, "--level-steps", "--slides"],
                                 capture_output=True, text=True)
            seconds = time.monotonic() - start
            total += seconds
            slowest = max(slowest, (seconds, number))
            peak = max(peak, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, before)
            found = re.findall(r"(\d+) slides?", run.stdout)
            slides = int(found[-1]) if found else None
            if run.returncode != 0 or slides != optimum:
                wrong.append((number, optimum, slides, run.returncode, run.stderr.strip()))
            print(f"{number:3} {optimum:3} {slides} {seconds:7.3f} s", flush=True)
    print(f"{len(instances[:args.first])} instances: {total:.1f} s wall in all, slowest "
          f"{slowest[0]:.2f} s (instance {slowest[1]}), peak resident {peak / 1024:.1f} MiB "
          "(the largest of any run)")
    for w in wrong:
        print("not the optimum: instance %d, optimum %d, listed %s, status %d %s" % w)
    start = time.monotonic()
    table = subprocess.run([args.solver], capture_output=True)
    seconds = time.monotonic() - start
    print(f"built-in table: {seconds:.2f} s wall, status {table.returncode}")
    return 1 if wrong or table.returncode != 0 else 0


if __name__ == "__main__":
    sys.exit(main())
