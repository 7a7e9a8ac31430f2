#!/usr/bin/env bash
# Plays level 1 in the real game on a display of its own, saving the start and solved screens.
# Needs what the on-screen tests need, and imagemagick. Usage: scripts/screenshot.sh OUTDIR [GAME...]
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")
mkdir -p "${1:-.}"
out=$(realpath "${1:-.}")
shift || true
[ $# -gt 0 ] || set -- "$root/build/default/nudgeboard"
exec /usr/bin/python3 - "$root/tests/screen" "$out" "$@" <<'PY'
import subprocess, sys
sys.path.insert(0, sys.argv[1])
from play_on_screen import LEVEL_ONE
from screen import Screen

out = sys.argv[2]
with Screen(sys.argv[3:]) as s:
    s.wait_for_window()
    x, y = s.origin
    top = max(0, y - 20)  # the menu bar above the client area
    def save(name):
        subprocess.run(["import", "-window", "root", "-crop",
                        "290x%d+%d+%d" % (y + 214 - top, x, top), "+repage",
                        "%s/%s.png" % (out, name)], env=s.env, check=True)
    save("start")
    for cell, key in LEVEL_ONE:
        s.click_cell(cell)
        s.xdotool("key", key)
    s.settle(0.5)
    save("solved")
PY
