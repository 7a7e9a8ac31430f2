"""Plays the Qt game through its accessibility tree only, as a screen reader does: AT-SPI on a
D-Bus session of its own, the game on its own X display.

Usage: read_by_atspi.py [--scale S] -- GAME-COMMAND...
Finds both boards, reads every cell of every level, presses cells, follows a move's texts and
events, and plays level 1 to "SOLVED!!" with the result against par. Where the tree says a cell
is, the screen shows that cell's colour. Exit status 0 passed, 1 failed, 77 skipped.
"""

import argparse
import os
import shutil
import sys
import time

import facts
import screen
from screen import Screen

try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print("skipped: python3-pyatspi not installed", file=sys.stderr)
    sys.exit(screen.SKIP)

failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: %r, expected %r" % (what, actual, expected))


def pump(seconds=0.3):
    """Lets events from the game arrive."""
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def until(done, seconds=10):
    """Lets events arrive until `done()` holds, or `seconds` have passed; whether it holds."""
    deadline = time.monotonic() + seconds
    while not done() and time.monotonic() < deadline:
        pump(0.05)
    return done()


def descendants(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from descendants(child)


def find_game(timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and any(c.name == "Nudgeboard" for c in app):
                return app
        time.sleep(0.2)
    raise RuntimeError("no accessible application with a window named Nudgeboard")


class Game:
    def __init__(self, app):
        self.nodes = list(descendants(app))
        tables = {n.name: n for n in self.nodes if n.getRoleName() == "table"}
        self.boards = [tables.get("Play board"), tables.get("Goal board")]
        if None in self.boards:
            raise RuntimeError("no tables named Play board and Goal board: %s" % sorted(tables))
        self.cells = [board.getChildAtIndex(i) for board in self.boards for i in range(36)]

    def named(self, role, name):
        return next(n for n in self.nodes if n.getRoleName() == role and n.name == name)

    def texts(self):
        return [cell.name for cell in self.cells]

    def selected(self):
        return [i for i, cell in enumerate(self.cells)
                if cell.getState().contains(pyatspi.STATE_SELECTED)]

    def press(self, index):
        self.cells[index].queryAction().doAction(0)
        pump(0.15)

    def choose(self, item):
        self.named("menu item", item).queryAction().doAction(0)
        pump(0.3)

    def labels(self):
        return [n for n in self.nodes if n.getRoleName() == "label"]


def every_level(s, game):
    """Every cell of every level reads right; each lies where the screen shows its colour."""
    for level in range(1, facts.level_count() + 1):
        name = facts.level_name(level)
        game.choose(name)
        expected = facts.cell_texts(level)
        for index, text in enumerate(game.texts()):
            check("level %d, cell %d" % (level, index), text, expected[index])
        rows = facts.level_rows(level)
        shot = s.grab()
        for index, cell in enumerate(game.cells):
            x, y, w, h = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            row, column = divmod(index % 36, 6)
            color = facts.PALETTE[rows[6 * (index >= 36) + row][column]]
            # Off the middle, where a wildcard's "?" is drawn, and inside a mark's line.
            check("level %d, colour inside cell %d's extents" % (level, index),
                  s.pixel_of(shot, x + w // 5, y + h // 5), color)
        check("level %d, table size" % level,
              [(b.queryTable().nRows, b.queryTable().nColumns) for b in game.boards],
              [(6, 6), (6, 6)])


def pressing_and_moving(s, game):
    """Pressing a piece's cell selects the piece, a wall selects nothing, a move renames the
    cells it changes and says so."""
    game.choose(facts.level_name(1))
    game.press(0)  # a wall
    check("selection after pressing a wall", game.selected(), [])
    game.press(20)  # "1", left of the empty square
    check("selection after pressing piece 1", game.selected(), [20])
    x, y, w, h = game.cells[27].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    hit = game.boards[0].queryComponent().getAccessibleAtPoint(x + w // 2, y + h // 2,
                                                               pyatspi.DESKTOP_COORDS)
    check("the cell at cell 27's middle", hit and hit.name, game.cells[27].name)
    renamed = []
    listener = lambda event: renamed.append(event.source.name)
    pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-name")
    s.xdotool("key", "Right")
    pump(0.5)
    pyatspi.Registry.deregisterEventListener(listener, "object:property-change:accessible-name")
    check("cell 20 after the move", game.cells[20].name, "empty, row 4, column 3")
    check("cell 21 after the move", game.cells[21].name, "green piece, row 4, column 4")
    check("selection follows the piece", game.selected(), [21])
    check("cells announced as renamed", sorted(set(renamed) & {game.cells[20].name,
                                                               game.cells[21].name}),
          sorted({game.cells[20].name, game.cells[21].name}))


def solved_in_words(s, game):
    """Level 1 played by pressing cells and the game's own keys ends solved, under par in words."""
    game.choose("Reset")
    check("counter after Reset", [n.name for n in game.labels()][-1], "Moves: 0 (38)")
    # The presses come over D-Bus and the keys from the X server: each waits for the one
    # before it to show, or a busy machine could take them out of order.
    for step, (cell, key) in enumerate(facts.solution(1), 1):
        game.press(cell)
        check("cell %d selected at step %d" % (cell, step), until(lambda: cell in game.selected()),
              True)
        before = game.texts()[:36]
        s.xdotool("key", key)
        check("a slide at step %d" % step, until(lambda: game.texts()[:36] != before), True)
    pump(0.5)
    names = [label.name for label in game.labels()]
    check("level name once solved", "SOLVED!!" in names, True)
    counter = next((label for label in game.labels() if label.name.startswith("Moves:")), None)
    check("counter's description once solved", counter and counter.description, "under par")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scale", choices=["1", "1.5", "2"], help="display scale")
    parser.add_argument("game", nargs="+")
    args = parser.parse_args()
    screen.require_tools()
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ and shutil.which("dbus-run-session"):
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    with Screen(args.game, env=env, scale=args.scale) as s:
        s.wait_for_window()
        game = Game(find_game())
        for case in (every_level, pressing_and_moving, solved_in_words):
            case(s, game)
    for f in failures:
        print("FAILED " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
