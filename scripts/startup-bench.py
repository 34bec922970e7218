#!/usr/bin/env python3
"""Start-up of orv-cli against cat, as a script over many files meets it: whole processes,
`orv-cli crcc /dev/null` and `cat /dev/null` run in pairs (alternating which goes first), each
timed from spawn to exit. Prints the median and the 10th/90th percentiles of each and of the
per-pair ratio. With a second orv-cli (an older build, BEFORE) it is timed in the same rounds,
as the reference of the same run.

Usage: scripts/startup-bench.py [ORV_CLI] [PAIRS] [BEFORE]   (default build/src/app/orv-cli, 400)
"""
import os
import statistics
import subprocess
import sys
import time

cli = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "src", "app", "orv-cli")
pairs = int(sys.argv[2]) if len(sys.argv) > 2 else 400
commands = {"orv-cli crcc /dev/null": [cli, "crcc", "/dev/null"], "cat /dev/null": ["cat", "/dev/null"]}
if len(sys.argv) > 3:
    commands["before: orv-cli crcc"] = [sys.argv[3], "crcc", "/dev/null"]


def run(argv):
    start = time.perf_counter()
    subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


for argv in commands.values():  # warm: the libraries in the page cache
    for _ in range(20):
        run(argv)
times = {name: [] for name in commands}
ratios = {name: [] for name in commands if name != "cat /dev/null"}
for k in range(pairs):
    order = list(commands.items()) if k % 2 == 0 else list(reversed(commands.items()))  # who goes first
    pair = {name: run(argv) for name, argv in order}
    for name, t in pair.items():
        times[name].append(t)
    for name in ratios:
        ratios[name].append(pair[name] / pair["cat /dev/null"])


def spread(values, scale=1.0, unit=""):
    q = statistics.quantiles(values, n=10)
    return f"median {statistics.median(values) * scale:.2f}{unit} (10% {q[0] * scale:.2f}, 90% {q[-1] * scale:.2f})"


for name, values in times.items():
    print(f"{name:24} {spread(values, 1000, ' ms')}")
for name, values in ratios.items():
    print(f"{name + ' / cat':24} {spread(values, 1, ' x')}")
