"""Plays the real game on its own X display, as fast typists and busy machines deliver keys.

Usage: play_on_screen.py CASE [--busy] [--scale S] [--wm openbox] -- GAME-COMMAND...
       play_on_screen.py CASE --wayland --pointer POINTER --frames FRAMES [--scale S] -- GAME...
Each case starts a fresh display and game, sends input with xdotool and judges only the pixels
on the screen: at display scale S (the window then S times its design size), under a window
manager if asked. With --wayland the display is a headless sway, the input comes from wtype and
the virtual pointer POINTER, the frames shown while the board changes from the frame copier
FRAMES (sway.py). Exit status 0 passed, 1 failed, 77 skipped (Xvfb, xdotool, the window
manager, or sway, wtype or grim missing).
"""

import argparse
import sys

import facts
import screen

from facts import PALETTE
from screen import BLACK, CYAN, WALL, Busy, Screen

C = PALETTE["C"]  # piece "C" of "Traffic", a single square with two empty squares right of it
F = PALETTE["F"]  # piece "F" of "Traffic", two empty squares left of it

# Cell to click and arrow to release, solving "9 Puzzle" in 20 moves, under its par of 38.
LEVEL_ONE = facts.solution(1)

GREEN = PALETTE["1"]
# "9 Puzzle" as painted: start and goal rows, "*" empty.
LEVEL_ONE_ROWS = facts.level_rows(1)
# Times a change of the board is made again when a frame of it may have gone unseen.
ATTEMPTS = 3

failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: %s, expected %s" % (what, actual, expected))


def check_board(what, actual, expected):
    """Names only the cells that differ."""
    for index, (a, e) in enumerate(zip(actual, expected)):
        check("%s, cell %d" % (what, index), a, e)


