"""The game on a real X display: its own Xvfb, input from xdotool, judged by screen pixels.

Nothing here knows which front end draws the window; it finds the boards by their look.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77  # CTest's skip status for this group

try:
    from Xlib import X, display as xdisplay
except ImportError:  # needed on X11 only: require_tools says so
    X = xdisplay = None

from facts import COLORS, level_count

BLACK = COLORS["emptyColor"]
WALL = COLORS["wallColor"]
CYAN = COLORS["underParCyan"]


def require_tools():
    if xdisplay is None:
        print("skipped: python3-xlib not installed", file=sys.stderr)
        sys.exit(SKIP)
    missing = [t for t in ("Xvfb", "xdotool") if shutil.which(t) is None]
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed", file=sys.stderr)
        sys.exit(SKIP)


def device_pixel(x, dpi):
    """Where design pixel x starts on a display of `dpi` dots per inch: whole cell pitches of 24
    scale as one rounded pitch, the rest within a pitch as itself (as the game computes it)."""
    def rounded(pixels):
        return (pixels * dpi + 48) // 96
    pitches = x // 24
    return pitches * rounded(24) + rounded(x - 24 * pitches)


def device_line(dpi):
    """How wide a one-pixel line (a mark, an outline) is drawn at `dpi`."""
    return max(1, (dpi + 48) // 96)


def device_rect(left, top, width, height, dpi):
    """A design rectangle's device pixels: left, top, right, bottom, the last two exclusive."""
    return (device_pixel(left, dpi), device_pixel(top, dpi),
            device_pixel(left + width - 1, dpi) + 1, device_pixel(top + height - 1, dpi) + 1)


def stop(*processes):
    """Ends each process still running, killing what does not end within 5 s."""
    for p in processes:
        if p is not None and p.poll() is None:
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


