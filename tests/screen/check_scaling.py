"""The screen driver's scaling (screen.py) against the game's own (app/scaling.h), as the table
program prints it: the driver finds cells where the game draws them only while the two agree.

Usage: check_scaling.py TABLE_PROGRAM
"""

import subprocess
import sys

from screen import device_line, device_pixel

table = subprocess.run([sys.argv[1]], check=True, capture_output=True, text=True).stdout
wrong = []
rows = 0
for line in table.splitlines():
    dpi, x, pixel, width = (int(v) for v in line.split())
    rows += 1
    if (device_pixel(x, dpi), device_line(dpi)) != (pixel, width):
        wrong.append("at %d dpi, design pixel %d: driver (%d, %d), game (%d, %d)"
                     % (dpi, x, device_pixel(x, dpi), device_line(dpi), pixel, width))
for w in wrong[:10]:
    print("FAILED " + w, file=sys.stderr)
print("%d of %d places disagree" % (len(wrong), rows))
sys.exit(1 if wrong or rows == 0 else 0)
