"""Listens to the game through Orca, the screen reader, run headless by a harness that prints
what Orca speaks as text.

Usage: heard_by_orca.py --harness ORCA_HARNESS.py [--web PAGE] -- GAME-COMMAND...
Plays level 1 with the mouse and the arrow keys and checks that Orca speaks the counter after
every counted move, "SOLVED!!" with the result against par soon after the last, and that Orca's
review keys read the cells. Exit status 0 passed, 1 failed, 77 skipped.
"""

import argparse
import fcntl
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

import facts
import screen
from screen import Screen

failures = []


def check(what, ok, detail):
    if not ok:
        failures.append("%s: %s" % (what, detail))


def window_offsets(game):
    """Where each cell's middle lies in the window: the client area under the menu bar."""
    with Screen(game) as s:
        s.wait_for_window()
        return {cell: s.cell_point(cell) for cell in range(36)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--harness", required=True)
    parser.add_argument("--web", help="the page, which GAME-COMMAND shows in chromium")
    parser.add_argument("game", nargs="+")
    args = parser.parse_args()
    screen.require_tools()
    missing = [t for t in ("orca", "speech-dispatcher") if shutil.which(t) is None]
    if not os.path.exists(args.harness):
        missing.append(args.harness)
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed", file=sys.stderr)
        return screen.SKIP
    points = window_offsets(args.game)
    steps, moves = [], []
    for cell, key in facts.solution(1):
        steps.append({"click": list(points[cell]), "settle": 300})
        # Quiet long enough after each move that a machine kept busy by the other suites still
        # speaks its counter before the next move replaces it.
        steps.append({"key": key, "settle": 600})
        moves.append(len(steps) - 1)
    if not args.web:  # in a page Orca reviews the page, not the screen's lines
        # After the solving move's news is spoken; pressed twice, as a listener does whose
        # first press a busy machine's Orca let pass unspoken. Each waits for three quiet
        # seconds: on a busy machine Orca may take longer than a step's usual quiet to begin.
        steps.append({"wait": 1000})
        steps.append({"orca-key": "KP_Up", "label": "review: the current line", "settle": 3000})
        steps.append({"orca-key": "KP_Up", "label": "review: the current line again",
                      "settle": 3000})
    # One Orca at a time may run for a user: the builds' suites, run side by side, take turns.
    with open(os.path.join(tempfile.gettempdir(), "nudgeboard-orca.lock"), "w") as lock, \
            tempfile.TemporaryDirectory() as work:
        fcntl.flock(lock, fcntl.LOCK_EX)
        out = os.path.join(work, "heard.json")
        # The page in a window of the size its own wrapper gives it, so the cells lie alike.
        game = (["--game", args.web, "--web", "--window-size", "290,234"] if args.web
                else ["--game", " ".join(args.game), "--window-name", "^Nudgeboard$"])
        # The game on the harness's own display, whatever platform the suite set for the others.
        env = {k: v for k, v in os.environ.items()
               if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY")}
        run = subprocess.run([sys.executable, args.harness, *game,
                              "--steps-json", json.dumps(steps), "--json", out,
                              "--workdir", os.path.join(work, "run"),
                              # Other suites may keep both cores busy meanwhile.
                              "--window-timeout", "120"],
                             env=env, capture_output=True, text=True, timeout=240)
        if run.returncode != 0 or not os.path.exists(out):
            print(run.stdout + run.stderr, file=sys.stderr)
            return 1
        with open(out) as f:
            ran = json.load(f)["steps"]
    heard = {step["step"]: step["speech"] for step in ran}
    began = {step["step"]: 1000 * step["at_s"] for step in ran}
    # Speech a busy machine delays may fall into a later step: each utterance at its own time.
    spoken = [(began[n] + u["after_ms"], u["text"]) for n in heard for u in heard[n]]
    par = 38
    for count, step in enumerate(moves, 1):
        counter = "Moves: %d (%d)" % (count, par)
        after = [text for at, text in spoken if at >= began.get(step + 1, 0)]
        check("move %d" % count, any(counter in text for text in after),
              "heard %r from then on, expected the counter %r" % (after[:3], counter))
    last = began.get(moves[-1] + 1, 0)
    solved = [at - last for at, text in spoken
              if at >= last and "SOLVED!!" in text and "under par" in text]
    check("the solving move", solved and solved[0] < 2000,
          "heard %r, expected SOLVED!! and under par within 2 s" % heard.get(moves[-1] + 1))
    if not args.web:
        review = " ".join(text for at, text in spoken if at >= began[len(steps) - 1])
        check("review of the current line", re.search(r", row \d, column \d", review),
              "heard %r, expected cells" % review)
    for f in failures:
        print("FAILED " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
