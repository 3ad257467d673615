#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The conversion as a user would script it, to compare holvane-convert with:
zlib and struct, each file's text joined in memory and written at once.

    python3 bench/python_convert.py FOLDER_OR_FILE...

A folder stands for its *.wvl files. Each FILE.wvl gets FILE.wvl.txt beside
it, the same bytes holvane-convert writes for a whole record stream; there is
no .tmp, no lock and no care for a stream that breaks off (such a file stops
the script), which is what makes it a fair lower bound for a script.
"""

import glob
import os
import struct
import sys
import zlib

LENGTH = struct.Struct("<i")
MARKS = {0: b"-", -1: b"+"}


def convert(path):
    with open(path, "rb") as f:
        stream = zlib.decompress(f.read())
    lines = []
    at, end = 0, len(stream)
    while end - at >= 2:
        (n,) = LENGTH.unpack_from(stream, at)
        text = stream[at + 4 : at + 4 + n]
        (flag,) = LENGTH.unpack_from(stream, at + 4 + n)
        at += 8 + n
        mark = MARKS.get(flag)
        lines.append(mark + text + b"\r\n" if mark else b"?\r\n" + text + b"\r\n")
    with open(path + ".txt", "wb") as f:
        f.write(b"".join(lines))


def main():
    for name in sys.argv[1:]:
        if os.path.isdir(name):
            for path in sorted(glob.glob(os.path.join(name, "*.wvl"))):
                convert(path)
        else:
            convert(name)


if __name__ == "__main__":
    main()
