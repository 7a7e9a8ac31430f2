"""The game under a headless Wayland compositor (sway) in place of an X display: keys from wtype,
clicks from the tests' own virtual pointer, pictures from grim, and every frame shown while the
board changes from the tests' own frame copier. The cases speak xdotool's words; they are carried
out here with these tools, and the screen is judged as on X11.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

import screen
from screen import SKIP

# xdotool's words that start a command; every other word is a command's argument.
COMMANDS = {"key", "keydown", "keyup", "sleep", "mousemove", "click", "mousedown", "mouseup"}
KEYSYMS = {"alt": "Alt_L"}  # xdotool's short names that are no keysym
TYPING_DELAY_MS = 12  # xdotool's own between the keys of one "key"
SCREEN = (800, 600)  # the output's mode, in device pixels
BACKGROUND = "#203040"  # behind the window: no colour of the game's
FIRST_FRAMES = 3  # frames copied before a change starts, so that the copier keeps pace by then


def require_tools(pointer, frames):
    missing = [t for t in ("sway", "swaymsg", "wtype", "grim") if shutil.which(t) is None]
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed", file=sys.stderr)
        sys.exit(SKIP)
    if pointer is None or frames is None:
        print("skipped: the virtual pointer or the frame copier was not built (libwayland-dev "
              "and wayland-scanner missing when configured)", file=sys.stderr)
        sys.exit(SKIP)


def keysym(name):
    return KEYSYMS.get(name, name)


class SwayScreen(screen.Screen):
    """sway on a headless output of its own, with the game on it: at a display scale if asked.
    sway will not run as root, so as root everything here runs as the user nobody, from a
    private folder that user owns."""

    wayland = True

    def __init__(self, command, pointer, frames, scale=None):
        self.scale = 1.0 if scale is None else float(scale)
        self.dpi = round(96 * self.scale)
        self.window = None
        self.origin = None
        self.opened_list = None
        self.game = self.sway = self.pointer = self.keyboard = None
        self.folder = tempfile.mkdtemp(prefix="nudgeboard-sway-")
        os.chmod(self.folder, 0o700)
        self.as_user = []
        if os.geteuid() == 0:
            # Copies, so that nobody can run them wherever the build lies.
            command = [self.private_copy(command[0])] + list(command[1:])
            pointer = self.private_copy(pointer)
            frames = self.private_copy(frames)
            for root, dirs, files in os.walk(self.folder):
                for name in dirs + files:
                    os.chown(os.path.join(root, name), 65534, 65534)
            os.chown(self.folder, 65534, 65534)
            self.as_user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "WAYLAND_DISPLAY",
                                 "SWAYSOCK")}
        self.env.update(HOME=self.folder, XDG_RUNTIME_DIR=self.folder)
        self.frames = frames
        try:
            self.start_sway()
            if scale is not None:
                self.swaymsg("output", self.output, "scale", str(scale))
            self.start_input(pointer)
            # The desktop's session says Wayland, as a player's does: Qt then picks it itself.
            # The game's side of the connection goes to a log, for the repeat rate it is given.
            self.log = os.path.join(self.folder, "game.log")
            with open(self.log, "wb") as log:
                self.game = self.spawn(command, env=dict(self.env, XDG_SESSION_TYPE="wayland",
                                                         WAYLAND_DEBUG="client"),
                                       stdout=subprocess.DEVNULL, stderr=log)
        except BaseException:
            self.close()
            raise

    def private_copy(self, path):
        copy = os.path.join(self.folder, os.path.basename(path))
        shutil.copy2(path, copy)
        return copy

    def spawn(self, command, **options):
        options.setdefault("env", self.env)
        return subprocess.Popen(self.as_user + list(command), **options)

    def start_sway(self):
        config = os.path.join(self.folder, "config")
        with open(config, "w") as f:
            f.write("xwayland disable\n"
                    "output * mode %dx%d position 0 0 bg %s solid_color\n"
                    "default_floating_border none\n"
                    "focus_follows_mouse no\n" % (*SCREEN, BACKGROUND))
        env = dict(self.env, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                   WLR_RENDERER="pixman")
        if self.as_user:
            os.chown(config, 65534, 65534)
        self.sway = self.spawn(["sway", "-c", config], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while True:
            sockets = [n for n in os.listdir(self.folder) if n.startswith("sway-ipc.")]
            if sockets and "wayland-1" in os.listdir(self.folder):
                self.env.update(WAYLAND_DISPLAY="wayland-1",
                                SWAYSOCK=os.path.join(self.folder, sockets[0]))
                outputs = subprocess.run(self.as_user + ["swaymsg", "-t", "get_outputs"],
                                         env=self.env, capture_output=True, text=True)
                if outputs.returncode == 0 and json.loads(outputs.stdout):
                    output = json.loads(outputs.stdout)[0]
                    self.output = output["name"]
                    # How long each frame stays up at least: the output's refresh, in whole
                    # milliseconds as wlroots times it.
                    self.refresh_us = 1000 * (1000000 // output["current_mode"]["refresh"])
                    return
            if self.sway.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("sway did not start")
            time.sleep(0.05)

    def start_input(self, pointer):
        """The pointer, and a keyboard held for the whole run: a seat whose last keyboard goes
        takes the keyboard from the game, and a stroke's release would be lost with it."""
        self.pointer = self.spawn([pointer], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True)
        if self.pointer.stdout.readline().strip() != "ready":
            raise RuntimeError("the virtual pointer did not start")
        self.keyboard = self.spawn(["wtype", "-s", "3600000"])

    def close(self):
        screen.stop(self.game, self.pointer, self.keyboard, self.sway)
        shutil.rmtree(self.folder, ignore_errors=True)

    def swaymsg(self, *args):
        return subprocess.run(self.as_user + ["swaymsg", *args], env=self.env, check=True,
                              capture_output=True, text=True).stdout

    def swaymsg_json(self, *args):
        return json.loads(self.swaymsg(*args))

    # --- input -----------------------------------------------------------------------------

    def xdotool(self, *args):
        """Carries out xdotool's words: keys through wtype, one run of it for each stretch of
        keys and pauses; the mouse through the virtual pointer."""
        words = [str(a) for a in args]
        keys = []
        i = 0
        while i < len(words):
            word, i = words[i], i + 1
            operands = []
            while i < len(words) and words[i] not in COMMANDS:
                operands.append(words[i])
                i += 1
            if word == "key":
                delay = TYPING_DELAY_MS
                if operands[:1] == ["--delay"]:
                    delay, operands = int(operands[1]), operands[2:]
                for n, name in enumerate(operands):
                    keys += (["-s", str(delay)] if n and delay else []) + ["-k", keysym(name)]
            elif word in ("keydown", "keyup"):
                keys += ["-P" if word == "keydown" else "-p", keysym(operands[0])]
            elif word == "sleep":
                if keys:
                    keys += ["-s", str(round(float(operands[0]) * 1000))]
                else:
                    time.sleep(float(operands[0]))
            else:
                self.type(keys)
                keys = []
                self.mouse(word, operands)
        self.type(keys)

    def type(self, keys):
        if keys:
            subprocess.run(self.as_user + ["wtype", *keys], env=self.env, check=True)

    def mouse(self, word, operands):
        """The compositor draws the cursor into its pictures, as an X server does not: once
        the button is up, it goes to the screen's corner, away from the window."""
        if word == "mousemove":
            self.point("move %s %s %d %d" % (*operands, *self.size))
        elif word in ("click", "mousedown", "mouseup"):
            if word != "mouseup":
                self.point("down")
            if word != "mousedown":
                self.point("up")
                self.point("move %d %d %d %d" % (self.size[0] - 1, self.size[1] - 1, *self.size))
        else:
            raise ValueError("no such xdotool command here: " + word)

    def point(self, line):
        self.pointer.stdin.write(line + "\n")
        self.pointer.stdin.flush()
        if self.pointer.stdout.readline().strip() != "ok":
            raise RuntimeError("the virtual pointer failed at: " + line)

    def wait_for_window(self, title="Nudgeboard", timeout=120):
        """Waits until the compositor shows the window and its boards are painted."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.game.poll() is not None:
                raise RuntimeError("the game ended with status %d" % self.game.returncode)
            if any(v["name"] == title for v in self.views()):
                self.window = title
                origin = self.find_boards()
                if origin:
                    self.settle()
                    if self.find_boards() == origin:
                        self.origin = origin
                        return
            time.sleep(0.1)
        raise RuntimeError("no game window with its boards on the screen")

    def views(self):
        """The windows on the screen: each one's name, app id, rectangle and focus."""
        found = []

        def walk(node):
            if node.get("type") in ("con", "floating_con") and node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(self.swaymsg_json("-t", "get_tree"))
        return found

    def describe(self):
        views = ["%s (%s) at %s%s" % (v["name"], v.get("app_id"), v["rect"],
                                      ", focused" if v.get("focused") else "")
                 for v in self.views()]
        return ("windows shown: %s; level list: %s; boards found at %s, level 1's seen now at "
                "%s; game %s; the screen is in %s" % (
                    ", ".join(views) or "none", self.level_list(), self.origin,
                    self.find_boards(), "running" if self.game.poll() is None else
                    "ended with status %d" % self.game.returncode, self.save_picture()))

    def view(self):
        return next(v for v in self.views() if v["name"] == self.window)

    def window_size(self):
        """The size sway shows the window at: its own, as the game last drew it, or the whole
        output when full screen (sway fills the rest black)."""
        view = self.view()
        if view["fullscreen_mode"]:
            return tuple(self.swaymsg_json("-t", "get_outputs")[0]["rect"][k]
                         for k in ("width", "height"))
        return view["geometry"]["width"], view["geometry"]["height"]

    def window_room(self):
        """The room sway gives the window: a floating one's is the window's own size."""
        view = self.view()
        return (view["rect"]["width"], view["rect"]["height"]) if view["type"] == "floating_con" \
            else None

    def ask_other_sizes(self):
        """Asks sway, one by one, to resize the window, to make it full screen and to tile it
        (filling the screen, sway's maximise), as its commands and key bindings do; yields what
        was asked after each."""
        for words, asked in ((("resize", "set", "600", "500"), "a resize to 600x500"),
                             (("fullscreen", "enable"), "full screen"),
                             (("floating", "disable"), "tiling")):
            self.swaymsg('[title="^Nudgeboard$"]', *words)
            yield asked

    def list_windows(self):
        # A menu's list is a popup of the game's, which the compositor does not list: it is
        # found by the outlines it covers.
        return []

    def close_box(self, timeout=30):
        """Closes the window as a player does under sway, whose title bars have no close box
        (and the game draws no title bar of its own, sway drawing them): with sway's kill
        command, which its Mod4+Shift+q binding runs and which asks the window to close. Sent
        by swaymsg: the game's answer to the request is what counts, and the binding typed
        through the virtual keyboard once went unheard on a busy machine. The game's status."""
        self.swaymsg('[title="^Nudgeboard$"]', "kill")
        try:
            return self.game.wait(timeout)
        except subprocess.TimeoutExpired:
            # Whether the window is still there, and whether the game ends later on its own, for
            # whoever reads the failure.
            print("after the close request: %s" % self.describe(), file=sys.stderr)
            try:
                status = self.game.wait(60)
                print("the game ended %d s later still, with status %d" % (timeout + 60, status),
                      file=sys.stderr)
            except subprocess.TimeoutExpired:
                print("the game was still running %d s after the request" % (timeout + 60),
                      file=sys.stderr)
            return None

    def cells_while(self, *xdotool_args, after=0.5):
        """Every different look of the cells in the frames the compositor shows while xdotool's
        words are carried out and for `after` seconds more: each frame as shown, copied by the
        frame copier, not samples of the screen. A None comes before the look of a frame the
        copier asked for later than a refresh after the last one: a frame may have been shown
        and gone unseen in between. (Where the copier fell behind just before, a frame drawn
        at once for its request may be followed by the timer's own within the refresh, and one
        could still go unseen: the copier keeps pace on all but a machine kept very busy.)"""
        points = [str(v) for index in range(72) for v in self.sample_point(index)]
        copier = self.spawn([self.frames, *points], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)
        lines = []
        started = threading.Event()

        def read():
            # Read as they come: a full pipe would hold the copier back.
            for line in copier.stdout:
                lines.append(line.split())
                if len(lines) >= FIRST_FRAMES:
                    started.set()
            started.set()

        reader = threading.Thread(target=read)
        reader.start()
        try:
            started.wait(30)
            if len(lines) < FIRST_FRAMES:
                raise RuntimeError("the frame copier copied no frames")
            self.xdotool(*xdotool_args)
            time.sleep(after)
        finally:
            copier.stdin.close()  # the end of its input ends the copier
            try:
                copier.wait(10)
            except subprocess.TimeoutExpired:
                screen.stop(copier)
            reader.join(10)
        if copier.returncode != 0:
            raise RuntimeError("the frame copier failed with status %d" % copier.returncode)
        frames = []
        shown = None
        for words in lines:
            when, asked = int(words[0]), int(words[1])
            cells = [tuple(bytes.fromhex(c)) for c in words[2:]]
            # A millisecond's allowance for when each end reads the clock.
            if shown is not None and asked >= shown + self.refresh_us - 1000:
                frames.append(None)
            if not frames or frames[-1] is None or cells != frames[-1]:
                frames.append(cells)
            shown = when
        return frames

    # --- what is on the screen --------------------------------------------------------------

    @property
    def size(self):
        return SCREEN

    def grab(self):
        """The screen in device pixels, stored as an X image is: blue, green, red, pad."""
        shot = subprocess.run(self.as_user + ["grim", "-t", "ppm", "-"], env=self.env,
                              check=True, capture_output=True).stdout
        # Four words, then one whitespace byte: the pixels may start with a byte that looks
        # like more.
        magic, width, height, depth = shot.split(maxsplit=4)[:4]
        width, height = int(width), int(height)
        pixels = shot[len(shot) - 3 * width * height:]
        if magic != b"P6" or depth != b"255" or len(shot) < 3 * width * height:
            raise RuntimeError("grim gave no picture")
        data = bytearray(4 * width * height)
        data[0::4], data[1::4], data[2::4] = pixels[2::3], pixels[1::3], pixels[0::3]
        return width, bytes(data)

    def repeat_info(self):
        """The rate (per second) and delay (ms) of key repeats the compositor gave the game
        last, from the game's end of the connection; None before any."""
        with open(self.log, errors="replace") as f:
            lines = [line for line in f if ".repeat_info(" in line]
        if not lines:
            return None
        rate, delay = lines[-1].split(".repeat_info(")[1].split(")")[0].split(",")
        return int(rate), int(delay)

    def auto_repeat_on(self):
        info = self.repeat_info()
        return info is not None and info[0] > 0

    def presses_during(self, key, action):
        """Under Wayland the game repeats a held key itself, as often as the compositor told it
        to: the presses that makes while `action` holds the key."""
        started = time.monotonic()
        action()
        held_ms = (time.monotonic() - started) * 1000
        rate, delay = self.repeat_info()
        return 1 + max(0, int((held_ms - delay) * rate / 1000))
