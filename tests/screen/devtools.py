"""The page in Chromium on an Xvfb of its own, driven over DevTools.

The browser is started by tests/screen/web_game.sh with a DevTools pipe (--remote-debugging-pipe:
fd 3 to the browser, fd 4 from it, NUL-ended JSON); the tests of the page's screen-reader
structure and of its touch input share it.
"""

import json
import os
import shutil
import subprocess
import sys
import time

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
# The keys sent, as DevTools names them and as Windows codes.
KEYS = {"Left": ("ArrowLeft", 37), "Up": ("ArrowUp", 38), "Right": ("ArrowRight", 39),
        "Down": ("ArrowDown", 40), "Escape": ("Escape", 27)}


def skip_without_tools():
    """Exits with the skip status, saying why, where Xvfb or chromium is missing."""
    missing = [tool for tool in ("Xvfb", "chromium") if shutil.which(tool) is None]
    if missing:
        print("skipped: " + " and ".join(missing) + " not installed", file=sys.stderr)
        sys.exit(SKIP)


class Browser:
    """The page in chromium on a display of its own, and a DevTools session on its tab."""

    def __init__(self, page):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten",
             "tcp", "-ac"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        if not display:
            self.server.kill()
            raise RuntimeError("Xvfb did not start")
        to_browser, self.out = os.pipe()
        self.inp, from_browser = os.pipe()
        self.display = ":" + display
        env = dict(os.environ, DISPLAY=self.display)
        # The pipe ends become the browser's fds 3 and 4.
        self.game = subprocess.Popen(
            ["bash", "-c", 'exec 3<&"$0" 4>&"$1"; shift 2; exec "$@"', str(to_browser),
             str(from_browser), "bash", os.path.join(HERE, "web_game.sh"), page,
             "--remote-debugging-pipe"],
            pass_fds=(to_browser, from_browser), env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self.buffer = b""
        self.next_id = 0
        self.session = None

    def close(self):
        for p in (self.game, self.server):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        os.close(self.out)
        os.close(self.inp)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def send(self, method, session=True, **params):
        """Runs a DevTools command and returns its result; events on the way are dropped."""
        return self.send_all([(method, params)], session)[0]

    def send_all(self, commands, session=True):
        """Runs (method, params) commands sent at once, the browser taking them in order, and
        returns their results: a finger's events that wait for no reply in between arrive within
        a frame or two rather than a frame each."""
        ids = []
        for method, params in commands:
            self.next_id += 1
            ids.append(self.next_id)
            message = {"id": self.next_id, "method": method, "params": params}
            if session:
                message["sessionId"] = self.session
            os.write(self.out, json.dumps(message).encode() + b"\0")
        results = {}
        while len(results) < len(ids):
            while b"\0" not in self.buffer:
                chunk = os.read(self.inp, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser closed its DevTools pipe")
                self.buffer += chunk
            text, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(text)
            if reply.get("id") in ids:
                if "error" in reply:
                    method = commands[ids.index(reply["id"])][0]
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                results[reply["id"]] = reply["result"]
        return [results[i] for i in ids]

    def attach(self, deadline=30, game=True):
        """Waits for the page's tab and, on the game's page, its cells."""
        end = time.monotonic() + deadline
        while self.session is None:
            pages = [t for t in self.send("Target.getTargets", session=False)["targetInfos"]
                     if t["type"] == "page"]
            if pages:
                self.session = self.send("Target.attachToTarget", session=False, flatten=True,
                                         targetId=pages[0]["targetId"])["sessionId"]
            elif time.monotonic() > end:
                raise RuntimeError("no page in the browser")
            else:
                time.sleep(0.05)
        while game and self.js("document.querySelectorAll('#client .c').length") != 72:
            if time.monotonic() > end:
                raise RuntimeError("the game's cells did not appear")
            time.sleep(0.05)

    def js(self, expression):
        return self.send("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def key(self, name):
        key, code = KEYS[name]
        for kind in ("rawKeyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", type=kind, key=key, code=key,
                      windowsVirtualKeyCode=code)

    def mouse(self, kind, point):
        self.send("Input.dispatchMouseEvent", type=kind, x=point[0], y=point[1], button="left",
                  clickCount=1)

    def centre(self, selector):
        return self.js("(function (r) { return [r.left + r.width / 2, r.top + r.height / 2]; })"
                       "(document.querySelector(%s).getBoundingClientRect())"
                       % json.dumps(selector))
