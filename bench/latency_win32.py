#!/usr/bin/python3
"""Times each arrow key's release until the screen shows the move, for the Windows build under
Wine and for its latency floor (bench/minimal_win32.exe), in turns on displays of their own.

Usage: latency_win32.py BUILD-DIR [--strokes N] [--rounds R]
BUILD-DIR is the windows preset's build directory. Keys go in through XTEST; after each release
the script reads one pixel of the screen until it changes: for the game the cell the piece moves
into, for the floor the middle of its window. A benchmark, not a test: it prints figures.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "screen"))
import screen  # noqa: E402
from screen import Screen  # noqa: E402
from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

WRAPPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "screen",
                       "wine_game.sh")
GIVE_UP = 1.0  # seconds without a change: the stroke counts as lost


class Timer:
    """Strokes of one key on one display, each timed from its release to a pixel's change."""

    def __init__(self, s):
        self.s = s
        self.x = s.x
        self.root = s.root

    def pixel(self, x, y):
        data = self.root.get_image(x, y, 1, 1, X.ZPixmap, 0xFFFFFFFF).data
        return data[2], data[1], data[0]

    def stroke(self, key, x, y):
        """Presses and releases `key`; seconds from the release until pixel x, y changed, or
        None."""
        code = self.x.keysym_to_keycode(XK.string_to_keysym(key))
        xtest.fake_input(self.x, X.KeyPress, code)
        self.x.sync()
        time.sleep(0.03)  # the press is the window's before the release comes
        before = self.pixel(x, y)
        start = time.perf_counter()
        xtest.fake_input(self.x, X.KeyRelease, code)
        self.x.flush()
        while self.pixel(x, y) == before:
            if time.perf_counter() - start > GIVE_UP:
                return None
        took = time.perf_counter() - start
        time.sleep(0.05)  # let the rest of the repaint finish before the next stroke
        return took


def game_strokes(command, count):
    """Slides "C" of "Traffic" right and left, timing the square it enters."""
    with Screen(command) as s:
        s.wait_for_window()
        s.load_level(8)
        s.settle()
        s.click_cell(25)
        s.settle()
        timer = Timer(s)
        times = []
        for n in range(count):
            key, cell = ("Right", 26) if n % 2 == 0 else ("Left", 25)
            times.append(timer.stroke(key, *s.sample_point(cell)))
        return times


def floor_strokes(command, count):
    with Screen(command) as s:
        deadline = time.monotonic() + 120
        window = None
        while window is None and time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    "^Latency floor$"], env=s.env, capture_output=True,
                                   text=True).stdout.split()
            if found:
                window = found[0]
            else:
                time.sleep(0.2)
        if window is None:
            raise RuntimeError("no latency floor window")
        s.xdotool("windowfocus", "--sync", window)
        s.settle()
        w = s.x.create_resource_object("window", int(window))
        g = w.get_geometry()
        origin = s.root.translate_coords(w, 0, 0)
        middle = (origin.x + g.width // 2, origin.y + g.height // 2)
        timer = Timer(s)
        return [timer.stroke("Right", *middle) for _ in range(count)]


def summary(name, times):
    got = sorted(t * 1000 for t in times if t is not None)
    lost = sum(t is None for t in times)
    if not got:
        return "%-6s all %d strokes lost" % (name, lost)
    p90 = got[min(len(got) - 1, int(0.9 * len(got)))]
    return "%-6s n=%3d  median %6.2f ms  p90 %6.2f ms  min %6.2f  max %6.2f  lost %d" % (
        name, len(got), statistics.median(got), p90, got[0], got[-1], lost)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--strokes", type=int, default=20, help="per program and round")
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    screen.require_tools()
    build = os.path.abspath(args.build)
    game = ["bash", WRAPPER, build, os.path.join(build, "nudgeboard.exe")]
    floor = ["bash", WRAPPER, build, os.path.join(build, "bench", "minimal_win32.exe")]
    for path in (game[-1], floor[-1]):
        if not os.path.exists(path):
            print("missing %s: build the windows preset first" % path, file=sys.stderr)
            return 2
    results = {"game": [], "floor": []}
    for r in range(args.rounds):
        results["game"] += game_strokes(game, args.strokes)
        results["floor"] += floor_strokes(floor, args.strokes)
        print("round %d:" % (r + 1), summary("game", results["game"][-args.strokes:]), "|",
              summary("floor", results["floor"][-args.strokes:]))
    print(summary("game", results["game"]))
    print(summary("floor", results["floor"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
