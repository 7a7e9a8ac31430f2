#!/usr/bin/python3
"""Time from a key's release to the screen's change: the game against a floor window.

Usage: scripts/latency.py [--strokes N] [--scale S] --game GAME-COMMAND... --floor FLOOR-COMMAND...

Each command runs on an Xvfb of its own. Strokes go in through XTEST, one window, then the other,
so that both meet the same load. In the game, level 1's "1" slides right and back, and each
release is timed until the destination cell's pixel changes; the floor is any window titled
"Latency floor" whose whole client area changes colour on every key release (bench/ has the Qt
one, the Windows build its own under Wine, the web build an HTML page). Prints the median and
90th percentile of both and the differences.
"""
import os
import random
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "screen"))
import screen  # noqa: E402
from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


# How much the game may add to its floor.
TARGET_MEDIAN_MS = 2
TARGET_P90_MS = 4


def usage(message):
    raise SystemExit("latency.py: %s\n%s" % (message, __doc__.split("\n\n")[1]))


def parse(argv):
    options = {"strokes": 60, "scale": None}
    commands = {}
    current = None
    i = 0
    while i < len(argv):
        word = argv[i]
        if word in ("--game", "--floor"):
            current = commands.setdefault(word[2:], [])
        elif current is None and word in ("--strokes", "--scale") and i + 1 < len(argv):
            options[word[2:]] = argv[i + 1]
            i += 1
        elif current is not None:
            current.append(word)
        else:
            usage("unknown option " + word)
        i += 1
    if not commands.get("game") or not commands.get("floor"):
        usage("both --game and --floor need a command")
    try:
        options["strokes"] = int(options["strokes"])
    except ValueError:
        usage("--strokes takes a number")
    return options, commands


class Target:
    """A window on its own display that the script strokes and watches."""

    def __init__(self, s, points):
        self.s = s
        self.points = points  # key name -> screen point whose pixel the release changes
        self.codes = {k: s.x.keysym_to_keycode(XK.string_to_keysym(k)) for k in points}

    def pixel(self, point):
        image = self.s.root.get_image(point[0], point[1], 1, 1, X.ZPixmap, 0xFFFFFFFF)
        return image.data[:3]

    def stroke(self, key, timeout=2.0):
        """Presses and releases `key`; seconds from the release until the pixel changes."""
        x, point, code = self.s.x, self.points[key], self.codes[key]
        xtest.fake_input(x, X.KeyPress, code)
        x.sync()
        time.sleep(0.02)  # the press is handled before the release is timed
        before = self.pixel(point)
        start = time.perf_counter()
        xtest.fake_input(x, X.KeyRelease, code)
        x.sync()
        while self.pixel(point) == before:
            if time.perf_counter() - start > timeout:
                return None
        return time.perf_counter() - start


def game_target(command, scale):
    s = screen.Screen(command, scale=scale)
    s.wait_for_window()
    s.click_cell(20)  # "1" of level 1: right into the gap, and back
    s.settle()
    return s, Target(s, {"Right": s.sample_point(21), "Left": s.sample_point(20)})


def floor_target(command, scale):
    # A role of its own: under Wine the floor then runs in a prefix apart from the game's.
    s = screen.Screen(command, env=dict(os.environ, NUDGEBOARD_SCREEN_ROLE="floor"), scale=scale)
    deadline = time.monotonic() + 120
    while True:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Latency floor"],
                               env=s.env, capture_output=True, text=True).stdout.split()
        if found:
            break
        if s.game.poll() is not None or time.monotonic() > deadline:
            raise SystemExit("latency.py: no window titled \"Latency floor\" came up")
        time.sleep(0.1)
    s.window = found[-1]
    window = s.x.create_resource_object("window", int(s.window))
    g = window.get_geometry()
    corner = window.translate_coords(s.root, 0, 0)
    middle = (-corner.x + g.width // 2, -corner.y + g.height // 2)
    s.xdotool("windowfocus", "--sync", s.window)
    s.settle()
    return s, Target(s, {"Right": middle})


def summary(name, samples):
    median = statistics.median(samples)
    p90 = statistics.quantiles(samples, n=10)[8]
    print("%-6s median %6.2f ms   90th percentile %6.2f ms   (%d strokes, min %.2f, max %.2f)" %
          (name, median * 1e3, p90 * 1e3, len(samples), min(samples) * 1e3, max(samples) * 1e3))
    return median, p90


def main():
    options, commands = parse(sys.argv[1:])
    screen.require_tools()
    game_screen, game = game_target(commands["game"], options["scale"])
    floor_screen, floor = None, None
    try:
        floor_screen, floor = floor_target(commands["floor"], options["scale"])
        times = {"game": [], "floor": []}
        lost = {"game": 0, "floor": 0}
        keys = ["Right", "Left"]
        for n in range(options["strokes"] + 2):
            for name, target, key in (("game", game, keys[n % 2]), ("floor", floor, "Right")):
                elapsed = target.stroke(key)
                if elapsed is None:
                    lost[name] += 1
                elif n >= 2:  # the first strokes warm caches up
                    times[name].append(elapsed)
                time.sleep(random.uniform(0.03, 0.06))
        for name, count in lost.items():
            if count:
                print("%s: %d strokes changed nothing within 2 s" % (name, count))
        if len(times["game"]) < 2 or len(times["floor"]) < 2:
            raise SystemExit("latency.py: too few strokes showed on the screen")
        game_median, game_p90 = summary("game", times["game"])
        floor_median, floor_p90 = summary("floor", times["floor"])
        median, p90 = (game_median - floor_median) * 1e3, (game_p90 - floor_p90) * 1e3
        print("game - floor: median %+.2f ms, 90th percentile %+.2f ms" % (median, p90))
        met = median <= TARGET_MEDIAN_MS and p90 <= TARGET_P90_MS
        print("target (within %g ms at the median, %g ms at the 90th percentile): %s" %
              (TARGET_MEDIAN_MS, TARGET_P90_MS, "met" if met else "NOT met"))
    finally:
        game_screen.close()
        if floor_screen is not None:
            floor_screen.close()


if __name__ == "__main__":
    main()
