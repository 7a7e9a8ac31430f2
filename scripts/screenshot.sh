#!/usr/bin/env bash
# Plays level 1 in the real game under Xvfb with xdotool, saving the start and solved screens.
# Needs: xvfb, xdotool, imagemagick. Usage: scripts/screenshot.sh OUTDIR
set -euo pipefail
out=$(realpath "${1:-.}")
game=$(realpath "$(dirname "$0")/../build/default/nudgeboard")
exec xvfb-run -a -s "-screen 0 290x260x24" bash -c '
set -euo pipefail
"$0" & pid=$!
for _ in $(seq 50); do win=$(xdotool search --name "^Nudgeboard$" 2>/dev/null | head -1) && break; sleep 0.1; done
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
top=$((Y + HEIGHT - 214)) # the client area sits under the menu bar
import -window root -crop "290x$((HEIGHT))+$X+$Y" "$1/start.png"
# Cell to click and arrow to release, solving "9 Puzzle".
for step in 20:Right 14:Down 13:Right 19:Up 20:Left 21:Left 15:Down 14:Right 8:Down 7:Right \
            13:Up 14:Left 20:Up 21:Left 15:Down 9:Down 8:Right 14:Up 15:Left 21:Up; do
    cell=${step%%:*}; key=${step##*:}
    xdotool mousemove $((X + 24 * (cell % 6) + 12)) $((top + 24 * (cell / 6) + 12)) click 1
    xdotool key "$key"
    sleep 0.1
done
sleep 0.3
import -window root -crop "290x$((HEIGHT))+$X+$Y" "$1/solved.png"
kill $pid
' "$game" "$out"
