#!/usr/bin/python3
"""Anchor for the batch tool's speed: the same work as

    sonorix-cli intensity --demo --rate 100000 --duration 10

done by a plain numpy script: a 10 s six-channel plane wave at 100 kHz with noise, six real
transforms, the cross spectra of the three pairs and the twelve intensity and energy spectra,
summed over the whole band. It prints its own wall time, and with --cli it also runs the
batch tool alternately with itself and prints both times and their ratio (best of the rounds):

    /usr/bin/python3 tools/bench_intensity_numpy.py --cli build/src/cli/sonorix-cli

Needs Debian's python3-numpy.
"""

import argparse
import subprocess
import sys
import time

import numpy as np

RATE = 100000
DURATION = 10
FREQUENCY = 100
AMPLITUDE = 3276.0
SPACING = (0.05, 0.05, 0.05)
RHO, C = 1.21, 343.0


def intensity():
    n = RATE * DURATION
    t = np.arange(n) / RATE
    omega = 2 * np.pi * FREQUENCY
    leads = [omega * dr * 0.7 / C for dr in SPACING]
    noise = np.random.default_rng(1).uniform(-1, 1, n) * AMPLITUDE * 0.05
    channels = []
    for lead in leads:
        channels.append(AMPLITUDE * np.sin(omega * t) + noise)
        channels.append(AMPLITUDE * np.sin(omega * t + lead) + noise)
    spectra = [np.fft.rfft(x * 0.1220703125)[: n // 2] * (2.0 / n) for x in channels]
    f = np.arange(n // 2) / t[-1]
    f[0] = f[1]
    band = []
    for a in range(3):
        p, q = spectra[2 * a], spectra[2 * a + 1]
        dr = SPACING[a]
        active = -np.imag(p * np.conj(q)) / (4 * np.pi * f * RHO * dr)
        reactive = (np.abs(q) ** 2 - np.abs(p) ** 2) / (8 * np.pi * f * RHO * dr)
        kinetic = np.abs(p - q) ** 2 / (16 * np.pi**2 * f**2 * RHO * dr**2)
        potential = np.abs(p + q) ** 2 / (16 * RHO * C**2)
        band.append([active.sum(), reactive.sum(), kinetic.sum(), potential.sum()])
    return band


def timed(run):
    start = time.perf_counter()
    run()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", help="the batch tool to time beside the script")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    command = [args.cli, "intensity", "--demo", "--rate", str(RATE), "--duration", str(DURATION)]
    numpy_best = cli_best = float("inf")
    for _ in range(args.rounds):
        numpy_best = min(numpy_best, timed(intensity))
        if args.cli:
            cli_best = min(cli_best, timed(lambda: subprocess.run(
                command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)))
    print(f"numpy script: {numpy_best:.3f} s")
    if args.cli:
        print(f"sonorix-cli:  {cli_best:.3f} s")
        print(f"ratio (sonorix-cli / numpy): {cli_best / numpy_best:.2f} (goal: at most 0.5)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
