"""The page as a screen reader finds it: Chromium's accessibility tree, read over DevTools.

Usage: web_access.py PAGE
Starts the page in chromium on an Xvfb of its own with a DevTools pipe (devtools.py), plays
level 1 as a screen reader user would and reads back the roles, names and states. Exit status 0
passed, 1 failed, 77 skipped (Xvfb or chromium missing).
"""

import os
import sys

import devtools
from facts import COLOR_NAMES, PALETTE, level_count, level_rows, solution

# What a screen reader calls a layout character's square.
CONTENT = dict({"#": "wall", "*": "empty", "?": "any square"},
               **{ch: name + " piece" for ch, name in COLOR_NAMES.items()})

failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: %r, expected %r" % (what, actual, expected))


def check_texts(what, actual, expected):
    """Names only the cells that differ."""
    check("%s, cells" % what, len(actual), len(expected))
    for index, (a, e) in enumerate(zip(actual, expected)):
        check("%s, cell %d" % (what, index), a, e)


def cell_text(index, content):
    return "%s, row %d, column %d" % (content, index % 36 // 6 + 1, index % 6 + 1)


def level_texts(level):
    """The 72 cell texts of a level at its start, from its layout rows."""
    rows = level_rows(level)
    return [cell_text(i, CONTENT[rows[6 * (i // 36) + i % 36 // 6][i % 6]]) for i in range(72)]


class Browser(devtools.Browser):
    """The page's tab, read as a screen reader reads it."""

    def attach(self, deadline=30, game=True):
        super().attach(deadline, game)
        self.send("Accessibility.enable")

    def tree(self):
        return Tree(self.send("Accessibility.getFullAXTree")["nodes"])

    def activate(self, node):
        """What a screen reader's activation does: a click event on the element, no press."""
        target = self.send("DOM.resolveNode", backendNodeId=node["backendDOMNodeId"])["object"]
        self.send("Runtime.callFunctionOn", objectId=target["objectId"],
                  functionDeclaration="function () { this.click(); }")

class Tree:
    """The accessibility tree's nodes that a screen reader meets (ignored ones left out)."""

    def __init__(self, nodes):
        self.by_id = {n["nodeId"]: n for n in nodes}
        self.nodes = [n for n in nodes if not n.get("ignored")]

    @staticmethod
    def role(node):
        return node.get("role", {}).get("value")

    @staticmethod
    def name(node):
        return node.get("name", {}).get("value", "")

    @staticmethod
    def prop(node, name):
        for p in node.get("properties", []):
            if p["name"] == name:
                return p["value"].get("value")
        return None

    def find(self, role, name=None):
        return [n for n in self.nodes if self.role(n) == role
                and (name is None or self.name(n) == name)]

    def below(self, node, role):
        """The nodes of `role` under `node`, in reading order."""
        found = []
        for child in node.get("childIds", []):
            c = self.by_id.get(child)
            if c is None:
                continue
            if not c.get("ignored") and self.role(c) == role:
                found.append(c)
            found += self.below(c, role)
        return found

    def text(self, node):
        return "".join(self.name(t) for t in self.below(node, "StaticText"))

    def cells(self):
        """Both boards' gridcells, play board first."""
        return [c for board in ("Play board", "Goal board") for grid in self.find("grid", board)
                for c in self.below(grid, "gridcell")]

    def texts(self):
        return [self.name(c) for c in self.cells()]

    def selected(self):
        return [i for i, c in enumerate(self.cells()) if self.prop(c, "selected")]

    def live(self, politeness):
        """The text of the live regions of `politeness`, outermost ones only."""
        roots = [n for n in self.nodes if self.prop(n, "live") == politeness
                 and self.role(n) != "StaticText"]
        return [self.text(n) for n in roots]


def shown_texts(b):
    """The cell texts the page's colours call for: a screen reader must hear what is seen."""
    looks = b.js("Array.from(document.querySelectorAll('#client .c')).map(function (e) {"
                 " return [Number(e.dataset.k), getComputedStyle(e).backgroundColor,"
                 " e.textContent]; })")
    by_colour = {"rgb(%d, %d, %d)" % rgb: ch for ch, rgb in PALETTE.items() if ch not in "?*"}
    by_colour["rgb(0, 0, 0)"] = "*"
    texts = [None] * 72
    for k, colour, caption in looks:
        ch = "?" if k >= 36 and caption == "?" else by_colour[colour]
        texts[k] = cell_text(k, CONTENT[ch])
    return texts


def structure(b):
    """The roles: one application, two grids of six rows of six cells, the menus."""
    t = b.tree()
    check("application regions", [t.name(n) for n in t.find("application")], ["Nudgeboard"])
    for board in ("Play board", "Goal board"):
        grids = t.find("grid", board)
        check("grids named %s" % board, len(grids), 1)
        rows = t.below(grids[0], "row") if grids else []
        check("%s rows" % board, [len(t.below(r, "gridcell")) for r in rows], [6] * 6)
    cells = t.cells()
    check("gridcells", len(cells), 72)
    check_texts("level 1", t.texts(), level_texts(1))
    check("cells a screen reader can focus", [i for i, c in enumerate(cells)
                                              if t.prop(c, "focusable")], [])
    check("selected cells at the start", t.selected(), [])
    check("counter as a polite live region", t.live("polite"), ["Moves: 0 (38)"])
    check("assertive live region at the start", t.live("assertive"), [""])
    bars = t.find("menubar")
    check("menubars", len(bars), 1)
    items = t.below(bars[0], "menuitem") if bars else []
    check("menu bar entries", [t.name(n) for n in items], ["Load Level", "Reset"])
    if items:
        check("Load Level has a popup", t.prop(items[0], "hasPopup"), "menu")
        check("Load Level expanded while closed", t.prop(items[0], "expanded"), False)
    check("menus while closed", t.find("menu"), [])


def open_menu(b):
    """"Load Level" pressed opens the level list as a menu; Escape closes it, a second Escape
    gives the keyboard back to the board."""
    b.mouse("mousePressed", b.centre("#bar > span"))
    t = b.tree()
    menus = t.find("menu")
    check("menus while open", len(menus), 1)
    items = t.below(menus[0], "menuitem") if menus else []
    check("level list items", len(items), level_count())
    check("Load Level expanded while open",
          [t.prop(n, "expanded") for n in t.find("menuitem", "Load Level")], [True])
    b.mouse("mouseReleased", b.centre("#bar > span"))
    b.key("Escape")
    t = b.tree()
    check("menus after Escape", t.find("menu"), [])
    check("Load Level expanded after Escape",
          [t.prop(n, "expanded") for n in t.find("menuitem", "Load Level")], [False])
    b.key("Escape")


def every_level(b):
    """Each level chosen from the list reads as its rows say; level 1 last, for the cases after."""
    for level in list(range(2, level_count() + 1)) + [1]:
        for where in ("#bar > span", ".list > div:nth-child(%d)" % level):
            point = b.centre(where)
            b.mouse("mousePressed", point)
            b.mouse("mouseReleased", point)
        check_texts("level %d" % level, b.tree().texts(), level_texts(level))


def count_clicks(b):
    """Counts the page's calls of the game's click from now on."""
    b.js("window.nbClicks = 0; (function (click) { Module['_nb_click'] = function (k) {"
         " ++window.nbClicks; click(k); }; })(Module['_nb_click']);")


def selection(b):
    """Activating a cell selects as a click does, once; a mouse click still selects once."""
    rows = level_rows(1)
    count_clicks(b)
    t = b.tree()
    b.activate(t.cells()[0])  # a wall
    t = b.tree()
    check("selected after activating a wall", t.selected(), [])
    b.activate(t.cells()[20])  # "1", a single square
    t = b.tree()
    check("selected after activating cell 20", t.selected(), [20])
    b.activate(t.cells()[21])  # empty: the selection stays
    t = b.tree()
    check("selected after activating an empty cell", t.selected(), [20])
    check("clicks the three activations made", b.js("window.nbClicks"), 3)
    # The mouse: a press and a release on cell 7 ("2"), then one on 8 released on 13.
    point = b.centre('#client .c[data-k="7"]')
    b.mouse("mousePressed", point)
    b.mouse("mouseReleased", point)
    t = b.tree()
    check("selected after a mouse click on cell 7", t.selected(),
          [i for i in range(36) if rows[i // 6][i % 6] == rows[1][1]])
    check("clicks after a mouse click too", b.js("window.nbClicks"), 4)
    b.mouse("mousePressed", b.centre('#client .c[data-k="8"]'))
    b.mouse("mouseReleased", b.centre('#client .c[data-k="13"]'))
    check("clicks after a press on 8 released on 13", b.js("window.nbClicks"), 4)
    check("selected after a press on 8 released on 13", b.tree().selected(), [7])
    # A browser may make up a press and a release before a screen reader's click, at the cell
    # or at no point at all: either way the cell is clicked once.
    for where, point in (("the cell's centre", "[r.left + r.width / 2, r.top + r.height / 2]"),
                         ("the page's corner", "[0, 0]")):
        b.activate(b.tree().cells()[7])
        b.js("window.nbClicks = 0; (function (cell) { var r = cell.getBoundingClientRect();"
             " var at = %s; ['mousedown', 'mouseup', 'click'].forEach(function (type) {"
             " cell.dispatchEvent(new MouseEvent(type, {bubbles: true, clientX: at[0],"
             " clientY: at[1]})); }); })(document.querySelector('#client .c[data-k=\"20\"]'))"
             % point)
        check("clicks of a made-up press at %s" % where, b.js("window.nbClicks"), 1)
        check("selected after a made-up press at %s" % where, b.tree().selected(), [20])


def solve(b):
    """Level 1's solution, cells activated and arrows sent: the texts follow every move, and
    the end is said at once with the result against par."""
    before = b.tree().texts()
    for step, (cell, key) in enumerate(solution(1)):
        b.activate(b.tree().cells()[cell])
        b.key(key)
        t = b.tree()
        if step == 0:
            check("texts changed by the first move", t.texts() != before, True)
            check("counter after one move", t.live("polite"), ["Moves: 1 (38)"])
        check_texts("after move %d" % (step + 1), t.texts(), shown_texts(b))
    check("said at once when solved", b.tree().live("assertive"),
          ["SOLVED!! under par, Moves: 20 (38)"])


def main():
    page = os.path.abspath(sys.argv[1])
    devtools.skip_without_tools()
    with Browser(page) as b:
        b.attach()
        for case in (structure, open_menu, every_level, selection, solve):
            start = len(failures)
            case(b)
            print("%s: %s" % (case.__name__, "FAILED" if len(failures) > start else "passed"))
            if case is structure and failures:
                break  # the other cases walk the grids
    for f in failures:
        print("FAILED " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