class Screen:
    """An Xvfb of our own on a free display number, and the game started on it; at a display
    scale if asked, and under a window manager if asked."""

    wayland = False

    def __init__(self, command, env=None, scale=None, wm=None):
        self.scale = 1.0 if scale is None else float(scale)
        self.dpi = round(96 * self.scale)
        self.wm = None
        read_end, write_end = os.pipe()
        # -displayfd makes the server pick a free display and say which once it is ready.
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten",
             "tcp", "-ac"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ if env is None else env, DISPLAY=self.name)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        if scale is not None:
            # Qt reads the first, the Windows and web wrappers the second.
            self.env["QT_SCALE_FACTOR"] = str(scale)
            self.env["NUDGEBOARD_SCREEN_SCALE"] = str(scale)
        self.x = xdisplay.Display(self.name)
        self.history = WindowHistory(self.name)
        self.root = self.x.screen().root
        self.game = None
        try:
            if wm is not None:
                self.start_window_manager(wm)
            # What the game says on standard error is kept for a failure's message.
            self.game_errors = tempfile.TemporaryFile()
            self.game = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=self.game_errors)
        except BaseException:
            self.close()  # what cannot start leaves no server behind
            raise
        self.window = None
        self.origin = None
        self.opened_list = None  # the list window "Load Level" opened last, if it has one

    def start_window_manager(self, wm):
        """Starts the window manager and waits until it manages the screen."""
        if shutil.which(wm) is None:
            print("skipped: %s not installed" % wm, file=sys.stderr)
            sys.exit(SKIP)
        self.wm = subprocess.Popen([wm], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        check = self.x.intern_atom("_NET_SUPPORTING_WM_CHECK")
        deadline = time.monotonic() + 30
        while self.root.get_full_property(check, X.AnyPropertyType) is None:
            if self.wm.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("%s did not start" % wm)
            time.sleep(0.05)

    def close(self):
        self.history.stop()
        self.x.close()
        stop(self.game, self.wm, self.server)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # --- input -----------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True,
                       stdout=subprocess.DEVNULL)

    def wait_for_window(self, title="Nudgeboard", timeout=120):
        """Waits until the window is up and its boards are painted; finds the client area."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.game.poll() is not None:
                self.game_errors.seek(0)
                said = self.game_errors.read()[-2000:].decode(errors="replace").strip()
                raise RuntimeError("the game ended with status %d%s" % (
                    self.game.returncode, ", saying:\n" + said if said else ", saying nothing"))
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    "^%s$" % title], env=self.env, capture_output=True,
                                   text=True).stdout.split()
            if found:
                self.window = found[0]
                # Boards found count once the painting has settled and they are still there.
                origin = self.find_boards()
                if origin:
                    self.settle()
                    if self.find_boards() == origin:
                        self.origin = origin
                        self.xdotool("windowfocus", "--sync", self.window)
                        self.settle()
                        return
            time.sleep(0.1)
        raise RuntimeError("no game window with its boards on the screen")

    def device(self, x):
        """A design pixel's offset on the screen, at the display's scale."""
        return device_pixel(x, self.dpi)

    def client(self, x, y):
        """The screen point of a design pixel of the client area."""
        return self.origin[0] + self.device(x), self.origin[1] + self.device(y)

    @staticmethod
    def cell_corner(index):
        """A cell's top-left design pixel."""
        row, column = divmod(index % 36, 6)
        return 24 * column + 24 * 6 * (index // 36), 24 * row

    def cell_point(self, index, inset=12):
        """A point `inset` pixels right of and below a cell's corner: its middle by default."""
        x, y = self.cell_corner(index)
        return self.client(x + inset, y + inset)

    def device_rect(self, left, top, width, height):
        """A design rectangle of the client area on the screen: left, top, right, bottom."""
        l, t, r, b = device_rect(left, top, width, height, self.dpi)
        return l + self.origin[0], t + self.origin[1], r + self.origin[0], b + self.origin[1]

    def menu_bar_rows(self):
        """Rows of the screen that the menu bar covers, just above the client area."""
        return range(max(0, self.origin[1] - int(20 * self.scale)), self.origin[1] - 1)

    def click_cell(self, index):
        self.xdotool("mousemove", *self.cell_point(index), "click", "1")

    def click_client(self, x, y):
        self.xdotool("mousemove", *self.client(x, y), "click", "1")

    def open_level_list(self):
        """Clicks "Load Level", the menu bar's first entry, just above the client area, and
        waits until the list is on the screen and drawn."""
        self.click_client(25, -10)
        self.wait_until(self.level_list_shown, "the level list to open")
        self.settle()
        lists = self.list_windows()
        self.opened_list = lists[0][0] if lists else None

    @staticmethod
    def choose_level_keys(level):
        """The xdotool words that choose a level in the open list: its walking keys."""
        return ["key", "--delay", "30", *["Down"] * level, "Return"]

    def load_level(self, level):
        """Chooses a level from "Load Level" by mouse and keyboard."""
        self.open_level_list()
        self.xdotool(*self.choose_level_keys(level))
        self.wait_until(self.level_list_closed, "the level list to close")

    def load_level_by_mouse(self, level):
        """Opens "Load Level" and clicks the level's item: the list's eighth line of text is
        the eighth item, wherever the toolkit draws it."""
        self.open_level_list()
        shot = self.grab()
        lines = self.text_runs(shot, [self.client(x, 0)[0] for x in range(30, 110)],
                               range(self.origin[1] + 1, self.client(0, 214)[1]), across=False)
        if len(lines) < level_count():
            raise RuntimeError("the level list shows %d lines of text, not %d"
                               % (len(lines), level_count()))
        first, last = lines[level - 1]
        self.xdotool("mousemove", self.client(60, 0)[0], (first + last) // 2, "click", "1")

    def reset_point(self):
        """Where "Reset" is: the last word on the menu bar."""
        shot = self.grab()
        words = self.text_runs(shot, range(self.origin[0], self.client(289, 0)[0]),
                               [self.origin[1] - d for d in range(int(6 * self.scale),
                                                                  int(15 * self.scale))],
                               across=True)
        if len(words) < 2:
            raise RuntimeError("no menu bar words above the boards")
        first, last = words[-1]
        return (first + last) // 2, self.client(0, -10)[1]

    def click_reset(self):
        self.xdotool("mousemove", *self.reset_point(), "click", "1")

    def text_runs(self, shot, xs, ys, across):
        """Runs of dark (text) pixels: columns along x when `across`, else rows along y, each
        looked for in the other direction's range; runs closer than 5 design pixels join."""
        outer, inner = (xs, ys) if across else (ys, xs)
        runs = []
        for a in outer:
            dark = any(sum(self.pixel_of(shot, *((a, b) if across else (b, a)))) < 250
                       for b in inner)
            if dark:
                if runs and a - runs[-1][1] < 5 * self.scale:
                    runs[-1][1] = a
                else:
                    runs.append([a, a])
        return [tuple(r) for r in runs]

    def close_box(self, timeout=30):
        """Asks the window to close, as a window manager's close box does; the game's status."""
        from Xlib.protocol import event
        window = self.x.create_resource_object("window", int(self.window))
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        message = event.ClientMessage(window=window, client_type=protocols,
                                      data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message)
        self.x.flush()
        try:
            return self.game.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def window_size(self):
        g = self.x.create_resource_object("window", int(self.window)).get_geometry()
        return g.width, g.height

    def ask_other_sizes(self):
        """Asks the window manager, all at once, to resize the window, maximise it and make it
        full screen, by message and by its keys; then yields what was asked."""
        from Xlib.protocol import event
        self.xdotool("windowsize", self.window, 600, 500)
        window = self.x.create_resource_object("window", int(self.window))
        state = self.x.intern_atom("_NET_WM_STATE")
        for atoms in (("_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"),
                      ("_NET_WM_STATE_FULLSCREEN", None)):
            data = [1] + [self.x.intern_atom(a) if a else 0 for a in atoms] + [1, 0]
            message = event.ClientMessage(window=window, client_type=state, data=(32, data))
            self.root.send_event(message, event_mask=X.SubstructureRedirectMask |
                                 X.SubstructureNotifyMask)
        self.x.flush()
        self.xdotool("key", "super+Up", "alt+F8")
        yield "resize, maximise and full screen requests"

    def settle(self, seconds=0.3, timeout=10):
        """Gives the game time to act, then waits until the screen stops changing: a slow
        machine may still be drawing after the time is up."""
        time.sleep(seconds)
        deadline = time.monotonic() + timeout
        last = self.grab()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            shot = self.grab()
            if shot == last:
                return
            last = shot

    def wait_until(self, condition, what, timeout=30):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise RuntimeError("gave up waiting for %s; %s" % (what, self.describe()))
            time.sleep(0.05)

    def describe(self):
        """What the screen shows, for a failure's message: the windows on it, which one has
        the keyboard, where a list and the boards are seen, and a picture of it all."""
        windows = []
        for window in self.root.query_tree().children:
            attributes = window.get_attributes()
            if attributes.map_state == X.IsViewable:
                g = window.get_geometry()
                windows.append("0x%x%s at %d,%d %dx%d" % (
                    window.id, " (override-redirect)" if attributes.override_redirect else "",
                    g.x, g.y, g.width, g.height))
        focus = self.x.get_input_focus().focus
        return ("windows shown: %s; keyboard: %s; level list: %s; boards found at %s, level"
                " 1's seen now at %s; game %s; the screen is in %s" % (
                    ", ".join(windows) or "none",
                    "0x%x" % focus.id if hasattr(focus, "id") else focus, self.level_list(),
                    self.origin, self.find_boards(),
                    "running" if self.game.poll() is None else
                    "ended with status %d" % self.game.returncode, self.save_picture())
                + "; lately: " + self.history.lately())

    def save_picture(self):
        """Writes the screen to a picture file in the working directory; its path."""
        width, data = self.grab()
        height = len(data) // (4 * width)
        path = os.path.abspath("screen-%d.ppm" % os.getpid())
        rgb = bytearray(3 * width * height)
        rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
        with open(path, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (width, height))
            f.write(rgb)
        return path

    def level_list(self):
        """Where the open drop-down list lies (left, top, right, bottom), or None. A desktop
        toolkit's list is a window of its own, one the window manager leaves alone, over the
        client area; a page's is drawn inside the window. Either drops over the play board's
        outline, which is black wherever nothing covers it."""
        lists = self.list_windows()
        return lists[0][1] if lists else self.list_over_outlines()

    def list_windows(self):
        """The windows the window manager leaves alone that lie over the client area, each with
        its rectangle: a desktop toolkit's open list among them."""
        left, top = self.origin
        found = []
        for window in self.root.query_tree().children:
            attributes = window.get_attributes()
            if attributes.map_state != X.IsViewable or not attributes.override_redirect:
                continue
            g = window.get_geometry()
            right, bottom = g.x + g.width, g.y + g.height
            if (g.x < left + self.device(290) and left < right and g.y < top + self.device(214)
                    and top < bottom):
                found.append((window, (g.x, g.y, right, bottom)))
        return found

    def level_list_closed(self):
        """The list that opened last is gone: its own window hidden, or, for a list drawn in
        the window, the outlines whole again. Another window that shows meanwhile (a toolkit's
        tooltip, say) is not that list."""
        if self.opened_list is None:
            return not self.level_list_shown()
        from Xlib import error
        try:
            return self.opened_list.get_attributes().map_state != X.IsViewable
        except error.BadWindow:
            return True

    def list_over_outlines(self):
        """The part of the client area a list covers, judged by the outlines' pixels: from the
        covered stretch of the top edge down to the lowest covered outline pixel below it, or
        past the boards when it covers their bottom edge too."""
        shot = self.grab()
        covered = [x for x in range(0, 289) if self.pixel_of(shot, *self.client(x, 0)) != BLACK]
        if not covered:
            return None
        left, right = min(covered), max(covered) + 1
        bottom = 145
        if any(self.pixel_of(shot, *self.client(x, 144)) != BLACK for x in range(left, right)):
            bottom = 214
        else:
            for x in (0, 144, 288):
                if left <= x < right:
                    rows = [y for y in range(145)
                            if self.pixel_of(shot, *self.client(x, y)) != BLACK]
                    bottom = max(rows) + 1 if rows else bottom
        return (*self.client(left, -1), *self.client(right, bottom))

    def level_list_shown(self):
        return self.level_list() is not None

    def cells_while(self, *xdotool_args, after=0.5):
        """Every different look of the cells while xdotool runs and for `after` seconds more."""
        keys = subprocess.Popen(["xdotool", *map(str, xdotool_args)], env=self.env,
                                stdout=subprocess.DEVNULL)
        frames = [self.cells()]
        end = None
        while end is None or time.monotonic() < end:
            if end is None and keys.poll() is not None:
                end = time.monotonic() + after
            cells = self.cells()
            if cells != frames[-1]:
                frames.append(cells)
        if keys.returncode != 0:
            raise RuntimeError("xdotool failed")
        return frames

    # --- what is on the screen --------------------------------------------------------------

    def grab(self):
        geometry = self.root.get_geometry()
        image = self.root.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
        return geometry.width, image.data

    def pixel_of(self, shot, x, y):
        width, data = shot
        i = 4 * (y * width + x)
        return data[i + 2], data[i + 1], data[i]  # stored blue, green, red, pad

    def pixel(self, x, y):
        """A pixel of the client area."""
        return self.pixel_of(self.grab(), *self.client(x, y))

    def cells(self):
        """The colour of every cell, read at its sample point."""
        shot = self.grab()
        return [self.pixel_of(shot, *self.sample_point(index)) for index in range(72)]

    def sample_point(self, index):
        """Where a cell's colour is read: away from the edges where marks and outlines lie."""
        return self.cell_point(index, inset=4)

    def find_boards(self):
        """Level 1 at start-up: cell 0 is a wall inside the black outline of the play board,
        the outline as wide as a line is at the display's scale. The client area's origin, or
        None while the screen shows no such boards whole (a window still being painted shows
        parts of them on black, which can pass for an outline)."""
        shot = self.grab()
        width, data = shot
        height = len(data) // (4 * width)
        line = device_line(self.dpi)
        right, bottom = self.device(288), self.device(144)
        at = data.find(b"\x66\x66\x66")
        while at >= 0:
            if at % 4 == 0:
                y, x = divmod(at // 4, width)
                left, top = x - line, y - line
                if (0 <= left < width - right and 0 <= top < height - bottom
                        and self.pixel_of(shot, x - 1, y) == BLACK
                        and self.pixel_of(shot, x, y - 1) == BLACK
                        and self.boards_whole(shot, left, top)):
                    return left, top
            at = data.find(b"\x66\x66\x66", at + 1)
        return None

    def boards_whole(self, shot, left, top):
        """Both outlines' corners and middles black, and level 1's corner cells (walls on both
        boards) grey, for boards whose client area starts at left, top."""
        def at(x, y):
            return self.pixel_of(shot, left + self.device(x), top + self.device(y))
        if any(at(x, y) != BLACK for x in (0, 144, 288) for y in (0, 72, 144)):
            return False
        return all(at(x + inset, y + inset) == WALL for x in (0, 120, 144, 264)
                   for y in (0, 120) for inset in (4, 12, 20))

    def auto_repeat_on(self):
        return self.x.get_keyboard_control().global_auto_repeat == X.AutoRepeatModeOn

    def presses_during(self, key, action):
        """How many presses of `key` the server makes while `action` runs, repeats included.
        They are recorded as the server sends them out (the RECORD extension), not by listening
        on the game's windows: a toolkit that takes keys through XInput 2 gets them in place of
        every core listener there."""
        from Xlib import XK
        from Xlib.ext import record
        from Xlib.protocol import rq
        code = self.x.keysym_to_keycode(XK.string_to_keysym(key))
        recorder = xdisplay.Display(self.name)
        context = recorder.record_create_context(0, [record.AllClients], [{
            "core_requests": (0, 0), "core_replies": (0, 0), "ext_requests": (0, 0, 0, 0),
            "ext_replies": (0, 0, 0, 0), "delivered_events": (0, 0),
            "device_events": (X.KeyPress, X.KeyPress), "errors": (0, 0),
            "client_started": False, "client_died": False}])
        count = 0
        started = threading.Event()

        def recorded(reply):
            nonlocal count
            if reply.category == record.StartOfData:
                started.set()
            if reply.category != record.FromServer:
                return
            data = reply.data
            while data:
                event, data = rq.EventField(None).parse_binary_value(data, recorder.display,
                                                                     None, None)
                count += event.type == X.KeyPress and event.detail == code

        watcher = threading.Thread(target=recorder.record_enable_context,
                                   args=(context, recorded))
        watcher.start()
        started.wait(5)
        action()
        self.x.sync()
        time.sleep(0.1)  # the last repeats on their way to the recorder
        self.x.record_disable_context(context)
        self.x.flush()
        watcher.join(5)
        recorder.close()
        return count


class WindowHistory:
    """What happened lately to the windows on the screen (made, shown, moved, hidden, gone), as
    the server reports it, for a failure's message: a window shown and hidden between two looks
    at the screen is seen here."""

    def __init__(self, name, keep=40):
        import collections
        import threading
        self.display = xdisplay.Display(name)
        self.display.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.sync()
        self.events = collections.deque(maxlen=keep)
        self.started = time.monotonic()
        self.running = True
        self.watcher = threading.Thread(target=self.watch, daemon=True)
        self.watcher.start()

    def watch(self):
        names = {X.CreateNotify: "made", X.MapNotify: "shown", X.UnmapNotify: "hidden",
                 X.ConfigureNotify: "placed", X.DestroyNotify: "gone"}
        while self.running:
            try:
                while self.display.pending_events():
                    e = self.display.next_event()
                    if e.type not in names:
                        continue
                    what = "%.2f s 0x%x %s" % (time.monotonic() - self.started, e.window.id,
                                               names[e.type])
                    if e.type in (X.CreateNotify, X.ConfigureNotify):
                        what += " at %d,%d %dx%d%s" % (
                            e.x, e.y, e.width, e.height,
                            " (override-redirect)" if e.override else "")
                    self.events.append(what)
            except Exception:  # the server went away: nothing more to see
                return
            time.sleep(0.01)

    def lately(self):
        return ", ".join(self.events) or "nothing"

    def stop(self):
        self.running = False
        self.watcher.join(1)
        self.display.close()


class Busy:
    """Makes the game's event loop run late, as on a busy machine, without taking a core from
    anything else: the game and every process it started (Wine's, the browser's) are stopped
    for STOPPED seconds of every PERIOD, while keys keep arriving and pile up."""

    STOPPED, PERIOD = 0.06, 0.1

    def __init__(self, game):
        self.game = game
        self.running = True
        self.stopped = set()
        self.stalls = threading.Thread(target=self.stall, daemon=True)
        self.stalls.start()

    def processes(self):
        """The game's process and its descendants, found afresh: the browser starts more."""
        parents = {}
        for entry in os.listdir("/proc"):
            try:
                with open("/proc/%s/stat" % entry) as f:
                    # The name, in parentheses, may hold spaces: the parent follows its end.
                    parents[int(entry)] = int(f.read().rsplit(")", 1)[1].split()[1])
            except (ValueError, OSError, IndexError):
                continue
        tree, grown = {self.game.pid}, True
        while grown:
            more = {pid for pid, parent in parents.items() if parent in tree} - tree
            tree |= more
            grown = bool(more)
        return tree

    def signal(self, pids, number):
        for pid in pids:
            try:
                os.kill(pid, number)
            except ProcessLookupError:
                pass

    def stall(self):
        while self.running:
            self.stopped = self.processes()
            self.signal(self.stopped, signal.SIGSTOP)
            time.sleep(self.STOPPED)
            self.signal(self.stopped, signal.SIGCONT)
            self.stopped = set()
            time.sleep(self.PERIOD - self.STOPPED)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.running = False
        self.stalls.join()
        self.signal(self.stopped, signal.SIGCONT)
