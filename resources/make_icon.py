#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws Holvane's icon and writes every file made from it.

The icon is a sheet of paper with text lines, each led by a green "+" or a red "-" as in the
text files Holvane writes, and a blue arrow pointing down onto the sheet: a packed file unpacked
into text. Each picture is drawn below as a pixel map, one character a pixel, so the design can
be read and changed here; running the script again gives the same files.

    resources/holvane.ico                 32x32 in 2 colours, 32x32 and 16x16 in 16 colours,
                                          from their own pixel maps (ART_32, ART_16)
    resources/icons/scalable/holvane.svg  the 48x48 pixel map (ART_48) as squares
    resources/icons/<size>/holvane.png    16, 32, 48, 64, 128 and 256 pixels, RGBA: that same
                                          drawing, each pixel the exact share of the squares
                                          it covers

The SVG and every PNG for the hicolor theme thus come from one drawing. Only the standard library
is used, so the icon can be remade on any machine with Python 3:

    python3 resources/make_icon.py           # writes the files
    python3 resources/make_icon.py --check   # fails unless the files hold what it would write
"""

import pathlib
import struct
import sys
import zlib

# The classic 16-colour palette (Windows' and VGA's), which 16-colour displays draw as meant.
# Each character of a pixel map stands for one of them, "." for a transparent pixel.
PALETTE = (
    ("K", (0x00, 0x00, 0x00)),  # black: outlines
    ("r", (0x80, 0x00, 0x00)),  # dark red: "-" marks
    ("g", (0x00, 0x80, 0x00)),  # dark green: "+" marks
    ("o", (0x80, 0x80, 0x00)),  # olive
    ("n", (0x00, 0x00, 0x80)),  # navy: the arrow's outline
    ("p", (0x80, 0x00, 0x80)),  # purple
    ("t", (0x00, 0x80, 0x80)),  # teal
    ("s", (0xC0, 0xC0, 0xC0)),  # silver: the folded corner
    ("d", (0x80, 0x80, 0x80)),  # grey: text lines, the sheet's shadow
    ("R", (0xFF, 0x00, 0x00)),  # red
    ("G", (0x00, 0xFF, 0x00)),  # lime
    ("Y", (0xFF, 0xFF, 0x00)),  # yellow
    ("B", (0x00, 0x00, 0xFF)),  # blue: the arrow
    ("M", (0xFF, 0x00, 0xFF)),  # magenta
    ("C", (0x00, 0xFF, 0xFF)),  # cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # white: the sheet
)
TRANSPARENT = "."

# The 2-colour image: black and white. A colour at least this bright becomes white, so the sheet
# and its folded corner stay white while outlines, text lines, marks, the arrow and the shadow
# turn black.
MONO_PALETTE = ((0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF))
MONO_WHITE_FROM = 160

# 16x16, 16 colours: the smallest size, so the marks are single dots and the fold is small.
ART_16 = (
    ".KKKKKKKK.......",
    ".KWWWWWWKK......",
    ".KWWWWWWKsK.....",
    ".KWWWWWWKKKK....",
    ".KWWWWWWWWnnnn..",
    ".KWgWddddWnBBn..",
    ".KWWWWWWWWnBBn..",
    ".KWrWdddWWnBBn..",
    ".KWWWWWWnnnBBnnn",
    ".KWgWddWnBBBBBBn",
    ".KWWWWWWWnBBBBn.",
    ".KWrWddddWnBBn..",
    ".KWWWWWWWWWnn...",
    ".KWgWdddWWWKd...",
    ".KKKKKKKKKKKd...",
    "..dddddddddd....",
)

# 32x32, 16 colours; the 2-colour 32x32 image is this one thresholded (see MONO_WHITE_FROM).
ART_32 = (
    "................................",
    "...KKKKKKKKKKKKKK...............",
    "...KWWWWWWWWWWWWKK..............",
    "...KWWWWWWWWWWWWKsK.............",
    "...KWWWWWWWWWWWWKssK............",
    "...KWWWWWWWWWWWWKsssK...........",
    "...KWWWWWWWWWWWWKssssK..........",
    "...KWWWWWWWWWWWWKKKKKKK.........",
    "...KWWWgWWWWWWWWWWWWWWKd........",
    "...KWWgggWdddddddWWWWWKd........",
    "...KWWWgWWWWWWWWWWWWWWKd........",
    "...KWWWWWWWWWWWWWWWWWnnnnnn.....",
    "...KWWWWWWWWWWWWWWWWWnBBBBn.....",
    "...KWWrrrWdddddddddWWnBBBBn.....",
    "...KWWWWWWWWWWWWWWWWWnBBBBn.....",
    "...KWWWWWWWWWWWWWWWWWnBBBBn.....",
    "...KWWWgWWWWWWWWWWWWWnBBBBn.....",
    "...KWWgggWdddddWWWWWWnBBBBn.....",
    "...KWWWgWWWWWWWWWWWWWnBBBBn.....",
    "...KWWWWWWWWWWWWWWWWWnBBBBn.....",
    "...KWWWWWWWWWWWWWnnnnnBBBBnnnnn.",
    "...KWWrrrWddddddWnBBBBBBBBBBBBn.",
    "...KWWWWWWWWWWWWWWnBBBBBBBBBBn..",
    "...KWWWWWWWWWWWWWWWnBBBBBBBBn...",
    "...KWWWgWWWWWWWWWWWWnBBBBBBn....",
    "...KWWgggWddddddWWWWWnBBBBn.....",
    "...KWWWgWWWWWWWWWWWWWWnBBn......",
    "...KWWWWWWWWWWWWWWWWWWKnn.......",
    "...KWWWWWWWWWWWWWWWWWWKd........",
    "...KKKKKKKKKKKKKKKKKKKKd........",
    "....dddddddddddddddddddd........",
    "................................",
)

# 48x48, 16 colours, for the PNG only: drawn on its own rather than scaled, to keep the
# outlines one pixel wide.
ART_48 = (
    "................................................",
    "................................................",
    "....KKKKKKKKKKKKKKKKKKKKK.......................",
    "....KWWWWWWWWWWWWWWWWWWWKK......................",
    "....KWWWWWWWWWWWWWWWWWWWKsK.....................",
    "....KWWWWWWWWWWWWWWWWWWWKssK....................",
    "....KWWWWWWWWWWWWWWWWWWWKsssK...................",
    "....KWWWWWWWWWWWWWWWWWWWKssssK..................",
    "....KWWWWWWWWWWWWWWWWWWWKsssssK.................",
    "....KWWWWWWWWWWWWWWWWWWWKssssssK................",
    "....KWWWWWWWWWWWWWWWWWWWKsssssssK...............",
    "....KWWWWWWWWWWWWWWWWWWWKKKKKKKKKK..............",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWWWWKd.............",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWWWWKd.............",
    "....KWWWggggggWWddddddddddWWWWWWWKd.............",
    "....KWWWggggggWWddddddddddWWWWWWWKd.............",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnnnnnnnnnn........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWrrrrrrWWdddddddddddddWnBBBBBBBBn........",
    "....KWWWrrrrrrWWdddddddddddddWnBBBBBBBBn........",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWggggggWWdddddddWWWWWWWnBBBBBBBBn........",
    "....KWWWggggggWWdddddddWWWWWWWnBBBBBBBBn........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWWWWWWWWWWWWWWWWWnnnnnnnBBBBBBBBnnnnnnn..",
    "....KWWWWWWWWWWWWWWWWWWWnBBBBBBBBBBBBBBBBBBBBn..",
    "....KWWWrrrrrrWWddddddddWnBBBBBBBBBBBBBBBBBBn...",
    "....KWWWrrrrrrWWddddddddWWnBBBBBBBBBBBBBBBBn....",
    "....KWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBBBBBBBn.....",
    "....KWWWWWWWWWWWWWWWWWWWWWWWnBBBBBBBBBBBBn......",
    "....KWWWWWggWWWWWWWWWWWWWWWWWnBBBBBBBBBBn.......",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWnBBBBBBBBn........",
    "....KWWWggggggWWdddddddddWWWWWWnBBBBBBn.........",
    "....KWWWggggggWWdddddddddWWWWWWWnBBBBn..........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWWWWnBBn...........",
    "....KWWWWWggWWWWWWWWWWWWWWWWWWWWWKnn............",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWWWWKd.............",
    "....KWWWWWWWWWWWWWWWWWWWWWWWWWWWWKd.............",
    "....KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKd.............",
    ".....dddddddddddddddddddddddddddddd.............",
    "................................................",
    "................................................",
)


def parse(art):
    """Turns a pixel map into rows of palette indices, None for a transparent pixel."""
    index = {char: i for i, (char, _) in enumerate(PALETTE)}
    size = len(art)
    pixels = []
    for y, row in enumerate(art):
        if len(row) != size:
            sys.exit(f"make_icon.py: row {y} of a {size}x{size} map is {len(row)} wide")
        line = []
        for char in row:
            if char == TRANSPARENT:
                line.append(None)
            elif char in index:
                line.append(index[char])
            else:
                sys.exit(f"make_icon.py: row {y} holds {char!r}, which is no colour")
        pixels.append(line)
    return pixels


def to_mono(pixels):
    """Thresholds a 16-colour image to black (0) and white (1); transparency is kept."""

    def brightness(rgb):
        r, g, b = rgb
        return (299 * r + 587 * g + 114 * b) // 1000

    white = [brightness(rgb) >= MONO_WHITE_FROM for _, rgb in PALETTE]
    return [[None if p is None else int(white[p]) for p in row] for row in pixels]


def pack_rows(rows, bits):
    """Packs rows of small integers MSB first, bottom row first, each row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        acc = 0
        filled = 0
        for value in row:
            acc = (acc << bits) | value
            filled += bits
            if filled == 8:
                line.append(acc)
                acc = 0
                filled = 0
        if filled:
            line.append(acc << (8 - filled))
        line.extend(bytes(-len(line) % 4))
        out += line
    return bytes(out)


