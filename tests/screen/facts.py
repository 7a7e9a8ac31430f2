"""The game's facts as its own sources state them: the palette, the levels, their solutions."""

import os
import re

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def _read(*path):
    with open(os.path.join(ROOT, *path), encoding="utf-8") as f:
        return f.read()


def _rgb(text):
    """(red, green, blue) from "rgb(r, g, b)"."""
    return tuple(int(v) for v in re.fullmatch(r"rgb\((\d+), (\d+), (\d+)\)", text).groups())


_PALETTE_H = _read("levels", "palette.h")
# The named colours: emptyColor, wallColor, underParCyan, ...
COLORS = {name: _rgb(value) for name, value in
          re.findall(r"constexpr Rgb (\w+) = (rgb\([^)]*\));", _PALETTE_H)}
_ENTRIES = re.findall(r'\{"(.)", (rgb\([^)]*\)|\w+), "([^"]*)"\}', _PALETTE_H)
# Layout character to the colour it paints, and to what a screen reader calls its pieces.
PALETTE = {ch: COLORS[value] if value in COLORS else _rgb(value) for ch, value, _ in _ENTRIES}
COLOR_NAMES = {ch: name for ch, _, name in _ENTRIES if name}
if len(PALETTE) != 27 or len(COLOR_NAMES) != 24 or not COLORS:
    raise RuntimeError("levels/palette.h no longer reads as expected")


def _levels():
    """Each built-in level's name, par, start and goal rows as written in levels/catalogue.h."""
    body = _read("levels", "catalogue.h").split("std::to_array<Level>({", 1)[1]
    return re.findall(r'\{"([^"]*)",\s*(\d+),\s*\{([^}]*)\},\s*\{([^}]*)\}\}', body)


def level_count():
    return len(_levels())


def level_name(level):
    return _levels()[level - 1][0]


def level_par(level):
    return int(_levels()[level - 1][1])


def level_rows(level):
    """A built-in level's start and goal rows, twelve strings, from levels/catalogue.h."""
    _, _, start, goal = _levels()[level - 1]
    return re.findall(r'"([^"]*)"', start) + re.findall(r'"([^"]*)"', goal)


def _solutions():
    """Each level's (cell, arrow key name) steps, from tests/support/solutions.txt."""
    solutions = {}
    for line in _read("tests", "support", "solutions.txt").splitlines():
        if line.startswith("level "):
            steps = solutions.setdefault(int(line.split()[1].rstrip(",")), [])
        elif line and not line.startswith("#"):
            cell, key = line.split()
            steps.append((int(cell), key))
    return solutions


def solution(level):
    """A built-in level's solution: (cell, arrow key name) steps, one slide each."""
    return _solutions()[level]


def counted_moves(steps):
    """The counter after each step: a step that slides the piece the step before it slid clicks
    the cell that piece moved to, and counts no new move."""
    offsets = {"Left": -1, "Right": 1, "Up": -6, "Down": 6}
    counts, moved_to = [], None
    for cell, key in steps:
        counts.append((counts[-1] if counts else 0) + (cell != moved_to))
        moved_to = cell + offsets[key]
    return counts


def cell_texts(level):
    """What a screen reader reads for each of the 72 cells at a level's start, worked out from its
    rows and the colour names."""
    rows = level_rows(level)
    texts = []
    for index in range(72):
        goal, (row, column) = index >= 36, divmod(index % 36, 6)
        ch = rows[6 * goal + row][column]
        content = ("wall" if ch == "#" else "any square" if ch == "?" and goal else
                   "empty" if ch in "*?" else COLOR_NAMES[ch] + " piece")
        texts.append("%s, row %d, column %d" % (content, row + 1, column + 1))
    return texts
