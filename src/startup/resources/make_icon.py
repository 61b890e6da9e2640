#!/usr/bin/env python3
"""Writes tamberlox.ico, the Windows executable's icon, from the window's own
16x16 picture (mainwindow/ui/tamberlox_icon.xpm, also drawn doubled at 32x32)
and tamberlox.png (48x48, stored as PNG, which Windows reads since Vista).

Run it again when either picture changes: python3 make_icon.py"""
import pathlib
import re
import struct

here = pathlib.Path(__file__).resolve().parent
xpm = (here / "../../mainwindow/ui/tamberlox_icon.xpm").read_text()
rows = re.findall(r'"([^"]*)"', xpm)
width, height, ncolors, cpp = map(int, rows[0].split())
colors = {}
for row in rows[1:1 + ncolors]:
    key, value = row[:cpp], row[cpp:].split()[-1]
    colors[key] = None if value == "None" else tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
pixels = [[colors[line[x * cpp:(x + 1) * cpp]] for x in range(width)] for line in rows[1 + ncolors:]]


def dib(scale):
    """A 32-bit BGRA bitmap with its mask, bottom row first, as icons hold them."""
    size = width * scale
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        row_mask = bytearray()
        for x in range(size):
            colour = pixels[y // scale][x // scale]
            image += bytes((0, 0, 0, 0)) if colour is None else bytes((colour[2], colour[1], colour[0], 255))
            bits = (bits << 1) | (1 if colour is None else 0)
            if x % 8 == 7:
                row_mask.append(bits)
                bits = 0
        row_mask += bytes(-len(row_mask) % 4)
        mask += row_mask
    return size, header + bytes(image) + bytes(mask)


images = [dib(1), dib(2), (48, (here / "tamberlox.png").read_bytes())]
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in images:
    out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(data for _, data in images)
(here / "tamberlox.ico").write_bytes(out)
