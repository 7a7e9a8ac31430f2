#!/usr/bin/python3
"""The page's start-up time in chromium, or its lift-to-screen time, against
bench/latency_floor.html.

Start-up: from starting the browser (tests/screen/web_game.sh) until the game's boards are on the
screen, or until the floor page shows its colour. Lift to screen (--touch): with touch emulated
over DevTools (tests/screen/devtools.py), from a swipe's finger lifting until the screen's pixel
changes: "1" of level 1 slides right and back, the floor switches its colour. Key release to
screen is scripts/latency.py's, as for the desktop builds.
Usage: web_bench.py PAGE [RUNS]   (PAGE: build/web/nudgeboard.html)
       web_bench.py --touch PAGE [STROKES]
"""
import os
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
sys.path.insert(0, os.path.join(root, "tests", "screen"))

import screen  # noqa: E402  (the on-screen driver's display, input and pixels)
import devtools  # noqa: E402  (the page over DevTools)

WRAPPER = os.path.join(root, "tests", "screen", "web_game.sh")
FLOOR = os.path.join(root, "bench", "latency_floor.html")
RED = (255, 0, 0)


def start(s, page):
    return subprocess.Popen(["bash", WRAPPER, page], env=s.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def wait_for(condition, timeout=60):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return time.monotonic()
        time.sleep(0.002)
    raise RuntimeError("nothing on the screen after %d s" % timeout)


def floor_shown(s):
    return s.pixel_of(s.grab(), 100, 100) == RED


def startup_times(s, page, runs):
    """Seconds from starting the browser to the page painted, for the game and the floor."""
    game, floor = [], []
    for _ in range(runs):
        t0 = time.monotonic()
        browser = start(s, page)
        game.append(wait_for(s.find_boards) - t0)
        screen.stop(browser)
        t0 = time.monotonic()
        browser = start(s, FLOOR)
        floor.append(wait_for(lambda: floor_shown(s)) - t0)
        screen.stop(browser)
    return game, floor


def percentile90(seconds):
    ms = sorted(1000 * t for t in seconds)
    return ms[min(len(ms) - 1, int(0.9 * len(ms)))]


def summary(name, seconds):
    ms = sorted(1000 * t for t in seconds)
    p90 = percentile90(seconds)
    print("%-34s median %7.1f ms   p90 %7.1f ms   min %7.1f ms   (%d)" %
          (name, statistics.median(ms), p90, ms[0], len(ms)))


class Fingers:
    """A page's tab with touch emulated, and the screen of its display."""

    def __init__(self, browser):
        from Xlib import X, display as xdisplay
        self.b = browser
        self.b.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.root = xdisplay.Display(browser.display).screen().root
        self.zpixmap = X.ZPixmap
        # The page's origin on the screen, and its device pixels per CSS pixel.
        self.origin = browser.js("[screenX + outerWidth - innerWidth,"
                                 " screenY + outerHeight - innerHeight, devicePixelRatio]")

    def screen_point(self, x, y):
        ox, oy, ratio = self.origin
        return int(ox + x * ratio), int(oy + y * ratio)

    def pixel(self, point):
        return self.root.get_image(point[0], point[1], 1, 1, self.zpixmap, 0xFFFFFFFF).data[:3]

    def touch(self, kind, points):
        self.b.send("Input.dispatchTouchEvent", type=kind,
                    touchPoints=[{"x": x, "y": y, "id": 0} for x, y in points])

    def lift_time(self, start, end, watched, timeout=2.0):
        """A finger from `start` to `end`, lifted: seconds from the lift until the pixel at
        `watched` changes, or None."""
        self.touch("touchStart", [start])
        self.touch("touchMove", [end])
        time.sleep(0.02)  # the touch and the move are handled before the lift is timed
        before = self.pixel(watched)
        t0 = time.perf_counter()
        self.touch("touchEnd", [])
        while self.pixel(watched) == before:
            if time.perf_counter() - t0 > timeout:
                return None
        return time.perf_counter() - t0


def cell_box(b, k):
    return b.js("(function (r) { return [r.left, r.top, r.width]; })(document.querySelector("
                "'#client .c[data-k=\"%d\"]').getBoundingClientRect())" % k)


def lift_times(page, strokes, game):
    """Seconds from lifting a swipe's finger to the screen's change, on the game or the floor."""
    times = []
    with devtools.Browser(page) as b:
        b.attach(game=game)
        f = Fingers(b)
        if game:
            boxes = {k: cell_box(b, k) for k in (20, 21)}
            middle = {k: (x + w / 2, y + w / 2) for k, (x, y, w) in boxes.items()}
            # Where the colour is read: away from the edges and the caption.
            watched = {k: f.screen_point(x + 4, y + 4) for k, (x, y, _) in boxes.items()}
            f.touch("touchStart", [middle[20]])  # a tap selects "1"
            f.touch("touchEnd", [])
            pitch = middle[21][0] - middle[20][0]
        for n in range(strokes + 2):
            if game:
                cell, way = (20, 1) if n % 2 == 0 else (21, -1)
                start = middle[cell]
                end = (start[0] + way * pitch, start[1])
                elapsed = f.lift_time(start, end, watched[cell + way])
            else:
                elapsed = f.lift_time((100, 100), (100, 100), f.screen_point(100, 100))
            if elapsed is None:
                print("a lift changed nothing within 2 s", file=sys.stderr)
            elif n >= 2:  # the first lifts warm caches up
                times.append(elapsed)
            time.sleep(0.03)
    return times


def touch_main(argv):
    page = os.path.abspath(argv[0])
    strokes = int(argv[1]) if len(argv) > 1 else 60
    devtools.skip_without_tools()
    game = lift_times(page, strokes, True)
    floor = lift_times(FLOOR, strokes, False)
    summary("lift to screen, game page", game)
    summary("lift to screen, floor page", floor)
    print("game - floor: median %+.2f ms, 90th percentile %+.2f ms" % (
        statistics.median(game) * 1e3 - statistics.median(floor) * 1e3,
        percentile90(game) - percentile90(floor)))
    return 0


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    if sys.argv[1] == "--touch":
        return touch_main(sys.argv[2:])
    page = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    screen.require_tools()
    # The driver's display, with no game of its own: each measurement starts its browser.
    with screen.Screen(["true"]) as s:
        game, floor = startup_times(s, page, runs)
        summary("start-up, game page", game)
        summary("start-up, floor page", floor)
    return 0


if __name__ == "__main__":
    sys.exit(main())
