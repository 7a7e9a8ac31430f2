#!/usr/bin/python3
"""The page's start-up and release-to-screen times in chromium, against bench/latency_floor.html.

Start-up: from starting the browser (tests/screen/web_game.sh) until the game's boards are on
the screen, or until the floor page shows its colour. Release to screen: from a key's release
(XTEST, on the browser's own Xvfb) until the pixel it changes has changed: a piece sliding one
cell in the game, the whole body in the floor page.
Usage: web_bench.py PAGE [RUNS] [STROKES]   (PAGE: build/web/nudgeboard.html)
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
from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

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


def pixel_now(s, x, y):
    image = s.root.get_image(x, y, 1, 1, X.ZPixmap, 0xFFFFFFFF)
    return tuple(image.data[2::-1])


def release_times(s, point, key_names, strokes):
    """Seconds from each key's release to the pixel at `point` changing."""
    times = []
    codes = [s.x.keysym_to_keycode(XK.string_to_keysym(k)) for k in key_names]
    for i in range(strokes):
        code = codes[i % len(codes)]
        before = pixel_now(s, *point)
        xtest.fake_input(s.x, X.KeyPress, code)
        s.x.sync()
        time.sleep(0.05)  # the press is the page's before the release comes
        xtest.fake_input(s.x, X.KeyRelease, code)
        s.x.sync()
        t0 = time.monotonic()
        while pixel_now(s, *point) == before:
            if time.monotonic() - t0 > 5:
                raise RuntimeError("the screen did not change after a release")
        times.append(time.monotonic() - t0)
        time.sleep(0.1)
    return times


def game_latency(s, page, strokes):
    browser = start(s, page)
    s.game = browser
    try:
        s.wait_for_window()
        s.click_cell(20)  # "1" of "9 Puzzle", an empty square on its right
        s.settle()
        return release_times(s, s.sample_point(21), ["Right", "Left"], strokes)
    finally:
        stop(browser)


def floor_latency(s, strokes):
    browser = start(s, FLOOR)
    s.game = browser
    try:
        wait_for(lambda: floor_shown(s))
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Latency floor$"],
                               env=s.env, capture_output=True, text=True).stdout.split()
        s.xdotool("windowfocus", "--sync", found[0])
        s.settle()
        return release_times(s, (100, 100), ["Right"], strokes)
    finally:
        stop(browser)


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
    strokes = int(sys.argv[3]) if len(sys.argv) > 3 else 40
    screen.require_tools()
    # The driver's display, with no game of its own: each measurement starts its browser.
    with screen.Screen(["true"]) as s:
        game, floor = startup_times(s, page, runs)
        summary("start-up, game page", game)
        summary("start-up, floor page", floor)
        summary("release to screen, game page", game_latency(s, page, strokes))
        summary("release to screen, floor page", floor_latency(s, strokes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