def startup(s):
    """Level 1 at start-up: both boards, the outlines where they belong, texts under them."""
    rows = LEVEL_ONE_ROWS
    expected = [PALETTE[rows[6 * (i // 36) + i % 36 // 6][i % 6]] for i in range(72)]
    check_board("boards at start-up", s.cells(), expected)
    for x, y in [(0, 0), (144, 0), (288, 0), (0, 144), (144, 144), (288, 144), (60, 0),
                 (200, 144), (0, 70), (288, 70)]:
        check("outline pixel (%d, %d)" % (x, y), s.pixel(x, y), BLACK)
    check("free pixel column x = 289", s.pixel(289, 70) == BLACK, False)
    shot = s.grab()
    for name, top in (("level name", 152), ("counter", 184)):
        dark = sum(sum(s.pixel_of(shot, *s.client(x, y))) < 250
                   for x in range(0, 289) for y in range(top, top + 25))
        check("text in the %s line" % name, dark > 50, True)
    below = sum(sum(s.pixel_of(shot, *s.client(x, y))) < 250
                for x in range(0, 289) for y in range(146, 151))
    check("dark pixels between the boards and the level name", below, 0)


def selection_mark(s):
    """A click marks the piece: a black one-pixel line on all four sides, over its neighbours.
    Judged at 96 dpi; whole_at_scale judges the mark at any scale."""
    s.click_cell(20)  # "1": red "0" left, white "7" above, a wall below, empty right
    s.settle()
    for x, y in [(48, 84), (72, 84), (60, 72), (60, 96)]:
        check("mark pixel (%d, %d)" % (x, y), s.pixel(x, y), BLACK)
    for x, y in [(49, 84), (60, 73), (60, 84), (71, 95)]:
        check("inside the mark (%d, %d)" % (x, y), s.pixel(x, y), GREEN)
    check("red piece left of the mark", s.pixel(47, 84), PALETTE["0"])
    # A press on one cell released on another is no click: "0" does not take the selection.
    s.xdotool("mousemove", *s.cell_point(19), "mousedown", "1", "mousemove", *s.cell_point(21),
              "mouseup", "1")
    s.settle()
    check("mark of cell 20 after a press on 19 released on 21", s.pixel(60, 72), BLACK)
    check("left edge of cell 19", s.pixel(24, 84) == BLACK, False)
    # A cell raised for its mark never covers an outline, even once unmarked.
    s.load_level(8)
    s.settle()
    s.click_cell(0)
    s.click_cell(25)
    s.settle()
    for x, y in [(12, 0), (0, 12)]:
        check("outline pixel (%d, %d) after selecting cell 0, then 25" % (x, y), s.pixel(x, y),
              BLACK)


def reset_by_mouse(s):
    """"Load Level" and "Reset" by mouse alone."""
    s.load_level_by_mouse(8)
    s.settle()
    before = s.cells()
    check("cell 25 after choosing Traffic", before[25], C)
    s.click_cell(25)
    s.xdotool("key", "Right")
    s.settle()
    check("cells 25, 26 after Right", s.cells()[25:27], [BLACK, C])
    s.click_reset()
    s.settle()
    check_board("board after Reset", s.cells(), before)


def traffic(s):
    s.load_level(8)
    s.settle()
    check("cell 25 after loading Traffic", s.cells()[25], C)


def two_fast_strokes(s):
    """Two strokes of one key 10 ms apart slide the piece twice; so do two sent at once, as a
    macro tool sends them (a release and the next press then carry the same millisecond)."""
    traffic(s)
    s.click_cell(25)
    s.xdotool("key", "--delay", "10", "Right", "Right")
    s.settle()
    check("cells 25, 26, 27 after Right, Right 10 ms apart", s.cells()[25:28], [BLACK, BLACK, C])
    s.xdotool("key", "--delay", "0", "Left", "Left")
    s.settle()
    check("cells 25, 26, 27 after Left, Left at once", s.cells()[25:28], [C, BLACK, BLACK])


def held_key(s):
    """A key held for a second, auto-repeating, slides the piece once."""
    check("auto-repeat of the display", s.auto_repeat_on(), True)
    traffic(s)
    s.click_cell(25)
    presses = s.presses_during(
        "Right", lambda: s.xdotool("keydown", "Right", "sleep", "1", "keyup", "Right"))
    check("the server repeats the held key", presses >= 3, True)
    s.settle()
    check("cells 25, 26, 27 after holding Right", s.cells()[25:28], [BLACK, C, BLACK])


def menu_keys(s):
    """Keys that open, walk or close a menu move nothing; afterwards the board has them back."""
    traffic(s)
    before = s.cells()
    s.click_cell(25)  # "C", free to move right
    s.xdotool("key", "--delay", "100", "alt", "Right", "Escape")
    s.settle()
    check_board("board after Alt, Right, Escape", s.cells(), before)
    # With the level list open, a key that walks it or closes it; the piece could move its way.
    for cell, key in ((14, "Down"), (28, "Left")):  # "N" free to move down, "F" left
        s.click_cell(cell)
        s.open_level_list()
        s.xdotool("key", "--delay", "100", key, "Escape", "Escape")
        s.settle()
        check_board("board after Load Level, %s, Escape" % key, s.cells(), before)
    s.xdotool("key", "Left")
    s.settle()
    check("cells 27, 28 after Left in play", s.cells()[27:29], [F, BLACK])


def menu_bar_shown(s):
    """A tapped Alt or F10 gives the menu bar the keyboard and shows it; the arrows then walk
    the bar and move nothing, and Escape gives them back to the board."""
    traffic(s)
    s.click_cell(25)  # "C", free to move right twice
    s.settle()
    before = s.cells()
    idle = menu_bar(s)
    for enter, back, moved in (("alt", "Right", 26), ("F10", "Right", 27)):
        s.xdotool("key", enter)
        s.settle()
        active = menu_bar(s)
        check("the menu bar changed after %s" % enter, active != idle, True)
        s.xdotool("key", "Right")
        s.settle()
        check_board("board after %s, Right" % enter, s.cells(), before)
        check("the bar's highlight moved on with Right after %s" % enter,
              menu_bar(s) not in (idle, active), True)
        s.xdotool("key", "Escape")
        s.settle()
        check("the menu bar after %s, Right, Escape" % enter, menu_bar(s) == idle, True)
        s.xdotool("key", back)
        s.settle()
        check("cell %d after %s, Right, Escape, Right" % (moved, enter), s.cells()[moved], C)
        before = s.cells()


def menu_bar(s):
    """The menu bar's pixels."""
    shot = s.grab()
    return [s.pixel_of(shot, x, y) for y in s.menu_bar_rows()
            for x in range(s.origin[0], s.client(289, 0)[0])]


def whole_at_scale(s):
    """At any display scale the boards are drawn as at 96 dpi, only larger: a piece's mark is
    whole on all four sides and equally wide, with none of the piece's colour outside it; both
    outlines are whole and no cell lies past them."""
    startup(s)
    s.click_cell(20)  # "1": red "0" left, white "7" above, a wall below, empty right
    s.settle()
    shot = s.grab()
    line = screen.device_line(s.dpi)

    def band_colors(rect, color, what):
        """Every pixel of a line `line` wide inside `rect` is `colour`; returns the pixels just
        inside the line and just outside the rectangle, side by side."""
        left, top, right, bottom = rect
        inside, outside = set(), set()
        rows = list(range(top, top + line)) + list(range(bottom - line, bottom))
        columns = list(range(left, left + line)) + list(range(right - line, right))
        band = [(x, y) for x in range(left, right) for y in rows]
        band += [(x, y) for y in range(top, bottom) for x in columns]
        for x, y in band:
            if s.pixel_of(shot, x, y) != color:
                failures.append("%s: pixel (%d, %d) is %s" % (what, x, y, s.pixel_of(shot, x, y)))
                return inside, outside
        for x in range(left + line, right - line):
            inside |= {s.pixel_of(shot, x, top + line), s.pixel_of(shot, x, bottom - line - 1)}
            outside |= {s.pixel_of(shot, x, top - 1), s.pixel_of(shot, x, bottom)}
        for y in range(top + line, bottom - line):
            inside |= {s.pixel_of(shot, left + line, y), s.pixel_of(shot, right - line - 1, y)}
            outside |= {s.pixel_of(shot, left - 1, y), s.pixel_of(shot, right, y)}
        return inside, outside

    x, y = s.cell_corner(20)
    inside, outside = band_colors(s.device_rect(x, y, 25, 25), BLACK, "mark of cell 20")
    check("colours just inside the mark", inside, {GREEN})
    check("the piece's colour outside the mark", GREEN in outside, False)
    for frame, left in ((0, 0), (1, 144)):
        inside, _ = band_colors(s.device_rect(left, 0, 145, 145), BLACK, "outline %d" % frame)
        check("outline %d lies on walls" % frame, inside, {WALL})
    # Around both boards: the window's own background, its menu bar (white under Wine) or the
    # screen's. A cell drawn past its outline shows as a pixel unlike the one a little further
    # out in the same direction; above the boards, unlike the menu bar's right end, past its
    # words.
    left, top, right, bottom = s.device_rect(0, 0, 289, 145)
    width, data = shot
    far = 4 * line
    around = [((x, top - 1), (right - 2, top - 1 - far)) for x in range(left, right)]
    around += [((x, bottom), (x, bottom + far)) for x in range(left, right)]
    around += [((left - 1, y), (left - 1 - far, y)) for y in range(top, bottom)]
    around += [((right, y), (right + far, y)) for y in range(top, bottom)]
    cells = set(PALETTE.values()) - {BLACK}
    leaks = {s.pixel_of(shot, *near) for near, out in around
             if min(out) >= 0 and out[0] < width
             and s.pixel_of(shot, *near) in cells
             and s.pixel_of(shot, *near) != s.pixel_of(shot, *out)}
    check("cell colours around the outlines", leaks, set())


def fixed_size(s):
    """The window manager can neither resize, maximise nor make the window full screen: the
    window keeps its size, and it and its boards look as before."""
    size = s.window_size()
    if s.wayland:
        check("room sway gives the window at start", s.window_room(), size)
    look = window_look(s)
    cells = s.cells()
    for asked in s.ask_other_sizes():
        s.settle(1)
        check("window size after %s" % asked, s.window_size(), size)
        found = s.find_boards()
        if s.wayland and found:
            s.origin = found  # sway centres a window in whatever room it gives it
        else:
            check("boards where they were after %s" % asked, found, s.origin)
        check("the window looks as before after %s" % asked, window_look(s) == look, True)
        check_board("board after %s" % asked, s.cells(), cells)


def window_look(s):
    """The pixels of the menu bar and the client area, wherever the boards are now; None where
    level 1's boards are not seen whole."""
    origin = s.find_boards()
    if origin is None:
        return None
    shot = s.grab()
    dx, dy = origin[0] - s.origin[0], origin[1] - s.origin[1]
    right, bottom = s.client(290, 214)
    return [s.pixel_of(shot, x + dx, y + dy) for y in range(s.menu_bar_rows()[0], bottom)
            for x in range(s.origin[0], right)]


def level_changes_at_once(s):
    """Loading a level and "Reset" take each cell straight from its old colour to its new one,
    with no blank board in between. Where the board changed while a frame may have gone unseen,
    the change is made once more."""
    before = s.cells()
    traffic = None

    def load_traffic(attempt):
        nonlocal traffic
        if attempt:
            s.load_level(1)
            s.settle()
        s.open_level_list()
        under_list = s.level_list()
        frames = s.cells_while(*s.choose_level_keys(8))
        traffic = frames[-1]
        check("cell 25 after loading Traffic", traffic[25], C)
        return check_between("loading Traffic", s, frames, before, traffic, under_list)

    def reset(_):
        s.click_cell(25)
        s.xdotool("key", "Right")
        s.settle()
        moved = s.cells()
        check("cells 25, 26 after Right", moved[25:27], [BLACK, C])
        frames = s.cells_while("mousemove", *s.reset_point(), "click", "1")
        check_board("board after Reset", frames[-1], traffic)
        return check_between("Reset", s, frames, moved, traffic, None)

    for what, change in (("loading Traffic", load_traffic), ("Reset", reset)):
        if not any(change(attempt) for attempt in range(ATTEMPTS)):
            failures.append("%s: a frame may have gone unseen each of %d times"
                            % (what, ATTEMPTS))


def check_between(what, s, frames, old, new, covered):
    """Each look of the cells on the way shows every cell in its old or its new colour; cells
    under the list that was open are left out. A None among the looks marks where a frame may
    have gone unseen: False if the cells outside the list changed there, so that what lay
    between is not known."""
    def seen(index):
        x, y = s.sample_point(index)
        return not (covered and covered[0] <= x < covered[2] and covered[1] <= y < covered[3])

    shown = [index for index in range(72) if seen(index)]
    known = True
    last, gap = None, False
    for frame in frames:
        if frame is None:
            gap = True
            continue
        if gap and last is not None and any(frame[i] != last[i] for i in shown):
            known = False
        last, gap = frame, False
        for index in shown:
            if frame[index] not in (old[index], new[index]):
                failures.append("%s: cell %d showed %s, neither its old %s nor its new %s" %
                                (what, index, frame[index], old[index], new[index]))
                return True
    return known


def level_one_solved(s):
    """Level 1 from the start, clicks and keys 10 ms apart, ends solved under par."""
    steps = []
    for cell, key in LEVEL_ONE:
        steps += ["mousemove", *s.cell_point(cell), "click", "1", "sleep", "0.01",
                  "key", key, "sleep", "0.01"]
    s.xdotool(*steps)
    s.settle(0.5)
    cells = s.cells()
    check_board("play board against the goal board", cells[:36], cells[36:])
    check("counter colour", s.pixel(3, 196), CYAN)


def close_box(s):
    """The close box ends the game with status 0, in the middle of a level too."""
    s.click_cell(20)
    s.xdotool("key", "Right")
    s.settle()
    check("exit status after the close box", s.close_box(), 0)


CASES = {f.__name__: f for f in (startup, selection_mark, two_fast_strokes, held_key, menu_keys,
                                  menu_bar_shown, reset_by_mouse, level_changes_at_once,
                                  level_one_solved, close_box, whole_at_scale, fixed_size)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--busy", action="store_true",
                        help="the game held back now and then, as on a busy machine")
    parser.add_argument("--scale", choices=["1", "1.25", "1.5", "2"],
                        help="display scale (QT_SCALE_FACTOR and NUDGEBOARD_SCREEN_SCALE)")
    parser.add_argument("--wm", choices=["openbox"], help="window manager to run first")
    parser.add_argument("--wayland", action="store_true",
                        help="under a headless sway instead of an X display")
    parser.add_argument("--pointer", help="the virtual pointer program, for --wayland")
    parser.add_argument("--frames", help="the frame copier program, for --wayland")
    parser.add_argument("game", nargs="+")
    args = parser.parse_args()
    if args.wayland:
        import sway
        sway.require_tools(args.pointer, args.frames)
        if args.busy or args.wm:
            parser.error("--wayland takes neither --busy nor --wm")
        shown = sway.SwayScreen(args.game, args.pointer, args.frames, scale=args.scale)
    else:
        screen.require_tools()
        shown = Screen(args.game, scale=args.scale, wm=args.wm)
    with shown as s:
        s.wait_for_window()
        if args.busy:
            with Busy(s.game):
                CASES[args.case](s)
        else:
            CASES[args.case](s)
    for f in failures:
        print("FAILED " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
