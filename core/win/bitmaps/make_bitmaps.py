#!/usr/bin/env python3
"""Writes the Live Loop Setup tree's 16 x 16 images as 24-bit BMP files beside this script.

Each image is drawn below as 16 rows of 16 characters, one character a pixel. Magenta is the
mask colour the dialog's image list makes transparent. Run it again after changing a picture:
    python3 core/win/bitmaps/make_bitmaps.py
"""
import pathlib
import struct

PALETTE = {
    ".": (255, 0, 255),  # transparent
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (128, 128, 128),
    "l": (192, 192, 192),
    "b": (0, 0, 200),
    "c": (96, 176, 255),
    "G": (0, 140, 0),
    "L": (0, 230, 0),
    "r": (200, 0, 0),
}

IMAGES = {
    # The network: a server joined to two stations.
    "ipsetup_root": [
        "................",
        "....kkkkkkkk....",
        "....kcccccck....",
        "....kcccccck....",
        "....kcccccck....",
        "....kkkkkkkk....",
        ".......kk.......",
        ".......kk.......",
        "..kkkkkkkkkkkk..",
        "..kk........kk..",
        "kkkkkk....kkkkkk",
        "kcccck....kcccck",
        "kcccck....kcccck",
        "kkkkkk....kkkkkk",
        "................",
        "................",
    ],
    # An empty check box.
    "unchecked": [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kkkkkkkkkkkkk..",
        "................",
        "................",
    ],
    # The same box, ticked.
    "checked": [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwGwk..",
        ".kwwwwwwwwGGwk..",
        ".kwwwwwwwGGGwk..",
        ".kwGwwwwGGGwwk..",
        ".kwGGwwGGGwwwk..",
        ".kwGGGGGGwwwwk..",
        ".kwwGGGGwwwwwk..",
        ".kwwwGGwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kwwwwwwwwwwwk..",
        ".kkkkkkkkkkkkk..",
        "................",
        "................",
    ],
    # A PCU: a cabinet of module slots with their lamps.
    "block": [
        "................",
        "..kkkkkkkkkkkk..",
        "..kllllllllllk..",
        "..kggggggggLlk..",
        "..kllllllllllk..",
        "..kggggggggLlk..",
        "..kllllllllllk..",
        "..kggggggggLlk..",
        "..kllllllllllk..",
        "..kggggggggrlk..",
        "..kllllllllllk..",
        "..kllllllllllk..",
        "..kkkkkkkkkkkk..",
        "..kk........kk..",
        "................",
        "................",
    ],
    # A connection: requests going out, answers coming back.
    "reference": [
        "................",
        "..........b.....",
        "..........bb....",
        "..bbbbbbbbbbb...",
        "..bbbbbbbbbbbb..",
        "..bbbbbbbbbbb...",
        "..........bb....",
        "..........b.....",
        ".....G..........",
        "....GG..........",
        "...GGGGGGGGGGG..",
        "..GGGGGGGGGGGG..",
        "...GGGGGGGGGGG..",
        "....GG..........",
        ".....G..........",
        "................",
    ],
}


def bmp_bytes(rows):
    assert len(rows) == 16 and all(len(row) == 16 for row in rows), rows
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for ch in row:
            r, g, b = PALETTE[ch]
            pixels += bytes((b, g, r))
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, 16, 16, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


def main():
    folder = pathlib.Path(__file__).resolve().parent
    for name, rows in IMAGES.items():
        (folder / f"{name}.bmp").write_bytes(bmp_bytes(rows))


if __name__ == "__main__":
    main()
