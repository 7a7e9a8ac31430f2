#!/usr/bin/python3
"""Start-up time and peak memory of the game against a minimal Qt window, under an X server.

For each run: the time from starting the process until its window is mapped and painted (its
pixels are no longer one flat colour), and the process's peak resident memory. Run it inside
xvfb-run; usage: startup.py GAME MINIMAL [RUNS].
"""
import os
import statistics
import subprocess
import sys
import time

from Xlib import X, display


def find_window(root, title):
    for window in root.query_tree().children:
        try:
            if window.get_wm_name() == title:
                return window
        except Exception:  # a window that went away while we looked
            pass
    return None


def painted(window):
    try:
        if window.get_attributes().map_state != X.IsViewable:
            return False
        geometry = window.get_geometry()
        image = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
        pixels = image.data
        return pixels.count(pixels[:4]) * 4 != len(pixels)
    except Exception:
        return False


def peak_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1


def measure(root, program, title):
    start = time.perf_counter()
    process = subprocess.Popen([program], stderr=subprocess.DEVNULL)
    try:
        while True:
            window = find_window(root, title)
            if window is not None and painted(window):
                elapsed = time.perf_counter() - start
                break
            if process.poll() is not None:
                raise SystemExit(f"{program} ended before showing its window")
            if time.perf_counter() - start > 20:
                raise SystemExit(f"{program} showed no painted window within 20 s")
            time.sleep(0.0005)
        time.sleep(0.3)  # let it settle before reading its peak memory
        return elapsed, peak_kib(process.pid)
    finally:
        process.terminate()
        process.wait()


def main():
    game, minimal = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    # One connection for the whole run, so the X server never resets between runs.
    root = display.Display().screen().root
    results = {}
    for name, program, title in (("nudgeboard", game, "Nudgeboard"), ("minimal", minimal, "Minimal")):
        measure(root, program, title)  # one run to warm the file cache
        samples = [measure(root, program, title) for _ in range(runs)]
        times = [t for t, _ in samples]
        results[name] = statistics.median(times)
        print(f"{name:10} median {results[name] * 1000:7.1f} ms  (min {min(times) * 1000:.1f}, "
              f"max {max(times) * 1000:.1f}, {runs} runs)  peak resident "
              f"{max(m for _, m in samples) / 1024:.1f} MiB")
    print(f"ratio nudgeboard / minimal: {results['nudgeboard'] / results['minimal']:.2f}")


if __name__ == "__main__":
    main()
