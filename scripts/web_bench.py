#!/usr/bin/python3
"""The page's start-up time in chromium, against bench/latency_floor.html.

From starting the browser (tests/screen/web_game.sh) until the game's boards are on the screen,
or until the floor page shows its colour. Release to screen is scripts/latency.py's, as for the
desktop builds.
Usage: web_bench.py PAGE [RUNS]   (PAGE: build/web/nudgeboard.html)
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

WRAPPER = os.path.join(root, "tests", "screen", "web_game.sh")
FLOOR = os.path.join(root, "bench", "latency_floor.html")
RED = (255, 0, 0)


def start(s, page):
    return subprocess.Popen(["bash", WRAPPER, page], env=s.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def stop(browser):
    browser.terminate()
    try:
        browser.wait(10)
    except subprocess.TimeoutExpired:
        browser.kill()
        browser.wait()


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
        stop(browser)
        t0 = time.monotonic()
        browser = start(s, FLOOR)
        floor.append(wait_for(lambda: floor_shown(s)) - t0)
        stop(browser)
    return game, floor


def summary(name, seconds):
    ms = sorted(1000 * t for t in seconds)
    p90 = ms[min(len(ms) - 1, int(0.9 * len(ms)))]
    print("%-34s median %7.1f ms   p90 %7.1f ms   min %7.1f ms   (%d)" %
          (name, statistics.median(ms), p90, ms[0], len(ms)))


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
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
