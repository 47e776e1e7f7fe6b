#!/usr/bin/python3
"""Reference throughput for bench/bench_filters.cpp: runs the band filters' own cascades
through scipy.signal.sosfilt over the same input, on the same machine.

Nothing is designed here. The benchmark program exports its input, the coefficients of every
second-order stage in cascade order, and its own output:

    build/bench/bench_filters --export=/tmp/filters
    /usr/bin/python3 tools/bench_sosfilt.py /tmp/filters

or let this script run the export:

    /usr/bin/python3 tools/bench_sosfilt.py /tmp/filters --bench build/bench/bench_filters

For each filter it prints sosfilt's samples per second (best of the repeats, process CPU time,
which is what the benchmark's CPU column measures) and the largest difference between the two
outputs relative to the output's RMS, which shows that both ran the same cascade.
"""

import argparse
import os
import subprocess
import sys
import time

import numpy as np
import scipy
from scipy import signal

FILTERS = [
    "butterworth_lowpass",
    "butterworth_bandpass",
    "chebyshev_lowpass",
    "chebyshev_bandpass",
    "elliptic_lowpass",
    "elliptic_bandpass",
]


def best_cpu_seconds(function, repeats):
    best = float("inf")
    for _ in range(repeats):
        start = time.process_time()
        function()
        best = min(best, time.process_time() - start)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory", help="folder the benchmark exported to")
    parser.add_argument("--bench", help="bench_filters program to run the export first")
    parser.add_argument("--repeats", type=int, default=15)
    args = parser.parse_args()

    if args.bench:
        os.makedirs(args.directory, exist_ok=True)
        subprocess.run([args.bench, "--export=" + args.directory], check=True)

    samples = np.fromfile(os.path.join(args.directory, "input.f64"), dtype="<f8")
    print(f"scipy {scipy.__version__} sosfilt, {samples.size} samples, best of {args.repeats}")
    print(f"{'filter':24} {'stages':>6} {'samples/s':>14} {'max |diff| / rms':>18}")
    for name in FILTERS:
        base = os.path.join(args.directory, name)
        sos = np.loadtxt(base + ".sos", ndmin=2)
        expected = np.fromfile(base + ".out.f64", dtype="<f8")
        result = signal.sosfilt(sos, samples)
        rms = np.sqrt(np.mean(expected ** 2))
        difference = np.max(np.abs(result - expected)) / rms
        seconds = best_cpu_seconds(lambda: signal.sosfilt(sos, samples), args.repeats)
        print(f"{name:24} {sos.shape[0]:6d} {samples.size / seconds:14.4g} {difference:18.3g}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
