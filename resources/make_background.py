#!/usr/bin/env python3
"""Makes background.bmp, the wizard's background picture: 531 x 250 pixels,
8 bits per pixel, 256 colours, run-length encoded (RLE8). A calm vertical
gradient with the product name drawn in a small block font in the left
column, which the page texts leave free.

Usage: python3 make_background.py [output.bmp]
"""
import struct
import sys

WIDTH, HEIGHT = 531, 250
GRADIENT = 224          # palette entries 0..223: the gradient, top to bottom
TEXT, SHADOW = 240, 241

# 5 x 7 glyphs of the letters the picture needs.
GLYPHS = {
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "s": ["00000", "00000", "01111", "10000", "01110", "00001", "11110"],
    "m": ["00000", "00000", "11010", "10101", "10101", "10101", "10101"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    " ": ["00000"] * 7,
}


def palette():
    entries = []
    for i in range(256):
        if i < GRADIENT:
            t = i / (GRADIENT - 1)
            top, bottom = (232, 240, 250), (120, 150, 200)   # red, green, blue
            r, g, b = (round(a + (c - a) * t) for a, c in zip(top, bottom))
        elif i == TEXT:
            r, g, b = 255, 255, 255
        elif i == SHADOW:
            r, g, b = 40, 60, 110
        else:
            r, g, b = 0, 0, 0
        entries.append(bytes((b, g, r, 0)))
    return b"".join(entries)


def image():
    """Rows top to bottom, each a list of palette indexes."""
    rows = [[y * GRADIENT // HEIGHT] * WIDTH for y in range(HEIGHT)]
    # The product name stands in the left column, clear of the page texts,
    # which begin at x = 160.
    scale = 3
    for line, (text, top) in enumerate((("Prismora", 28), ("SE", 56))):
        left = 10
        for n, ch in enumerate(text):
            for gy, glyph_row in enumerate(GLYPHS[ch]):
                for gx, bit in enumerate(glyph_row):
                    if bit != "1":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            x, y = left + (n * 6 + gx) * scale + dx, top + gy * scale + dy
                            rows[y + 2][x + 2] = SHADOW
                            rows[y][x] = TEXT
    return rows


def encode_row(row):
    out, i = bytearray(), 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += bytes((run, row[i]))
            i += run
            continue
        # Literal: pixels up to the next run of two, at least three of them.
        j = i
        while j < len(row) and j - i < 255 and not (j + 1 < len(row) and row[j + 1] == row[j]):
            j += 1
        if j - i >= 3:
            out += bytes((0, j - i)) + bytes(row[i:j])
            if (j - i) % 2:
                out.append(0)
            i = j
        else:
            out += bytes((1, row[i]))
            i += 1
    return out + b"\x00\x00"


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "background.bmp"
    data = bytearray()
    for row in reversed(image()):           # bottom row first
        data += encode_row(row)
    data[-2:] = b"\x00\x01"                  # the last end of line ends the bitmap
    table = palette()
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, len(data), 0, 0, 256, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + table + data)


if __name__ == "__main__":
    main()
