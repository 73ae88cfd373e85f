#!/usr/bin/env python3
"""Writes DragCursor.cur: the arrow with a small text box that follows the
mouse while an entry is dragged out of the drag-fill list.

A .cur file is an .ico file with type 2 whose directory entry carries the
hotspot where an icon has planes and bit count. The picture is a classic
monochrome cursor: a 1-bit colour (XOR) mask and a 1-bit AND mask, rows
bottom-up, each row padded to four bytes.

Usage: make_cursor.py [output path]  (default: ../DragCursor.cur beside this script)
"""
import os
import struct
import sys

SIZE = 32
HOTSPOT = (0, 0)  # the tip of the arrow

# 'X' black, 'o' white, anything else transparent.
PICTURE = """
X
XX
XoX
XooX
XoooX
XooooX
XoooooX
XooooooX
XoooooooX
XooooooooX
XoooooooooX
XooooooXXXXX
XoooXooX
XooXXooX
XoX  XooX
XX   XooX
X     XooX
      XooX
       XX
          XXXXXXXXXXXXXXXXXXX
          XoooooooooooooooooX
          XoXXXoXXoXXXXoooooX
          XoooooooooooooooooX
          XoXXXXoXXXoXXoooooX
          XoooooooooooooooooX
          XoXXoXXXXXooooooooX
          XoooooooooooooooooX
          XXXXXXXXXXXXXXXXXXX
"""


def rows():
    lines = PICTURE.strip("\n").split("\n")
    assert len(lines) <= SIZE and all(len(line) <= SIZE for line in lines)
    lines += [""] * (SIZE - len(lines))
    return [line.ljust(SIZE) for line in lines]


def pack_bits(bits):
    """One row of 1-bit pixels, most significant bit first, padded to 4 bytes."""
    data = bytearray((len(bits) + 7) // 8)
    for x, bit in enumerate(bits):
        if bit:
            data[x // 8] |= 0x80 >> (x % 8)
    data += bytes(-len(data) % 4)
    return bytes(data)


def cursor_bytes():
    picture = rows()
    bottom_up = picture[::-1]
    xor_mask = b"".join(pack_bits([c == "o" for c in row]) for row in bottom_up)
    and_mask = b"".join(pack_bits([c not in "Xo" for c in row]) for row in bottom_up)
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    # The header's height counts both masks.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    image = header + palette + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1],
                        len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "DragCursor.cur")
    with open(out, "wb") as f:
        f.write(cursor_bytes())


if __name__ == "__main__":
    main()