def dib(pixels, bits, palette):
    """One image inside an .ico: BITMAPINFOHEADER, palette, XOR bitmap, AND mask.

    The height in the header counts both bitmaps, so it is twice the image's. Transparent pixels
    have colour 0 in the XOR bitmap and 1 in the AND mask, so the screen shows through unchanged.
    """
    size = len(pixels)
    xor = pack_rows([[0 if p is None else p for p in row] for row in pixels], bits)
    mask = pack_rows([[1 if p is None else 0 for p in row] for row in pixels], 1)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(xor) + len(mask), 0, 0,
        len(palette), 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + xor + mask


def ico(images):
    """An .ico file from (size, colours, bits, image data) in the order given."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    data = b""
    for size, colours, bits, image in images:
        entries += struct.pack(
            "<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bits, len(image), offset)
        offset += len(image)
        data += image
    return directory + entries + data


# The hicolor theme's sizes, every one made from ART_48.
PNG_SIZES = (16, 32, 48, 64, 128, 256)


def resample(pixels, size):
    """The pixel map drawn at size x size: each output pixel is the area-weighted mean of the
    source pixels it covers (premultiplied by alpha), in integers so the result never varies."""
    source = len(pixels)

    def spans(i):
        # Output pixel i covers [i * source, (i + 1) * source) in units where source pixel j
        # covers [j * size, (j + 1) * size).
        lo, hi = i * source, (i + 1) * source
        return [(j, min(hi, (j + 1) * size) - max(lo, j * size))
                for j in range(lo // size, (hi - 1) // size + 1)]

    axis = [spans(i) for i in range(size)]
    total = source * source
    rgba = [[bytes(PALETTE[p][1]) + b"\xff" if p is not None else bytes(4) for p in row]
            for row in pixels]
    out = []
    for y in range(size):
        line = []
        for x in range(size):
            r = g = b = a = 0
            for sy, wy in axis[y]:
                for sx, wx in axis[x]:
                    pr, pg, pb, pa = rgba[sy][sx]
                    w = wy * wx * pa
                    r, g, b, a = r + pr * w, g + pg * w, b + pb * w, a + w
            if a == 0:
                line.append(bytes(4))
            else:
                line.append(bytes(((r + a // 2) // a, (g + a // 2) // a, (b + a // 2) // a,
                                   (a + total // 2) // total)))
        out.append(line)
    return out


def png_rgba(rows):
    """An RGBA PNG of rows of 4-byte pixels."""

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body)))

    size = len(rows)
    raw = b"".join(b"\0" + b"".join(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def svg(pixels):
    """The pixel map as an SVG of squares, runs of one colour in a row joined into one rect."""
    size = len(pixels)
    rects = []
    for y, row in enumerate(pixels):
        x = 0
        while x < size:
            p = row[x]
            end = x
            while end < size and row[end] == p:
                end += 1
            if p is not None:
                colour = "#%02x%02x%02x" % PALETTE[p][1]
                rects.append(f'  <rect x="{x}" y="{y}" width="{end - x}" height="1" '
                             f'fill="{colour}"/>')
            x = end
    return ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!-- SPDX-License-Identifier: MIT -->\n"
            "<!-- Made by resources/make_icon.py from its 48x48 drawing: do not edit. -->\n"
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">\n'
            + "\n".join(rects) + "\n</svg>\n").encode()


def outputs(art):
    """Every file the script writes, by its path under resources/, with its bytes."""
    colours16 = [rgb for _, rgb in PALETTE]
    files = {
        "holvane.ico": ico([
            (32, 2, 1, dib(to_mono(art[32]), 1, MONO_PALETTE)),
            (32, 16, 4, dib(art[32], 4, colours16)),
            (16, 16, 4, dib(art[16], 4, colours16)),
        ]),
        "icons/scalable/holvane.svg": svg(art[48]),
    }
    for size in PNG_SIZES:
        files[f"icons/{size}x{size}/holvane.png"] = png_rgba(resample(art[48], size))
    return files


def main():
    here = pathlib.Path(__file__).resolve().parent
    art = {16: parse(ART_16), 32: parse(ART_32), 48: parse(ART_48)}
    for size, pixels in art.items():
        if len(pixels) != size:
            sys.exit(f"make_icon.py: the {size}x{size} map has {len(pixels)} rows")

    check = sys.argv[1:] == ["--check"]
    if sys.argv[1:] and not check:
        sys.exit("usage: make_icon.py [--check]")
    differ = []
    for name, data in outputs(art).items():
        path = here / name
        if check:
            if not path.is_file() or path.read_bytes() != data:
                differ.append(name)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if differ:
        sys.exit("make_icon.py: not what the drawing gives (run resources/make_icon.py): "
                 + ", ".join(differ))

if __name__ == "__main__":
    main()
