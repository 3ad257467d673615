#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times the editable form against what it is held to, in paired runs (A, B, A, B, ...):

    python3 bench/editable_bench.py [BUILD] [PAIRS]

- writing: `holvane-convert -q --editable short64.wvl` (A) against today's default conversion
  `holvane-convert -q short64.wvl` (B), whole runs, wall time and peak memory;
- packing: `holvane-convert -q --pack -f -o packed.wvl short64.wvl.edit.txt` (A, a whole run:
  reading, parsing, compressing, decompressing again to compare, writing, syncing, renaming)
  against zlib compressing the same record stream alone at the same level, 6, window 15,
  memLevel 8 (B, Python's zlib over the same system library, timed around the call alone).

The workload is `BUILD/bench/holvane_make_workload file short 64 short64.wvl`, made in
/dev/shm where there is one. Prints the medians, the ratio's median and range, and peak memory.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
import zlib


def run(argv):
    """Wall seconds and peak memory (MiB) of one whole run."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"editable_bench: {argv} failed ({status})")
    return wall, usage.ru_maxrss / 1024


def compress_alone(stream):
    start = time.perf_counter()
    deflater = zlib.compressobj(6, zlib.DEFLATED, 15, 8)
    deflater.compress(stream)
    deflater.flush()
    return time.perf_counter() - start


def report(title, a_times, b_times, a_memory=None, b_memory=None):
    ratios = [a / b for a, b in zip(a_times, b_times)]
    line = (f"{title}: A {statistics.median(a_times):.3f} s, B {statistics.median(b_times):.3f} s, "
            f"A/B {statistics.median(ratios):.2f} ({min(ratios):.2f}-{max(ratios):.2f})")
    if a_memory:
        line += f", peak memory A {max(a_memory):.1f} MiB"
    if b_memory:
        line += f", B {max(b_memory):.1f} MiB"
    print(line)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    pairs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    program = os.path.join(build, "cli", "holvane-convert")
    place = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(prefix="holvane-editable-bench", dir=place) as work:
        wvl = os.path.join(work, "short64.wvl")
        subprocess.run([os.path.join(build, "bench", "holvane_make_workload"), "file", "short",
                        "64", wvl], check=True, stdout=subprocess.DEVNULL)
        with open(wvl, "rb") as f:
            stream = zlib.decompress(f.read())
        print(f"workload: {os.path.getsize(wvl) / 2**20:.1f} MiB compressed, "
              f"{len(stream) / 2**20:.1f} MiB of record stream")

        a_times, b_times, a_memory, b_memory = [], [], [], []
        for _ in range(pairs):
            wall, memory = run([program, "-q", "--editable", wvl])
            a_times.append(wall)
            a_memory.append(memory)
            wall, memory = run([program, "-q", wvl])
            b_times.append(wall)
            b_memory.append(memory)
        edit = wvl + ".edit.txt"
        print(f"editable text: {os.path.getsize(edit) / 2**20:.1f} MiB, "
              f"default text: {os.path.getsize(wvl + '.txt') / 2**20:.1f} MiB")
        report("writing (--editable vs default)", a_times, b_times, a_memory, b_memory)

        packed = os.path.join(work, "packed.wvl")
        a_times, b_times, a_memory = [], [], []
        for _ in range(pairs):
            wall, memory = run([program, "-q", "--pack", "-f", "-o", packed, edit])
            a_times.append(wall)
            a_memory.append(memory)
            b_times.append(compress_alone(stream))
        with open(packed, "rb") as f:
            if zlib.decompress(f.read()) != stream:
                sys.exit("editable_bench: the packed file is not the workload's stream")
        report("packing (--pack vs zlib alone)", a_times, b_times, a_memory)


if __name__ == "__main__":
    main()
