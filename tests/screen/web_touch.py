"""The page on a phone: taps and swipes, and the window fitted to the screen upright and on its
side, in Chromium's phone emulation over DevTools (devtools.py) at a device scale of 2, judged by
the screenshots' pixels and the page's cells.

Usage: web_touch.py PAGE
Exit status 0 passed, 1 failed, 77 skipped (Xvfb or chromium missing).
"""

import base64
import os
import sys
import time

import devtools
import png
from facts import (PALETTE, counted_moves, level_count, level_name, level_par, level_rows,
                   solution)
from screen import BLACK, WALL, device_line, device_pixel, device_rect

# A phone's viewport in CSS pixels, upright, at two device pixels to the CSS pixel.
PHONE = (360, 740)
PHONE_SCALE = 2
GREEN = PALETTE["1"]
# A swipe's way, per arrow key, in cell pitches.
WAYS = {"Left": (-1, 0), "Right": (1, 0), "Up": (0, -1), "Down": (0, 1)}

failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: %r, expected %r" % (what, actual, expected))


class Phone:
    """The page's tab made a phone: its viewport, its fingers, and what the page shows."""

    def __init__(self, browser):
        self.b = browser
        self.size = None

    def turn(self, width, height):
        """The viewport at `width` x `height` CSS pixels; waits until the window is drawn anew."""
        before = self.b.js("document.getElementById('client').style.width")
        self.b.send("Emulation.setDeviceMetricsOverride", width=width, height=height,
                    deviceScaleFactor=0, mobile=True)
        self.b.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.size = (width, height)
        end = time.monotonic() + 10
        while self.b.js("document.getElementById('client').style.width") == before:
            if time.monotonic() > end:
                failures.append("the window was not drawn anew at %d x %d" % (width, height))
                return
            time.sleep(0.05)

    def centre(self, cell):
        return self.b.centre('#client .c[data-k="%d"]' % cell)

    def pitch(self):
        """A cell pitch in CSS pixels, as the page lays the cells out."""
        return self.centre(1)[0] - self.centre(0)[0]

    @staticmethod
    def touch(kind, points):
        return ("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)]})

    def gesture(self, start, move, second=None):
        """A finger from `start`, moved by `move` in two steps and lifted; with a second finger
        down beside it the whole way if asked. Its events are sent at once, in order."""
        fingers = [start] + ([second] if second else [])
        events = [self.touch("touchStart", fingers[:1])]
        if second:
            events.append(self.touch("touchStart", fingers))
        for part in (0.5, 1):
            moved = [(x + part * move[0], y + part * move[1]) for x, y in fingers]
            events.append(self.touch("touchMove", moved))
        events.append(self.touch("touchEnd", []))
        self.b.send_all(events)

    def tap(self, point):
        self.gesture(point, (0, 0))

    def swipe(self, cell, key, length=1.0):
        dx, dy = WAYS[key]
        p = length * self.pitch()
        self.gesture(self.centre(cell), (dx * p, dy * p))

    def play_cells(self):
        """Every play cell's centre, in one look: the cells stand still while the viewport does."""
        return self.b.js("Array.from({length: 36}, function (_, k) {"
                         " var r = document.querySelector('#client .c[data-k=\"' + k + '\"]')"
                         ".getBoundingClientRect();"
                         " return [r.left + r.width / 2, r.top + r.height / 2]; })")

    def choose_level(self, level):
        self.tap(self.b.centre("#bar > span"))
        self.tap(self.b.centre("#levels > div:nth-child(%d)" % level))

    def counter(self):
        return self.b.js("document.querySelector('#client > .l[aria-live]').textContent")

    def name(self):
        return self.b.js("document.querySelector('#client > .l:not([aria-live])').textContent")

    def selected(self):
        return self.b.js("Array.from(document.querySelectorAll('#client .c[aria-selected=true]'))"
                         ".map(function (e) { return Number(e.dataset.k); })")

    def colours(self):
        return self.b.js("Array.from(document.querySelectorAll('#client .c')).map(function (e) {"
                         " return getComputedStyle(e).backgroundColor; })")

    def list_open(self):
        return self.b.js("getComputedStyle(document.getElementById('levels')).display") == "block"

    def screenshot(self):
        data = base64.b64decode(self.b.send("Page.captureScreenshot", format="png")["data"])
        return Picture(*png.decode(data))


class Picture:
    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        return tuple(self.rows[y][3 * x:3 * x + 3])


def window_on(picture):
    """The scale the window is drawn at, judged by its edges: the play board's outline starts at
    the top of the client area, under the menu bar, and the boards' top outline runs to the goal
    board's right edge. The scales whose rule puts the edges there, and the bar's height."""
    top = next((y for y in range(picture.height) if picture.pixel(0, y) == BLACK), None)
    if top is None:
        return [], 0
    right = next(x for x in range(picture.width + 1) if picture.pixel(x, top) != BLACK)
    dpis = [dpi for dpi in range(24, 2000) if device_rect(0, 0, 289, 145, dpi)[2] == right
            and device_pixel(20, dpi) == top]
    return dpis, top


def cell_samples(picture, dpi, top):
    """Each cell's colour, read away from its edges and caption."""
    inset = max(device_line(dpi) + 1, device_pixel(24, dpi) // 6)
    samples = []
    for k in range(72):
        row, column = divmod(k % 36, 6)
        left, y, _, _ = device_rect(24 * column + 144 * (k // 36), 24 * row, 25, 25, dpi)
        samples.append(picture.pixel(left + inset, top + y + inset))
    return samples


def band(picture, rect, line, what):
    """Every pixel of a line `line` wide inside `rect` is black; the pixels just inside the line
    and just outside the rectangle."""
    left, top, right, bottom = rect
    rows = list(range(top, top + line)) + list(range(bottom - line, bottom))
    columns = list(range(left, left + line)) + list(range(right - line, right))
    pixels = [(x, y) for x in range(left, right) for y in rows]
    pixels += [(x, y) for y in range(top, bottom) for x in columns]
    wrong = [(x, y) for x, y in pixels if picture.pixel(x, y) != BLACK]
    if wrong:
        failures.append("%s: %d pixels of the line not black, first %r" % (what, len(wrong),
                                                                          wrong[0]))
    inside = {picture.pixel(x, y) for x in range(left + line, right - line)
              for y in (top + line, bottom - line - 1)}
    inside |= {picture.pixel(x, y) for y in range(top + line, bottom - line)
               for x in (left + line, right - line - 1)}
    outside = {picture.pixel(x, y) for x in range(left, right) for y in (top - 1, bottom)}
    outside |= {picture.pixel(x, y) for y in range(top, bottom) for x in (left - 1, right)}
    return inside, outside


def judge_window(phone, what, expected_cells, marked=None):
    """The whole window fitted to the viewport at one scale of the shared rule: as wide as the
    viewport or as high, within a cell pitch; the outlines and a mark whole; the cells' colours at
    their scaled places, if expected. Returns the colours read."""
    picture = phone.screenshot()
    room = (phone.size[0] * PHONE_SCALE, phone.size[1] * PHONE_SCALE)
    check("%s: screenshot size" % what, (picture.width, picture.height), room)
    dpis, top = window_on(picture)
    if not dpis:
        failures.append("%s: the window's edges fit no scale of the rule" % what)
        return None
    dpi = dpis[-1]
    width = device_rect(0, 0, 290, 214, dpi)[2]
    height = top + device_rect(0, 0, 290, 214, dpi)[3]
    pitch = device_pixel(24, dpi)
    check("%s: the window within the viewport" % what, width <= room[0] and height <= room[1],
          True)
    check("%s: the window fills the viewport's width or height (%d x %d in %d x %d)"
          % (what, width, height, room[0], room[1]),
          min(room[0] - width, room[1] - height) < pitch, True)
    line = device_line(dpi)

    def shifted(rect):
        return rect[0], rect[1] + top, rect[2], rect[3] + top

    for frame, left in ((0, 0), (1, 144)):
        inside, _ = band(picture, shifted(device_rect(left, 0, 145, 145, dpi)), line,
                         "%s: outline %d" % (what, frame))
        check("%s: outline %d lies on walls" % (what, frame), inside, {WALL})
    if marked is not None:
        row, column = divmod(marked, 6)
        inside, outside = band(picture, shifted(device_rect(24 * column, 24 * row, 25, 25, dpi)),
                               line, "%s: mark of cell %d" % (what, marked))
        check("%s: just inside the mark" % what, inside, {GREEN})
        check("%s: the piece's colour outside its mark" % what, GREEN in outside, False)
    samples = cell_samples(picture, dpi, top)
    for k, (seen, wanted) in enumerate(zip(samples, expected_cells or samples)):
        check("%s: cell %d" % (what, k), seen, wanted)
    return samples


def start_colours(level):
    """The colours of a level's 72 cells at its start, as its rows paint them."""
    rows = level_rows(level)
    return [PALETTE[rows[6 * (k // 36) + k % 36 // 6][k % 6]] for k in range(72)]


def css(colour):
    return "rgb(%d, %d, %d)" % colour


def count_mouse(b):
    """Counts the mouse presses and clicks that reach the page from now on: a tap on the board
    must bring none, or it would select twice."""
    b.js("window.nbMouse = 0; ['mousedown', 'click'].forEach(function (type) {"
         " window.addEventListener(type, function () { ++window.nbMouse; }, true); });")


def mouse_events(b):
    return b.js("var n = window.nbMouse; window.nbMouse = 0; n")


def upright(phone):
    """Upright: a tap selects, once; the window fills the phone's width, whole."""
    phone.turn(*PHONE)
    count_mouse(phone.b)
    phone.tap(phone.centre(20))  # "1": red "0" left, white "7" above, a wall below, empty right
    check("selected after a tap on cell 20", phone.selected(), [20])
    check("mouse events after a tap on the board", mouse_events(phone.b), 0)
    judge_window(phone, "upright", start_colours(1), marked=20)


def menus_by_tap(phone):
    """"Load Level" opens and chooses by tap, once per tap; a tap on the board while the list is
    open only closes it."""
    phone.tap(phone.b.centre("#bar > span"))
    check("list open after a tap on Load Level", phone.list_open(), True)
    check("mouse presses and clicks a tap on Load Level makes", mouse_events(phone.b), 2)
    phone.tap(phone.centre(41))  # the goal board's top right corner, clear of the list
    check("list open after a tap on the board", phone.list_open(), False)
    check("selected after the tap that closed the list", phone.selected(), [20])
    phone.choose_level(8)
    check("list open after a tap on level 8", phone.list_open(), False)
    check("cell 25 after choosing level 8 by tap", phone.colours()[25], css(PALETTE["C"]))
    phone.choose_level(1)
    check("counter on level 1 again", phone.counter(), "Moves: 0 (38)")


def no_strokes(phone):
    """Too short, too diagonal, with two fingers, begun off the play board: no slide."""
    phone.tap(phone.centre(20))
    before = phone.colours()
    p = phone.pitch()
    x, y = phone.centre(20)
    phone.swipe(20, "Right", 0.3)
    phone.gesture((x, y), (0.8 * p, 0.7 * p))
    phone.gesture((x, y), (1.5 * p, 0), second=(x, y + p))
    phone.swipe(22 + 36, "Left", 2)
    check("counter after swipes that are none", phone.counter(), "Moves: 0 (38)")
    check("cells after swipes that are none", phone.colours(), before)
    check("selected after swipes that are none", phone.selected(), [20])


def solved_by_touch(phone):
    """Level 1 by taps and swipes alone, each swipe one move; half of it upright, the rest after
    turning the phone on its side, where the window fills the height and the game goes on."""
    steps = solution(1)
    check("the solution swipes every way", {key for _, key in steps}, set(WAYS))
    half = len(steps) // 2
    for n, (cell, key) in enumerate(steps):
        if n == half:
            shown = judge_window(phone, "upright, half solved", None)
            counter = phone.counter()
            phone.turn(PHONE[1], PHONE[0])
            check("counter after turning", phone.counter(), counter)
            if shown:
                judge_window(phone, "on its side", shown)
        phone.tap(phone.centre(cell))
        phone.swipe(cell, key)
        check("counter after swipe %d" % (n + 1), phone.counter().split(" (")[0],
              "Moves: %d" % (n + 1))
    check("SOLVED!! after the last swipe", "SOLVED!!" in phone.name(), True)
    before, counter = phone.colours(), phone.counter()
    for key in WAYS:
        phone.swipe(steps[-1][0], key)
    check("cells after swipes once solved", phone.colours(), before)
    check("counter after swipes once solved", phone.counter(), counter)


def every_level_by_touch(phone):
    """The other levels, each chosen by tap from "Load Level" and solved by taps and swipes alone,
    still on its side: a tap where another piece is to slide, one swipe per slide, the counter
    after each, and the level's name turned "SOLVED!!" after the last."""
    centres = phone.play_cells()
    pitch = centres[1][0] - centres[0][0]
    for level in range(2, level_count() + 1):
        what = "level %d" % level
        phone.choose_level(level)
        check("%s: name after choosing it by tap" % what, phone.name(), level_name(level))
        check("%s: cells at its start" % what, phone.colours(),
              [css(c) for c in start_colours(level)])
        check("%s: counter at its start" % what, phone.counter(),
              "Moves: 0 (%d)" % level_par(level))
        steps = solution(level)
        counted = 0
        for n, ((cell, key), moves) in enumerate(zip(steps, counted_moves(steps))):
            # A step that counts no new move slides the piece that slid last, which stays
            # selected where it went: only another piece is tapped.
            if moves != counted:
                phone.tap(centres[cell])
            counted = moves
            dx, dy = WAYS[key]
            phone.gesture(centres[cell], (dx * pitch, dy * pitch))
            counter = phone.counter()
            if counter != "Moves: %d (%d)" % (moves, level_par(level)):
                failures.append("%s: counter %r after swipe %d, expected %d moves"
                                % (what, counter, n + 1, moves))
                break
        check("%s: SOLVED!! after the last swipe" % what, "SOLVED!!" in phone.name(), True)


def main():
    page = os.path.abspath(sys.argv[1])
    devtools.skip_without_tools()
    # The browser at a phone's own device scale: its edges then fall on device pixels as on a
    # phone, which emulating the scale alone does not do.
    os.environ["NUDGEBOARD_SCREEN_SCALE"] = str(PHONE_SCALE)
    with devtools.Browser(page) as b:
        b.attach()
        phone = Phone(b)
        for case in (upright, menus_by_tap, no_strokes, solved_by_touch,
                     every_level_by_touch):
            start = len(failures)
            case(phone)
            print("%s: %s" % (case.__name__, "FAILED" if len(failures) > start else "passed"))
    for f in failures:
        print("FAILED " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
