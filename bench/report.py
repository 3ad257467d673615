#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs the conversion benchmarks and prints their tables in Markdown.

    cmake -S . -B build -DHOLVANE_BENCH=ON    # or scripts/test.sh, which turns it on
    cmake --build build --target holvane_convert_bench
    python3 bench/report.py [--build build] [--repetitions 3] [--dir /dev/shm]
                            [--filter REGEX]

Every row is the median of the repetitions. MB/s are of rendered text, with
MB = 10^6 bytes. "x floor" is the row's time over the time of one zlib inflate
of the same input into a buffer of the right size, measured in the same run.
The files are written under --dir (default: the system's temporary folder);
a memory-backed folder such as /dev/shm measures the program rather than the
disk.
"""
import argparse
import json
import os
import platform
import subprocess
import sys
import time

WORKLOADS = {0: "short entries", 1: "long entries", 2: "incompressible"}
PARTS = [
    ("BM_ConvertFile", "ConvertFile, end to end"),
    ("BM_UncompressString", "UncompressString"),
    ("BM_RenderRecordStream", "RenderRecordStream"),
    ("BM_RenderDiscarded", "RenderRecordStream, text thrown away"),
    ("BM_SinglePassInflate", "single-pass zlib inflate (floor)"),
]


def run_benchmark(build, repetitions, folder, only):
    env = dict(os.environ)
    if folder:
        env["TMPDIR"] = folder
    out = subprocess.run(
        [os.path.join(build, "bench", "holvane_convert_bench"),
         "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
         "--benchmark_report_aggregates_only=true",
         f"--benchmark_filter={only}"],
        env=env, check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def medians(report):
    """(benchmark, workload, MiB) -> (milliseconds, output bytes, input MiB)."""
    rows = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name, workload, mib = b["run_name"].split("/")[:3]
        ms = b["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b["time_unit"]]
        rows[(name, int(workload), int(mib))] = (
            ms, b["output_MiB"] * 2**20, b["input_MiB"])
    return rows


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return f"{model}, {os.cpu_count()} cores, Linux {platform.release()}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--repetitions", type=int, default=3)
    parser.add_argument("--dir", default=None)
    parser.add_argument("--filter", default=".",
                        help="only the benchmarks this regular expression matches")
    args = parser.parse_args()

    folder = args.dir or os.environ.get("TMPDIR", "/tmp")
    fs = subprocess.run(["stat", "-f", "-c", "%T", folder],
                        capture_output=True, text=True).stdout.strip()
    report = run_benchmark(args.build, args.repetitions, args.dir, args.filter)
    rows = medians(report)

    print(f"Machine: {machine()}. Date: {time.strftime('%Y-%m-%d')}. "
          f"Files in {folder} ({fs}).\n")
    print("| part | workload | text MiB | input MiB | ms | MB/s | x floor |")
    print("|---|---|---:|---:|---:|---:|---:|")
    keys = sorted({(w, m) for (_, w, m) in rows}, key=lambda k: (k[0], k[1]))
    for workload, mib in keys:
        floor = rows.get(("BM_SinglePassInflate", workload, mib))
        for name, label in PARTS:
            row = rows.get((name, workload, mib))
            if row is None:
                continue
            ms, output, input_mib = row
            ratio = f"{ms / floor[0]:.2f}" if floor else "-"
            print(f"| {label} | {WORKLOADS[workload]} | {output / 2**20:.0f} | "
                  f"{input_mib:.1f} | {ms:.1f} | {output / ms / 1e3:.0f} | {ratio} |")

    print("\nScaling, short entries: milliseconds per MiB of text, and the "
          "spread from their mean.\n")
    print("| part | " + " | ".join(f"{m} MiB" for m in (1, 8, 64, 256)) + " | spread |")
    print("|---|" + "---:|" * 5)
    for name, label in PARTS:
        per_mib = [rows[(name, 0, m)][0] / m for m in (1, 8, 64, 256) if (name, 0, m) in rows]
        if len(per_mib) < 4:
            continue
        mean = sum(per_mib) / len(per_mib)
        spread = max(abs(v - mean) / mean for v in per_mib)
        print(f"| {label} | " + " | ".join(f"{v:.2f}" for v in per_mib) +
              f" | {spread * 100:.0f} % |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
