#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times whole runs of holvane-convert, the way a user runs it, and prints the
results as Markdown tables.

Reproduce the table from the repository root, after `scripts/test.sh` or
`cmake -S . -B build -DHOLVANE_BENCH=ON && cmake --build build` (benchmarks are off by default):

    python3 bench/cli_bench.py

(a few minutes, about 2 GB free in the temporary folder), or
`python3 bench/cli_bench.py --quick` for a smoke test of a few seconds.

Every case gets a fresh temporary folder (under /tmp unless --dir says
otherwise) with inputs made by build/bench/holvane_make_workload, so the
inputs are in the page cache when the runs start. Each run starts with the
previous run's .txt files deleted and the file system synced, so every run
writes new files and none pays for another's write-back. A run's wall time
and peak resident memory come from os.wait4 on the process; the tables give
the median wall time and the largest peak of the runs; each run's time goes
to standard error. On ext4 without a journal, creating a file costs more for
every inode deleted in that block group in the last minutes, so the folder
case depends on what the machine deleted just before (this script included):
compare folder figures only between runs on the same kind of file system.

The floor beside each case is `holvane_make_workload inflate`: the best of
three zlib uncompress calls of the same file into a buffer of exactly the
right size, timed inside that process, so it leaves out starting a process,
reading the file and writing the text that holvane-convert's time includes.
"""

import argparse
import datetime
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MIB = 1 << 20
MB = 10**6
DONE_LINE = "Файлов успешно декомпилировано: {}."


def log(message):
    print(message, file=sys.stderr, flush=True)


def run_tool(*args):
    """Runs a helper to completion and returns its standard output."""
    done = subprocess.run([str(a) for a in args], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{args[0]} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


def inflate_floor(maker, files):
    """Seconds and decompressed bytes per file, as the maker's inflate mode times them."""
    lines = run_tool(maker, "inflate", *files).splitlines()
    floors = [line.rsplit(" ", 2) for line in lines]
    return [(float(seconds), int(size)) for _, seconds, size in floors]


def timed_run(command, log_folder):
    """Runs `command` once; returns (wall seconds, peak RSS in KiB, stdout)."""
    out_path, err_path = log_folder / "run.out", log_folder / "run.err"
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        start = time.perf_counter()
        process = subprocess.Popen([str(c) for c in command], stdout=out, stderr=err)
        _, status, usage = os.wait4(process.pid, 0)
        seconds = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit(f"{command[0]} exited with {process.returncode}: {err_path.read_text().strip()}")
    return seconds, usage.ru_maxrss, out_path.read_text(encoding="utf-8")


def convert_runs(convert, target, folder, expected_files, runs):
    """Converts `target` `runs` times; returns (median s, peak RSS KiB, text bytes)."""
    times, peaks = [], []
    for _ in range(runs):
        for text in folder.glob("*.txt"):
            text.unlink()
        os.sync()
        seconds, peak_kib, out = timed_run([convert, target], folder.parent)
        if DONE_LINE.format(expected_files) not in out:
            sys.exit(f"expected {expected_files} files converted, holvane-convert said: {out!r}")
        times.append(seconds)
        peaks.append(peak_kib)
    log("  runs: " + ", ".join(f"{t:.4f} s" for t in times))
    text_bytes = sum(t.stat().st_size for t in folder.glob("*.txt"))
    return statistics.median(times), max(peaks), text_bytes


def new_case_folder(parent):
    """A fresh folder for one case's logs, with `inputs/` inside for the .wvl files."""
    case = Path(tempfile.mkdtemp(prefix="holvane-cli-bench-", dir=parent))
    (case / "inputs").mkdir()
    return case


def single_file_case(tools, kind, mib, args):
    maker, convert = tools
    case = new_case_folder(args.dir)
    try:
        wvl = case / "inputs" / f"{kind}-{mib}.wvl"
        run_tool(maker, "file", kind, mib, wvl)
        [(floor, stream_bytes)] = inflate_floor(maker, [wvl])
        seconds, peak_kib, text_bytes = convert_runs(convert, wvl, wvl.parent, 1, args.runs)
        input_bytes = wvl.stat().st_size
    finally:
        shutil.rmtree(case)
    limit_text = (input_bytes + 2 * text_bytes) / MIB + 16
    limit_stream = (input_bytes + 2 * stream_bytes) / MIB + 16
    peak = peak_kib / 1024
    within = "yes" if peak <= limit_text else "**no**"
    if peak > limit_text and peak <= limit_stream:
        within += " (within the stream's)"
    return [f"{kind}, {mib} MiB", f"{input_bytes / MIB:.2f}", f"{text_bytes / MIB:.2f}",
            f"{seconds:.4f}", f"{text_bytes / MB / seconds:.1f}", f"{peak:.1f}",
            f"{limit_text:.1f}", f"{limit_stream:.1f}", within, f"{floor:.4f}",
            f"{seconds / floor:.2f}"]


