#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless
# (window tests on Qt's offscreen platform, OpenGL tests under a virtual X server).
# Then the hostile-input checks: the readers' tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan), and a short run of every
# fuzz target (tools/fuzz.sh, build-fuzz). FUZZ_SECONDS sets the run per target (default 30;
# 0 skips the fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
(cd build && ctest --output-on-failure -j"$(nproc)")

# The readers of outside data: the plain C++ libraries, the settings store and the INI reader
# (exchange) and the batch tool, which is run as a program by its tests. None of them needs a
# window, so this build leaves the windows out.
echo "== Sanitizers: core libraries, settings store, INI reader, batch tool (build-asan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONORIX_SANITIZE=ON \
  -DSONORIX_GUI=OFF -DSONORIX_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
(cd build-asan && ctest --output-on-failure -j"$(nproc)" -L '^(common|dsp|io|analysis|exchange|cli)$')

fuzz_seconds=${FUZZ_SECONDS:-30}
if ((fuzz_seconds > 0)); then
  echo "== Fuzz smoke: ${fuzz_seconds} s per target (build-fuzz)"
  JOBS="$(nproc)" bash tools/fuzz.sh "$fuzz_seconds"
fi