def folder_case(tools, count, file_kib, args):
    maker, convert = tools
    case = new_case_folder(args.dir)
    try:
        folder = case / "inputs"
        run_tool(maker, "folder", "short", count, file_kib, folder)
        files = sorted(folder.glob("*.wvl"))
        floor = sum(seconds for seconds, _ in inflate_floor(maker, files))
        seconds, peak_kib, text_bytes = convert_runs(convert, folder, folder, count, args.runs)
        input_bytes = sum(f.stat().st_size for f in files)
    finally:
        shutil.rmtree(case)
    return [f"{count} × {file_kib} KiB, short", f"{input_bytes / MIB:.2f}",
            f"{text_bytes / MIB:.2f}", f"{seconds:.4f}", f"{count / seconds:.0f}",
            f"{text_bytes / MB / seconds:.1f}", f"{peak_kib / 1024:.1f}", f"{floor:.4f}",
            f"{seconds / floor:.2f}"]


def markdown_table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def machine_lines(temporary, convert):
    model = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    fs = subprocess.run(["stat", "-f", "-c", "%T", temporary], capture_output=True,
                        text=True).stdout.strip()
    commit = subprocess.run(["git", "-C", ROOT, "describe", "--always", "--dirty"],
                            capture_output=True, text=True).stdout.strip()
    built = datetime.datetime.fromtimestamp(convert.stat().st_mtime).astimezone()
    built = built.isoformat(timespec="seconds")
    return [f"- Machine: {model}, {os.cpu_count()} cores, Linux {platform.uname().release}",
            f"- Date: {datetime.datetime.now().astimezone().isoformat(timespec='seconds')}",
            f"- Temporary folder: {temporary} ({fs or 'unknown'} file system)",
            f"- Source: {commit or 'unknown'}, holvane-convert built {built}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", type=Path, default=ROOT / "build",
                        help="the build folder (default: build in the repository)")
    parser.add_argument("--runs", type=int, default=3, help="runs per case (default 3)")
    parser.add_argument("--quick", action="store_true",
                        help="only 1 and 8 MiB of short entries and 200 files")
    parser.add_argument("--dir", help="where to make the temporary folders (default: /tmp)")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    tools = (args.build / "bench" / "holvane_make_workload", args.build / "cli" / "holvane-convert")
    for tool in tools:
        if not os.access(tool, os.X_OK):
            sys.exit(f"{tool} not found: build it first (-DHOLVANE_BENCH=ON)")

    if args.quick:
        files = [("short", 1), ("short", 8)]
        folders = [(200, 4)]
    else:
        files = [("short", 1), ("short", 8), ("short", 64), ("short", 256), ("long", 64),
                 ("incompressible", 64)]
        folders = [(2000, 4)]

    file_rows = []
    for kind, mib in files:
        log(f"{kind}, {mib} MiB ...")
        file_rows.append(single_file_case(tools, kind, mib, args))
    folder_rows = []
    for count, file_kib in folders:
        log(f"{count} files of {file_kib} KiB ...")
        folder_rows.append(folder_case(tools, count, file_kib, args))

    print("\n".join(machine_lines(args.dir or tempfile.gettempdir(), tools[1])))
    print(f"\nOne file per run; median of {args.runs} runs, peak RSS the largest of them. "
          "Input = the .wvl file, output = its .txt; MiB = 2^20 bytes, MB/s = 10^6 bytes "
          "of text per second. Limit = input + 2 × output + 16 MiB, with output the .txt "
          "(the one checked) or the decompressed record stream. Floor = one zlib "
          "uncompress of the file into memory; ratio = holvane-convert's time / floor.\n")
    print(markdown_table(
        ["Case", "Input MiB", "Output MiB", "Median s", "MB/s", "Peak RSS MiB",
         "Limit (.txt) MiB", "Limit (stream) MiB", "Peak ≤ limit", "Floor s", "Ratio"],
        file_rows))
    print(f"\nA folder of small files, one holvane-convert run on the folder; median of "
          f"{args.runs} runs. Floor = the sum of each file's uncompress time.\n")
    print(markdown_table(
        ["Case", "Input MiB", "Output MiB", "Median s", "Files/s", "MB/s", "Peak RSS MiB",
         "Floor s", "Ratio"], folder_rows))


if __name__ == "__main__":
    main()
